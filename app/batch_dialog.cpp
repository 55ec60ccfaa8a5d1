#include "app/batch_dialog.h"

#include <QDir>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QShortcut>
#include <QStringList>
#include <QVBoxLayout>
#include <thread>

#include "app/app_messages.h"
#include "app/sheet_module_loader.h"
#include "pages/look.h"

namespace quorvex::app {
namespace {

// Carries the worker's reports to the window's thread.
class Relay : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;

 signals:
  void Progress(quint64, quint64, quint64);  // bytes read, bytes in all (0: unknown), records
  void Finished();
};

constexpr char kTitle[] = "批量计算";
constexpr char kSheetCaption[] = "表格文件";
constexpr char kResultCaption[] = "结果文件";
constexpr char kBrowse[] = "浏览...";
constexpr char kBrowseSheet[] = "浏览(&B)...";
constexpr char kBrowseResult[] = "浏览(&R)...";
constexpr char kStart[] = "开始(&S)";
constexpr char kTemplate[] = "保存模板(&T)...";
constexpr char kClose[] = "关闭(&C)";
constexpr char kCancel[] = "取消";
constexpr char kTemplateTitle[] = "保存模板";
constexpr char kHint[] =
    "表格（Excel 工作簿 .xlsx/.xls、CSV 或 JSON Lines）有一行表头（其上可有标题行）：收入类型、计算方式、"
    "金额（税前收入）、工资、五险一金、起征点、月数，其余列原样保留；表格下的合计行原样保留。计算方式可填："
    "正算（空着也是正算）、由应纳税额反算、由实发工资反算、由税后收入反算。结果在每行后面添加状态、提示和"
    "各项计算结果。";
constexpr char kSheetFilter[] = "表格 (*.xlsx *.xlsm *.xls *.csv *.txt *.jsonl);;所有文件 (*)";
constexpr char kXlsxFilter[] = "Excel 工作簿 (*.xlsx)";
constexpr char kCsvFilter[] = "CSV 表格 (*.csv)";
constexpr char kJsonFilter[] = "JSON Lines (*.jsonl)";
constexpr char kTemplateName[] = "批量计算模板.xlsx";
constexpr char kResultSuffix[] = "结果";

std::string FileName(const QString& path) { return QFile::encodeName(path).toStdString(); }
QString Text(const std::string& utf8) { return QString::fromStdString(utf8); }

// Whether the two paths name one file (through links, or written differently).
bool SameFile(const QString& a, const QString& b) {
  const QFileInfo x(a);
  const QFileInfo y(b);
  if (x.exists() && y.exists()) return x.canonicalFilePath() == y.canonicalFilePath();
  return QDir::cleanPath(x.absoluteFilePath()) == QDir::cleanPath(y.absoluteFilePath());
}

QString FilterFor(const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == QLatin1String("csv")) return QString::fromUtf8(kCsvFilter);
  if (suffix == QLatin1String("jsonl")) return QString::fromUtf8(kJsonFilter);
  return QString::fromUtf8(kXlsxFilter);
}

// Turns closing the progress dialog (the title bar's close button) into 取消, and keeps the
// dialog on show: it goes only when the run has ended.
class CancelOnClose : public QObject {
 public:
  CancelOnClose(QProgressDialog* dialog, std::function<void()> cancel) : QObject(dialog), cancel_(std::move(cancel)) {
    dialog->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Close) return QObject::eventFilter(watched, event);
    event->ignore();
    cancel_();
    return true;
  }

 private:
  std::function<void()> cancel_;
};

QString RunFileDialog(QWidget* parent, const QString& title, const QString& start, const QString& filter, bool save) {
  QFileDialog dialog(parent, title, start, filter);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (save) dialog.setDefaultSuffix(QFileInfo(start).suffix());
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.selectedFiles().value(0);
}

}  // namespace

