// defaults-writer STORE PREFIX COUNT
//
// Another running copy of the program, as far as its settings go: sets COUNT
// keys "PREFIX-0" ... each to its number, one change at a time, in the store
// at STORE, then waits (at most a minute) until every change is written.
// Exit 0 once written, 1 when not, 64 on a wrong command line.
#include "platform/runtime/UserDefaults.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    bool counted = false;
    const int count = argc == 4 ? QString::fromLocal8Bit(argv[3]).toInt(&counted) : 0;
    if (!counted) {
        std::fprintf(stderr, "usage: defaults-writer STORE PREFIX COUNT\n");
        return 64;
    }
    ql::UserDefaults defaults(QString::fromLocal8Bit(argv[1]));
    const QString prefix = QString::fromLocal8Bit(argv[2]);
    for (int i = 0; i < count; ++i)
        defaults.setInteger(prefix + QLatin1Char('-') + QString::number(i), i);
    const QDeadlineTimer deadline(60000);
    while (!defaults.synchronize()) {
        if (deadline.hasExpired())
            return 1;
        QThread::msleep(50);
    }
    return 0;
}
