#pragma once
// Types shared with the filter library's notifications.
#include <array>
#include <cstdint>

namespace tk::provider {

enum class TDataType : std::int32_t { dtTCP = 0, dtUDP = 1 };

// One connection as the filter library describes it. The library owns the layout; the
// setup program passes the record through without reading it.
struct TFirewallData {
    std::array<std::uint8_t, 300> bytes{};
};
static_assert(sizeof(TFirewallData) == 300, "the library sends 300-byte records");

}  // namespace tk::provider
