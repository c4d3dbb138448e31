// Helpers of the output command tests: the per-user folders moved into the
// test's own folder, commands run to their end, and what poppler and PIL
// read in the files they wrote.
#pragma once

#include "../output/OutputTestSupport.h"

#include "app/export/OutputCommand.h"
#include "platform/runtime/Deferred.h"
#include "support/EnvironmentChange.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <optional>

namespace ql::testing {

// Points the home folder, and so the per-user cache and data folders, at
// `path` while it lives.
class HomeFolder {
public:
    explicit HomeFolder(const QString& path)
        : m_home("HOME", QFile::encodeName(path).toStdString()), m_config("XDG_CONFIG_HOME", std::nullopt),
          m_cache("XDG_CACHE_HOME", std::nullopt), m_data("XDG_DATA_HOME", std::nullopt)
    {
    }

private:
    EnvironmentChange m_home, m_config, m_cache, m_data;
};

// Runs a command's steps to its end; its failures, one line each. A
// command that never said it finished has failed, whatever it wrote.
template <class Command, class Start>
QStringList runCommand(Command* command, Start start)
{
    std::optional<QStringList> failures;
    const QObject listener;
    QObject::connect(command, &OutputCommand::finished, &listener,
                     [&failures, command](bool) { failures = command->failures(); });
    start(*command);
    DeferredCalls::instance().flush();
    if (failures)
        return *failures;
    // A finished command deletes itself; this one, and what it left to do, go here.
    delete command;
    return {QStringLiteral("The command did not finish")};
}

// pdfinfo's "Pages" and the size of page 1 ("612 x 792").
inline QPair<int, QString> pdfPagesAndSize(const QString& pdf, int page = 1)
{
    const ProgramRun run = runProgram(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QString::number(page),
                                                                  QStringLiteral("-l"), QString::number(page), pdf});
    QPair<int, QString> result {-1, QString()};
    for (const QString& line : run.out.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("Pages:")))
            result.first = line.section(QLatin1Char(':'), 1).trimmed().toInt();
        if (line.startsWith(QLatin1String("Page")) && line.contains(QLatin1String(" size:")))
            result.second = line.section(QLatin1Char(':'), 1).section(QLatin1String(" pts"), 0, 0).trimmed();
    }
    return result;
}

// What PIL says of a JPEG: its format, size and the distinct values of
// each quantization table.
inline QJsonObject jpegInfo(const QString& path)
{
    const ProgramRun run = runProgram(
        QStringLiteral("/usr/bin/python3"),
        {QStringLiteral("-c"),
         QStringLiteral("import json, sys\nfrom PIL import Image\nim = Image.open(sys.argv[1])\n"
                        "print(json.dumps({'format': im.format, 'size': list(im.size),\n"
                        "  'tables': [sorted(set(t)) for t in getattr(im, 'quantization', {}).values()]}))"),
         path});
    return QJsonDocument::fromJson(run.out.toUtf8()).object();
}

} // namespace ql::testing
