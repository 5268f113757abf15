// A window target for benchmarks: the sink takes the time the moment a good
// reply's notification is posted (on the reader thread, before anything else
// happens) and wakes the benchmark's thread, which then reads that time.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>

#include "link/protocol_endpoint.h"
#include "platform/window_message.h"

namespace vesk::bench {

class ReplyClock {
  public:
    using Clock = std::chrono::steady_clock;

    ReplyClock();
    ~ReplyClock();
    ReplyClock(const ReplyClock&) = delete;
    ReplyClock& operator=(const ReplyClock&) = delete;

    // Points the endpoint's notifications here.
    void Attach(VeskSerial& endpoint) const;
    // Forgets an earlier reply; call before sending the request.
    void Arm();
    // The time of the good reply that came after Arm, or nothing after `limit`.
    std::optional<Clock::time_point> Wait(std::chrono::milliseconds limit);

  private:
    void OnMessage(std::uint32_t message, std::uintptr_t status);

    std::uint32_t message;
    std::mutex lock;
    std::condition_variable arrived;
    std::optional<Clock::time_point> replyTime;
    platform::WindowHandle window;  // last: its sink uses the members above
};

}  // namespace vesk::bench
