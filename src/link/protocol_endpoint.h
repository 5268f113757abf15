// VeskSerial is the module's end of the link: it sends the read-all and
// write-all requests, finds reply frames in the received bytes and tells the
// window, across threads, what arrived.
//
// Notification: the registered message is posted to the window with wParam
// kReplyGood (a frame with a matching checksum was decoded), kReplyBadChecksum
// (a complete frame failed its checksum; the last reply is unchanged) or
// kPortLost (the device went away and the reader has ended; the window should
// Close). lParam is 0. Nothing is posted while no window is set.
//
// The last good reply is written on the reader thread and read on the window's
// thread; it is guarded by a lock and handed out as a copy by LastReply, so a
// reply arriving while the window reads cannot tear it.
#pragma once

#include <cstdint>
#include <mutex>

#include "link/parameter_frame.h"
#include "link/reply_assembler.h"
#include "link/serial_channel.h"
#include "platform/window_message.h"

namespace vesk {

class VeskSerial : public CXSerial {
  public:
    enum Notification : std::uintptr_t {
        kReplyGood = 0,
        kReplyBadChecksum = 1,
        kPortLost = 2,
    };

    explicit VeskSerial(platform::SerialBackend& serialBackend = platform::SystemSerialBackend());
    ~VeskSerial() override;

    void SetNotify(platform::WindowHandle window, std::uint32_t message);
    bool ReadAll();
    bool WriteAll(const ModuleParams* params);

    // Settings of the last reply whose checksum matched; undefined (zero)
    // before the first one.
    ModuleParams LastReply() const;

  protected:
    void OnByte(std::uint8_t byte) override;
    void OnPortLost() override;

  private:
    void Notify(Notification status);

    mutable std::mutex replyLock;
    ModuleParams reply;
    // Set before the port opens and read on the reader thread; guarded by replyLock.
    platform::WindowHandle notifyWindow = 0;
    std::uint32_t notifyMessage = 0;
    ReplyAssembler assembler;  // reader thread only
};

}  // namespace vesk
