// A channel for tests that records the bytes it is handed and counts hang-ups.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include "link/serial_channel.h"

namespace vesk::testing {

class RecordingSerial : public CXSerial {
  public:
    explicit RecordingSerial(platform::SerialBackend& backend = platform::SystemSerialBackend())
        : CXSerial(backend) {}
    ~RecordingSerial() override { Close(); }

    // The bytes received so far, after waiting (at most 5 s) for `count` of them.
    std::vector<std::uint8_t> WaitForBytes(std::size_t count) {
        std::unique_lock guard(lock);
        arrived.wait_for(guard, std::chrono::seconds(5), [&] { return received.size() >= count; });
        return received;
    }
    bool WaitForLost() {
        std::unique_lock guard(lock);
        return arrived.wait_for(guard, std::chrono::seconds(5), [&] { return lost > 0; });
    }
    int LostCount() {
        std::lock_guard guard(lock);
        return lost;
    }

  protected:
    void OnByte(std::uint8_t byte) override {
        std::lock_guard guard(lock);
        received.push_back(byte);
        arrived.notify_all();
    }
    void OnPortLost() override {
        std::lock_guard guard(lock);
        ++lost;
        arrived.notify_all();
    }

  private:
    std::mutex lock;
    std::condition_variable arrived;
    std::vector<std::uint8_t> received;
    int lost = 0;
};

}  // namespace vesk::testing
