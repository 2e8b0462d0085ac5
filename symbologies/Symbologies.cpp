#include "symbologies/Symbologies.h"

#include "symbologies/Codabar.h"
#include "symbologies/Code11.h"
#include "symbologies/Code128.h"
#include "symbologies/Code39.h"
#include "symbologies/Code39Ext.h"
#include "symbologies/Code93.h"
#include "symbologies/Code93Ext.h"
#include "symbologies/EAN13.h"
#include "symbologies/EAN14.h"
#include "symbologies/EAN2.h"
#include "symbologies/EAN5.h"
#include "symbologies/EAN8.h"
#include "symbologies/ITF14.h"
#include "symbologies/Industr25.h"
#include "symbologies/Interl25.h"
#include "symbologies/MSI.h"
#include "symbologies/PostPlaNet.h"
#include "symbologies/SSCC18.h"
#include "symbologies/UCCEAN128.h"
#include "symbologies/UPCA.h"
#include "symbologies/UPCE.h"

#include <array>

namespace {

template <typename T> std::unique_ptr<CBarcodeSym> Make(const CBarcodeSettings& settings)
{
    return std::make_unique<T>(settings);
}

// PostNet and Planet share one class; the flag picks the bar heights.
std::unique_ptr<CBarcodeSym> MakePostNet(const CBarcodeSettings& settings)
{
    return std::make_unique<CBarcodeSymPostPlaNet>(settings, true);
}

std::unique_ptr<CBarcodeSym> MakePlanet(const CBarcodeSettings& settings)
{
    return std::make_unique<CBarcodeSymPostPlaNet>(settings, false);
}

constexpr std::array<SymbologyRow, 22> SymbologyTable = {{
    {TYPE_INTERL25, "Interleaved 2 of 5", Make<CBarcodeSymInterl25>},
    {TYPE_INDUSTR25, "Industrial 2 of 5", Make<CBarcodeSymIndustr25>},
    {TYPE_CODE39, "Code 39", Make<CBarcodeSymCode39>},
    {TYPE_CODE39EXT, "Code 39 Extended", Make<CBarcodeSymCode39Ext>},
    {TYPE_CODE11, "Code 11", Make<CBarcodeSymCode11>},
    {TYPE_CODABAR, "Codabar", Make<CBarcodeSymCodabar>},
    {TYPE_MSI, "MSI", Make<CBarcodeSymMSI>},
    {TYPE_CODE128, "Code 128", Make<CBarcodeSymCode128>},
    {TYPE_EAN2, "EAN-2", Make<CBarcodeSymEAN2>},
    {TYPE_EAN5, "EAN-5", Make<CBarcodeSymEAN5>},
    {TYPE_EAN8, "EAN-8", Make<CBarcodeSymEAN8>},
    {TYPE_EAN13, "EAN-13", Make<CBarcodeSymEAN13>},
    {TYPE_EAN14, "EAN-14", Make<CBarcodeSymEAN14>},
    {TYPE_UPCA, "UPC-A", Make<CBarcodeSymUPCA>},
    {TYPE_UPCE, "UPC-E", Make<CBarcodeSymUPCE>},
    {TYPE_UCCEAN128, "UCC/EAN-128", Make<CBarcodeSymUCCEAN128>},
    {TYPE_SSCC18, "SSCC-18", Make<CBarcodeSymSSCC18>},
    {TYPE_POSTNET, "PostNet", MakePostNet},
    {TYPE_PLANET, "Planet", MakePlanet},
    {TYPE_CODE93, "Code 93", Make<CBarcodeSymCode93>},
    {TYPE_CODE93EXT, "Code 93 Extended", Make<CBarcodeSymCode93Ext>},
    {TYPE_ITF14, "ITF-14", Make<CBarcodeSymITF14>},
}};

// Row i must hold number i, so that a number indexes the table.
constexpr bool NumbersAreIndices()
{
    for (std::size_t i = 0; i < SymbologyTable.size(); ++i)
        if (SymbologyTable[i].type != static_cast<std::int32_t>(i))
            return false;
    return true;
}
static_assert(NumbersAreIndices());

} // namespace

std::span<const SymbologyRow> Symbologies()
{
    return SymbologyTable;
}

const SymbologyRow* FindSymbology(std::int32_t type)
{
    if (type < 0 || static_cast<std::size_t>(type) >= SymbologyTable.size())
        return nullptr;
    return &SymbologyTable[static_cast<std::size_t>(type)];
}
