/* Stand-in for one of the libraries the setup program installs. */
#include <windows.h>

#ifndef STANDIN_ROLE
#error "STANDIN_ROLE names the library this stands in for"
#endif

__declspec(dllexport) const char* TidyKioskStandIn(void) {
    return "tidyKiosk stand-in: " STANDIN_ROLE;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}
