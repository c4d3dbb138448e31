// Runs a helper program (Ghostscript, pdftops) on data that came in a
// document, which may have been made to do harm: the program works in a
// fresh private folder (0700) that holds only what it is given, sees a
// minimal environment whose temporary folders point there, dies with this
// program, gets as many seconds of processor time as it may take of wall
// time, and is stopped when it runs past that; its address space and the
// files it writes are bounded too. The folder goes with the object.
#pragma once

#include "platform/Error.h"

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>

namespace ql {

class ConfinedProcess {
public:
    enum class Ending { NotStarted, Finished, Crashed, TimedOut, Cancelled };
    struct Outcome {
        Ending ending = Ending::NotStarted;
        int exitCode = -1;
        // The start of what the program wrote on its standard error, or why
        // it did not start.
        QString messages;
        // Wall time from start to end.
        std::chrono::milliseconds elapsed {0};

        bool succeeded() const { return ending == Ending::Finished && exitCode == 0; }
    };

    ConfinedProcess();
    ConfinedProcess(const ConfinedProcess&) = delete;
    ConfinedProcess& operator=(const ConfinedProcess&) = delete;

    // Whether the private folder exists; why not otherwise.
    bool isValid() const { return m_folder.isValid(); }
    QString errorString() const { return m_folder.errorString(); }
    QString folderPath() const { return m_folder.path(); }
    QString filePath(const QString& name) const { return m_folder.filePath(name); }

    // Puts `data` into the folder as `name`.
    Status writeFile(const QString& name, const QByteArray& data) const;

    // Runs `program` (an absolute path) in the folder and waits for it, at
    // most `timeLimit`, and only while `cancelled` (if given) stays false.
    // Its standard input is empty and its standard output is dropped.
    Outcome run(const QString& program, const QStringList& arguments, std::chrono::milliseconds timeLimit,
                const std::atomic<bool>* cancelled = nullptr) const;

private:
    QTemporaryDir m_folder;
};

} // namespace ql
