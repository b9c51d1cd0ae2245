// Test tool: starts a program and ends it outright (as taskkill /F would) the moment a
// staged file "tk~*.tmp" appears in the folder.
//   tk_kill_when_staged FOLDER COMMAND_LINE
// Exit status 0 when it ended the program that way, 1 when the program ended first or
// could not be started.
#include <windows.h>

#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        return 2;
    }
    const std::string pattern = std::string(argv[1]) + "\\tk~*.tmp";
    std::string command = argv[2];
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
        return 1;
    }
    int status = 1;
    while (::WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
        WIN32_FIND_DATAA found;
        const HANDLE search = ::FindFirstFileA(pattern.c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            ::FindClose(search);
            if (::TerminateProcess(process.hProcess, 1)) {
                ::WaitForSingleObject(process.hProcess, INFINITE);
                status = 0;
            }
            break;
        }
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return status;
}
