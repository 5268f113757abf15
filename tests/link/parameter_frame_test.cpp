// The request frames and the decoding of a reply's settings block.
#include "link/parameter_frame.h"

#include <gtest/gtest.h>

#include "link/frame_fixtures.h"

namespace vesk {
namespace {

TEST(ParameterFrameTest, ReadRequestIsTheConstantFrameWithAWrappedChecksum) {
    const Frame expected = {0xAF, 0xAF, 0x00, 0x00, 0xAF, 0x80, 0x02, 0x0E, 0x00,
                            0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                            0x00, 0x00, 0x00, 0x00, 0x9D, 0x0D, 0x0A};
    EXPECT_EQ(ReadRequest(), expected);
    EXPECT_EQ(Checksum(expected.data(), 22), 0x9D);  // the bytes sum to 0x29D
}

TEST(ParameterFrameTest, WriteRequestOfTheWindowDefaultsIsTheDocumentedFrame) {
    EXPECT_EQ(BuildWriteRequest(testing::WindowDefaults()), testing::kDefaultWriteFrame);
}

TEST(ParameterFrameTest, WriteRequestAlwaysCarriesCommandOneWhateverTheRecordSays) {
    ModuleParams params = testing::WindowDefaults();
    params.command = 0x02;
    EXPECT_EQ(BuildWriteRequest(params), testing::kDefaultWriteFrame);
}

TEST(ParameterFrameTest, DecodingTakesTheCommandAndEveryFieldFromItsOffset) {
    ModuleParams params{0, 8, 2, 868.0, 12, 2, 9, 0x12, 0x34, 255, 1, 4, 5};
    const Frame frame = BuildFrame(0x7E, params);
    params.command = 0x7E;
    EXPECT_EQ(DecodeSettings(frame.data()), params);
}

}  // namespace
}  // namespace vesk
