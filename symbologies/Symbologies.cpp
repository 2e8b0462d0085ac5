#include "symbologies/Symbologies.h"

#include "symbologies/Codabar.h"
#include "symbologies/Code11.h"
#include "symbologies/Code128.h"
#include "symbologies/Code39.h"
#include "symbologies/Code39Ext.h"
#include "symbologies/Code93.h"
#include "symbologies/Code93Ext.h"
#include "symbologies/DataBar.h"
#include "symbologies/DataMatrix.h"
#include "symbologies/EAN13.h"
#include "symbologies/EAN14.h"
#include "symbologies/EAN2.h"
#include "symbologies/EAN5.h"
#include "symbologies/EAN8.h"
#include "symbologies/ITF14.h"
#include "symbologies/Industr25.h"
#include "symbologies/Interl25.h"
#include "symbologies/MSI.h"
#include "symbologies/FourState.h"
#include "symbologies/PostPlaNet.h"
#include "symbologies/QrCode.h"
#include "symbologies/SSCC18.h"
#include "symbologies/UCCEAN128.h"
#include "symbologies/UPCA.h"
#include "symbologies/UPCE.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <new>
#include <string>

namespace kavren::detail {

namespace detail = kavren::detail;
using kavren::detail::SymbolKind;

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

// The symbologies with an `encode` function draw through it (data -> encoded
// symbol -> layout); the others, encode null, are objects of their class,
// drawn through the encoded symbol their element pattern converts to.
constexpr SymbologyRow SymbologyTable[] = {
    {TYPE_INTERL25, "Interleaved 2 of 5", "interleaved2of5 i25 itf", SymbolKind::Linear, Make<CBarcodeSymInterl25>, nullptr},
    {TYPE_INDUSTR25, "Industrial 2 of 5", "industrial2of5 i2of5-industrial", SymbolKind::Linear, Make<CBarcodeSymIndustr25>, nullptr},
    {TYPE_CODE39, "Code 39", "code39", SymbolKind::Linear, Make<CBarcodeSymCode39>, nullptr},
    {TYPE_CODE39EXT, "Code 39 Extended", "code39ext code39-extended", SymbolKind::Linear, Make<CBarcodeSymCode39Ext>, nullptr},
    {TYPE_CODE11, "Code 11", "code11", SymbolKind::Linear, Make<CBarcodeSymCode11>, nullptr},
    {TYPE_CODABAR, "Codabar", "codabar", SymbolKind::Linear, Make<CBarcodeSymCodabar>, nullptr},
    {TYPE_MSI, "MSI", "msi", SymbolKind::Linear, Make<CBarcodeSymMSI>, nullptr},
    {TYPE_CODE128, "Code 128", "code128", SymbolKind::Linear, Make<CBarcodeSymCode128>, nullptr},
    {TYPE_EAN2, "EAN-2", "ean2", SymbolKind::Linear, Make<CBarcodeSymEAN2>, nullptr},
    {TYPE_EAN5, "EAN-5", "ean5", SymbolKind::Linear, Make<CBarcodeSymEAN5>, nullptr},
    {TYPE_EAN8, "EAN-8", "ean8", SymbolKind::Linear, Make<CBarcodeSymEAN8>, nullptr},
    {TYPE_EAN13, "EAN-13", "ean13", SymbolKind::Linear, Make<CBarcodeSymEAN13>, nullptr},
    {TYPE_EAN14, "EAN-14", "ean14", SymbolKind::Linear, Make<CBarcodeSymEAN14>, nullptr},
    {TYPE_UPCA, "UPC-A", "upca", SymbolKind::Linear, Make<CBarcodeSymUPCA>, nullptr},
    {TYPE_UPCE, "UPC-E", "upce", SymbolKind::Linear, Make<CBarcodeSymUPCE>, nullptr},
    {TYPE_UCCEAN128, "UCC/EAN-128", "gs1-128 ucc-ean-128 ean128", SymbolKind::Linear, Make<CBarcodeSymUCCEAN128>, nullptr},
    {TYPE_SSCC18, "SSCC-18", "sscc18", SymbolKind::Linear, Make<CBarcodeSymSSCC18>, nullptr},
    {TYPE_POSTNET, "PostNet", "postnet", SymbolKind::FourState, MakePostNet, nullptr},
    {TYPE_PLANET, "Planet", "planet", SymbolKind::FourState, MakePlanet, nullptr},
    {TYPE_CODE93, "Code 93", "code93", SymbolKind::Linear, Make<CBarcodeSymCode93>, nullptr},
    {TYPE_CODE93EXT, "Code 93 Extended", "code93ext code93-extended", SymbolKind::Linear, Make<CBarcodeSymCode93Ext>, nullptr},
    {TYPE_ITF14, "ITF-14", "itf14", SymbolKind::Linear, Make<CBarcodeSymITF14>, nullptr},
    {TYPE_DATAMATRIX, "Data Matrix", "datamatrix dm", SymbolKind::Matrix, nullptr, detail::EncodeDataMatrix},
    {TYPE_GS1_DATAMATRIX, "GS1 DataMatrix", "gs1-datamatrix", SymbolKind::Matrix, nullptr, detail::EncodeGs1DataMatrix},
    {TYPE_QR, "QR Code", "qr qrcode", SymbolKind::Matrix, nullptr, detail::EncodeQr},
    {TYPE_GS1_QR, "GS1 QR Code", "gs1-qr gs1-qrcode", SymbolKind::Matrix, nullptr, detail::EncodeGs1Qr},
    {TYPE_MICRO_QR, "Micro QR Code", "micro-qr micro-qrcode", SymbolKind::Matrix, nullptr, detail::EncodeMicroQr},
    {TYPE_IMB, "Intelligent Mail", "imb intelligent-mail", SymbolKind::FourState, nullptr, detail::EncodeImb},
    {TYPE_RM4SCC, "RM4SCC", "rm4scc royal-mail", SymbolKind::FourState, nullptr, detail::EncodeRm4scc},
    {TYPE_KIX, "KIX", "kix", SymbolKind::FourState, nullptr, detail::EncodeKix},
    {TYPE_AUSPOST, "Australia Post", "auspost", SymbolKind::FourState, nullptr, detail::EncodeAusPost},
    {TYPE_AUSPOST_REPLY, "AusPost Reply Paid", "auspost-reply", SymbolKind::FourState, nullptr, detail::EncodeAusPostReply},
    {TYPE_AUSPOST_ROUTING, "AusPost Routing", "auspost-routing", SymbolKind::FourState, nullptr, detail::EncodeAusPostRouting},
    {TYPE_AUSPOST_REDIRECT, "AusPost Redirect", "auspost-redirect", SymbolKind::FourState, nullptr, detail::EncodeAusPostRedirect},
    {TYPE_DATABAR, "GS1 DataBar", "databar databar-omni", SymbolKind::Linear, nullptr, detail::EncodeDataBar},
    {TYPE_DATABAR_TRUNCATED, "DataBar Trunc.", "databar-truncated", SymbolKind::Linear, nullptr, detail::EncodeDataBarTruncated},
    {TYPE_DATABAR_STACKED, "DataBar Stacked", "databar-stacked", SymbolKind::Stacked, nullptr, detail::EncodeDataBarStacked},
    {TYPE_DATABAR_STACKED_OMNI, "DataBar Stk Omni", "databar-stacked-omni", SymbolKind::Stacked, nullptr, detail::EncodeDataBarStackedOmni},
    {TYPE_DATABAR_EXPANDED, "DataBar Expanded", "databar-expanded", SymbolKind::Linear, nullptr, detail::EncodeDataBarExpanded},
    {TYPE_DATABAR_EXPANDED_STACKED, "DataBar Exp Stk", "databar-expanded-stacked", SymbolKind::Stacked, nullptr, detail::EncodeDataBarExpandedStacked},
};

// Row i must hold number i, so that a number indexes the table.
constexpr bool NumbersAreIndices()
{
    for (std::size_t i = 0; i < std::size(SymbologyTable); ++i)
        if (SymbologyTable[i].type != static_cast<std::int32_t>(i))
            return false;
    return true;
}
static_assert(NumbersAreIndices());
static_assert(std::size(SymbologyTable) == kLastSymbology + 1);

} // namespace