BatchDialogDeps DefaultBatchDialogDeps() {
  BatchDialogDeps deps;
  deps.pickSheet = [](QWidget* parent, const QString& current) {
    return RunFileDialog(parent, QString::fromUtf8(kTitle), current, QString::fromUtf8(kSheetFilter), false);
  };
  deps.pickSave = [](QWidget* parent, const QString& title, const QString& suggested, const QString& filter) {
    return RunFileDialog(parent, title, suggested, filter, true);
  };
  return deps;
}

QString DefaultResultPath(const QString& sheet) {
  const QFileInfo info(sheet);
  QString suffix = info.suffix();
  QString base = info.fileName();
  if (!suffix.isEmpty()) base.chop(suffix.size() + 1);
  // Formats read but not written: an Excel 97-2003 or macro workbook's result is a workbook, a
  // text sheet's (Excel's Unicode text) a CSV sheet.
  if (suffix.compare(QLatin1String("xls"), Qt::CaseInsensitive) == 0 ||
      suffix.compare(QLatin1String("xlsm"), Qt::CaseInsensitive) == 0)
    suffix = QStringLiteral("xlsx");
  else if (suffix.compare(QLatin1String("txt"), Qt::CaseInsensitive) == 0)
    suffix = QStringLiteral("csv");
  const QString name = base + QString::fromUtf8(kResultSuffix) + (suffix.isEmpty() ? QString() : "." + suffix);
  return info.path() == QLatin1String(".") && !sheet.startsWith(QLatin1String("./")) ? name : info.dir().filePath(name);
}

BatchDialog::BatchDialog(QWidget* parent, BatchDialogDeps deps) : QDialog(parent), deps_(std::move(deps)) {
  setObjectName("BatchDialog");
  setWindowTitle(QString::fromUtf8(kTitle));
  pages::PaintCream(this);
  auto* grid = new QGridLayout;
  auto addPathLine = [&](int row, const char* caption, const char* editName, const char* browse,
                         const char* buttonName) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(editName);
    edit->setMinimumWidth(320);
    auto* label = new QLabel(QString::fromUtf8(caption), this);
    pages::MakeBold(label);
    label->setBuddy(edit);
    auto* button = new QPushButton(QString::fromUtf8(browse), this);
    button->setObjectName(buttonName);
    button->setAccessibleName(QString::fromUtf8(caption) + QString::fromUtf8(kBrowse));
    grid->addWidget(label, row, 0);
    grid->addWidget(edit, row, 1);
    grid->addWidget(button, row, 2);
    return std::make_pair(edit, button);
  };
  std::tie(EditSheet, BtnSheet) = addPathLine(0, kSheetCaption, "EditSheet", kBrowseSheet, "BtnSheet");
  std::tie(EditResult, BtnResult) = addPathLine(1, kResultCaption, "EditResult", kBrowseResult, "BtnResult");

  auto* hint = new QLabel(QString::fromUtf8(kHint), this);
  hint->setTextFormat(Qt::PlainText);
  hint->setWordWrap(true);

  BtnTemplate = new QPushButton(QString::fromUtf8(kTemplate), this);
  BtnTemplate->setObjectName("BtnTemplate");
  BtnStart = new QPushButton(QString::fromUtf8(kStart), this);
  BtnStart->setObjectName("BtnStart");
  BtnStart->setDefault(true);
  BtnClose = new QPushButton(QString::fromUtf8(kClose), this);
  BtnClose->setObjectName("BtnClose");
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(BtnTemplate);
  buttons->addStretch(1);
  buttons->addWidget(BtnStart);
  buttons->addWidget(BtnClose);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(hint);
  layout->addLayout(buttons);

  connect(BtnSheet, &QPushButton::clicked, this, &BatchDialog::BtnSheetClick);
  connect(BtnResult, &QPushButton::clicked, this, &BatchDialog::BtnResultClick);
  connect(BtnStart, &QPushButton::clicked, this, &BatchDialog::BtnStartClick);
  connect(BtnTemplate, &QPushButton::clicked, this, &BatchDialog::BtnTemplateClick);
  connect(BtnClose, &QPushButton::clicked, this, &QDialog::reject);
  connect(EditSheet, &QLineEdit::textChanged, this, &BatchDialog::EditSheetChange);
}

