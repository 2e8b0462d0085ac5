// Shared EAN/UPC machinery (ISO/IEC 15420): digit widths, parity tables, the
// weighted modulo-10 check digits, and the digit encoders.
#pragma once

#include <cstdint>
#include <vector>

// Weights 3, 1, 3, 1, ... from the first of `count` characters; 0 for null or empty text.
int CheckDigit3131(const char* text, int count);
// Weights 1, 3, 1, 3, ... from the first of `count` characters; 0 for null or empty text.
int CheckDigit1313(const char* text, int count);

// Append a digit's four elements in table order (number set C, or set A when
// the colour state says space). `colour` is true when the next element is a
// bar and flips after every element. False, appending nothing, for digit > 9.
bool EncodeEanDigit(std::vector<std::uint8_t>& pattern, int digit, bool& colour);
// Odd parity: table order; even parity (set B): reverse order.
bool EncodeEanParityDigit(std::vector<std::uint8_t>& pattern, int digit, bool oddParity, bool& colour);
