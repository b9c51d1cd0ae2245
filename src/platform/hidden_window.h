#pragma once
// Hidden top-level windows whose messages are answered by a callable: a component that
// has no window of its own gets one to receive notifications and broadcasts.
#include <cstdint>
#include <memory>

namespace tk::platform {

// Answers one message (message number, wParam, lParam) with the window procedure's result.
using MessageHandler = std::intptr_t (*)(std::uint32_t message, std::uintptr_t wParam,
                                         std::intptr_t lParam);

// One open hidden window; destroying the object destroys the window.
class HiddenWindow {
public:
    virtual ~HiddenWindow() = default;
    virtual std::uintptr_t Handle() const = 0;
};

class HiddenWindows {
protected:
    // Never deleted through this interface: the program owns each implementation whole.
    ~HiddenWindows() = default;

public:
    // Creates a hidden window on the calling thread. Once it exists, every message it gets
    // goes to the handler and nowhere else. Nothing when the window cannot be made.
    virtual std::unique_ptr<HiddenWindow> Create(MessageHandler handler) = 0;
};

}  // namespace tk::platform
