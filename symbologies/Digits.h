// The digits-only rule of the numeric symbologies (2 of 5, MSI, the postal
// codes, EAN/UPC, EAN-14, SSCC-18 and Code 128 set C).
#pragma once

#include <cstddef>
#include <string_view>

// True when the text is not empty and every byte of it is '0'..'9'. The whole
// text counts: a NUL byte inside it is no digit, so the text is invalid (the
// command line cannot pass one; the API refuses it like any other non-digit).
bool IsDigitText(std::string_view text);
// The same, and the text has one of the two lengths.
bool IsDigitText(std::string_view text, std::size_t length, std::size_t altLength);
