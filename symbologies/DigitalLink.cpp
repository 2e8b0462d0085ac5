// GS1 Digital Link URI syntax 1.2: the uncompressed form,
//   prefix "/" primary-key-AI "/" value { "/" qualifier-AI "/" value }
//          [ "?" AI "=" value { "&" AI "=" value } ]
// with the path's qualifiers in the order the GS1 Barcode Syntax Dictionary's
// `dlpkey` attribute gives for the primary key.
#include "symbologies/DigitalLink.h"

#include "symbologies/Gs1Input.h"
#include "symbologies/Gs1Syntax.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <vector>

namespace kavren::detail {

namespace {

bool Unreserved(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}

// RFC 3986 2.1: everything but the unreserved characters as %HH.
std::string PercentEncode(std::string_view value)
{
    static constexpr std::string_view kHex = "0123456789ABCDEF";
    std::string out;
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (Unreserved(byte)) {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0f];
        }
    }
    return out;
}

std::vector<std::string_view> Split(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    if (text.empty())
        return parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
        if (at == std::string_view::npos)
            return parts;
        start = at + 1;
    }
}

bool StartsWithScheme(std::string_view prefix)
{
    const auto startsWith = [&](std::string_view scheme) {
        if (prefix.size() <= scheme.size())
            return false;
        for (std::size_t i = 0; i < scheme.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(prefix[i])) != scheme[i])
                return false;
        return true;
    };
    return startsWith("https://") || startsWith("http://");
}

DigitalLinkResult Fail(Status status, std::string detail)
{
    DigitalLinkResult result;
    result.status = status;
    result.detail = std::move(detail);
    return result;
}

} // namespace

DigitalLinkResult DigitalLinkUri(std::string_view prefix, std::string_view data)
{
    while (!prefix.empty() && prefix.back() == '/')
        prefix.remove_suffix(1);
    if (!StartsWithScheme(prefix))
        return Fail(Status::InvalidArgument, "a GS1 Digital Link prefix starts with https:// or http://");
    const Gs1Data parsed = ParseGs1(data, true);
    if (!parsed)
        return Fail(parsed.status, parsed.detail);
    const std::vector<Gs1Element>& elements = parsed.elements;
    // The primary key: the first element whose AI is one.
    const Gs1Ai* key = nullptr;
    std::size_t keyIndex = 0;
    for (; keyIndex < elements.size(); ++keyIndex) {
        key = Gs1FindAi(elements[keyIndex].ai);
        if (key && key->dlPrimaryKey)
            break;
        key = nullptr;
    }
    if (!key)
        return Fail(Status::InvalidText, "GS1 Digital Link needs a primary key AI such as (01) or (00)");
    std::vector<bool> used(elements.size(), false);
    used[keyIndex] = true;
    const auto find = [&](std::string_view ai) {
        for (std::size_t i = 0; i < elements.size(); ++i)
            if (!used[i] && elements[i].ai == ai)
                return i;
        return elements.size();
    };
    // Of the alternative qualifier sequences, the one that takes the most
    // of the data's elements (the first of equals).
    std::vector<std::string_view> qualifiers;
    std::size_t most = 0;
    for (const std::string_view alternative : Split(key->dlQualifiers, '|')) {
        const std::vector<std::string_view> sequence = Split(alternative, ',');
        const std::size_t present = static_cast<std::size_t>(std::count_if(
            sequence.begin(), sequence.end(), [&](std::string_view ai) { return find(ai) < elements.size(); }));
        if (present > most) {
            most = present;
            qualifiers = sequence;
        }
    }
    DigitalLinkResult result;
    result.hri = Gs1Hri(elements);
    result.uri = std::string(prefix) + "/" + elements[keyIndex].ai + "/" + PercentEncode(elements[keyIndex].value);
    for (const std::string_view ai : qualifiers) {
        const std::size_t at = find(ai);
        if (at == elements.size())
            continue;
        used[at] = true;
        result.uri += "/" + elements[at].ai + "/" + PercentEncode(elements[at].value);
    }
    char separator = '?';
    for (std::size_t i = 0; i < elements.size(); ++i) {
        if (used[i])
            continue;
        result.uri += separator + elements[i].ai + "=" + PercentEncode(elements[i].value);
        separator = '&';
    }
    return result;
}

} // namespace kavren::detail