BatchDialog::~BatchDialog() = default;

// The result follows the sheet until the user names a result of their own.
void BatchDialog::EditSheetChange(const QString& text) {
  if (!EditResult->text().isEmpty() && EditResult->text() != shownDefault_) return;
  shownDefault_ = text.trimmed().isEmpty() ? QString() : DefaultResultPath(text.trimmed());
  EditResult->setText(shownDefault_);
}

void BatchDialog::BtnSheetClick() {
  const QString path = deps_.pickSheet(this, EditSheet->text());
  if (!path.isEmpty()) EditSheet->setText(path);
}

void BatchDialog::BtnResultClick() {
  const QString current = EditResult->text().isEmpty() ? EditSheet->text() : EditResult->text();
  const QString path = deps_.pickSave(this, QString::fromUtf8(kTitle), current, FilterFor(current));
  if (path.isEmpty()) return;
  EditResult->setText(path);
  confirmed_ = path;
}

void BatchDialog::ShowError(const QString& text) { QMessageBox::critical(this, QString::fromUtf8(kTitle), text); }

const sheets::SheetModule* BatchDialog::Sheets() {
  QString error;
  const sheets::SheetModule* module = LoadSheetModule(error);
  if (module == nullptr) ShowError(error);
  return module;
}

void BatchDialog::BtnStartClick() {
  const QString sheet = EditSheet->text().trimmed();
  if (sheet.isEmpty()) return ShowError(messages::ChooseASheet());
  QString result = EditResult->text().trimmed();
  if (result.isEmpty()) EditResult->setText(result = DefaultResultPath(sheet));
  const sheets::SheetModule* module = Sheets();
  if (module == nullptr) return;
  const std::optional<sheets::Format> in = module->inputFormatOfPath(FileName(sheet));
  const std::optional<sheets::Format> out = module->formatOfPath(FileName(result));
  if (!in) return ShowError(messages::NoSheetToCompute(sheet));
  if (!out) return ShowError(messages::NoResultFormat(result));
  if (SameFile(sheet, result)) return ShowError(messages::ResultIsTheSheet(result));
  if (const std::string obstacle = module->resultObstacle(FileName(result)); !obstacle.empty())
    return ShowError(Text(obstacle));
  if (QFileInfo::exists(result) && result != confirmed_) {
    const auto answer = QMessageBox::question(this, QString::fromUtf8(kTitle), messages::ReplaceResult(result),
                                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes) return;
  }
  const sheets::SheetSummary summary =
      RunWithProgress({FileName(sheet), FileName(result), *in, *out}, deps_.run ? deps_.run : module->runSheet);
  ShowSummary(summary, result);
}

