// A window target for the tests: the endpoint's notifications land in a queue
// that the test thread waits on with a time limit.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>

#include "platform/window_message.h"

namespace vesk::testing {

class NotificationQueue {
  public:
    NotificationQueue()
        : message(platform::RegisterWindowMessage("QuondaSerial_MSG_RECV_1")),
          window(platform::RegisterWindowTarget(
              [this](std::uint32_t, std::uintptr_t wParam, std::intptr_t) { Push(wParam); })) {}
    ~NotificationQueue() { platform::UnregisterWindowTarget(window); }

    platform::WindowHandle Window() const { return window; }
    std::uint32_t Message() const { return message; }

    // The next notification's wParam, or empty when none came within `limit`.
    std::optional<std::uintptr_t> Next(std::chrono::milliseconds limit) {
        std::unique_lock lock(mutex);
        if (!arrived.wait_for(lock, limit, [this] { return !pending.empty(); })) {
            return std::nullopt;
        }
        const std::uintptr_t wParam = pending.front();
        pending.pop_front();
        return wParam;
    }

  private:
    void Push(std::uintptr_t wParam) {
        {
            std::lock_guard lock(mutex);
            pending.push_back(wParam);
        }
        arrived.notify_one();
    }

    std::mutex mutex;
    std::condition_variable arrived;
    std::deque<std::uintptr_t> pending;
    std::uint32_t message;
    platform::WindowHandle window;
};

}  // namespace vesk::testing
