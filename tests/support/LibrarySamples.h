// Valid data for every symbology, in number order, for host programs of the
// library: its threading test and its soak benchmark render each of them.
// Beyond plain digits: GS1 element strings, a Code 93 control character.
#pragma once

#include <cstddef>
#include <iterator>

namespace kt {

inline constexpr const char* kLibrarySampleData[] = {
    "1234567",
    "1234567",
    "CODE39",
    "Code39ext",
    "123-45",
    "A40156B",
    "1234567",
    "Kavren-128",
    "12",
    "52495",
    "9638507",
    "590123412345",
    "1234567890123",
    "03600029145",
    "04210000526",
    "<AI01>12345678901231<AI10>ABC",
    "0034012345678901234",
    "12345",
    "12345",
    "CODE93",
    "Code 93~0D",
    "1540014128876",
};
static_assert(std::size(kLibrarySampleData) == 22);

} // namespace kt
