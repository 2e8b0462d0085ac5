#include "engine/BarcodeSym.h"

#include "image/ImageWriter.h"

#include <climits>

// Placeholder bodies: the layout and drawing engine is being built.
const char* const ControlCharNames[32] = {};

void BytesToText(const std::string&, std::string& out, bool) { out.clear(); }

CBarcodeSym::CBarcodeSym(const CBarcodeSettings& settings) : CBarcodeSettings(settings) {}
int CBarcodeSym::Draw(CImageWriter&, const Rect*) { return 1; }
std::int32_t CBarcodeSym::GetSymbolLength(int) const { return INT_MAX; }
bool CBarcodeSym::FitsInto(int, int, int) const { return false; }
bool CBarcodeSym::FitsCurrentArea() const { return false; }
std::int32_t CBarcodeSym::FindModuleWidth(const Size*) const { return -1; }
void CBarcodeSym::DrawBars(CImageWriter&, int, int) {}
void CBarcodeSym::DrawText(CImageWriter&, int, int, int) {}
std::int32_t CBarcodeSym::GetBarsOrigin(const Rect*, int*, int*) { return 0; }
void CBarcodeSym::LoadData() {}
void CBarcodeSym::BuildDisplayText() {}
bool CBarcodeSym::Prepare() { return m_Valid = Validate(); }
void CBarcodeSym::SetData(const char*) {}
bool CBarcodeSym::HasData() const { return !m_Data.empty(); }
bool CBarcodeSym::IsAllDigits(const char*) { return false; }
std::int32_t CBarcodeSym::GetQuietZoneWidth(int) const { return 0; }
std::int32_t CBarcodeSym::GetFreeSpace(int, int, int) const { return INT_MIN; }
void CBarcodeSym::FillBar(CImageWriter&, int, int, int, int) {}
void CBarcodeSym::DrawPlainText(CImageWriter&, int, int, int, const char*) {}
void CBarcodeSym::DrawTextRun(CImageWriter&, const char*, int, int, int, int, int, int, bool) {}
