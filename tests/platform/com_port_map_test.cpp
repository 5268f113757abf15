// COM numbers to devices: the built-in table, the virtual-port directory that
// overrides it, and the Win32 device-name rule.
#include "platform/com_port_map.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "support/sim_process.h"

namespace vesk::platform {
namespace {

TEST(ComPortMapTest, BuiltInTableCoversEachDeviceFamily) {
    const struct {
        unsigned port;
        const char* device;
    } cases[] = {
        {1, "/dev/ttyUSB0"},  {16, "/dev/ttyUSB15"}, {17, "/dev/ttyACM0"}, {32, "/dev/ttyACM15"},
        {33, "/dev/ttyS0"},   {64, "/dev/ttyS31"},   {65, "/dev/ttyAMA0"}, {72, "/dev/ttyAMA7"},
        {73, "/dev/rfcomm0"}, {80, "/dev/rfcomm7"},  {0, nullptr},         {81, nullptr},
        {255, nullptr},       {256, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.port);
        const std::optional<std::string> path = BuiltInDevicePath(c.port);
        if (c.device == nullptr) {
            EXPECT_FALSE(path);
        } else {
            EXPECT_EQ(path, c.device);
        }
    }
}

TEST(ComPortMapTest, Win32NamesUseTheLongFormFromTen) {
    EXPECT_EQ(Win32DeviceName(1), "COM1");
    EXPECT_EQ(Win32DeviceName(9), "COM9");
    EXPECT_EQ(Win32DeviceName(10), "\\\\.\\COM10");
    EXPECT_EQ(Win32DeviceName(255), "\\\\.\\COM255");
}

TEST(ComPortMapTest, VirtualPortDirectoryFollowsXdgRuntimeDir) {
    testing::ScopedRuntimeDir runtime;
    EXPECT_EQ(VirtualPortDirectory(), runtime.Path() + "/vesk-ports");
    EXPECT_EQ(VirtualPortPath(12), runtime.Path() + "/vesk-ports/COM12");
    setenv("XDG_RUNTIME_DIR", "", 1);
    EXPECT_EQ(VirtualPortDirectory(), "/tmp/vesk-ports-" + std::to_string(getuid()));
}

TEST(ComPortMapTest, AVirtualEntryOverridesTheTableForItsNumberOnly) {
    testing::ScopedRuntimeDir runtime;
    ASSERT_EQ(mkdir(VirtualPortDirectory().c_str(), 0700), 0);
    ASSERT_EQ(symlink("/dev/null", VirtualPortPath(3).c_str()), 0);
    ASSERT_EQ(symlink("/nonexistent", VirtualPortPath(200).c_str()), 0);
    EXPECT_EQ(DevicePathForPort(3), VirtualPortPath(3));
    EXPECT_EQ(DevicePathForPort(200), VirtualPortPath(200));  // a dangling entry still wins
    EXPECT_EQ(DevicePathForPort(4), "/dev/ttyUSB3");
    EXPECT_FALSE(DevicePathForPort(150));
    EXPECT_FALSE(DevicePathForPort(0));
    EXPECT_FALSE(DevicePathForPort(256));
}

}  // namespace
}  // namespace vesk::platform
