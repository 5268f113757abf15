// A window target for tests: collects the messages posted to it and lets the
// test wait for them with a bound.
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
        : handle(platform::RegisterWindowTarget(
              [this](std::uint32_t message, std::uintptr_t wParam, std::intptr_t) {
                  std::lock_guard guard(lock);
                  posted.push_back({message, wParam});
                  arrived.notify_all();
              })) {}
    ~NotificationQueue() { platform::UnregisterWindowTarget(handle); }

    struct Posted {
        std::uint32_t message;
        std::uintptr_t wParam;
    };

    platform::WindowHandle Handle() const { return handle; }

    // The next message, or empty when none comes within `timeout`.
    std::optional<Posted> Next(std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        std::unique_lock guard(lock);
        if (!arrived.wait_for(guard, timeout, [&] { return !posted.empty(); })) {
            return std::nullopt;
        }
        Posted first = posted.front();
        posted.pop_front();
        return first;
    }

    // Only the next message's wParam, for tests that watch one endpoint.
    std::optional<std::uintptr_t> NextWParam(std::chrono::milliseconds timeout) {
        const std::optional<Posted> next = Next(timeout);
        return next ? std::optional<std::uintptr_t>(next->wParam) : std::nullopt;
    }

    std::size_t Pending() {
        std::lock_guard guard(lock);
        return posted.size();
    }

  private:
    std::mutex lock;
    std::condition_variable arrived;
    std::deque<Posted> posted;
    platform::WindowHandle handle;
};

}  // namespace vesk::testing
