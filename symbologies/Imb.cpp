// USPS Intelligent Mail barcode (USPS-B-3200): a 20-digit tracking code and a
// routing ZIP Code of 0, 5, 9 or 11 digits as one 102-bit number, an 11-bit
// CRC over it, ten codewords, ten 13-bit characters and 65 bars.
#include "symbologies/FourState.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace kavren::detail {
namespace {

constexpr std::size_t kTrackingDigits = 20;
constexpr int kCharacterBits = 13;
constexpr std::uint16_t kCharacterMask = (1U << kCharacterBits) - 1U;

constexpr std::uint16_t Reverse13(std::uint16_t value)
{
    std::uint16_t reversed = 0;
    for (int bit = 0; bit < kCharacterBits; ++bit) {
        reversed = static_cast<std::uint16_t>((reversed << 1) | ((value >> bit) & 1U));
    }
    return reversed;
}

// USPS-B-3200 Tables of N of 13 characters, by their construction: every
// 13-bit value with N bits set, in increasing order, each followed by its bit
// reversal when that is larger; the values equal to their reversal fill the
// table from its end.
template <std::size_t Size> constexpr std::array<std::uint16_t, Size> NOf13Table(int ones)
{
    std::array<std::uint16_t, Size> table{};
    std::size_t lower = 0;
    std::size_t upper = Size - 1;
    for (std::uint16_t value = 0; value <= kCharacterMask; ++value) {
        if (std::popcount(value) != ones) {
            continue;
        }
        const std::uint16_t reversed = Reverse13(value);
        if (reversed < value) {
            continue;
        }
        if (reversed == value) {
            table[upper--] = value;
        } else {
            table[lower++] = value;
            table[lower++] = reversed;
        }
    }
    return table;
}

// The construction's invariants: N bits each, the pairs first-increasing and
// mutually reversed, then `palindromes` values that are their own reversal,
// decreasing; together they make the values distinct.
template <std::size_t Size>
constexpr bool IsNOf13Table(const std::array<std::uint16_t, Size>& table, int ones, std::size_t palindromes)
{
    const std::size_t pairs = Size - palindromes;
    for (std::size_t i = 0; i < Size; ++i) {
        if (std::popcount(table[i]) != ones || table[i] > kCharacterMask) {
            return false;
        }
    }
    for (std::size_t i = 0; i < pairs; i += 2) {
        if (table[i + 1] != Reverse13(table[i]) || table[i] >= table[i + 1] ||
            (i > 0 && table[i - 2] >= table[i])) {
            return false;
        }
    }
    for (std::size_t i = pairs; i < Size; ++i) {
        if (Reverse13(table[i]) != table[i] || (i > pairs && table[i - 1] <= table[i])) {
            return false;
        }
    }
    return pairs % 2 == 0;
}

// 13 choose 5 and 13 choose 2 values; a palindrome of 13 bits has its middle
// bit and pairs around it, so 6 choose 2 of the 5-of-13 values and 6 choose 1
// of the 2-of-13 values are palindromes.
constexpr auto kTable5Of13 = NOf13Table<1287>(5);
constexpr auto kTable2Of13 = NOf13Table<78>(2);
static_assert(IsNOf13Table(kTable5Of13, 5, 15));
static_assert(IsNOf13Table(kTable2Of13, 2, 6));
static_assert(kTable5Of13[0] == 0x001F && kTable5Of13[1] == 0x1F00 && kTable2Of13[0] == 0x0003);

// USPS-B-3200 bar to character table: for bars 1 to 65 from the left, the
// character (A..J) and bit (0 least significant) that sets its descender, then
// those of its ascender.
struct BarSource {
    char descenderCharacter;
    std::uint8_t descenderBit;
    char ascenderCharacter;
    std::uint8_t ascenderBit;
};
static constexpr std::array<BarSource, 65> kBarSources = {{
    {'H', 2, 'E', 3},  {'B', 10, 'A', 0},  {'J', 12, 'C', 8}, {'F', 5, 'G', 11}, {'I', 9, 'D', 1},  // 1-5
    {'A', 1, 'F', 12}, {'C', 5, 'B', 8},   {'E', 4, 'J', 11}, {'G', 3, 'I', 10}, {'D', 9, 'H', 6},  // 6-10
    {'F', 11, 'B', 4}, {'I', 5, 'C', 12},  {'J', 10, 'A', 2}, {'H', 1, 'G', 7},  {'D', 6, 'E', 9},  // 11-15
    {'A', 3, 'I', 6},  {'G', 4, 'C', 7},   {'B', 1, 'J', 9},  {'H', 10, 'F', 2}, {'E', 0, 'D', 8},  // 16-20
    {'G', 2, 'A', 4},  {'I', 11, 'B', 0},  {'J', 8, 'D', 12}, {'C', 6, 'H', 7},  {'F', 1, 'E', 10}, // 21-25
    {'B', 12, 'G', 9}, {'H', 3, 'I', 0},   {'F', 8, 'J', 7},  {'E', 6, 'C', 10}, {'D', 4, 'A', 5},  // 26-30
    {'I', 4, 'F', 7},  {'H', 11, 'B', 9},  {'G', 0, 'J', 6},  {'A', 6, 'E', 8},  {'C', 1, 'D', 2},  // 31-35
    {'F', 9, 'I', 12}, {'E', 11, 'G', 1},  {'J', 5, 'H', 4},  {'D', 3, 'B', 2},  {'A', 7, 'C', 0},  // 36-40
    {'B', 3, 'E', 1},  {'G', 10, 'D', 5},  {'I', 7, 'J', 4},  {'C', 11, 'F', 6}, {'A', 8, 'H', 12}, // 41-45
    {'E', 2, 'I', 1},  {'F', 10, 'D', 0},  {'J', 3, 'A', 9},  {'G', 5, 'C', 4},  {'H', 8, 'B', 7},  // 46-50
    {'F', 0, 'E', 5},  {'C', 3, 'A', 10},  {'G', 12, 'J', 2}, {'D', 11, 'B', 6}, {'I', 8, 'H', 9},  // 51-55
    {'F', 4, 'A', 11}, {'B', 5, 'C', 2},   {'J', 1, 'E', 12}, {'I', 3, 'G', 6},  {'H', 0, 'D', 7},  // 56-60
    {'E', 7, 'H', 5},  {'A', 12, 'B', 11}, {'C', 9, 'J', 0},  {'G', 8, 'F', 3},  {'D', 10, 'I', 2}, // 61-65
}};

// Each of the 130 character bits drives exactly one bar half.
constexpr bool EveryBitOnce()
{
    std::array<int, 10 * kCharacterBits> uses{};
    for (const BarSource& bar : kBarSources) {
        for (const auto& [character, bit] : {std::pair{bar.descenderCharacter, bar.descenderBit},
                                             std::pair{bar.ascenderCharacter, bar.ascenderBit}}) {
            if (character < 'A' || character > 'J' || bit >= kCharacterBits) {
                return false;
            }
            ++uses[static_cast<std::size_t>(character - 'A') * kCharacterBits + bit];
        }
    }
    for (const int count : uses) {
        if (count != 1) {
            return false;
        }
    }
    return true;
}
static_assert(EveryBitOnce());

// The 102-bit binary data: four 32-bit limbs, least significant first.
class CWideValue {
  public:
    explicit CWideValue(std::uint64_t value)
        : m_Limbs{static_cast<std::uint32_t>(value), static_cast<std::uint32_t>(value >> 32), 0, 0}
    {
    }

