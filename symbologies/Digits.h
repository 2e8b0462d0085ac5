// The digits-only rule of the numeric symbologies (2 of 5, MSI, the postal
// codes, EAN/UPC, EAN-14, SSCC-18 and Code 128 set C).
#pragma once

#include "common/DigitText.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace kavren::detail {

// IsDigitText (common/DigitText.h), and the text has one of the two lengths.
bool IsDigitText(std::string_view text, std::size_t length, std::size_t altLength);

// The GS1 modulo-10 check digit of the digits before it (GS1 General
// Specifications, 7.9.1): weights 3 and 1 alternating from the right, the
// digit next to the check digit weighing 3. EAN/UPC, ITF-14, EAN-14, SSCC-18,
// DataBar and the 2 of 5 family all compute theirs with it. 0 for no digits.
int Gs1CheckDigit(std::string_view digits);

class CBarcodeSym;

// What a symbology takes, as a detail line ends: "EAN-13 takes 12 or 13
// digits", the symbology named by the symbology table.
std::string Takes(const CBarcodeSym& sym, std::string_view what);
// The character at byte `at` of the data as a detail line names it, e.g.
// "'A' at position 12" (positions count bytes from 1): a UTF-8 sequence whole,
// a byte-order mark by name, another byte outside printable ASCII as \xHH.
std::string CharacterAt(std::string_view text, std::size_t at);
// Why the text is not digits of one of the two lengths, ending in what the
// symbology takes (`takes`, e.g. "EAN-13 takes 12 or 13 digits"): the first
// other character, else the length; empty when the text is right.
std::string DigitProblem(std::string_view text, std::size_t length, std::size_t altLength,
                         std::string_view takes);
// The same for digits of any number.
std::string DigitProblem(std::string_view text, std::string_view takes);

} // namespace kavren::detail
