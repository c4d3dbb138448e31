#include "DocumentTestSupport.h"

#include <QFile>
#include <QProcess>

namespace ql::testing {

QByteArray fileContents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(data), data.size());
}

namespace {

QString runPython(const QString& script, const QString& path)
{
    QProcess python;
    python.start(QStringLiteral("python3"), {QStringLiteral("-c"), script, path});
    python.waitForFinished();
    return QString::fromUtf8(python.readAllStandardOutput()).trimmed() + QString::fromUtf8(python.readAllStandardError()).trimmed();
}

} // namespace

QString plistlib(const QString& path, const QString& expression)
{
    return runPython(QStringLiteral("import plistlib,sys\nd = plistlib.load(open(sys.argv[1], 'rb'))\nprint(%1)").arg(expression), path);
}

void editWithPlistlib(const QString& path, const QString& statement)
{
    const QString output = runPython(
        QStringLiteral("import plistlib,sys\nd = plistlib.load(open(sys.argv[1], 'rb'))\n%1\n"
                       "open(sys.argv[1], 'wb').write(plistlib.dumps(d, fmt=plistlib.FMT_BINARY, sort_keys=False))")
            .arg(statement),
        path);
    ASSERT_TRUE(output.isEmpty()) << output.toStdString();
}

} // namespace ql::testing
