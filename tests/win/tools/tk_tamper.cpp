// Test tool: tries what another program could do to a file that somebody may hold.
//   tk_tamper PATH
// Exit status: the sum of what worked, in this order: 16 read (opened as a batch
// interpreter opens it), 1 opened for writing, 2 renamed (and renamed back), 4 replaced by
// another file, 8 deleted.
#include <windows.h>

#include <string>

namespace {

bool Opens(const std::string& path, DWORD access, DWORD share) {
    HANDLE file = ::CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    char byte = 0;
    DWORD got = 0;
    const bool ok = (access & GENERIC_WRITE) != 0 || ::ReadFile(file, &byte, 1, &got, nullptr);
    ::CloseHandle(file);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        return 100;
    }
    const std::string path = argv[1];
    const std::string moved = path + ".moved";
    const std::string other = path + ".other";
    int worked = 0;
    if (Opens(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE)) {
        worked += 16;
    }
    if (Opens(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE)) {
        worked += 1;
    }
    if (::MoveFileA(path.c_str(), moved.c_str())) {
        worked += 2;
        ::MoveFileA(moved.c_str(), path.c_str());
    }
    HANDLE replacement = ::CreateFileA(other.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
    ::CloseHandle(replacement);
    if (::MoveFileExA(other.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        worked += 4;
    }
    ::DeleteFileA(other.c_str());
    if (::DeleteFileA(path.c_str())) {
        worked += 8;
    }
    return worked;
}
