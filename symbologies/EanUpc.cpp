#include "symbologies/EanUpc.h"

#include "engine/BarcodeSym.h"

// Not built yet.
void CBarcodeSym::DrawEanUpcText(CImageWriter&, int, int, int) {}
