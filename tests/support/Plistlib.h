// python3's plistlib as the independent writer of property lists in tests.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <gtest/gtest.h>

namespace ql::test {

// plistlib's serialisation of a python expression, format "XML" or "BINARY";
// the expression may use the datetime module.
inline QByteArray plistlibDump(const QString& expression, const QString& format)
{
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import plistlib, sys, datetime\n"
                                 "sys.stdout.buffer.write(plistlib.dumps(%1, fmt=plistlib.FMT_%2))")
                      .arg(expression, format)});
    if (!python.waitForFinished(60000) || python.exitCode() != 0) {
        ADD_FAILURE() << "plistlib failed: " << python.readAllStandardError().toStdString();
        return {};
    }
    return python.readAllStandardOutput();
}

} // namespace ql::test
