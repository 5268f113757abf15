#include "link/fake_serial_backend.h"

namespace vesk::testing {

using platform::IoResult;
using platform::WaitResult;

class FakeSerialDevice : public platform::SerialDevice {
  public:
    explicit FakeSerialDevice(std::shared_ptr<FakeSerialBackend::State> shared)
        : state(std::move(shared)) {
        std::lock_guard guard(state->lock);
        ++state->openDevices;
    }
    ~FakeSerialDevice() override {
        std::lock_guard guard(state->lock);
        --state->openDevices;
        Record("Release");
    }

    bool Purge(unsigned flags) override { return SetUp("Purge", std::to_string(flags)); }
    bool SetEventMask(unsigned mask) override {
        return SetUp("SetEventMask", std::to_string(mask));
    }
    bool SetZeroTimeouts() override { return SetUp("SetZeroTimeouts", ""); }
    bool ApplyLineSettings(const platform::LineSettings& s) override {
        return SetUp("ApplyLineSettings", std::to_string(s.baud) + " " + std::to_string(s.parity));
    }
    bool SetQueueSizes(std::size_t input, std::size_t output) override {
        return SetUp("SetQueueSizes", std::to_string(input) + " " + std::to_string(output));
    }

    WaitResult WaitForInput() override {
        std::unique_lock guard(state->lock);
        state->changed.wait(guard,
                            [&] { return interrupted || !state->input.empty() || state->hungUp; });
        if (interrupted) {
            return WaitResult::kInterrupted;
        }
        return state->input.empty() ? WaitResult::kHangUp : WaitResult::kDataReady;
    }

    void InterruptWait() override {
        std::lock_guard guard(state->lock);
        interrupted = true;
        state->changed.notify_all();
    }

    IoResult Read(std::uint8_t* buffer, std::size_t capacity) override {
        std::lock_guard guard(state->lock);
        std::size_t count = 0;
        while (count < capacity && !state->input.empty()) {
            buffer[count++] = state->input.front();
            state->input.pop_front();
        }
        if (count == 0) {
            return {state->hungUp ? IoResult::kHangUp : IoResult::kWouldBlock, 0};
        }
        return {IoResult::kOk, count};
    }

    IoResult Write(const std::uint8_t* data, std::size_t length, int) override {
        std::lock_guard guard(state->lock);
        Record("Write " + std::to_string(length));
        state->chunks.push_back(length);
        if (state->writeHangUp) {
            return {IoResult::kHangUp, 0};
        }
        if (state->writeTimeouts > 0) {
            --state->writeTimeouts;
            return {IoResult::kTimedOut, 0};
        }
        if (state->writeErrors > 0) {
            --state->writeErrors;
            return {IoResult::kError, 0};
        }
        state->written.insert(state->written.end(), data, data + length);
        return {IoResult::kOk, length};
    }

  private:
    bool SetUp(const std::string& name, const std::string& arguments) {
        std::lock_guard guard(state->lock);
        Record(arguments.empty() ? name : name + " " + arguments);
        return state->failing != name;
    }
    void Record(const std::string& call) {  // with the lock held
        state->calls.push_back(call);
        state->changed.notify_all();
    }

    std::shared_ptr<FakeSerialBackend::State> state;
    bool interrupted = false;  // guarded by state->lock
};

FakeSerialBackend::FakeSerialBackend() : state(std::make_shared<State>()) {}

std::unique_ptr<platform::SerialDevice> FakeSerialBackend::Open(unsigned portNumber) {
    {
        std::lock_guard guard(state->lock);
        state->calls.push_back("Open " + std::to_string(portNumber));
        if (state->present.count(portNumber) == 0) {
            return nullptr;
        }
    }
    return std::make_unique<FakeSerialDevice>(state);
}

bool FakeSerialBackend::Exists(unsigned portNumber) {
    std::lock_guard guard(state->lock);
    return state->present.count(portNumber) != 0;
}

void FakeSerialBackend::SetPresentPorts(std::set<unsigned> ports) {
    std::lock_guard guard(state->lock);
    state->present = std::move(ports);
}

void FakeSerialBackend::FailCall(const std::string& name) {
    std::lock_guard guard(state->lock);
    state->failing = name;
}

void FakeSerialBackend::TimeOutNextWrites(int count) {
    std::lock_guard guard(state->lock);
    state->writeTimeouts = count;
}

void FakeSerialBackend::FailNextWrites(int count) {
    std::lock_guard guard(state->lock);
    state->writeErrors = count;
}

void FakeSerialBackend::HangUpWrites() {
    std::lock_guard guard(state->lock);
    state->writeHangUp = true;
}

void FakeSerialBackend::Inject(const std::vector<std::uint8_t>& bytes) {
    std::lock_guard guard(state->lock);
    state->input.insert(state->input.end(), bytes.begin(), bytes.end());
    state->changed.notify_all();
}

void FakeSerialBackend::HangUp() {
    std::lock_guard guard(state->lock);
    state->hungUp = true;
    state->changed.notify_all();
}

std::vector<std::string> FakeSerialBackend::Calls() const {
    std::lock_guard guard(state->lock);
    return state->calls;
}

std::vector<std::size_t> FakeSerialBackend::Chunks() const {
    std::lock_guard guard(state->lock);
    return state->chunks;
}

std::vector<std::uint8_t> FakeSerialBackend::Written() const {
    std::lock_guard guard(state->lock);
    return state->written;
}

int FakeSerialBackend::OpenDevices() const {
    std::lock_guard guard(state->lock);
    return state->openDevices;
}

void FakeSerialBackend::ClearRecord() {
    std::lock_guard guard(state->lock);
    state->calls.clear();
    state->chunks.clear();
    state->written.clear();
}

}  // namespace vesk::testing
