// GS1 Digital Link URI syntax 1.x: GS1 element strings as a web URI. The
// primary key and its key qualifiers form the path, in the order the GS1
// Barcode Syntax Dictionary gives for the key (its `dlpkey` attribute), the
// other elements the query; values are percent-encoded.
#pragma once

#include <kavren/kavren.h>

#include <string>
#include <string_view>

namespace kavren::detail {

struct DigitalLinkResult {
    Status status = Status::Ok;
    std::string detail; // why, when status is not Ok
    std::string uri;
    std::string hri; // the element strings' human-readable interpretation, AIs in parentheses

    explicit operator bool() const { return status == Status::Ok; }
};

// `data`: GS1 data in <AInn> markers or (AI) brackets, always checked as
// --gs1-check checks it. `prefix`: the scheme and domain (and any path) the
// URI starts with, e.g. "https://id.gs1.org"; a trailing '/' is dropped.
DigitalLinkResult DigitalLinkUri(std::string_view prefix, std::string_view data);

} // namespace kavren::detail
