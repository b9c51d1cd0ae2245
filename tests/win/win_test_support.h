#pragma once
// Helpers for the tests that run against the real Win32 API under Wine.
#include <windows.h>

#include <string>
#include <vector>

namespace tk::wintest {

// A new empty folder under the temporary folder, removed with its files at the end.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& Path() const { return path_; }  // ends without a backslash
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
std::vector<std::string> FileNames(const std::string& folder);  // sorted, files only
// A file's or folder's DACL: "protected" or "inherits", then one line per entry,
// "allow|other SID MASK FLAGS" (mask and flags in hex).
std::vector<std::string> DaclOf(const std::string& path);
// The folder of the running test program, with its backslash.
std::string ProgramFolder();
// The Windows build folder, with its backslash: the one that holds test-tools\ and
// standins\ (the test program's own folder, or the one above its sub-build).
std::string BuildFolder();
// Full path of a test tool (tests/win/tools), in the build folder's test-tools\.
std::string TestTool(const std::string& name);
// Runs a command line to its end; its exit status, or -1 when it could not be started.
int RunToEnd(std::string commandLine);

// Another process holding a file open without sharing, as a running program would, for
// as long as this object lives.
class HeldFile {
public:
    explicit HeldFile(const std::string& path);
    ~HeldFile();
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
    bool Held() const { return held_; }

private:
    PROCESS_INFORMATION process_{};
    std::string marker_;
    bool held_ = false;
};

}  // namespace tk::wintest
