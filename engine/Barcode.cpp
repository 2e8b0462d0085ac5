#include "engine/Barcode.h"

#include <climits>
#include <limits>
#include <new>

namespace kavren::detail {

double SizeToPixels(double size, double resolution, SizeUnit unit)
{
    switch (unit) {
    case SizeUnit::Mils: return size * 0.001 * resolution;
    case SizeUnit::Inches: return resolution * size;
    case SizeUnit::Millimetres: return size / 25.4 * resolution;
    case SizeUnit::Pixels: return size;
    }
    return std::numeric_limits<double>::quiet_NaN();
}

std::int32_t XDimToPixels(double size, std::int32_t resH, std::int32_t resV, SizeUnit unit, bool horizontal,
                          std::int32_t* pixels)
{
    if (pixels == nullptr)
        return 1;
    if (unit != SizeUnit::Mils && unit != SizeUnit::Inches && unit != SizeUnit::Millimetres &&
        unit != SizeUnit::Pixels) {
        *pixels = -1;
        return 1;
    }
    *pixels = RoundHalfAway(SizeToPixels(size, horizontal ? resH : resV, unit));
    return 0;
}

CBarcode::CBarcode(SymbolFactory factory) : m_Factory(factory), m_Sym(factory(CBarcodeSettings{}))
{
}

CBarcode::CBarcode(SymbolFactory factory, const CBarcodeSettings& settings)
    : m_Factory(factory), m_Sym(factory(settings))
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
    std::unique_ptr<CBarcodeSym> sym = m_Factory(settings);
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

} // namespace kavren::detail
