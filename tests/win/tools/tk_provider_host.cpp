// Test tool: hosts the provider-control component the way the setup program does, from
// wherever this program file was copied to.
//   tk_provider_host             construct the component and free it again
//   tk_provider_host installed   also ask whether the provider is installed; exit 1 if not
#include <cstring>

#include "platform/win32/win32_files.h"
#include "platform/win32/win32_hidden_window.h"
#include "platform/win32/win32_protocol_catalogue.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_system.h"
#include "provider/calmwall.h"

int main(int argc, char** argv) {
    tk::platform::win32::Win32Files files;
    tk::platform::win32::Win32System system;
    tk::platform::win32::Win32Shell shell;
    tk::platform::win32::Win32ProtocolCatalogue catalogue;
    tk::platform::win32::Win32HiddenWindows windows;
    tk::provider::TVoFirewall firewall(0, {files, system, shell, catalogue, windows});
    if (argc == 2 && std::strcmp(argv[1], "installed") == 0) {
        return firewall.IsInstalled() ? 0 : 1;
    }
    return 0;
}
