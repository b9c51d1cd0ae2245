#include "app/command_line.h"

namespace tk::app {

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
    std::vector<std::string> arguments;
    std::size_t i = 0;
    const std::size_t n = commandLine.size();
    while (true) {
        while (i < n && (commandLine[i] == ' ' || commandLine[i] == '\t')) {
            ++i;
        }
        if (i >= n) {
            break;
        }
        std::string argument;
        bool quoted = false;
        while (i < n && (quoted || (commandLine[i] != ' ' && commandLine[i] != '\t'))) {
            if (commandLine[i] == '"') {
                quoted = !quoted;
            } else {
                argument += commandLine[i];
            }
            ++i;
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

std::optional<SilentCommand> ParseSilentCommand(const std::vector<std::string>& arguments) {
    if (arguments.size() >= 3 && arguments[0] == "-silent" &&
        (arguments[1] == "0" || arguments[1] == "1") && !arguments[2].empty()) {
        return SilentCommand{
            arguments[1] == "1" ? install::kClientEdition : install::kServerEdition, arguments[2]};
    }
    return std::nullopt;
}

}  // namespace tk::app
