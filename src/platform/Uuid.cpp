#include "platform/Uuid.h"

#include <QUuid>

namespace ql {

QString newUuidString()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

} // namespace ql
