#pragma once
#include "platform/hidden_window.h"

namespace tk::platform::win32 {

class Win32HiddenWindows final : public HiddenWindows {
public:
    static constexpr const char* kClassName = "tkProviderWindow";
    std::unique_ptr<HiddenWindow> Create(MessageHandler handler) override;
};

}  // namespace tk::platform::win32
