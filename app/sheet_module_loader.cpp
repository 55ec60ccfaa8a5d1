#include "app/sheet_module_loader.h"

#include <dlfcn.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include "app/app_messages.h"
#include "app/product.h"

namespace quorvex::app {
namespace {

QString MissingText(const QString& why) {
  return messages::ModuleMissing(QString::fromUtf8(sheets::kSheetModuleFile), why);
}

}  // namespace

QString InstalledSheetModule(const QString& programFolder) {
  return QDir(programFolder)
      .filePath(QString::fromUtf8(kModuleDirFromProgram) + QLatin1Char('/') +
                QString::fromUtf8(sheets::kSheetModuleFile));
}

const sheets::SheetModule* LoadSheetModuleFrom(const std::string& file, QString& error) {
  // Never closed once taken: a run's threads may outlive any owner.
  void* handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    error = MissingText(QString::fromLocal8Bit(::dlerror()));
    return nullptr;
  }
  using Entry = const sheets::SheetModule* (*)();
  auto entry = reinterpret_cast<Entry>(::dlsym(handle, sheets::kSheetModuleEntry));
  const sheets::SheetModule* module = entry != nullptr ? entry() : nullptr;
  if (module == nullptr || module->version != sheets::SheetModule::kVersion) {
    error = MissingText(messages::ModuleVersion(QString::fromStdString(file)));
    ::dlclose(handle);
    return nullptr;
  }
  return module;
}

const sheets::SheetModule* LoadSheetModule(QString& error) {
  static const sheets::SheetModule* loaded = nullptr;
  if (loaded != nullptr) return loaded;
  const QString folder = QCoreApplication::applicationDirPath();
  std::string file = sheets::kSheetModuleFile;
  for (const QString& path : {InstalledSheetModule(folder), QDir(folder).filePath(QString::fromUtf8(file))}) {
    if (!QFile::exists(path)) continue;
    file = QFile::encodeName(path).toStdString();
    break;
  }
  loaded = LoadSheetModuleFrom(file, error);
  return loaded;
}

}  // namespace quorvex::app
