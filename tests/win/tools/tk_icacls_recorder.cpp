// Test tool: stands in for "icacls" so a test can see how the access batch ran it.
// Copied as icacls.exe into the system folder, where the batch finds it. Each run appends its
// arguments as one line to %TEMP%\tk-icacls.log, and copies the batch file that the first
// argument's folder holds (the data folder's) to %TEMP%\tk-acc-copy.bat. With
// TK_ICACLS_SECONDS set it then runs that many seconds and appends its arguments to
// %TEMP%\tk-icacls-ended.log; it exits with TK_ICACLS_STATUS (0 when unset).
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

void Append(const std::string& path, const std::string& bytes) {
    HANDLE file = ::CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

// The command line without the program's own name.
std::string Arguments() {
    const std::string line = ::GetCommandLineA();
    std::size_t at = 0;
    if (!line.empty() && line[0] == '"') {
        at = line.find('"', 1);
        at = at == std::string::npos ? line.size() : at + 1;
    } else {
        at = line.find(' ');
        at = at == std::string::npos ? line.size() : at;
    }
    while (at < line.size() && line[at] == ' ') {
        ++at;
    }
    return line.substr(at);
}

int Number(const char* name) {
    char value[32] = {};
    const DWORD length = ::GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? std::atoi(value) : 0;
}

}  // namespace

int main(int argc, char** argv) {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    const std::string folder(temp);
    Append(folder + "tk-icacls.log", Arguments() + "\n");
    if (argc > 1) {
        ::CopyFileA((std::string(argv[1]) + "\\acc.bat").c_str(),
                    (folder + "tk-acc-copy.bat").c_str(), FALSE);
    }
    if (const int seconds = Number("TK_ICACLS_SECONDS"); seconds > 0) {
        ::Sleep(static_cast<DWORD>(seconds) * 1000);
        Append(folder + "tk-icacls-ended.log", Arguments() + "\n");
    }
    return Number("TK_ICACLS_STATUS");
}
