#pragma once

#include <QByteArray>
#include <QImage>

namespace vesk::ui {

// Decodes a complete JPEG file with libjpeg-turbo into an RGB image. Empty, truncated or corrupt
// data, and pictures larger than kMaxJpegSide pixels on a side, give a null image: a picture is
// either decoded whole or not at all.
QImage DecodeJpeg(const QByteArray& jpegData);

inline constexpr int kMaxJpegSide = 16384;

}  // namespace vesk::ui
