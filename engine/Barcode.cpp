#include "engine/Barcode.h"

#include <climits>
#include <limits>

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

CBarcode::CBarcode(SymbolFactory factory, const CBarcodeSettings& settings) : m_Sym(factory(settings))
{
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
