#include "link/protocol_endpoint.h"

namespace vesk {

VeskSerial::VeskSerial(platform::SerialBackend& serialBackend) : CXSerial(serialBackend) {}

// The reader must end before this part of the object goes.
VeskSerial::~VeskSerial() {
    Close();
}

void VeskSerial::SetNotify(platform::WindowHandle window, std::uint32_t message) {
    std::lock_guard guard(replyLock);
    notifyWindow = window;
    notifyMessage = message;
}

bool VeskSerial::ReadAll() {
    const Frame& request = ReadRequest();
    return Send(request.data(), request.size());
}

bool VeskSerial::WriteAll(const ModuleParams* params) {
    if (params == nullptr || !IsOpen()) {
        return false;
    }
    const Frame request = BuildWriteRequest(*params);
    return Send(request.data(), request.size());
}

ModuleParams VeskSerial::LastReply() const {
    std::lock_guard guard(replyLock);
    return reply;
}

void VeskSerial::OnByte(std::uint8_t byte) {
    switch (assembler.Feed(byte)) {
        case ReplyAssembler::Outcome::kGoodFrame: {
            const ModuleParams decoded = DecodeSettings(assembler.Frame());
            {
                std::lock_guard guard(replyLock);
                reply = decoded;
            }
            Notify(kReplyGood);
            break;
        }
        case ReplyAssembler::Outcome::kBadChecksum:
            Notify(kReplyBadChecksum);
            break;
        case ReplyAssembler::Outcome::kNone:
            break;
    }
}

void VeskSerial::OnPortLost() {
    Notify(kPortLost);
}

void VeskSerial::Notify(Notification status) {
    platform::WindowHandle window = 0;
    std::uint32_t message = 0;
    {
        std::lock_guard guard(replyLock);
        window = notifyWindow;
        message = notifyMessage;
    }
    if (window != 0) {
        platform::PostMessage(window, message, status, 0);
    }
}

}  // namespace vesk
