#include "reply_clock.h"

namespace vesk::bench {

ReplyClock::ReplyClock()
    : message(platform::RegisterWindowMessage("VeskBenchReply")),
      window(platform::RegisterWindowTarget([this](std::uint32_t posted, std::uintptr_t status,
                                                   std::intptr_t) { OnMessage(posted, status); })) {
}

ReplyClock::~ReplyClock() {
    platform::UnregisterWindowTarget(window);
}

void ReplyClock::Attach(VeskSerial& endpoint) const {
    endpoint.SetNotify(window, message);
}

void ReplyClock::Arm() {
    std::lock_guard guard(lock);
    replyTime.reset();
}

std::optional<ReplyClock::Clock::time_point> ReplyClock::Wait(std::chrono::milliseconds limit) {
    std::unique_lock guard(lock);
    arrived.wait_for(guard, limit, [this] { return replyTime.has_value(); });
    return replyTime;
}

void ReplyClock::OnMessage(std::uint32_t posted, std::uintptr_t status) {
    const Clock::time_point now = Clock::now();  // first, so the lock is not counted
    if (posted != message || status != VeskSerial::kReplyGood) {
        return;
    }
    {
        std::lock_guard guard(lock);
        if (!replyTime) {
            replyTime = now;
        }
    }
    arrived.notify_one();
}

}  // namespace vesk::bench
