#include "link/serial_channel.h"

#include <algorithm>
#include <system_error>

namespace vesk {

using platform::IoResult;
using platform::WaitResult;

bool PortExists(unsigned portNumber) {
    return platform::SystemSerialBackend().Exists(portNumber);
}

CXSerial::CXSerial(platform::SerialBackend& serialBackend) : portBackend(serialBackend) {}

CXSerial::~CXSerial() {
    Close();
}

bool CXSerial::IsOpen() const {
    std::lock_guard guard(writeLock);
    return device != nullptr;
}

bool CXSerial::Open(unsigned port, int baud, int parityCode) {
    Close();
    portNumber = port;
    baudRate = baud;
    parity = parityCode;

    std::unique_ptr<platform::SerialDevice> opened = portBackend.Open(port);
    if (!opened) {
        return false;
    }
    opened->Purge(platform::kPurgeAll);  // its result does not matter
    // Stop at the first failing call; the device is released on the way out.
    if (!opened->SetEventMask(kEventMask) || !opened->SetZeroTimeouts() ||
        !opened->ApplyLineSettings({baud, parityCode}) ||
        !opened->SetQueueSizes(kQueueSize, kQueueSize)) {
        return false;
    }
    {
        std::lock_guard guard(writeLock);
        device = std::move(opened);
    }
    if (!StartReader()) {
        Close();
        return false;
    }
    return true;
}

bool CXSerial::Close() {
    StopReader();
    std::lock_guard guard(writeLock);
    device.reset();
    return true;
}

bool CXSerial::Configure(unsigned port, int baud, int parityCode) {
    parity = parityCode;
    if (IsOpen() && port == portNumber) {
        return SetLineFormat(baud, parityCode);
    }
    return Open(port, baud, parityCode);
}

bool CXSerial::SetLineFormat(int baud, int parityCode) {
    std::lock_guard guard(writeLock);
    if (!device) {
        return false;
    }
    parity = parityCode;
    return device->ApplyLineSettings({baud, parityCode});
}

bool CXSerial::Send(const std::uint8_t* data, std::size_t length) {
    std::lock_guard guard(writeLock);
    if (!device || (data == nullptr && length > 0)) {
        return false;
    }
    std::size_t sent = 0;
    int retries = 0;
    do {
        const std::size_t chunk = std::min(length - sent, kChunkSize);
        const IoResult result = device->Write(data + sent, chunk, kWriteTimeoutMs);
        switch (result.status) {
            case IoResult::kOk:
                sent += chunk;
                retries = 0;
                break;
            case IoResult::kHangUp:
                return false;  // no retry can reach a device that is gone
            case IoResult::kTimedOut:
                // The purge drops what the driver still holds, earlier chunks of
                // this buffer included, and empties a line whose peer stopped
                // reading, so a retry would report bytes as sent that never
                // went: a time-out ends the send.
                device->Purge(platform::kPurgeTxClear);
                return false;
            default:
                // The whole chunk goes again.
                if (++retries > kMaxRetries) {
                    return false;
                }
                break;
        }
    } while (sent < length);
    return true;
}

bool CXSerial::StartReader() {
    platform::SerialDevice* reading = nullptr;
    {
        std::lock_guard guard(writeLock);
        reading = device.get();
    }
    if (reading == nullptr) {
        return false;
    }
    // Done here rather than on the new thread, so that a reply arriving right
    // after Open returns is never thrown away by a purge that comes late.
    reading->Purge(platform::kPurgeAll);
    try {
        readerThread = std::thread([this, reading] { ReaderLoop(*reading); });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void CXSerial::StopReader() {
    if (!readerThread.joinable()) {
        return;
    }
    {
        std::lock_guard guard(writeLock);
        if (device) {
            device->InterruptWait();
        }
    }
    readerThread.join();
}

void CXSerial::ReaderLoop(platform::SerialDevice& reading) {
    std::uint8_t buffer[kChunkSize];
    for (;;) {
        const WaitResult waited = reading.WaitForInput();
        if (waited == WaitResult::kInterrupted) {
            return;
        }
        if (waited != WaitResult::kDataReady) {
            OnPortLost();
            return;
        }
        const IoResult result = reading.Read(buffer, sizeof buffer);
        // The whole batch is delivered before the stop request is looked at again.
        for (std::size_t i = 0; i < result.count; ++i) {
            OnByte(buffer[i]);
        }
        if (result.status == IoResult::kHangUp || result.status == IoResult::kError) {
            // A device that fails its reads would wake the wait again at once:
            // ending here is what keeps a pulled cable from spinning a core.
            OnPortLost();
            return;
        }
    }
}

}  // namespace vesk
