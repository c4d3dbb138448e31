// Helpers for the archive tests: python's plistlib as the independent reader
// and writer, and temporary files.
#pragma once

#include "platform/archive/KeyedArchiver.h"

#include <QByteArray>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace ql::test {

inline QString helperScript()
{
    return QStringLiteral(QUIVERLEAF_SOURCE_DIR "/tests/platform/archive/plist_helper.py");
}

// Runs the plist helper; fails the test when it does not exit cleanly.
inline QByteArray runHelper(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral("python3"), QStringList {helperScript()} + arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        ADD_FAILURE() << "plist_helper.py " << arguments.join(u' ').toStdString() << " failed: "
                      << process.readAllStandardError().toStdString();
        return {};
    }
    return process.readAllStandardOutput();
}

inline void writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(data), data.size());
}

inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// What plistlib (checked against a raw walk of the file) sees in the data.
inline QJsonObject describe(const QByteArray& data)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("archive.plist"));
    writeFile(path, data);
    return QJsonDocument::fromJson(runHelper({QStringLiteral("describe"), path})).object();
}

// A fixture written by plistlib.
inline QByteArray pythonFixture(const QString& kind)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(kind + QStringLiteral(".plist"));
    runHelper({QStringLiteral("fixture"), kind, path});
    return readFile(path);
}

inline QByteArray finished(KeyedArchiver& archiver)
{
    Result<QByteArray> data = archiver.finish();
    if (!data) {
        ADD_FAILURE() << data.error().describe().toStdString();
        return {};
    }
    return *data;
}

struct ToolRun {
    int exitCode = -1;
    QByteArray errorOutput;
};

// Runs the archive-roundtrip tool on IN, writing OUT; a crash reads as -1.
inline ToolRun runRoundTrip(const QString& in, const QString& out)
{
    QProcess process;
    process.start(QStringLiteral(QUIVERLEAF_BINARY_DIR "/tools/archive-roundtrip"), {in, out});
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardError()};
}

} // namespace ql::test