sheets::SheetSummary BatchDialog::RunWithProgress(const sheets::SheetJob& job, const SheetRunner& run) {
  QProgressDialog progress(messages::Computing(), QString::fromUtf8(kCancel), 0, 0, this);
  progress.setObjectName("BatchProgress");
  progress.setWindowTitle(QString::fromUtf8(kTitle));
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(0);
  progress.setMinimumWidth(360);
  progress.setAutoClose(false);
  progress.setAutoReset(false);
  std::atomic<bool> cancel{false};
  // 取消 asks the run to stop; the dialog stays, saying so, until the run has ended (the
  // progress dialog's own cancel() would hide it and free the window for a second run).
  auto* cancelButton = new QPushButton(QString::fromUtf8(kCancel), &progress);
  progress.setCancelButton(cancelButton);
  disconnect(&progress, &QProgressDialog::canceled, nullptr, nullptr);
  const auto stop = [&] {
    cancel = true;
    cancelButton->setEnabled(false);
    progress.setLabelText(messages::Cancelling());
  };
  connect(&progress, &QProgressDialog::canceled, &progress, stop);
  // The progress dialog makes Esc a shortcut for each cancel button it was given, and two
  // shortcuts of one key cancel each other out: they give way to one that is 取消.
  for (QShortcut* own : progress.findChildren<QShortcut*>()) own->setEnabled(false);
  connect(new QShortcut(QKeySequence::Cancel, &progress), &QShortcut::activated, &progress, stop);
  new CancelOnClose(&progress, stop);
  // The worker reports through the relay's signals, delivered queued in this thread; they
  // are dropped if the dialog has gone.
  Relay relay;
  connect(
      &relay, &Relay::Progress, &progress,
      [&progress, &cancel](quint64 read, quint64 total, quint64 records) {
        if (cancel) return;
        if (total > 0) {
          progress.setRange(0, 1000);
          progress.setValue(static_cast<int>(std::min<quint64>(1000, read * 1000 / total)));
        }
        progress.setLabelText(messages::ComputedSoFar(records));
      },
      Qt::QueuedConnection);
  QEventLoop loop;
  connect(&relay, &Relay::Finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
  const auto report = [&relay](const sheets::SheetProgress& p) {
    emit relay.Progress(p.bytesRead, p.bytesTotal, p.records);
  };
  sheets::SheetSummary summary;
  std::thread worker([&] {
    summary = run(job, report, &cancel);
    emit relay.Finished();
  });
  progress.show();
  loop.exec();
  worker.join();
  return summary;
}

void BatchDialog::ShowSummary(const sheets::SheetSummary& summary, const QString& result) {
  if (summary.cancelled) {
    QMessageBox::information(this, QString::fromUtf8(kTitle), messages::Cancelled());
    return;
  }
  if (!summary.ok) return ShowError(Text(summary.error.Text()));
  QStringList skipped;
  for (const std::string& name : summary.skippedSheets) skipped << QString::fromStdString(name);
  const QString text = messages::Computed(summary.records, summary.rejected, summary.totals, result, skipped);
  QMessageBox::information(this, QString::fromUtf8(kTitle), text);
  accept();
}

void BatchDialog::BtnTemplateClick() {
  const QString sheet = EditSheet->text().trimmed();
  SaveSheetTemplate(this, deps_, sheet.isEmpty() ? QString() : QFileInfo(sheet).dir().path());
}

QString BatchDialog::SheetPath() const { return EditSheet->text(); }
QString BatchDialog::ResultPath() const { return EditResult->text(); }

void BatchDialog::SetPaths(const QString& sheet, const QString& result) {
  EditSheet->setText(sheet);
  if (result != EditResult->text()) EditResult->setText(result);
}

void SaveSheetTemplate(QWidget* parent, const BatchDialogDeps& deps, const QString& folder) {
  const QString title = QString::fromUtf8(kTemplateTitle);
  QString error;
  const sheets::SheetModule* module = LoadSheetModule(error);
  if (module == nullptr) {
    QMessageBox::critical(parent, title, error);
    return;
  }
  const QString name = QString::fromUtf8(kTemplateName);
  const QString path = deps.pickSave(parent, title, folder.isEmpty() ? name : QDir(folder).filePath(name),
                                     QString::fromUtf8(kXlsxFilter));
  if (path.isEmpty()) return;
  // The file dialog has asked before replacing; what may not be replaced is refused as a result is.
  std::string problem = module->resultObstacle(FileName(path));
  if (problem.empty()) problem = module->writeSheetTemplate(FileName(path));
  if (!problem.empty()) {
    QMessageBox::critical(parent, title, Text(problem));
    return;
  }
  QMessageBox::information(parent, title, messages::TemplateSaved(path));
}

}  // namespace quorvex::app

#include "batch_dialog.moc"
