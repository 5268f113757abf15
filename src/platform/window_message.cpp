#include "platform/window_message.h"

#include <map>
#include <mutex>
#include <shared_mutex>
#include <string>

namespace vesk::platform {
namespace {

constexpr std::uint32_t kFirstRegisteredMessage = 0xC000;

struct MessageRegistry {
    std::mutex lock;
    std::map<std::string, std::uint32_t, std::less<>> numbers;
};

struct TargetRegistry {
    // Posts share the lock, so unregistering waits for posts already running.
    std::shared_mutex lock;
    std::map<WindowHandle, MessageSink> sinks;
    WindowHandle nextHandle = 1;
};

MessageRegistry& Messages() {
    static MessageRegistry registry;
    return registry;
}

TargetRegistry& Targets() {
    static TargetRegistry registry;
    return registry;
}

}  // namespace

std::uint32_t RegisterWindowMessage(std::string_view name) {
    if (name.empty()) {
        return 0;
    }
    MessageRegistry& registry = Messages();
    std::lock_guard guard(registry.lock);
    auto found = registry.numbers.find(name);
    if (found != registry.numbers.end()) {
        return found->second;
    }
    const auto number =
        static_cast<std::uint32_t>(kFirstRegisteredMessage + registry.numbers.size());
    registry.numbers.emplace(std::string(name), number);
    return number;
}

WindowHandle RegisterWindowTarget(MessageSink sink) {
    TargetRegistry& registry = Targets();
    std::unique_lock guard(registry.lock);
    const WindowHandle handle = registry.nextHandle++;
    registry.sinks.emplace(handle, std::move(sink));
    return handle;
}

void UnregisterWindowTarget(WindowHandle window) {
    TargetRegistry& registry = Targets();
    std::unique_lock guard(registry.lock);
    registry.sinks.erase(window);
}

bool PostMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                 std::intptr_t lParam) {
    TargetRegistry& registry = Targets();
    std::shared_lock guard(registry.lock);
    auto found = registry.sinks.find(window);
    if (found == registry.sinks.end()) {
        return false;
    }
    found->second(message, wParam, lParam);
    return true;
}

}  // namespace vesk::platform
