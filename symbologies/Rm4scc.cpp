// Royal Mail 4-State Customer Code and its PostNL form, KIX: each letter or
// digit four bars, two of them with an ascender (its row of the character
// matrix) and two with a descender (its column).
#include "symbologies/FourState.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace kavren::detail {
namespace {

// The character matrix: row r (0..5) and column c hold character 6r + c.
constexpr std::string_view kCharacterSet = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";

// Which two of a character's four bars carry the ascenders (for its row) or
// the descenders (for its column), row or column 1 to 6, bar 1 leftmost
// as the most significant bit.
constexpr std::array<std::uint8_t, 6> kHalfPatterns = {0b0011, 0b0101, 0b0110, 0b1001, 0b1010, 0b1100};

struct MatrixPlace {
    std::size_t row;
    std::size_t column;
};

void AppendCharacter(std::vector<BarState>& bars, MatrixPlace place)
{
    for (int bar = 3; bar >= 0; --bar) {
        const bool ascender = ((kHalfPatterns[place.row] >> bar) & 1U) != 0;
        const bool descender = ((kHalfPatterns[place.column] >> bar) & 1U) != 0;
        bars.push_back(ascender ? (descender ? BarState::Full : BarState::Ascender)
                                : (descender ? BarState::Descender : BarState::Tracker));
    }
}

// The places of the data's characters, lower case taken as upper case; false
// for a character outside the set or for no data.
bool Places(std::string_view data, std::vector<MatrixPlace>& places)
{
    for (const char c : data) {
        const char upper = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        const std::size_t index = kCharacterSet.find(upper);
        if (index == std::string_view::npos) {
            return false;
        }
        places.push_back({index / 6, index % 6});
    }
    return !places.empty();
}

std::string Upper(std::string_view data)
{
    std::string text(data);
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

// Royal Mail's check character: the sums of the rows and of the columns,
// each numbered 1 to 6, modulo 6, a remainder of 0 being the sixth.
MatrixPlace CheckPlace(const std::vector<MatrixPlace>& places)
{
    std::size_t rows = 0;
    std::size_t columns = 0;
    for (const MatrixPlace& place : places) {
        rows += place.row + 1;
        columns += place.column + 1;
    }
    return {(rows + 5) % 6, (columns + 5) % 6};
}

} // namespace

EncodeResult EncodeRm4scc(const Options& options, std::string_view data)
{
    std::vector<MatrixPlace> places;
    if (!Places(data, places)) {
        return FourStateInvalid("RM4SCC takes letters A to Z and digits");
    }
    const MatrixPlace check = CheckPlace(places);
    std::vector<BarState> bars{BarState::Ascender}; // start bar
    for (const MatrixPlace& place : places) {
        AppendCharacter(bars, place);
    }
    AppendCharacter(bars, check);
    bars.push_back(BarState::Full); // stop bar
    std::string text = Upper(data);
    if (options.showCheckDigit) {
        text += kCharacterSet[check.row * 6 + check.column];
    }
    return FourStateResult(options, bars, kRoyalMailDimensions, std::move(text));
}

EncodeResult EncodeKix(const Options& options, std::string_view data)
{
    std::vector<MatrixPlace> places;
    if (!Places(data, places)) {
        return FourStateInvalid("KIX takes letters A to Z and digits");
    }
    std::vector<BarState> bars;
    for (const MatrixPlace& place : places) {
        AppendCharacter(bars, place);
    }
    return FourStateResult(options, bars, kRoyalMailDimensions, Upper(data));
}

} // namespace kavren::detail
