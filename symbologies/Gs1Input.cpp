#include "symbologies/Gs1Input.h"

#include "common/DigitText.h"
#include "symbologies/Gs1Syntax.h"

#include <cstddef>

namespace kavren::detail {
namespace {

constexpr std::string_view MarkerOpen = "<AI";
constexpr std::size_t MinAiDigits = 2; // GS1 General Specifications 3.2: AIs of 2 to 4 digits
constexpr std::size_t MaxAiDigits = 4;

// Where an AI mark starts at p: its digits' offset and count and the offset
// after the mark; count 0 when no mark starts there.
struct Mark {
    std::size_t digitsAt = 0;
    std::size_t digits = 0;
    std::size_t end = 0;
};

Mark MarkAt(std::string_view data, std::size_t p, bool brackets)
{
    const std::size_t open = brackets ? 1 : MarkerOpen.size();
    if (brackets ? data[p] != '(' : data.substr(p, open) != MarkerOpen)
        return {};
    std::size_t k = p + open;
    while (k < data.size() && IsDigit(data[k]) && k - (p + open) <= MaxAiDigits)
        ++k;
    const std::size_t digits = k - (p + open);
    const char close = brackets ? ')' : '>';
    if (digits < MinAiDigits || digits > MaxAiDigits || k >= data.size() || data[k] != close)
        return {};
    return {p + open, digits, k + 1};
}

Gs1Data Invalid(std::string detail)
{
    return {Status::InvalidText, std::move(detail), {}};
}

} // namespace

Gs1Data ParseGs1(std::string_view data, bool check)
{
    if (data.empty())
        return Invalid("no GS1 data: give AIs as (01)09501101530003 or <AI01>09501101530003");
    const bool brackets = data[0] == '(';
    if (MarkAt(data, 0, brackets).digits == 0)
        return Invalid("GS1 data must start with an AI, as (01) or <AI01>");
    Gs1Data result;
    std::size_t p = 0;
    while (p < data.size()) {
        const Mark mark = MarkAt(data, p, brackets);
        Gs1Element element;
        element.ai = std::string(data.substr(mark.digitsAt, mark.digits));
        const Gs1Ai* entry = Gs1FindAi(element.ai);
        if (entry == nullptr)
            return Invalid("AI (" + element.ai + "): unknown application identifier");
        element.predefinedLength = entry->predefinedLength;
        p = mark.end;
        while (p < data.size() && MarkAt(data, p, brackets).digits == 0) {
            // In the bracketed form "\(" is a literal '(' of the data.
            if (brackets && data[p] == '\\' && p + 1 < data.size() && data[p + 1] == '(')
                ++p;
            element.value += data[p++];
        }
        if (element.value.empty())
            return Invalid("AI (" + element.ai + "): no data");
        if (check) {
            if (std::string problem = Gs1CheckElement(element.ai, element.value); !problem.empty())
                return Invalid(std::move(problem));
        }
        result.elements.push_back(std::move(element));
    }
    return result;
}

std::string Gs1Hri(const std::vector<Gs1Element>& elements)
{
    std::string text;
    for (const Gs1Element& element : elements)
        text += "(" + element.ai + ")" + element.value;
    return text;
}

std::string Gs1ElementString(const std::vector<Gs1Element>& elements, char separator)
{
    std::string bytes;
    for (std::size_t i = 0; i < elements.size(); ++i) {
        bytes += elements[i].ai;
        bytes += elements[i].value;
        if (!elements[i].predefinedLength && i + 1 < elements.size())
            bytes += separator;
    }
    return bytes;
}

} // namespace kavren::detail
