// Registered window messages and posting across threads. A window target is a
// sink the UI registers; posting calls the sink on the poster's thread, so a
// sink must only queue the message (the Qt window turns it into a posted event)
// and never block. Everything here is safe from any thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

namespace vesk::platform {

using WindowHandle = std::uintptr_t;  // 0 is none
using MessageSink =
    std::function<void(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)>;

// The same name gives the same number for the life of the process; numbers
// start at 0xC000 as registered messages do. An empty name gives 0.
std::uint32_t RegisterWindowMessage(std::string_view name);

// Registers a sink and returns its handle, never 0.
WindowHandle RegisterWindowTarget(MessageSink sink);
// After this returns no post reaches the sink any more.
void UnregisterWindowTarget(WindowHandle window);

// Hands the message to the window's sink; false when no such window exists.
bool PostMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                 std::intptr_t lParam);

}  // namespace vesk::platform
