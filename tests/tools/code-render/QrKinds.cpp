#include "CodeRenderKinds.h"

namespace coderender {

std::vector<Kind> qrKinds()
{
    return {};
}

} // namespace coderender
