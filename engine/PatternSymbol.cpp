// The one conversion from the element pattern of the classic symbologies to
// the encoded symbol every layout reads.
#include "engine/BarcodeSym.h"

#include "engine/CompliantRules.h"

#include <algorithm>
#include <cmath>

namespace kavren::detail {

namespace {

// The nominal height of the stretching bar row in modules: the bars of the
// default image (200 pixels across at the default 2-pixel module). Layouts
// that size from the image stretch the row instead.
constexpr double kNominalBarModules = 100.0;

bool IsWide(std::uint8_t code)
{
    return code == WIDE_BAR || code == WIDE_SPACE;
}

bool IsPostal(std::uint8_t code)
{
    return code == POSTAL_TALL || code == POSTAL_SHORT || code == POSTAL_GAP;
}

ModuleSpan Add(ModuleSpan a, const ModuleSpan& b)
{
    a.modules += b.modules;
    a.wides += b.wides;
    return a;
}

// PostNet and Planet: one module per bar or gap; a tall bar over both rows,
// a short one (2/5 of a tall one) over the lower row only.
void AddPostalBars(const std::vector<std::uint8_t>& pattern, EncodedSymbol& symbol)
{
    symbol.kind = SymbolKind::FourState;
    symbol.rows = {{0.6 * kNominalBarModules, 0.6}, {0.4 * kNominalBarModules, 0.4}};
    // At one pixel a short bar would be as tall as a tall one.
    symbol.minStretchPixels = 2;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const double at = static_cast<double>(i);
        if (pattern[i] == POSTAL_TALL)
            symbol.darks.push_back({{at, 0}, {1.0, 0}, 0, 2});
        else if (pattern[i] == POSTAL_SHORT)
            symbol.darks.push_back({{at, 0}, {1.0, 0}, 1, 1});
    }
    symbol.length = {static_cast<double>(pattern.size()), 0};
}

} // namespace

EncodedSymbol CBarcodeSym::ToEncodedSymbol() const
{
    EncodedSymbol symbol;
    symbol.textBand = true;
    if (m_Compliant)
        symbol.guardModules = kGuardExtensionModules;
    const double quiet = GetQuietZoneWidth(1);
    symbol.quiet = {quiet, static_cast<double>(GetTrailingQuietZoneWidth(1)), 0.0, 0.0};
    if (std::any_of(m_Pattern.begin(), m_Pattern.end(), IsPostal)) {
        AddPostalBars(m_Pattern, symbol);
        if (m_ShowText)
            AddTexts(0.0, symbol.length, symbol);
        return symbol;
    }

    // Bearer bars (GS1 General Specifications, ITF-14) run along the top and
    // the bottom of the bars over both quiet zones, and a box closes both
    // ends beyond them: the quiet zones then lie inside the symbol. They are
    // no bars of the code, so the bar width reduction leaves them whole.
    const AddedModules added = GetAddedModules();
    const std::vector<std::uint8_t>* addOn = GetAddOnPattern();
    const bool bearers = added.across > 0;
    const double offset = bearers ? added.before + quiet : 0.0;
    const std::int32_t barRow = bearers ? 1 : 0;
    symbol.rows = {{kNominalBarModules, 1.0}};
    if (bearers) {
        const double width = added.across;
        symbol.rows = {{width, 0.0}, {kNominalBarModules, 1.0}, {width, 0.0}};
        symbol.quiet.leading = symbol.quiet.trailing = 0.0;
    }

    // At most one dark an element, plus the bearers and their box ends.
    symbol.darks.reserve(m_Pattern.size() + (addOn != nullptr ? addOn->size() : 0) + 4);
    ModuleSpan along{offset, 0};
    const auto addElements = [&](const std::vector<std::uint8_t>& pattern, bool main) {
        for (std::size_t element = 0; element < pattern.size(); ++element) {
            const std::uint8_t code = pattern[element];
            const ModuleSpan length = IsWide(code) ? ModuleSpan{0.0, 1}
                                                   : ModuleSpan{static_cast<double>(GetElementLength(code, 1)), 0};
            if (IsBarElement(code))
                symbol.darks.push_back(
                    {along, length, barRow, 1, !main || IsGuardLength(element), false, !main});
            along = Add(along, length);
        }
    };
    addElements(m_Pattern, true);
    const ModuleSpan patternEnd = along;
    if (addOn != nullptr && !addOn->empty()) {
        double addOnModules = 0.0;
        for (const std::uint8_t code : *addOn)
            addOnModules += GetElementLength(code, 1);
        along.modules += added.after - addOnModules; // the gap before the add-on
        addElements(*addOn, false);
    } else if (bearers) {
        along.modules += quiet + added.after;
    } else {
        along.modules += added.after;
    }
    symbol.length = along;
    if (bearers) {
        const ModuleSpan start{0.0, 0};
        symbol.darks.push_back({start, symbol.length, 0, 1, false, true});
        symbol.darks.push_back({start, symbol.length, 2, 1, false, true});
        if (added.before > 0) {
            const ModuleSpan side{static_cast<double>(added.before), 0};
            symbol.darks.push_back({start, side, 1, 1, false, true});
            symbol.darks.push_back({Add(symbol.length, {-side.modules, 0}), side, 1, 1, false, true});
        }
    }
    if (m_ShowText)
        AddTexts(offset, patternEnd, symbol);
    return symbol;
}

// The plain text: the display text from the pattern's start, over the whole
// pattern (which ends at `patternEnd`) when aligned to it.
void CBarcodeSym::AddTexts(double offset, const ModuleSpan& patternEnd, EncodedSymbol& symbol) const
{
    TextItem item;
    item.text = m_DisplayText;
    item.start = {offset, 0};
    if (m_TextAlign >= 1 && m_TextAlign <= 3) {
        item.align = m_TextAlign;
        item.span = {patternEnd.modules - offset, patternEnd.wides};
    }
    symbol.texts.push_back(std::move(item));
}

} // namespace kavren::detail