    void MultiplyAdd(std::uint32_t factor, std::uint32_t addend)
    {
        std::uint64_t carry = addend;
        for (std::uint32_t& limb : m_Limbs) {
            const std::uint64_t product = std::uint64_t{limb} * factor + carry;
            limb = static_cast<std::uint32_t>(product);
            carry = product >> 32;
        }
    }

    // Divides in place and returns the remainder.
    std::uint32_t DivideBy(std::uint32_t divisor)
    {
        std::uint64_t remainder = 0;
        for (std::size_t i = m_Limbs.size(); i-- > 0;) {
            const std::uint64_t current = (remainder << 32) | m_Limbs[i];
            m_Limbs[i] = static_cast<std::uint32_t>(current / divisor);
            remainder = current % divisor;
        }
        return static_cast<std::uint32_t>(remainder);
    }

    // The low 104 bits as 13 bytes, most significant first.
    std::array<std::uint8_t, 13> Bytes() const
    {
        std::array<std::uint8_t, 13> bytes{};
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const std::size_t bit = 8 * (bytes.size() - 1 - i);
            bytes[i] = static_cast<std::uint8_t>(m_Limbs[bit / 32] >> (bit % 32));
        }
        return bytes;
    }

  private:
    std::array<std::uint32_t, 4> m_Limbs;
};

// USPS-B-3200 step 1: the routing code as 0, or its value plus one plus the
// count of all shorter routing codes; then the tracking code's digits, the
// second of them in base 5.
CWideValue BinaryData(std::string_view tracking, std::string_view routing)
{
    std::uint64_t value = 0;
    for (const char digit : routing) {
        value = value * 10 + static_cast<std::uint64_t>(digit - '0');
    }
    if (routing.size() >= 5) {
        value += 1;
    }
    if (routing.size() >= 9) {
        value += 100000;
    }
    if (routing.size() >= 11) {
        value += 1000000000;
    }
    CWideValue binary(value);
    binary.MultiplyAdd(10, static_cast<std::uint32_t>(tracking[0] - '0'));
    binary.MultiplyAdd(5, static_cast<std::uint32_t>(tracking[1] - '0'));
    for (const char digit : tracking.substr(2)) {
        binary.MultiplyAdd(10, static_cast<std::uint32_t>(digit - '0'));
    }
    return binary;
}

