// The text font carried inside the program (Liberation Sans Regular, Latin-1
// subset), generated at build time from assets/.
#pragma once

#include <cstddef>

namespace kavren::detail {

extern const unsigned char g_EmbeddedFont[];
extern const std::size_t g_EmbeddedFontSize;

} // namespace kavren::detail
