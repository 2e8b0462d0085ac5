// UCC/EAN-128 (GS1-128): Code 128 with FNC1 and application identifiers written
// as markers in the data text: "<FNC1>" and "<AI" + 2..5 digits + ">".
#pragma once

#include "symbologies/Code128.h"

#include <string>
#include <vector>

namespace kavren::detail {

struct Gs1Mark;

class CBarcodeSymUCCEAN128 : public CBarcodeSymCode128 {
  public:
    explicit CBarcodeSymUCCEAN128(const CBarcodeSettings& settings);
    ~CBarcodeSymUCCEAN128() override = default;
    bool Encode() override;

    // Whether data of the identifier whose first two digits are `prefix` (0..99)
    // needs an FNC1 after it when another field follows; true for -1 (no identifier).
    static bool IsVariableLengthAI(int prefix);
    // Resolves the markers of `data`: the bytes to encode and the human-readable text,
    // and where each marked identifier starts in the bytes.
    static void WalkMarkers(const std::string& data, std::string& bytes, std::string& text,
                            std::vector<Gs1Mark>* marks = nullptr);

  protected:
    bool Validate() override;
    void LoadData() override;
    void BuildDisplayText() override;
    // With m_Gs1Check, whether the element strings the data encodes pass the GS1
    // syntax check; m_ErrorDetail names the failed rule.
    bool PassesGs1Check();
};

} // namespace kavren::detail
