#include "engine/Barcode.h"

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

#include <climits>
#include <new>

namespace {

std::unique_ptr<CBarcodeSym> NewSymbology(const CBarcodeSettings& s)
{
    switch (s.m_Type) {
    case 0: return std::make_unique<CBarcodeSymInterl25>(s);
    case 1: return std::make_unique<CBarcodeSymIndustr25>(s);
    case 2: return std::make_unique<CBarcodeSymCode39>(s);
    case 3: return std::make_unique<CBarcodeSymCode39Ext>(s);
    case 4: return std::make_unique<CBarcodeSymCode11>(s);
    case 5: return std::make_unique<CBarcodeSymCodabar>(s);
    case 6: return std::make_unique<CBarcodeSymMSI>(s);
    case 7: return std::make_unique<CBarcodeSymCode128>(s);
    case 8: return std::make_unique<CBarcodeSymEAN2>(s);
    case 9: return std::make_unique<CBarcodeSymEAN5>(s);
    case 10: return std::make_unique<CBarcodeSymEAN8>(s);
    case 11: return std::make_unique<CBarcodeSymEAN13>(s);
    case 12: return std::make_unique<CBarcodeSymEAN14>(s);
    case 13: return std::make_unique<CBarcodeSymUPCA>(s);
    case 14: return std::make_unique<CBarcodeSymUPCE>(s);
    case 15: return std::make_unique<CBarcodeSymUCCEAN128>(s);
    case 16: return std::make_unique<CBarcodeSymSSCC18>(s);
    case 17: return std::make_unique<CBarcodeSymPostPlaNet>(s, true);
    case 18: return std::make_unique<CBarcodeSymPostPlaNet>(s, false);
    case 19: return std::make_unique<CBarcodeSymCode93>(s);
    case 20: return std::make_unique<CBarcodeSymCode93Ext>(s);
    case 21: return std::make_unique<CBarcodeSymITF14>(s);
    default: return nullptr;
    }
}

} // namespace

std::unique_ptr<CBarcodeSym> CreateBarcodeSym(const CBarcodeSettings& settings)
{
    std::unique_ptr<CBarcodeSym> sym;
    try {
        sym = NewSymbology(settings);
        if (sym)
            sym->Encode(); // validity is kept in the object and reported by Draw
    } catch (const std::bad_alloc&) {
        sym.reset(); // an object that cannot be made is no object
    }
    return sym;
}

std::int32_t XDimToPixels(double size, std::int32_t resH, std::int32_t resV, SizeUnit unit, bool horizontal,
                          std::int32_t* pixels)
{
    if (pixels == nullptr)
        return 1;
    const double res = horizontal ? resH : resV;
    double value = 0.0;
    switch (unit) {
    case SizeUnit::Mils: value = size * 0.001 * res; break;
    case SizeUnit::Inches: value = res * size; break;
    case SizeUnit::Millimetres: value = size / 25.4 * res; break;
    case SizeUnit::Pixels: value = size; break;
    default: *pixels = -1; return 1;
    }
    *pixels = RoundHalfAway(value);
    return 0;
}

CBarcode::CBarcode() : m_Sym(CreateBarcodeSym(CBarcodeSettings{}))
{
}

std::unique_ptr<CBarcodeSym> CBarcode::CreateForType(std::int32_t type) const
{
    CBarcodeSettings settings;
    try {
        if (m_Sym)
            settings = *m_Sym;
    } catch (const std::bad_alloc&) {
        return nullptr; // the settings could not be copied: no new object
    }
    settings.m_Type = type;
    std::unique_ptr<CBarcodeSym> sym = CreateBarcodeSym(settings);
    if (sym && m_Sym) {
        sym->m_ModuleWidth = m_Sym->m_ModuleWidth;
        sym->m_AreaWidth = m_Sym->m_AreaWidth;
        sym->m_AreaHeight = m_Sym->m_AreaHeight;
    }
    return sym;
}

bool CBarcode::SetType(std::int32_t type)
{
    if (!m_Sym)
        return false;
    if (m_Sym->m_Type == type)
        return true;
    std::unique_ptr<CBarcodeSym> sym = CreateForType(type);
    if (!sym)
        return false;
    m_Sym = std::move(sym);
    return true;
}

std::int32_t CBarcode::CalcSymbolLength(double xDim, std::int32_t resH, std::int32_t resV, SizeUnit unit,
                                        double* length) const
{
    if (!m_Sym || length == nullptr)
        return 1;
    const bool horizontal = m_Sym->m_Orientation == 0 || m_Sym->m_Orientation == 180;
    std::int32_t moduleWidth = 0;
    if (XDimToPixels(xDim, resH, resV, unit, horizontal, &moduleWidth) != 0)
        return 1;
    // A module narrower than one pixel draws nothing; treat it like a length of 0.
    if (moduleWidth < 1)
        return 1;
    const std::int32_t pixels = m_Sym->GetSymbolLength(moduleWidth);
    if (pixels == 0 || pixels == INT_MAX)
        return 1;
    if (unit == SizeUnit::Pixels) {
        *length = pixels; // the resolution plays no part
        return 0;
    }
    // A module of at least one pixel came from a non-zero resolution, so this divides safely.
    const double inches = static_cast<double>(pixels) / (horizontal ? resH : resV);
    switch (unit) {
    case SizeUnit::Mils: *length = inches * 1000.0; break;
    case SizeUnit::Inches: *length = inches; break;
    case SizeUnit::Millimetres: *length = inches * 25.4; break;
    case SizeUnit::Pixels: break;
    }
    return 0;
}
