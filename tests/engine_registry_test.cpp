// The symbology registry and the barcode manager: number to class, switching
// the symbology with every setting kept, and the symbol length for an x-dimension.
#include "engine/Barcode.h"
#include "symbologies/Code128.h"
#include "symbologies/Interl25.h"
#include "symbologies/PostPlaNet.h"
#include "symbologies/Symbologies.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string_view>
#include <typeindex>
#include <typeinfo>

// kavren's internals, which these tests and tools drive directly.
using namespace kavren::detail;

namespace {

// The factory makes, for every number of the symbology table, an encoded
// object of that row's class; which class a number means is pinned by the
// scan tests, where a decoder names the symbology it reads.
TEST(EngineRegistry, EveryNumberMakesItsClass)
{
    ASSERT_EQ(Symbologies().size(), kLastSymbology + 1u);
    std::set<std::string_view> names;
    for (const SymbologyRow& row : Symbologies()) {
        SCOPED_TRACE(row.name);
        EXPECT_TRUE(names.insert(row.name).second) << "names are unique";
        EXPECT_EQ(FindSymbology(row.type), &row);
        std::string_view keys = row.names;
        for (std::size_t end = keys.find(' '); !keys.empty(); end = keys.find(' ')) {
            EXPECT_EQ(FindSymbologyByName(keys.substr(0, end)), &row) << "every -t name finds its own row";
            keys.remove_prefix(end == std::string_view::npos ? keys.size() : end + 1);
        }
        ASSERT_NE(row.make == nullptr, row.encode == nullptr) << "a class or an encoder";
        CBarcodeSettings s;
        s.m_Type = row.type;
        const std::unique_ptr<CBarcodeSym> sym = CreateBarcodeSym(s);
        ASSERT_EQ(sym != nullptr, row.make != nullptr);
        if (!sym)
            continue;
        const std::unique_ptr<CBarcodeSym> made = row.make(s);
        EXPECT_EQ(std::type_index(typeid(*sym)), std::type_index(typeid(*made)));
        EXPECT_EQ(sym->m_Type, row.type);
        EXPECT_EQ(sym->m_Valid, made->Encode()) << "encoded by the factory";
        if (const auto* postal = dynamic_cast<const CBarcodeSymPostPlaNet*>(sym.get())) {
            EXPECT_EQ(postal->m_IsPostNet, row.type == TYPE_POSTNET);
        }
    }
    for (const int type : {-1, kLastSymbology + 1, 1000, INT32_MIN, INT32_MAX}) {
        CBarcodeSettings s;
        s.m_Type = type;
        EXPECT_FALSE(CreateBarcodeSym(s)) << type;
        EXPECT_EQ(FindSymbology(type), nullptr) << type;
    }
    // Names ignore case, '-' and '_'; a word that names nothing finds nothing.
    const std::pair<std::string_view, int> lookups[] = {
        {"EAN-13", TYPE_EAN13}, {"ean_13", TYPE_EAN13}, {"Code128", TYPE_CODE128}, {"GS1-128", TYPE_UCCEAN128},
        {"ucc_ean_128", TYPE_UCCEAN128}, {"ITF14", TYPE_ITF14}, {"", -1}, {"-", -1}, {"ean", -1}, {"0", -1},
        {"ean13x", -1}};
    for (const auto& [name, type] : lookups) {
        const SymbologyRow* row = FindSymbologyByName(name);
        EXPECT_EQ(row ? static_cast<int>(row->type) : -1, type) << name;
    }
}

// Every symbology draws its sample text; the same text with a NUL byte in
// the middle, or at the end, is invalid for every one of them: the whole text
// counts, never only the part before the NUL.
TEST(EngineRegistry, ANulByteMakesAnyTextInvalid)
{
    for (const kt::SymbologySample& sample : kt::SymbologySamples()) {
        const std::string valid = sample.Valid();
        const struct {
            std::string data;
            bool valid;
        } cases[] = {
            {valid, true},
            {std::string(sample.before) + '\0' + sample.after, false}, // NUL in place of a digit
            {valid + '\0', false},                                     // a NUL past a valid text
            {valid.substr(0, valid.size() - 1) + '\0', false},         // NUL as the last character
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message()
                         << FindSymbology(sample.type)->name << " " << testing::PrintToString(c.data));
            if (const SymbologyRow* row = FindSymbology(sample.type); row->encode) {
                kavren::Options options;
                EXPECT_EQ(static_cast<bool>(EncodeWith(*row, options, c.data)), c.valid);
                continue;
            }
            CBarcodeSettings s;
            s.m_Type = sample.type;
            s.m_Data = c.data;
            const std::unique_ptr<CBarcodeSym> sym = CreateBarcodeSym(s);
            ASSERT_TRUE(sym);
            EXPECT_EQ(sym->m_Valid, c.valid);
            EXPECT_EQ(sym->m_Pattern.empty(), !c.valid);
        }
    }
}

