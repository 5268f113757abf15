#include "ui/jpeg_image.h"

#include <turbojpeg.h>

#include <memory>

namespace vesk::ui {
namespace {

struct DecompressorDeleter {
    void operator()(void* handle) const { tjDestroy(handle); }
};
using Decompressor = std::unique_ptr<void, DecompressorDeleter>;

}  // namespace

QImage DecodeJpeg(const QByteArray& jpegData) {
    if (jpegData.isEmpty()) {
        return {};
    }
    Decompressor decompressor(tjInitDecompress());
    if (!decompressor) {
        return {};
    }
    const auto* data = reinterpret_cast<const unsigned char*>(jpegData.constData());
    const auto size = static_cast<unsigned long>(jpegData.size());

    int width = 0;
    int height = 0;
    int subsampling = 0;
    int colourspace = 0;
    if (tjDecompressHeader3(decompressor.get(), data, size, &width, &height, &subsampling,
                            &colourspace) != 0) {
        return {};
    }
    if (width <= 0 || height <= 0 || width > kMaxJpegSide || height > kMaxJpegSide) {
        return {};
    }

    QImage image(width, height, QImage::Format_RGB888);
    if (image.isNull()) {
        return {};
    }
    // Any warning counts as failure too (TurboJPEG reports a truncated stream as one), so a
    // half-decoded picture is never shown.
    if (tjDecompress2(decompressor.get(), data, size, image.bits(), width,
                      static_cast<int>(image.bytesPerLine()), height, TJPF_RGB,
                      TJFLAG_STOPONWARNING) != 0) {
        return {};
    }
    return image;
}

}  // namespace vesk::ui
