#include "app/chart_picture.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include "app/save_dialog.h"
#include "capture/save_file.h"

namespace quorvex::app {
namespace {

constexpr char kFilter[] = "PNG(*.png)";
constexpr char kSuffix[] = "png";
constexpr char kWarningTitle[] = "保存图片";

}  // namespace

void SaveChartPicture(QWidget* owner, const QImage& picture, const Services& services) {
  const QString target = AskSavePath(owner, services, kFilter, kSuffix);
  if (target.isEmpty()) return;
  // Encoded in memory first (Qt's own PNG writer, no plug-in), then written in one go.
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, kSuffix);
  QString reason;
  int why = 0;
  if (!writer.write(picture)) {
    reason = writer.errorString();
  } else if (capture::WriteFileReplacing(target, bytes, &reason, &why)) {
    return;
  }
  WarnNotSaved(owner, kWarningTitle, target, reason, why);
}

}  // namespace quorvex::app
