// The narrow seam between the serial channel and the operating system: one
// open port, and the backend that opens ports by COM number. The POSIX
// implementation lives in platform/posix; tests put a scriptable fake here.
//
// Threading: one reader thread (WaitForInput, Read) and one writer thread
// (everything else) may share a device; InterruptWait may be called from any
// thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace vesk::platform {

// Line format of the PC side: 8 data bits and 1 stop bit always.
struct LineSettings {
    int baud = 9600;
    int parity = 0;  // 0 none, 1 odd, 2 even

    friend bool operator==(const LineSettings&, const LineSettings&) = default;
};

enum PurgeFlags : unsigned {
    kPurgeTxAbort = 1,
    kPurgeRxAbort = 2,
    kPurgeTxClear = 4,
    kPurgeRxClear = 8,
    kPurgeAll = 15,
};

enum class WaitResult {
    kDataReady,    // Read will return bytes (or report a hang-up)
    kInterrupted,  // InterruptWait was called
    kHangUp,       // the device went away
    kError,
};

struct IoResult {
    enum Status { kOk, kWouldBlock, kTimedOut, kHangUp, kError };
    Status status = kOk;
    std::size_t count = 0;  // bytes moved, also when the status is not kOk
};

class SerialDevice {
  public:
    virtual ~SerialDevice() = default;

    // Set-up calls, made by Open in this order.
    virtual bool Purge(unsigned purgeFlags) = 0;
    virtual bool SetEventMask(unsigned mask) = 0;
    virtual bool SetZeroTimeouts() = 0;
    virtual bool ApplyLineSettings(const LineSettings& settings) = 0;
    virtual bool SetQueueSizes(std::size_t input, std::size_t output) = 0;

    // Blocks until input is waiting, the device hangs up, or InterruptWait.
    virtual WaitResult WaitForInput() = 0;
    // Wakes the current and every later WaitForInput with kInterrupted.
    virtual void InterruptWait() = 0;
    // Reads what is waiting, at most `capacity` bytes, without blocking.
    virtual IoResult Read(std::uint8_t* buffer, std::size_t capacity) = 0;
    // Writes all of `length` bytes within `timeoutMs`; count says how many went.
    virtual IoResult Write(const std::uint8_t* data, std::size_t length, int timeoutMs) = 0;
};

class SerialBackend {
  public:
    virtual ~SerialBackend() = default;
    // Opens port COMn exclusively; null when it is absent, busy or not a serial device.
    virtual std::unique_ptr<SerialDevice> Open(unsigned portNumber) = 0;
    // Whether Open would find a device it may use, without disturbing it.
    virtual bool Exists(unsigned portNumber) = 0;
};

// The backend of this operating system, chosen at build time.
SerialBackend& SystemSerialBackend();

}  // namespace vesk::platform