// USPS-B-3200 step 2: CRC-11, generator 0xF35, preset to 0x7FF, over the 102
// data bits (the 13 bytes without the first byte's two leading zero bits).
std::uint16_t FrameCheckSequence(const std::array<std::uint8_t, 13>& bytes)
{
    constexpr std::uint16_t kGenerator = 0x0F35;
    std::uint16_t fcs = 0x07FF;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const int first = i == 0 ? 2 : 0;
        // The byte's next bit at 0x400, level with the register's top bit.
        std::uint16_t data = static_cast<std::uint16_t>(bytes[i] << (3 + first));
        for (int bit = first; bit < 8; ++bit) {
            const bool feedback = ((fcs ^ data) & 0x0400) != 0;
            fcs = static_cast<std::uint16_t>(((fcs << 1) ^ (feedback ? kGenerator : 0)) & 0x07FF);
            data = static_cast<std::uint16_t>(data << 1);
        }
    }
    return fcs;
}

// Steps 3 to 5: codewords A..J (J base 636, B..I base 1365, A the rest), J
// doubled for orientation, A raised by 659 for the CRC's top bit; each
// codeword a character of the 5-of-13 table, or past it of the 2-of-13 table,
// inverted where the CRC's low ten bits have a one.
std::array<std::uint16_t, 10> Characters(CWideValue binary, std::uint16_t fcs)
{
    std::array<std::uint32_t, 10> codewords{};
    codewords[9] = binary.DivideBy(636);
    for (std::size_t i = 8; i >= 1; --i) {
        codewords[i] = binary.DivideBy(1365);
    }
    codewords[0] = binary.DivideBy(1365); // below 659: the data is under 102 bits
    codewords[9] *= 2;
    if ((fcs & 0x0400) != 0) {
        codewords[0] += 659;
    }
    std::array<std::uint16_t, 10> characters{};
    for (std::size_t i = 0; i < characters.size(); ++i) {
        const std::uint32_t codeword = codewords[i];
        characters[i] = codeword < kTable5Of13.size() ? kTable5Of13[codeword]
                                                      : kTable2Of13[codeword - kTable5Of13.size()];
        if (((fcs >> i) & 1U) != 0) {
            characters[i] = static_cast<std::uint16_t>(~characters[i] & kCharacterMask);
        }
    }
    return characters;
}

bool IsDigits(std::string_view text)
{
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

} // namespace

EncodeResult EncodeImb(const Options& options, std::string_view data)
{
    std::string_view tracking = data.substr(0, kTrackingDigits);
    std::string_view routing =
        data.size() > kTrackingDigits ? data.substr(kTrackingDigits) : std::string_view{};
    if (data.size() > kTrackingDigits && data[kTrackingDigits] == '-') {
        routing.remove_prefix(1);
    }
    if (tracking.size() != kTrackingDigits || !IsDigits(tracking)) {
        return FourStateInvalid("the tracking code is 20 digits");
    }
    if (!IsDigits(routing) ||
        (routing.size() != 0 && routing.size() != 5 && routing.size() != 9 && routing.size() != 11)) {
        return FourStateInvalid("the routing code is 0, 5, 9 or 11 digits");
    }
    if (tracking[1] > '4') {
        return FourStateInvalid("the second digit of the barcode identifier is 0 to 4");
    }
    const CWideValue binary = BinaryData(tracking, routing);
    const std::uint16_t fcs = FrameCheckSequence(binary.Bytes());
    const std::array<std::uint16_t, 10> characters = Characters(binary, fcs);
    const auto bit = [&characters](char character, std::uint8_t index) {
        return ((characters[static_cast<std::size_t>(character - 'A')] >> index) & 1U) != 0;
    };
    std::vector<BarState> bars;
    bars.reserve(kBarSources.size());
    for (const BarSource& source : kBarSources) {
        const bool descender = bit(source.descenderCharacter, source.descenderBit);
        const bool ascender = bit(source.ascenderCharacter, source.ascenderBit);
        bars.push_back(descender ? (ascender ? BarState::Full : BarState::Descender)
                                 : (ascender ? BarState::Ascender : BarState::Tracker));
    }
    return FourStateResult(options, bars, kImbDimensions, std::string(data));
}

} // namespace kavren::detail
