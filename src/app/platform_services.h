#pragma once
// The Win32 implementations of every platform interface, owned for the whole run.
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_hidden_window.h"
#include "platform/win32/win32_protocol_catalogue.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_security.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_system.h"

namespace tk::app {

struct PlatformServices {
    platform::win32::Win32Files files;
    platform::win32::Win32Resources resources;
    platform::win32::Win32System system;
    platform::win32::Win32Registry registry;
    platform::win32::Win32Shell shell;
    platform::win32::Win32Security security;
    platform::win32::Win32ProtocolCatalogue catalogue;
    platform::win32::Win32HiddenWindows hiddenWindows;
};

}  // namespace tk::app
