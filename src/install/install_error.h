#pragma once
// The one exception type of the installer: a failure that stops the install sequence,
// carrying the exact message the user is shown.
#include <stdexcept>
#include <string>

namespace tk::install {

class InstallError : public std::runtime_error {
public:
    explicit InstallError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace tk::install
