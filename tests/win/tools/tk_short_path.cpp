// Test tool: prints the short (8.3) form of a path as the system gives it, or the path
// itself when there is none.   tk_short_path PATH
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        return 2;
    }
    char shortPath[MAX_PATH] = {};
    const DWORD length = ::GetShortPathNameA(argv[1], shortPath, MAX_PATH);
    std::fputs(length > 0 && length < MAX_PATH ? shortPath : argv[1], stdout);
    return 0;
}
