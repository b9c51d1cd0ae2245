// Test tool: stands in for "icacls" so a test can see how the access batch ran it.
// Copied as icacls.exe into the folder the batch starts in. Each run appends its
// arguments as one line to %TEMP%\tk-icacls.log, and copies the batch file that the first
// argument's folder holds (the data folder's) to %TEMP%\tk-acc-copy.bat.
#include <windows.h>

#include <string>

namespace {

void Append(const std::string& path, const std::string& bytes, DWORD disposition) {
    HANDLE file = ::CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
}

std::string ReadAll(const std::string& path) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return "<missing>";
    }
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        bytes.append(buffer, got);
    }
    ::CloseHandle(file);
    return bytes;
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

}  // namespace

int main(int argc, char** argv) {
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    const std::string folder(temp);
    Append(folder + "tk-icacls.log", Arguments() + "\n", OPEN_ALWAYS);
    if (argc > 1) {
        const std::string batch = ReadAll(std::string(argv[1]) + "\\acc.bat");
        if (batch != "<missing>") {
            Append(folder + "tk-acc-copy.bat", batch, CREATE_ALWAYS);
        }
    }
    return 0;
}
