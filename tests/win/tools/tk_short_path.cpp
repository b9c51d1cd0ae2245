// Test tool: prints the short form of a path as the system gives it (Wine's short names are
// hashed, so expectations cannot be worked out by hand).
//   tk_short_path PATH    exit 1 when the system gives no short form
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        return 2;
    }
    char shortPath[MAX_PATH] = {};
    const DWORD length = ::GetShortPathNameA(argv[1], shortPath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return 1;
    }
    std::printf("%s\n", shortPath);
    return 0;
}
