#include "common/EncodedSymbol.h"

namespace kavren::detail {

EncodedSymbol MatrixSymbol(const std::vector<bool>& modules, std::int32_t width, std::int32_t height, double quiet)
{
    EncodedSymbol symbol;
    symbol.kind = SymbolKind::Matrix;
    symbol.length = {static_cast<double>(width), 0};
    symbol.rows.assign(static_cast<std::size_t>(height), SymbolRow{1.0, 0.0});
    symbol.quiet = {quiet, quiet, quiet, quiet};
    for (std::int32_t y = 0; y < height; ++y) {
        const std::size_t rowStart = static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        std::int32_t x = 0;
        while (x < width) {
            if (!modules[rowStart + static_cast<std::size_t>(x)]) {
                ++x;
                continue;
            }
            const std::int32_t runStart = x;
            while (x < width && modules[rowStart + static_cast<std::size_t>(x)])
                ++x;
            symbol.darks.push_back({{static_cast<double>(runStart), 0},
                                    {static_cast<double>(x - runStart), 0},
                                    y,
                                    1,
                                    false,
                                    true});
        }
    }
    return symbol;
}

EncodedSymbol FourStateSymbol(const std::vector<BarState>& bars, double pitch, double barWidth, double ascender,
                              double tracker, double descender, QuietZones quiet)
{
    EncodedSymbol symbol;
    symbol.kind = SymbolKind::FourState;
    const double count = static_cast<double>(bars.size());
    symbol.length = {bars.empty() ? 0.0 : (count - 1.0) * pitch + barWidth, 0};
    // Rows 0 ascender, 1 tracker, 2 descender; each stretches by its height.
    symbol.rows = {{ascender, ascender}, {tracker, tracker}, {descender, descender}};
    symbol.quiet = quiet;
    for (std::size_t i = 0; i < bars.size(); ++i) {
        const bool up = bars[i] == BarState::Ascender || bars[i] == BarState::Full;
        const bool down = bars[i] == BarState::Descender || bars[i] == BarState::Full;
        const std::int32_t first = up ? 0 : 1;
        const std::int32_t last = down ? 2 : 1;
        symbol.darks.push_back(
            {{static_cast<double>(i) * pitch, 0}, {barWidth, 0}, first, last - first + 1, false, true});
    }
    return symbol;
}

} // namespace kavren::detail
