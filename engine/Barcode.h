// The barcode manager, which owns the one symbology object of a run, and the
// size conversions. The manager knows no symbology class: it makes the object
// through the factory it is given (CreateBarcodeSym, symbologies/Symbologies.h).
#pragma once

#include "engine/BarcodeSettings.h"
#include "engine/BarcodeSym.h"

#include <cstdint>
#include <memory>

namespace kavren::detail {

// A new, encoded object of the class that settings.m_Type names; null for a
// number without one. The object is returned even when its data is invalid.
using SymbolFactory = std::unique_ptr<CBarcodeSym> (*)(const CBarcodeSettings& settings);

// Size in the given unit to pixels at that resolution (dots per inch), not
// rounded: the module width of an exact layout. NaN for an unknown unit.
double SizeToPixels(double size, double resolution, SizeUnit unit);

// Size in the given unit to whole pixels (RoundHalfAway); 1 and -1 for an
// unknown unit, else 0.
std::int32_t XDimToPixels(double size, std::int32_t resH, std::int32_t resV, SizeUnit unit, bool horizontal,
                          std::int32_t* pixels);

class CBarcode {
  public:
    // The factory's object of those settings, encoded once; none
    // (GetSymbology null) when their number names no class.
    CBarcode(SymbolFactory factory, const CBarcodeSettings& settings);

    CBarcodeSym* GetSymbology() const { return m_Sym.get(); }
    // Symbol length for an x-dimension, in the same unit. 0 done, 1 failed.
    std::int32_t CalcSymbolLength(double xDim, std::int32_t resH, std::int32_t resV, SizeUnit unit,
                                  double* length) const;

  private:
    std::unique_ptr<CBarcodeSym> m_Sym;
};

} // namespace kavren::detail
