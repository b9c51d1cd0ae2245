#pragma once
// The command line: splitting it into arguments and the silent-mode rule.
#include <optional>
#include <string>
#include <vector>

#include "install/catalogue.h"

namespace tk::app {

// Splits a command line the way the installer has always read it: arguments are separated
// by blanks or tabs, double quotes group text and are removed, and a backslash is an
// ordinary character (so "C:\Program Files\X\" keeps its final backslash). The first
// element is the program itself.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// The silent form of the command line: its edition and its folder, as typed.
struct SilentCommand {
    install::EditionCode edition = install::kServerEdition;
    std::string folder;
};

// Silent exactly when argument 1 is "-silent", argument 2 is "0" or "1" and argument 3
// is not empty; compared as whole strings, case-sensitively. Nothing for any other command
// line, which opens the wizard. `arguments` excludes the program itself.
std::optional<SilentCommand> ParseSilentCommand(const std::vector<std::string>& arguments);

}  // namespace tk::app
