// The overflow on a thread the toolkit starts. Only this file sees Qt: its
// -fPIC would give the crash sites local aliases, which reports then name.
#include "ProbeCrashes.h"

#include <QThread>

namespace probe {

void overflowOnQThread()
{
    QThread* overflow = QThread::create([] { probeCrashHere("stack-overflow"); });
    overflow->setObjectName("probe-qthread");
    overflow->start();
    overflow->wait();
}

} // namespace probe
