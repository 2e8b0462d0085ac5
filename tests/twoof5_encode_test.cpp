// Encoding of the 2 of 5 family: validation, check digits, padding, display
// texts and module patterns of Industrial 2 of 5, Interleaved 2 of 5 and ITF-14.
#include "engine/Barcode.h"
#include "symbologies/Symbologies.h"
#include "tests/numeric_support.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

// kavren's internals, which these tests and tools drive directly.
using namespace kavren::detail;

namespace {

std::unique_ptr<CBarcodeSym> Make(int type, const std::string& data, bool calc = true, bool show = true)
{
    CBarcodeSettings s;
    s.m_Type = type;
    s.m_Data = data;
    s.m_CalcCheckDigit = calc;
    s.m_ShowCheckDigit = show;
    return CreateBarcodeSym(s);
}

struct Case {
    int type;
    const char* data;
    bool calc, show, valid;
    const char* bytes;
    const char* text;
};

const Case kCases[] = {
    {TYPE_INDUSTR25, "123", true, true, true, "1236", "1236"}, // 3x1 + 2 + 3x3 = 14 -> 6
    {TYPE_INDUSTR25, "123", true, false, true, "1236", "123"}, // hidden check digit still encoded
    {TYPE_INDUSTR25, "123", false, true, true, "123", "123"},  // none without calculation
    {TYPE_INDUSTR25, "95", true, true, true, "956", "956"},    // last data digit weighs 3: 9 + 3x5 -> 6
    {TYPE_INDUSTR25, "1234", true, true, true, "12348", "12348"},
    {TYPE_INTERL25, "12345", true, true, true, "123457", "123457"},  // already even with the check digit
    {TYPE_INTERL25, "12345", false, true, true, "012345", "012345"}, // leading zero, shown too
    {TYPE_INTERL25, "1234", true, true, true, "012348", "012348"},
    {TYPE_INTERL25, "1234", true, false, true, "012348", "01234"},
    {TYPE_INTERL25, "7", true, true, true, "79", "79"},
    {TYPE_ITF14, "1540014128876", true, true, true, "15400141288763", "1  54  00141  28876  3"},
    {TYPE_ITF14, "15400141288760", true, true, true, "15400141288763",
     "1  54  00141  28876  3"}, // 14th replaced
    {TYPE_ITF14, "1540014128876", false, false, true, "15400141288763",
     "1  54  00141  28876"},                                    // always encoded
    {TYPE_ITF14, "154001412887", true, true, false, "", ""},    // 12 digits
    {TYPE_ITF14, "154001412887634", true, true, false, "", ""}, // 15 digits
    {TYPE_ITF14, "154001412887a", true, true, false, "", ""},
    {TYPE_INTERL25, "", true, true, false, "", ""},
    {TYPE_INTERL25, "-1", true, true, false, "", ""},
    {TYPE_INTERL25, " 12", true, true, false, "", ""},
    {TYPE_INDUSTR25, "1.5", true, true, false, "", ""},
    {TYPE_INDUSTR25, "\xB9", true, true, false, "", ""},
};

} // namespace

TEST(TwoOfFiveEncode, TableOfWorkedExamples)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(std::to_string(c.type) + " '" + c.data + "' calc " + std::to_string(c.calc) + " show " +
                     std::to_string(c.show));
        auto sym = Make(c.type, c.data, c.calc, c.show);
        EXPECT_EQ(sym->m_Valid, c.valid);
        if (!c.valid)
            continue;
        EXPECT_EQ(sym->m_DataBytes, c.bytes);
        EXPECT_EQ(sym->m_DisplayText, c.text);
        EXPECT_EQ(kt::Widths(sym->m_Pattern),
                  c.type == 1 ? kt::IndustrialWidths(c.bytes) : kt::InterleavedWidths(c.bytes));
    }
}

// Patterns written out by hand from the standard's digit patterns, which also
// pins the expectations built above.
TEST(TwoOfFiveEncode, PatternsSpelledOut)
{
    // Start nnnn; bars of 1 (wnnnw) between spaces of 2 (nwnnw); stop wnn.
    EXPECT_EQ(kt::Widths(Make(TYPE_INTERL25, "12", false)->m_Pattern), "nnnnwnnwnnnnwwwnn");
    // Padded to 05: bars of 0 (nnwwn), spaces of 5 (wnwnn).
    EXPECT_EQ(kt::Widths(Make(TYPE_INTERL25, "5", false)->m_Pattern), "nnnnnwnnwwwnnnwnn");
    // Start wnwnnn; five bars of 1 (wnnnw) each with a narrow space; stop wnnnw.
    EXPECT_EQ(kt::Widths(Make(TYPE_INDUSTR25, "1", false)->m_Pattern), "wnwnnnwnnnnnnnwnwnnnw");
}

// Faults on invalid data: a NUL inside the text is no digit, and a too short
// ITF-14 text encoded again changes nothing the last good encoding left.
TEST(TwoOfFiveEncode, InvalidDataIsHandledSafely)
{
    for (int type : {TYPE_INTERL25, TYPE_INDUSTR25, TYPE_ITF14})
        EXPECT_FALSE(Make(type, std::string("12345") + '\0' + "6789012")->m_Valid) << type;
    auto itf = Make(TYPE_ITF14, "1540014128876");
    itf->m_Data = "123";
    itf->m_ShowCheckDigit = false;
    EXPECT_FALSE(itf->Encode());
    EXPECT_EQ(itf->m_DisplayText, "1  54  00141  28876  3");
    EXPECT_EQ(itf->m_DataBytes, "15400141288763");
}
