// GS1 element strings checked against the GS1 Barcode Syntax Dictionary: the
// application identifier (AI) is known, its data has the length and character
// set of its format, and passes the content checks ("linters") the dictionary
// names for it (check digit, dates, times, ...). The AI table is generated at
// build time from assets/gs1/gs1-syntax-dictionary.txt.
//
// Every check returns an empty string when the data passes, else one line that
// names the element and the rule, e.g. "AI (01): check digit is 1, not 4".
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kavren::detail {

// One component of an AI's data: a type (N digits, X the GS1 82-character set,
// Y the 39-character set, Z the 64-character set), a length, and the linters
// that check its content, as the dictionary writes them ("csum,gcppos2").
struct Gs1Component {
    char type;
    std::uint8_t minLength;
    std::uint8_t maxLength;
    bool optional;
    std::string_view linters;
};

// One dictionary entry: an AI or a range of AIs of the same number of digits.
struct Gs1Ai {
    std::string_view first;
    std::string_view last;
    bool predefinedLength;   // no FNC1 after its data (GS1 General Specifications 5.10.1)
    std::string_view format; // the components without linters, e.g. "N6 [N4]"
    std::uint8_t componentCount;
    std::array<Gs1Component, 5> components;
    // GS1 Digital Link: whether the AI is a primary key (the dictionary's
    // `dlpkey`), and its key qualifiers in their order, alternatives split
    // by '|' (e.g. "22,10,21|235"; empty: none).
    bool dlPrimaryKey;
    std::string_view dlQualifiers;
};

// Every entry of the dictionary, in its order.
std::span<const Gs1Ai> Gs1AiEntries();
// The entry of exactly this AI (2 to 4 digits), null when there is none.
const Gs1Ai* Gs1FindAi(std::string_view ai);
// Whether the AIs whose first two digits are `prefix` have a predefined length
// (no FNC1 after their data, GS1 General Specifications Figure 5.10.1-2): the
// dictionary's flag, and the prefixes the figure reserves for such AIs. False
// outside 0..99.
bool Gs1PredefinedLengthPrefix(int prefix);
// Linter names the dictionary uses that the check does not apply (they need
// registries such as GS1 company prefixes or ISO code lists).
std::span<const std::string_view> Gs1UncheckedLinters();
// Whether the check knows this linter name, applied or deliberately not.
bool Gs1IsKnownLinter(std::string_view name);

// The data of one element string against the format of its AI.
std::string Gs1CheckElement(std::string_view ai, std::string_view data);

// Where the data text marked an AI: the offset of its first digit in the
// encoded bytes and its number of digits.
struct Gs1Mark {
    std::size_t offset;
    std::size_t digits;
};

// Encoded GS1-128 data as a reader sees it: FNC1 first, then element strings,
// each one a predefined-length AI with exactly its length of data or an AI whose
// data runs to the next FNC1 or the end. A marked AI always starts an element
// string, so an element before it with variable length must end with an FNC1.
std::string Gs1CheckElementStrings(std::string_view bytes, char fnc1, std::span<const Gs1Mark> marks);

// A typed check digit (the last of `digits`) against the computed one.
std::string Gs1CheckTypedDigit(std::string_view ai, std::string_view digits);

} // namespace kavren::detail
