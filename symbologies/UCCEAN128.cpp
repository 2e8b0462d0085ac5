#include "symbologies/UCCEAN128.h"

#include "symbologies/Digits.h"
#include "symbologies/Gs1Syntax.h"

#include <cstddef>
#include <string_view>

namespace kavren::detail {

namespace {

constexpr std::string_view AiOpen = "<AI";
constexpr std::string_view Fnc1Marker = "<FNC1>";
constexpr std::size_t MinAiDigits = 2;
constexpr std::size_t MaxAiDigits = 5;

// Number of identifier digits of a well-formed "<AI..>" marker at p, 0 when there is none.
std::size_t AiMarkerDigits(std::string_view data, std::size_t p)
{
    if (data.substr(p, AiOpen.size()) != AiOpen)
        return 0;
    std::size_t k = p + AiOpen.size();
    std::size_t digits = 0;
    while (k < data.size() && IsDigit(data[k]) && digits <= MaxAiDigits) {
        ++k;
        ++digits;
    }
    if (digits < MinAiDigits || digits > MaxAiDigits || k >= data.size() || data[k] != '>')
        return 0;
    return digits;
}

} // namespace

CBarcodeSymUCCEAN128::CBarcodeSymUCCEAN128(const CBarcodeSettings& settings) : CBarcodeSymCode128(settings)
{
}

bool CBarcodeSymUCCEAN128::IsVariableLengthAI(int prefix)
{
    return !Gs1PredefinedLengthPrefix(prefix);
}

void CBarcodeSymUCCEAN128::WalkMarkers(const std::string& data, std::string& bytes, std::string& text,
                                       std::vector<Gs1Mark>* marks)
{
    const char fnc1 = static_cast<char>(Code128ByteFnc1);
    bytes.clear();
    text.clear();
    bool separatorDue = true; // the first identifier is flagged by a leading FNC1
    std::size_t p = 0;
    while (p < data.size()) {
        const std::string_view rest = std::string_view(data).substr(p);
        if (const std::size_t digits = AiMarkerDigits(data, p); digits > 0) {
            const std::string_view ai = rest.substr(AiOpen.size(), digits);
            // One FNC1 is enough where the user already put one.
            if (separatorDue && (bytes.empty() || bytes.back() != fnc1))
                bytes += fnc1;
            if (marks != nullptr)
                marks->push_back({bytes.size(), digits});
            bytes += ai;
            text += '(';
            text += ai;
            text += ')';
            separatorDue = IsVariableLengthAI((ai[0] - '0') * 10 + (ai[1] - '0'));
            p += AiOpen.size() + digits + 1;
        } else if (rest.substr(0, Fnc1Marker.size()) == Fnc1Marker) {
            bytes += fnc1;
            p += Fnc1Marker.size();
        } else {
            // Any other character, a malformed marker's '<' included, stands for itself.
            bytes += data[p];
            text += data[p];
            ++p;
        }
    }
}

bool CBarcodeSymUCCEAN128::Validate()
{
    m_ErrorDetail.clear();
    if (!HasData())
        return false;
    for (std::size_t i = 0; i < m_Data.size(); ++i) {
        if (!IsCode128Byte(static_cast<unsigned char>(m_Data[i]))) {
            m_ErrorDetail =
                CharacterAt(m_Data, i) + ": " + Takes(*this, "ASCII from space to DEL and <AInn> markers");
            return false;
        }
    }
    return !m_Gs1Check || PassesGs1Check();
}

bool CBarcodeSymUCCEAN128::PassesGs1Check()
{
    std::string bytes;
    std::string text;
    std::vector<Gs1Mark> marks;
    WalkMarkers(m_Data, bytes, text, &marks);
    m_ErrorDetail = Gs1CheckElementStrings(bytes, static_cast<char>(Code128ByteFnc1), marks);
    return m_ErrorDetail.empty();
}

void CBarcodeSymUCCEAN128::LoadData()
{
    std::string text;
    WalkMarkers(m_Data, m_DataBytes, text);
}

void CBarcodeSymUCCEAN128::BuildDisplayText()
{
    std::string bytes;
    WalkMarkers(m_Data, bytes, m_DisplayText);
}

bool CBarcodeSymUCCEAN128::Encode()
{
    // Always automatic sets B and C, whatever charset is chosen for plain Code 128.
    m_CheckValue = 0;
    if (!Prepare())
        return false;
    ValueList values = NewValueList();
    EncodeAuto(values);
    return FinishSymbol(values);
}

} // namespace kavren::detail