std::span<const SymbologyRow> Symbologies()
{
    return SymbologyTable;
}

namespace {

// A name as the lookup compares it: lower case, without '-' and '_', so that
// "EAN-13", "ean_13" and "ean13" are one name.
std::string FoldName(std::string_view name)
{
    std::string folded;
    for (const char c : name)
        if (c != '-' && c != '_')
            folded += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return folded;
}

} // namespace

const SymbologyRow* FindSymbologyByName(std::string_view name)
{
    const std::string wanted = FoldName(name);
    if (wanted.empty())
        return nullptr;
    for (const SymbologyRow& row : SymbologyTable) {
        std::string_view names = row.names;
        while (!names.empty()) {
            const std::size_t end = std::min(names.find(' '), names.size());
            if (FoldName(names.substr(0, end)) == wanted)
                return &row;
            names.remove_prefix(std::min(end + 1, names.size()));
        }
    }
    return nullptr;
}

kavren::detail::EncodeResult EncodeWith(const SymbologyRow& row, const kavren::Options& options,
                                        std::string_view data)
{
    if (data.empty())
        return detail::InvalidData("no data to encode");
    if (const std::size_t nul = data.find('\0'); nul != std::string_view::npos)
        return detail::InvalidData("a NUL byte at position " + std::to_string(nul + 1));
    return row.encode(options, data);
}

const SymbologyRow* FindSymbology(std::int32_t type)
{
    if (type < 0 || static_cast<std::size_t>(type) >= std::size(SymbologyTable))
        return nullptr;
    return &SymbologyTable[static_cast<std::size_t>(type)];
}

std::unique_ptr<CBarcodeSym> CreateBarcodeSym(const CBarcodeSettings& settings)
{
    std::unique_ptr<CBarcodeSym> sym;
    try {
        if (const SymbologyRow* row = FindSymbology(settings.m_Type); row && row->make) {
            sym = row->make(settings);
            sym->Encode(); // validity is kept in the object and reported by Draw
        }
    } catch (const std::bad_alloc&) {
        sym.reset(); // an object that cannot be made is no object
    }
    return sym;
}

} // namespace kavren::detail
