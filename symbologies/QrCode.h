// QR Code model 2 and Micro QR (ISO/IEC 18004:2015).
#pragma once

#include "symbologies/Encoder.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace kavren::detail {

// `qr`: versions 1..40 (options.version 0: the smallest that holds the data),
// EC options.ecLevel, mask options.mask (-1: by the penalty rules), an ECI
// designator options.eci (-1: none). Quiet zone 4 modules.
EncodeResult EncodeQr(const Options& options, std::string_view data);
// `gs1-qr`: GS1 data in <AInn> markers or (AI) brackets, FNC1 in first
// position (18004 7.4.8.1).
EncodeResult EncodeGs1Qr(const Options& options, std::string_view data);
// `micro-qr`: M1..M4 (options.version 1..4). Quiet zone 2 modules.
EncodeResult EncodeMicroQr(const Options& options, std::string_view data);

// What the encoders share, for tests that check codewords and the matrix.
struct QrMatrix {
    std::int32_t size = 0;
    std::int32_t version = 0; // 1..40; Micro QR 1..4 for M1..M4
    bool micro = false;
    Options::EcLevel ecLevel = Options::EcLevel::M;
    std::int32_t mask = 0;
    std::vector<std::uint8_t> dataCodewords; // before error correction
    std::vector<std::uint8_t> codewords;     // interleaved, as placed
    std::vector<bool> modules;               // row-major, true dark
};

struct QrBuild {
    Status status = Status::Ok;
    std::string detail;
    QrMatrix matrix;

    explicit operator bool() const { return status == Status::Ok; }
};

// `fnc1`: data is GS1 element strings with GS (0x1D) as separator.
QrBuild BuildQr(const Options& options, std::string_view data, bool micro, bool fnc1);

} // namespace kavren::detail
