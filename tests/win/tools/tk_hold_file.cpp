// Test tool: holds a file open without sharing, as a running program would.
//   tk_hold_file PATH MARKER SECONDS
// Creates MARKER once the file is held, then keeps it held for SECONDS.
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 4) {
        return 2;
    }
    HANDLE file = ::CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 1;
    }
    HANDLE marker = ::CreateFileA(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    ::CloseHandle(marker);
    ::Sleep(static_cast<DWORD>(std::atoi(argv[3])) * 1000);
    ::CloseHandle(file);
    return 0;
}
