// The one test for digits: ASCII '0'..'9' only, whatever the process locale
// (std::isdigit follows it, and its argument must fit unsigned char), for one
// character or code value and for a whole text.
#pragma once

#include <algorithm>
#include <string_view>

namespace kavren::detail {

constexpr bool IsDigit(int c)
{
    return c >= '0' && c <= '9';
}

// True when the text is not empty and every byte of it is '0'..'9'. The whole
// text counts: a NUL byte inside it is no digit, so the text is invalid (the
// command line cannot pass one; the API refuses it like any other non-digit).
constexpr bool IsDigitText(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return IsDigit(c); });
}

} // namespace kavren::detail
