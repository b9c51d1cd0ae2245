#pragma once
// Read access to the program's own RT_RCDATA resources.
#include <cstdint>
#include <optional>
#include <span>

namespace tk::platform {

class Resources {
protected:
    // Never deleted through this interface: the program owns each implementation whole.
    ~Resources() = default;

public:
    // The bytes of RT_RCDATA resource `id`, or nothing when there is no such resource.
    // The bytes stay valid for the life of the program.
    virtual std::optional<std::span<const std::uint8_t>> RawData(int id) = 0;
};

}  // namespace tk::platform
