#include "symbologies/EanUpc.h"

#include "engine/BarcodeSym.h"

// Placeholder bodies: the EAN/UPC machinery is being built.
int CheckDigit3131(const char*, int) { return 0; }
int CheckDigit1313(const char*, int) { return 0; }
bool EncodeEanDigit(std::vector<std::uint8_t>&, int, bool&) { return false; }
bool EncodeEanParityDigit(std::vector<std::uint8_t>&, int, bool, bool&) { return false; }
void CBarcodeSym::DrawEanUpcText(CImageWriter&, int, int, int) {}