TEST(EngineRegistry, ObjectsWithInvalidDataAreStillMade)
{
    CBarcodeSettings s;
    s.m_Type = TYPE_EAN13; // digits only
    s.m_Data = "not digits";
    const std::unique_ptr<CBarcodeSym> sym = CreateBarcodeSym(s);
    ASSERT_TRUE(sym);
    EXPECT_FALSE(sym->m_Valid);
    EXPECT_EQ(sym->m_Data, "not digits");
}

TEST(EngineManager, MakesTheObjectOfTheSettingsOrNone)
{
    const CBarcode barcode(CreateBarcodeSym, CBarcodeSettings{});
    const CBarcodeSym* sym = barcode.GetSymbology();
    ASSERT_TRUE(sym);
    EXPECT_NE(dynamic_cast<const CBarcodeSymInterl25*>(sym), nullptr);
    EXPECT_TRUE(sym->m_Valid);
    EXPECT_FALSE(sym->m_Pattern.empty());
    for (const std::int32_t type :
         {kLastSymbology + 1, std::int32_t{-1}, std::int32_t{TYPE_QR}}) { // no number, or no class
        CBarcodeSettings s;
        s.m_Type = type;
        EXPECT_EQ(CBarcode(CreateBarcodeSym, s).GetSymbology(), nullptr) << type;
    }
}

TEST(EngineManager, CalcSymbolLength)
{
    struct Case {
        double xdim;
        SizeUnit unit;
        int resH, resV;
        int orientation;
        int status;
        int moduleWidth; // the width the length must have been computed for
        double perPixel; // result units per pixel of length
    };
    const Case cases[] = {
        {2.4, SizeUnit::Pixels, 1, 1, 0, 0, 2, 1.0},            // rounded down
        {2.5, SizeUnit::Pixels, 1, 1, 0, 0, 3, 1.0},            // halves away from zero
        {0.4, SizeUnit::Pixels, 1, 1, 0, 1, 0, 0.0},            // no module, no length
        {10, SizeUnit::Mils, 300, 600, 0, 0, 3, 1000.0 / 300},  // 10 x 0.001 x 300 = 3.0
        {10, SizeUnit::Mils, 300, 600, 90, 0, 6, 1000.0 / 600}, // vertical: the vertical resolution
        {10, SizeUnit::Mils, 300, 600, 180, 0, 3, 1000.0 / 300},
        {0.01, SizeUnit::Inches, 200, 200, 0, 0, 2, 1.0 / 200},
        {0.254, SizeUnit::Millimetres, 300, 300, 270, 0, 3, 25.4 / 300},
        {1e12, SizeUnit::Pixels, 1, 1, 0, 1, 0, 0.0}, // a length past int32: no length
        {3e9, SizeUnit::Pixels, 1, 1, 0, 1, 0, 0.0},
        {5, SizeUnit::Mils, 0, 0, 0, 1, 0, 0.0},           // no resolution, no pixels
        {2, static_cast<SizeUnit>(9), 1, 1, 0, 1, 0, 0.0}, // unknown unit
    };
    for (const Case& c : cases) {
        CBarcodeSettings s;
        s.m_Orientation = c.orientation;
        CBarcode barcode(CreateBarcodeSym, s);
        const CBarcodeSym* sym = barcode.GetSymbology();
        double length = -123.0;
        EXPECT_EQ(barcode.CalcSymbolLength(c.xdim, c.resH, c.resV, c.unit, &length), c.status) << c.xdim;
        if (c.status == 0)
            EXPECT_DOUBLE_EQ(length, sym->GetSymbolLength(c.moduleWidth) * c.perPixel) << c.xdim;
        else
            EXPECT_EQ(length, -123.0) << "a failed call leaves the result alone, " << c.xdim;
    }
    CBarcode barcode(CreateBarcodeSym, CBarcodeSettings{});
    EXPECT_EQ(barcode.CalcSymbolLength(2, 1, 1, SizeUnit::Pixels, nullptr), 1);
    double length = -1.0;
    barcode.GetSymbology()->m_QuietZones = false;
    barcode.GetSymbology()->m_Pattern.clear(); // length 0 is no length
    EXPECT_EQ(barcode.CalcSymbolLength(2, 1, 1, SizeUnit::Pixels, &length), 1);
}

TEST(EngineManager, XDimToPixels)
{
    std::int32_t pixels = 0;
    EXPECT_EQ(XDimToPixels(0.5, 96, 96, SizeUnit::Millimetres, true, &pixels), 0);
    EXPECT_EQ(pixels, 2); // 0.5 / 25.4 x 96 = 1.89
    EXPECT_EQ(XDimToPixels(0.5, 96, 300, SizeUnit::Millimetres, false, &pixels), 0);
    EXPECT_EQ(pixels, 6); // 5.9 at the vertical resolution
    EXPECT_EQ(XDimToPixels(-2.5, 1, 1, SizeUnit::Pixels, true, &pixels), 0);
    EXPECT_EQ(pixels, -3);
    EXPECT_EQ(XDimToPixels(1, 1, 1, static_cast<SizeUnit>(4), true, &pixels), 1);
    EXPECT_EQ(pixels, -1);
    EXPECT_EQ(XDimToPixels(1, 1, 1, SizeUnit::Pixels, true, nullptr), 1);
}

} // namespace
