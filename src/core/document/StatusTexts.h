#pragma once

#include <cstdint>
#include <string>

namespace vtm {

// The three status-bar read-outs: position, value under the cursor, distance to the mouse.
std::string PositionText(std::int64_t offset);
std::string ValueText(const std::string &valueLabel, std::uint8_t v);
std::string DistanceText(std::int64_t distance);

} // namespace vtm
