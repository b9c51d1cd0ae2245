#pragma once
// The one exception type of the installer: a failure that stops the install sequence,
// carrying the exact message the user is shown. It keeps the message itself rather than
// deriving from std::runtime_error, whose message type would bring the library's second,
// reference-counted string implementation into the program.
#include <exception>
#include <string>
#include <utility>

namespace tk::install {

class InstallError : public std::exception {
public:
    explicit InstallError(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// The stop of a run that did nothing because another setup run on the computer still holds
// the setup-run lock (or an object that no administrator made holds its name). It ends with
// its own exit status, which deployment tools retry later.
class AnotherSetupRunError final : public InstallError {
public:
    using InstallError::InstallError;
};

}  // namespace tk::install
