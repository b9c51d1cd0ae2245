// Test tool: does to the setup program's staged files (tk~XXXX.tmp) what any other program
// could try: open them for writing, open them for deleting, rename them.
//   tk_staged_watch FOLDER            one look
//   tk_staged_watch FOLDER STOPFILE   looks again and again until STOPFILE exists (10 minutes
//                                     at most); makes STOPFILE.ready once it has begun
// Prints "refused R taken T" (attempts refused with a sharing violation; attempts of which
// one succeeded) and a line for each success. Exit status 0 when every attempt was refused
// and there was at least one, 1 when one succeeded, 3 when no staged file was found.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

int refused = 0;
int taken = 0;

// One attempt at each way in; a file that went meanwhile counts for nothing.
void TryEveryWay(const std::string& name) {
    bool allRefused = true;
    bool anyTaken = false;
    const auto note = [&](bool succeeded, const char* what) {
        const DWORD error = succeeded ? 0 : ::GetLastError();
        anyTaken = anyTaken || succeeded;
        allRefused = allRefused && error == ERROR_SHARING_VIOLATION;
        if (succeeded) {
            std::printf("%s: %s\n", what, name.c_str());
        }
    };
    for (const DWORD access : {DWORD{GENERIC_WRITE}, DWORD{DELETE}}) {
        const HANDLE file = ::CreateFileA(name.c_str(), access,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        note(file != INVALID_HANDLE_VALUE,
             access == GENERIC_WRITE ? "opened for writing" : "opened for deleting");
        if (file != INVALID_HANDLE_VALUE) {
            ::CloseHandle(file);
        }
    }
    note(::MoveFileA(name.c_str(), (name + ".moved").c_str()) != 0, "renamed");
    refused += allRefused ? 1 : 0;
    taken += anyTaken ? 1 : 0;
}

void LookOnce(const std::string& folder) {
    WIN32_FIND_DATAA found;
    const HANDLE search = ::FindFirstFileA((folder + "\\tk~*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        TryEveryWay(folder + "\\" + found.cFileName);
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        return 2;
    }
    const std::string folder = argv[1];
    if (argc == 2) {
        LookOnce(folder);
    } else {
        const std::string stop = argv[2];
        const HANDLE ready = ::CreateFileA((stop + ".ready").c_str(), GENERIC_WRITE, 0, nullptr,
                                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ::CloseHandle(ready);
        const DWORD start = ::GetTickCount();
        while (::GetFileAttributesA(stop.c_str()) == INVALID_FILE_ATTRIBUTES &&
               ::GetTickCount() - start < 600000) {
            LookOnce(folder);
        }
    }
    std::printf("refused %d taken %d\n", refused, taken);
    return taken > 0 ? 1 : refused == 0 ? 3 : 0;
}
