#pragma once
// The command line: splitting it into arguments and the silent-mode rule.
#include <string>
#include <vector>

namespace tk::app {

// Splits a command line the way the installer has always read it: arguments are separated
// by blanks or tabs, double quotes group text and are removed, and a backslash is an
// ordinary character (so "C:\Program Files\X\" keeps its final backslash). The first
// element is the program itself.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

struct SilentRequest {
    bool silent = false;
    std::string edition;  // "0" or "1"
    std::string folder;
};

// Silent exactly when argument 1 is "-silent", argument 2 is "0" or "1" and argument 3
// is not empty; compared as whole strings, case-sensitively. `arguments` excludes the
// program itself.
SilentRequest EvaluateSilentRule(const std::vector<std::string>& arguments);

}  // namespace tk::app
