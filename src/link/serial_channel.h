// CXSerial owns one COM port: it opens and configures it, writes buffers to it
// and runs a reader thread that hands every received byte, in arrival order, to
// OnByte. PortExists tells whether a port could be opened.
//
// Threading: the owner's thread calls every public operation; Send may also be
// called from other threads (writers are serialised). The reader thread only
// reads and calls OnByte, and OnPortLost once if the device goes away. The
// reader waits for input without polling, and Close signals it and joins it,
// so closing is immediate. A class derived from CXSerial must call Close in its
// own destructor, so no byte reaches a partly destroyed object.
//
// Errors are results: Open and Send return false, nothing throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/serial_device.h"

namespace vesk {

bool PortExists(unsigned portNumber);

class CXSerial {
  public:
    explicit CXSerial(platform::SerialBackend& backend = platform::SystemSerialBackend());
    virtual ~CXSerial();
    CXSerial(const CXSerial&) = delete;
    CXSerial& operator=(const CXSerial&) = delete;

    bool IsOpen() const;
    // Opens COM`port` and starts the reader. A failed set-up call releases the
    // port again, so a false result always leaves the object Closed.
    bool Open(unsigned port, int baud, int parity);
    // Stops the reader and releases the port; always true.
    bool Close();
    // Same port and open: only the line settings change. Otherwise Open.
    bool Configure(unsigned port, int baud, int parity);
    // Applies speed and parity to the open port and makes no other call.
    bool SetLineFormat(int baud, int parity);
    // Writes the whole buffer in chunks of at most 1024 bytes; false unless
    // every byte went. A chunk that fails is retried at most kMaxRetries
    // times; one that has not gone within kWriteTimeoutMs purges the output
    // and fails the send (a retry after the purge would hide what it dropped).
    bool Send(const std::uint8_t* data, std::size_t length);

    unsigned PortNumber() const { return portNumber; }
    int BaudRate() const { return baudRate; }
    int Parity() const { return parity; }

    static constexpr std::size_t kChunkSize = 1024;
    static constexpr std::size_t kQueueSize = 1024;
    static constexpr int kWriteTimeoutMs = 1000;
    static constexpr int kMaxRetries = 3;
    static constexpr unsigned kEventMask = 0x69;  // received char, CTS, RLSD, break

  protected:
    // Called on the reader thread for each received byte.
    virtual void OnByte(std::uint8_t byte) = 0;
    // Called on the reader thread when the device hangs up; the reader has then
    // ended and the port stays held until Close.
    virtual void OnPortLost() {}

  private:
    bool StartReader();
    void StopReader();
    void ReaderLoop(platform::SerialDevice& device);

    platform::SerialBackend& portBackend;
    unsigned portNumber = 1;
    int baudRate = 9600;
    int parity = 0;
    mutable std::mutex writeLock;  // serialises writers and guards `device`
    std::unique_ptr<platform::SerialDevice> device;
    std::thread readerThread;
};

}  // namespace vesk
