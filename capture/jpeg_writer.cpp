#include "capture/jpeg_writer.h"

#include <QImage>
#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <cstring>
#include <new>

#include <jpeglib.h>
// After jpeglib.h, which it needs.
#include <jerror.h>

namespace quorvex::capture {
namespace {

// libjpeg's error manager extended with the jump back into Compress(). libjpeg's own
// error_exit would end the process; ours returns control to the caller instead.
struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void ExitOnError(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*err->base.format_message)(cinfo, err->message);
  // libjpeg's C frames cannot carry an exception; jumping back to the caller is the only way out.
  std::longjmp(err->jump, 1);  // NOLINT(cert-err52-cpp)
}

// Warnings are not fatal and are not printed.
void OutputNothing(j_common_ptr) {}

// A destination that collects the encoded bytes in a growing QByteArray.
struct Destination {
  jpeg_destination_mgr base;
  QByteArray* bytes;
};

constexpr qsizetype kChunk = qsizetype{64} * 1024;

// Makes room for kChunk more bytes after the first `used` ones; false when out of memory.
// No exception may pass through libjpeg's C frames, so it is caught here.
bool Grow(Destination* dest, qsizetype used) {
  try {
    dest->bytes->resize(used + kChunk);
  } catch (const std::bad_alloc&) {
    return false;
  }
  dest->base.next_output_byte = reinterpret_cast<JOCTET*>(dest->bytes->data()) + used;
  dest->base.free_in_buffer = static_cast<size_t>(kChunk);
  return true;
}

void InitDestination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
  if (!Grow(dest, 0)) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
  // libjpeg calls this only when the whole buffer is full.
  auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
  if (!Grow(dest, dest->bytes->size())) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 1);
  return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
  dest->bytes->truncate(dest->bytes->size() - static_cast<qsizetype>(dest->base.free_in_buffer));
}

// Encodes the RGB888 picture `rgb` into `*bytes`. Between setjmp and a longjmp back to it
// only plain C structures live in this frame, so the jump skips no destructor.
// Returns false with libjpeg's message in `message` on any error.
bool Compress(const QImage& rgb, int quality, QByteArray* bytes, char* message) {
  jpeg_compress_struct cinfo{};
  ErrorManager err{};
  Destination dest{};
  cinfo.err = jpeg_std_error(&err.base);
  err.base.error_exit = ExitOnError;
  err.base.output_message = OutputNothing;
  if (setjmp(err.jump) != 0) {  // NOLINT(cert-err52-cpp): see ExitOnError
    jpeg_destroy_compress(&cinfo);
    std::memcpy(message, err.message, sizeof err.message);
    return false;
  }
  jpeg_create_compress(&cinfo);
  dest.base.init_destination = InitDestination;
  dest.base.empty_output_buffer = EmptyOutputBuffer;
  dest.base.term_destination = TermDestination;
  dest.bytes = bytes;
  cinfo.dest = &dest.base;

  cinfo.image_width = static_cast<JDIMENSION>(rgb.width());
  cinfo.image_height = static_cast<JDIMENSION>(rgb.height());
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPLE*>(rgb.constScanLine(static_cast<int>(cinfo.next_scanline)));
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return true;
}

}  // namespace

bool EncodeJpeg(const QImage& image, int quality, QByteArray* out, QString* error) {
  if (image.isNull()) {
    *error = QStringLiteral("图像为空");
    return false;
  }
  const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
  if (rgb.isNull()) {
    *error = QStringLiteral("内存不足");
    return false;
  }
  QByteArray bytes;
  char message[JMSG_LENGTH_MAX] = {};
  if (!Compress(rgb, quality, &bytes, message)) {
    *error = QString::fromLocal8Bit(message);
    return false;
  }
  *out = std::move(bytes);
  return true;
}

}  // namespace quorvex::capture
