// Names the prompts listen for on the default notification centre.
#pragma once

#include <QString>

namespace ql {

// Posted by start-up once the program has finished launching.
inline const QString applicationDidFinishLaunchingNotification = QStringLiteral("ApplicationDidFinishLaunching");

} // namespace ql
