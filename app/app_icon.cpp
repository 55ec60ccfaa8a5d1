#include "app/app_icon.h"

#include <QDirIterator>

#include "app/product.h"

namespace quorvex::app {

QIcon BuiltInIcon() {
  QIcon icon;
  // Laid out as in the icon theme: :/icons/hicolor/<size>x<size>/apps/<id>.png.
  QDirIterator it(QStringLiteral(":/icons/hicolor"), {QLatin1String(kAppId) + QStringLiteral(".png")}, QDir::Files,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) icon.addFile(it.next());
  return icon;
}

QIcon ApplicationIcon() { return QIcon::fromTheme(QLatin1String(kAppId), BuiltInIcon()); }

}  // namespace quorvex::app
