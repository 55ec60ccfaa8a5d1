// 批量计算: computes a whole sheet (.xlsx, .csv, .jsonl) into a result file beside it, on a
// worker thread behind a progress dialog with 取消, and writes the fill-in template.
#pragma once

#include <QDialog>
#include <atomic>
#include <functional>

#include "sheets/sheet_module.h"

class QLineEdit;
class QPushButton;

namespace quorvex::app {

using SheetRunner = std::function<sheets::SheetSummary(const sheets::SheetJob&, const sheets::ProgressFunction&,
                                                       const std::atomic<bool>*)>;

// What the dialog asks of the outside world; tests pass their own.
struct BatchDialogDeps {
  // Asks for the sheet to compute, starting at `current`; "" when the user cancels.
  std::function<QString(QWidget* parent, const QString& current)> pickSheet;
  // Asks where to save a file (the result, or the template) under `title`, suggesting
  // `suggested` and offering `filter`; "" when the user cancels. It asks before replacing.
  std::function<QString(QWidget* parent, const QString& title, const QString& suggested, const QString& filter)>
      pickSave;
  // Computes the sheet; called on a worker thread. Empty: the sheet module's RunSheet.
  SheetRunner run;
};

// The file dialogs of the desktop, and the sheet runner of quorvex-calc from the sheet module,
// which the dialog loads when it first computes a sheet or writes the template.
BatchDialogDeps DefaultBatchDialogDeps();

// DefaultResultPath() puts the result beside the sheet, the same name with 结果 added and the
// same extension: "/a/工资表.xlsx" -> "/a/工资表结果.xlsx".
QString DefaultResultPath(const QString& sheet);

// SaveSheetTemplate() asks where to save the fill-in workbook (in `folder`, or the working
// folder when empty), writes it and says where it went, or why it could not.
void SaveSheetTemplate(QWidget* parent, const BatchDialogDeps& deps, const QString& folder);

class BatchDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit BatchDialog(QWidget* parent, BatchDialogDeps deps = DefaultBatchDialogDeps());
  ~BatchDialog() override;

  void BtnSheetClick();
  void BtnResultClick();
  void BtnStartClick();
  void BtnTemplateClick();

  // The sheet and result paths, which the window keeps from one opening to the next.
  QString SheetPath() const;
  QString ResultPath() const;
  void SetPaths(const QString& sheet, const QString& result);

 private:
  void EditSheetChange(const QString& text);
  // Runs `job` with `run` on a worker thread behind the progress dialog; returns once it has
  // ended.
  sheets::SheetSummary RunWithProgress(const sheets::SheetJob& job, const SheetRunner& run);
  void ShowSummary(const sheets::SheetSummary& summary, const QString& result);
  void ShowError(const QString& text);
  // The sheet module, loaded on first use; null (the error shown) when it cannot be.
  const sheets::SheetModule* Sheets();

  BatchDialogDeps deps_;
  QLineEdit* EditSheet = nullptr;
  QLineEdit* EditResult = nullptr;
  QPushButton* BtnSheet = nullptr;
  QPushButton* BtnResult = nullptr;
  QPushButton* BtnStart = nullptr;
  QPushButton* BtnTemplate = nullptr;
  QPushButton* BtnClose = nullptr;
  QString shownDefault_;  // the result path last filled in from the sheet's name
  QString confirmed_;     // a result path the save dialog has already asked to replace
};

}  // namespace quorvex::app
