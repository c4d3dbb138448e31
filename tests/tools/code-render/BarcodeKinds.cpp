#include "CodeRenderKinds.h"

namespace coderender {

std::vector<Kind> barcodeKinds()
{
    return {};
}

} // namespace coderender
