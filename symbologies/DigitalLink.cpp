#include "symbologies/DigitalLink.h"

namespace kavren::detail {

DigitalLinkResult DigitalLinkUri(std::string_view, std::string_view)
{
    DigitalLinkResult result;
    result.status = Status::InvalidText;
    result.detail = "GS1 Digital Link is not available";
    return result;
}

} // namespace kavren::detail
