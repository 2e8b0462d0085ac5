// GS1 data as users give it to the GS1 symbologies that carry element strings
// (GS1 DataMatrix, GS1 QR Code, GS1 DataBar Expanded, GS1 Digital Link):
// application identifiers in "<AInn>" markers, as UCC/EAN-128 takes them, or
// in the brackets GS1 prints under a symbol, "(01)09501101530003(17)261231".
#pragma once

#include <kavren/kavren.h>

#include <string>
#include <string_view>
#include <vector>

namespace kavren::detail {

// One element string: its AI and its data.
struct Gs1Element {
    std::string ai;
    std::string value;
    bool predefinedLength = false; // no separator after its data (GS1 General Specifications 5.10.1)
};

struct Gs1Data {
    Status status = Status::Ok;
    std::string detail; // why the data is not valid GS1 data
    std::vector<Gs1Element> elements;

    explicit operator bool() const { return status == Status::Ok; }
};

// The element strings of `data`, in order. The data must start with an AI;
// every AI must be one the GS1 Barcode Syntax Dictionary defines and carry
// data. With `check`, each element's data is also checked against its AI's
// format and content rules (the rules of --gs1-check). A failure is
// Status::InvalidText with the rule in the detail.
Gs1Data ParseGs1(std::string_view data, bool check);

// The human-readable interpretation: each AI in parentheses before its data.
std::string Gs1Hri(const std::vector<Gs1Element>& elements);

// The element strings concatenated as a reader transmits them: AI and data,
// with `separator` after the data of every element of variable length but the
// last (GS1 General Specifications 7.8.5.2). The leading FNC1 is the
// symbology's own and not included.
std::string Gs1ElementString(const std::vector<Gs1Element>& elements, char separator);

} // namespace kavren::detail
