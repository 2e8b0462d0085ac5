// Small value types that the engine, the image writers and the run driver
// exchange: colours, pixel rectangles and sizes, size units, and the one
// rounding rule every length computation uses.
#pragma once

#include <kavren/kavren.h>

#include <algorithm>
#include <cstdint>
#include <limits>

namespace kavren::detail {

// 0x00BBGGRR: red in bits 0-7, green in 8-15, blue in 16-23; the top byte is unused.
using Colour = std::uint32_t;

// Image area in raster pixels; width is right - left, height bottom - top.
struct Rect {
    std::int32_t left = 0;
    std::int32_t right = 0;
    std::int32_t top = 0;
    std::int32_t bottom = 0;
};

struct Size {
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// Unit of an x-dimension or of a symbol length: the options' own.
using SizeUnit = kavren::Unit;

// The value, saturated at the ends of the int32 range.
inline std::int32_t Clamp32(std::int64_t value)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

// Nearest integer, halves away from zero (2.5 -> 3, -2.5 -> -3). Values beyond
// the int32 range saturate at its ends.
std::int32_t RoundHalfAway(double value);

} // namespace kavren::detail
