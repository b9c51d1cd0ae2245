/* Stand-in for one of the programs the setup program installs. Started, it appends one
 * line, "<own file name><TAB><full command line>", to %TEMP%\tidykiosk-standin.log and
 * exits at once without a window, so tests can see what was started and how. */
#include <windows.h>
#include <string.h>

#ifndef STANDIN_ROLE
#error "STANDIN_ROLE names the program this stands in for"
#endif

/* Kept in the file so every stand-in differs from the others. */
const char standinRole[] = "tidyKiosk stand-in: " STANDIN_ROLE;

static void Append(char* buffer, size_t size, const char* text) {
    size_t used = strlen(buffer);
    size_t add = strlen(text);
    if (used + add >= size) {
        add = size - used - 1;
    }
    memcpy(buffer + used, text, add);
    buffer[used + add] = '\0';
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    char logPath[MAX_PATH + 32] = "";
    char self[MAX_PATH] = "";
    static char line[8192];
    const char* name = self;
    const char* p;
    HANDLE log = INVALID_HANDLE_VALUE;
    DWORD written = 0;
    int attempt;
    (void)instance;
    (void)previous;
    (void)commandLine;
    (void)show;

    if (GetEnvironmentVariableA("TEMP", logPath, MAX_PATH) == 0 &&
        GetTempPathA(MAX_PATH, logPath) == 0) {
        return 1;
    }
    if (logPath[0] != '\0' && logPath[strlen(logPath) - 1] != '\\') {
        Append(logPath, sizeof logPath, "\\");
    }
    Append(logPath, sizeof logPath, "tidykiosk-standin.log");

    GetModuleFileNameA(NULL, self, sizeof self);
    for (p = self; *p != '\0'; ++p) {
        if (*p == '\\' || *p == '/') {
            name = p + 1;
        }
    }
    Append(line, sizeof line, name);
    Append(line, sizeof line, "\t");
    Append(line, sizeof line, GetCommandLineA());
    Append(line, sizeof line, "\r\n");

    /* Several stand-ins may start at once: wait for the log briefly instead of losing a line. */
    for (attempt = 0; attempt < 50 && log == INVALID_HANDLE_VALUE; ++attempt) {
        log = CreateFileA(logPath, FILE_APPEND_DATA, FILE_SHARE_READ, NULL, OPEN_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, NULL);
        if (log == INVALID_HANDLE_VALUE) {
            Sleep(20);
        }
    }
    if (log == INVALID_HANDLE_VALUE) {
        return 1;
    }
    WriteFile(log, line, (DWORD)strlen(line), &written, NULL);
    CloseHandle(log);
    return 0;
}
