// Registered messages and cross-thread posting to window targets.
#include "platform/window_message.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace vesk::platform {
namespace {

TEST(WindowMessageTest, TheSameNameGivesTheSameNumberAndOthersDiffer) {
    const std::uint32_t first = RegisterWindowMessage("QuondaSerial_MSG_RECV_1");
    EXPECT_GE(first, 0xC000u);
    EXPECT_EQ(RegisterWindowMessage("QuondaSerial_MSG_RECV_1"), first);
    EXPECT_NE(RegisterWindowMessage("another message"), first);
    EXPECT_EQ(RegisterWindowMessage(""), 0u);
}

TEST(WindowMessageTest, RegistrationIsConsistentAcrossThreads) {
    std::vector<std::uint32_t> numbers(8);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        threads.emplace_back(
            [&, i] { numbers[i] = RegisterWindowMessage("shared across threads"); });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (std::uint32_t number : numbers) {
        EXPECT_EQ(number, numbers[0]);
    }
}

TEST(WindowMessageTest, PostsReachTheirTargetUntilItIsUnregistered) {
    std::atomic<int> received{0};
    std::uintptr_t lastWParam = 0;
    const WindowHandle window = RegisterWindowTarget(
        [&](std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
            EXPECT_EQ(message, 0xC001u);
            EXPECT_EQ(lParam, 0);
            lastWParam = wParam;
            ++received;
        });
    EXPECT_NE(window, 0u);
    EXPECT_TRUE(PostMessage(window, 0xC001, 7, 0));
    EXPECT_EQ(received, 1);
    EXPECT_EQ(lastWParam, 7u);
    UnregisterWindowTarget(window);
    EXPECT_FALSE(PostMessage(window, 0xC001, 8, 0));
    EXPECT_FALSE(PostMessage(0, 0xC001, 8, 0));
    EXPECT_EQ(received, 1);
}

TEST(WindowMessageTest, UnregisteringWhilePostersRunIsSafe) {
    std::atomic<int> received{0};
    const WindowHandle window =
        RegisterWindowTarget([&](std::uint32_t, std::uintptr_t, std::intptr_t) { ++received; });
    std::atomic<bool> stop{false};
    std::thread poster([&] {
        while (!stop) {
            PostMessage(window, 0xC001, 0, 0);
        }
    });
    while (received < 100) {
        std::this_thread::yield();
    }
    UnregisterWindowTarget(window);
    const int atUnregister = received;
    stop = true;
    poster.join();
    EXPECT_EQ(received, atUnregister);
}

}  // namespace
}  // namespace vesk::platform
