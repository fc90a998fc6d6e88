#include "ui/jpegpicture.h"

#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE declared first

#include <jpeglib.h>

namespace {

// libjpeg's default error handler ends the process; this one jumps back to
// the decoding step so that a bad picture is just a failed decode.
struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

struct Decoder {
  jpeg_decompress_struct info;
  ErrorManager error;
};

extern "C" void jumponerror(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1); }

// Warnings (cut-off or corrupt data) are counted by libjpeg and judged after
// decoding; nothing is printed.
extern "C" void staysilent(j_common_ptr) {}

// The functions that call setjmp hold no objects with destructors, so the
// long jump skips nothing that needs cleaning up.
bool readheader(Decoder& decoder, const unsigned char* data, unsigned long size) {
  if (setjmp(decoder.error.jump)) return false;
  jpeg_create_decompress(&decoder.info);
  jpeg_mem_src(&decoder.info, data, size);
  jpeg_read_header(&decoder.info, TRUE);
  decoder.info.out_color_space = JCS_EXT_BGRX;
  jpeg_start_decompress(&decoder.info);
  return true;
}

bool readlines(Decoder& decoder, unsigned char* pixels, long bytesperline) {
  if (setjmp(decoder.error.jump)) return false;
  while (decoder.info.output_scanline < decoder.info.output_height) {
    JSAMPROW row = pixels + static_cast<long>(decoder.info.output_scanline) * bytesperline;
    jpeg_read_scanlines(&decoder.info, &row, 1);
  }
  jpeg_finish_decompress(&decoder.info);
  return decoder.error.base.num_warnings == 0;
}

}  // namespace

namespace ui {

QImage decodejpeg(const QByteArray& bytes) {
  Decoder decoder{};
  decoder.info.err = jpeg_std_error(&decoder.error.base);
  decoder.error.base.error_exit = jumponerror;
  decoder.error.base.output_message = staysilent;

  const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
  bool ok = !bytes.isEmpty() && readheader(decoder, data, static_cast<unsigned long>(bytes.size()));
  QImage image;
  if (ok) {
    image = QImage(static_cast<int>(decoder.info.output_width), static_cast<int>(decoder.info.output_height),
                   QImage::Format_RGB32);
    ok = !image.isNull() && readlines(decoder, image.bits(), static_cast<long>(image.bytesPerLine()));
  }
  jpeg_destroy_decompress(&decoder.info);
  return ok ? image : QImage();
}

}  // namespace ui
