// JPEG decoding: the shipped pictures, unreadable data, and a round trip through the encoder.
#include "ui/jpeg_image.h"

#include <turbojpeg.h>

#include <QColor>
#include <QFile>

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <vector>

namespace vesk::ui {
namespace {

QByteArray ReadResource(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot open " << path.toStdString();
        return {};
    }
    return file.readAll();
}

// A picture of four solid quadrants, encoded by TurboJPEG itself. Its rows of 90 bytes are not a
// multiple of four, so a decoder that ignores the padding of QImage rows shears it.
constexpr int kSide = 30;
const QColor kQuadrants[4] = {QColor(220, 30, 30), QColor(30, 200, 40), QColor(30, 40, 210),
                              QColor(240, 240, 40)};

int QuadrantAt(int x, int y) {
    return (y < kSide / 2 ? 0 : 2) + (x < kSide / 2 ? 0 : 1);
}

QByteArray EncodeQuadrants(int subsampling) {
    std::vector<unsigned char> rgb(kSide * kSide * 3);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            const QColor& colour = kQuadrants[QuadrantAt(x, y)];
            unsigned char* pixel = &rgb[(y * kSide + x) * 3];
            pixel[0] = static_cast<unsigned char>(colour.red());
            pixel[1] = static_cast<unsigned char>(colour.green());
            pixel[2] = static_cast<unsigned char>(colour.blue());
        }
    }
    tjhandle compressor = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long jpegSize = 0;
    const int result = tjCompress2(compressor, rgb.data(), kSide, 0, kSide, TJPF_RGB, &jpeg,
                                   &jpegSize, subsampling, 95, 0);
    tjDestroy(compressor);
    QByteArray encoded;
    if (result == 0) {
        encoded = QByteArray(reinterpret_cast<const char*>(jpeg), static_cast<qsizetype>(jpegSize));
    }
    tjFree(jpeg);
    return encoded;
}

TEST(DecodeJpegTest, ShippedPicturesDecodeAtTheirOwnSize) {
    const struct {
        const char* path;
        QSize size;
    } cases[] = {{":/vesk/images/module.jpg", {378, 379}}, {":/vesk/images/logo.jpg", {110, 50}}};
    for (const auto& c : cases) {
        const QImage image = DecodeJpeg(ReadResource(c.path));
        ASSERT_FALSE(image.isNull()) << c.path;
        EXPECT_EQ(image.size(), c.size) << c.path;
    }
}

QByteArray Truncated(const QByteArray& data) {
    return data.left(data.size() / 2);
}

QByteArray RandomBytes() {
    std::mt19937 generator(20);
    QByteArray bytes(4096, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(generator() & 0xFF);
    }
    return bytes;
}

// A valid tiny picture whose frame header claims 20000 x 20000 pixels.
QByteArray WithHugeDimensions() {
    QByteArray data = EncodeQuadrants(TJSAMP_444);
    const qsizetype sof = data.indexOf(QByteArray("\xFF\xC0", 2));
    if (sof < 0 || sof + 9 > data.size()) {
        ADD_FAILURE() << "no baseline frame header";
        return {};
    }
    for (qsizetype at : {sof + 5, sof + 7}) {  // height, then width, both big-endian
        data[at] = static_cast<char>(20000 >> 8);
        data[at + 1] = static_cast<char>(20000 & 0xFF);
    }
    return data;
}

TEST(DecodeJpegTest, UnreadableDataGivesANullImage) {
    const struct {
        const char* what;
        QByteArray data;
    } cases[] = {
        {"an empty array", {}},
        {"random bytes", RandomBytes()},
        {"only the start-of-image marker", QByteArray("\xFF\xD8", 2)},
        {"the first half of the module picture",
         Truncated(ReadResource(":/vesk/images/module.jpg"))},
        {"the first half of an encoded picture", Truncated(EncodeQuadrants(TJSAMP_444))},
        {"a picture that claims 20000 x 20000 pixels", WithHugeDimensions()},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(DecodeJpeg(c.data).isNull()) << c.what;
    }
}

TEST(DecodeJpegTest, EncodedColoursComeBackClose) {
    const struct {
        const char* what;
        int subsampling;
    } cases[] = {{"full chroma", TJSAMP_444}, {"quarter chroma", TJSAMP_420}};
    for (const auto& c : cases) {
        const QImage image = DecodeJpeg(EncodeQuadrants(c.subsampling));
        ASSERT_FALSE(image.isNull()) << c.what;
        ASSERT_EQ(image.size(), QSize(kSide, kSide)) << c.what;
        // Sample inside each quadrant, away from the edges where JPEG blurs colours together.
        for (int y : {kSide / 4, 3 * kSide / 4}) {
            for (int x : {kSide / 4, 3 * kSide / 4}) {
                const QColor expected = kQuadrants[QuadrantAt(x, y)];
                const QColor actual = image.pixelColor(x, y);
                EXPECT_LE(std::abs(actual.red() - expected.red()), 12) << c.what;
                EXPECT_LE(std::abs(actual.green() - expected.green()), 12) << c.what;
                EXPECT_LE(std::abs(actual.blue() - expected.blue()), 12) << c.what;
            }
        }
    }
}

TEST(DecodeJpegTest, GreyscalePictureDecodesToEqualChannels) {
    tjhandle compressor = tjInitCompress();
    std::vector<unsigned char> grey(kSide * kSide, 128);
    unsigned char* jpeg = nullptr;
    unsigned long jpegSize = 0;
    ASSERT_EQ(tjCompress2(compressor, grey.data(), kSide, 0, kSide, TJPF_GRAY, &jpeg, &jpegSize,
                          TJSAMP_GRAY, 95, 0),
              0);
    tjDestroy(compressor);
    const QImage image = DecodeJpeg(
        QByteArray(reinterpret_cast<const char*>(jpeg), static_cast<qsizetype>(jpegSize)));
    tjFree(jpeg);
    ASSERT_FALSE(image.isNull());
    const QColor centre = image.pixelColor(kSide / 2, kSide / 2);
    EXPECT_EQ(centre.red(), centre.green());
    EXPECT_EQ(centre.green(), centre.blue());
    EXPECT_LE(std::abs(centre.red() - 128), 3);
}

}  // namespace
}  // namespace vesk::ui
