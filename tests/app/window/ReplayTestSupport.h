// Runs canvas-replay on a document with a script, and reads what a saved
// document keeps (pages, UUIDs, master links, element frames and angles)
// through plistlib, for the tests that drive the window with it.
#pragma once

#include "../document/DocumentTestSupport.h"
#include "../output/OutputTestSupport.h"

#include <QDir>

#include <QFile>
#include <QProcess>
#include <QStringList>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

namespace ql::testing {

struct ToolRun {
    int exitCode = -1;
    QString errors;
    QString output;
};

class ReplayFixture : public DocumentFixture {
protected:
    // Saves leave their desktop thumbnails in the test's folder, not the user's cache.
    ReplayFixture() { environment.insert(QStringLiteral("XDG_CACHE_HOME"), path(QStringLiteral("cache"))); }

    ToolRun replay(const QString& document, const QString& script, const QString& out, const QStringList& extra = {})
    {
        QProcess tool;
        tool.setProcessEnvironment(environment);
        tool.start(QStringLiteral(QUIVERLEAF_BINARY_DIR "/tools/canvas-replay"),
                   QStringList {document, scriptFile(script), out} + extra);
        EXPECT_TRUE(tool.waitForFinished(60000));
        // Its own message is the last line; the platform may say things before it.
        const QStringList lines = QString::fromUtf8(tool.readAllStandardError()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        return {tool.exitCode(), lines.value(lines.size() - 1), QString::fromUtf8(tool.readAllStandardOutput())};
    }

    // The most memory (KiB) the tool held while it ran the script to a good
    // end; -1 when it failed. A sanitized tool frees at once: AddressSanitizer
    // would otherwise hold up to 256 MB of freed blocks back from reuse, and
    // the peak would count them as held.
    long replayPeakKilobytes(const QString& document, const QString& script, const QString& out)
    {
        const QByteArray program = QByteArrayLiteral(QUIVERLEAF_BINARY_DIR "/tools/canvas-replay");
        QList<QByteArray> arguments {program, QFile::encodeName(document), QFile::encodeName(scriptFile(script)),
                                     QFile::encodeName(out)};
        QProcessEnvironment measured = environment;
        const QString sanitizer = measured.value(QStringLiteral("ASAN_OPTIONS"));
        measured.insert(QStringLiteral("ASAN_OPTIONS"),
                        (sanitizer.isEmpty() ? QString() : sanitizer + QLatin1Char(':'))
                            + QStringLiteral("quarantine_size_mb=0"));
        QList<QByteArray> settings;
        for (const QString& setting : measured.toStringList())
            settings.append(setting.toLocal8Bit());
        const auto pointers = [](QList<QByteArray>& list) {
            std::vector<char*> result;
            for (QByteArray& item : list)
                result.push_back(item.data());
            result.push_back(nullptr);
            return result;
        };
        pid_t child = -1;
        if (posix_spawn(&child, program.constData(), nullptr, nullptr, pointers(arguments).data(),
                        pointers(settings).data()) != 0)
            return -1;
        int status = 0;
        rusage usage {};
        if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            return -1;
        return usage.ru_maxrss;
    }

    // The document's pages drawn by page-render at 72 dpi, "page_N.png" in
    // the folder returned.
    QString renderPages(const QString& documentPath)
    {
        const QString out = path(QStringLiteral("rendered"));
        EXPECT_TRUE(QDir().mkpath(out));
        const ProgramRun run = pageRender({documentPath, out, QStringLiteral("--format"), QStringLiteral("png"),
                                           QStringLiteral("--dpi"), QStringLiteral("72"), QStringLiteral("--name"),
                                           QStringLiteral("page")});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        return out;
    }

    QString summary(const QString& documentPath) { return readWith(QStringLiteral("replay_summary.py"), documentPath); }

    // What one of this folder's plistlib readers prints for a document.
    QString readWith(const QString& script, const QString& documentPath)
    {
        QProcess python;
        python.start(QStringLiteral("python3"),
                     {QStringLiteral(QUIVERLEAF_SOURCE_DIR "/tests/app/window/") + script, documentPath});
        EXPECT_TRUE(python.waitForFinished(30000));
        EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
        return QString::fromUtf8(python.readAllStandardOutput());
    }

    // The script in the test's folder, as the tool reads it.
    QString scriptFile(const QString& script)
    {
        QFile file(path(QStringLiteral("script.txt")));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(script.toUtf8());
        return file.fileName();
    }

    // The tool's environment; tests may point its home elsewhere.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
};

} // namespace ql::testing
