// A scriptable serial backend: records every call and every chunk written,
// fails any named set-up call, makes writes time out or fail, and delivers
// injected bytes or a hang-up to the reader.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/serial_device.h"

namespace vesk::testing {

class FakeSerialBackend : public platform::SerialBackend {
  public:
    FakeSerialBackend();

    std::unique_ptr<platform::SerialDevice> Open(unsigned portNumber) override;
    bool Exists(unsigned portNumber) override;

    // Script.
    void SetPresentPorts(std::set<unsigned> ports);
    void FailCall(const std::string& name);  // "Purge", "SetEventMask", ...
    void TimeOutNextWrites(int count);
    void FailNextWrites(int count);
    void HangUpWrites();
    void Inject(const std::vector<std::uint8_t>& bytes);
    void HangUp();

    // Record.
    std::vector<std::string> Calls() const;
    std::vector<std::size_t> Chunks() const;
    std::vector<std::uint8_t> Written() const;
    int OpenDevices() const;
    void ClearRecord();

  private:
    friend class FakeSerialDevice;
    struct State {
        mutable std::mutex lock;
        mutable std::condition_variable changed;
        std::set<unsigned> present{1, 2, 3, 4, 12};
        std::string failing;
        int writeTimeouts = 0;
        int writeErrors = 0;
        bool writeHangUp = false;
        std::deque<std::uint8_t> input;
        bool hungUp = false;
        std::vector<std::string> calls;
        std::vector<std::size_t> chunks;
        std::vector<std::uint8_t> written;
        int openDevices = 0;
    };
    std::shared_ptr<State> state;
};

}  // namespace vesk::testing
