// The installed program finds its sheet module where the install put it, and the module loads
// (its libraries resolve, its entry is exported) and computes.
#include <QTemporaryDir>
#include <QtTest>

#include "app/sheet_module_loader.h"

using quorvex::app::InstalledSheetModule;
using quorvex::app::LoadSheetModuleFrom;

class InstalledModuleTest : public QObject {
  Q_OBJECT

 private slots:
  void theInstalledProgramFindsAWorkingModule() {
    const QString tree = qEnvironmentVariable("QUORVEX_INSTALL_TREE");
    QVERIFY(!tree.isEmpty());
    const QString module = InstalledSheetModule(tree + "/usr/bin");
    QVERIFY2(QFileInfo::exists(module), qPrintable(module));
    QString error;
    const quorvex::sheets::SheetModule* sheets = LoadSheetModuleFrom(QFile::encodeName(module).toStdString(), error);
    QVERIFY2(sheets != nullptr, qPrintable(error));
    QTemporaryDir dir;
    const std::string book = QFile::encodeName(dir.filePath("模板.xlsx")).toStdString();
    QCOMPARE(sheets->writeSheetTemplate(book), std::string());
    QVERIFY(sheets->formatOfPath(book) == quorvex::sheets::Format::kXlsx);
  }
};

QTEST_MAIN(InstalledModuleTest)
#include "installed_module_test.moc"
