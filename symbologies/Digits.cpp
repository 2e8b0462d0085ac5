#include "symbologies/Digits.h"

#include <algorithm>

bool IsDigitText(std::string_view text)
{
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool IsDigitText(std::string_view text, std::size_t length, std::size_t altLength)
{
    return (text.size() == length || text.size() == altLength) && IsDigitText(text);
}
