#include "platform/Error.h"

namespace ql {

QString Error::describe() const
{
    return QStringLiteral("%1 (%2): %3").arg(domain).arg(code).arg(message);
}

} // namespace ql
