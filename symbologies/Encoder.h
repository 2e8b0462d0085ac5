// The encoder's contract: a function of the data and the options that change
// the modules, returning the encoded symbol or a status with its detail. No
// object state, no call order; the layout and the renderers never see the
// symbology's rules.
#pragma once

#include "common/EncodedSymbol.h"

#include <kavren/kavren.h>

#include <string>
#include <string_view>
#include <utility>

namespace kavren::detail {

struct EncodeResult {
    Status status = Status::Ok;
    std::string detail; // why, when status is not Ok (the message's third line)
    EncodedSymbol symbol;

    explicit operator bool() const { return status == Status::Ok; }
};

// The result of data the symbology cannot take: InvalidText with the reason.
inline EncodeResult InvalidData(std::string detail)
{
    EncodeResult result;
    result.status = Status::InvalidText;
    result.detail = std::move(detail);
    return result;
}

// What the encoders of the symbology table have in common: the options as the
// caller set them (only the fields that change the modules are read) and the
// data bytes.
using EncodeFunction = EncodeResult (*)(const Options& options, std::string_view data);

} // namespace kavren::detail
