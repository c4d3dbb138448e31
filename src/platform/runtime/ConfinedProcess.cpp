#include "platform/runtime/ConfinedProcess.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <csignal>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace ql {

namespace {

const QString kMessagesFile = QStringLiteral(".messages");
// Enough of a program's complaint to say what went wrong.
constexpr qint64 kMessagesKept = 2000;
// No file the program writes grows past this: a runaway cannot fill the disk.
constexpr rlim_t kLargestFile = rlim_t(2) << 30;
// Nor does it take more memory than this: a small document can make a
// converter allocate without end, and the machine must not pay for it.
constexpr rlim_t kLargestAddressSpace = rlim_t(1) << 30;
// How often a wait looks at the clock and at cancellation.
constexpr int kPollMilliseconds = 50;

Error processError(int code, const QString& message)
{
    return Error {QStringLiteral("ql.ConfinedProcess"), code, message};
}

QProcessEnvironment minimalEnvironment(const QString& folder)
{
    // Nothing of ours (home, caches, session): only the private folder.
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    for (const char* name : {"HOME", "TMPDIR", "TEMP", "TMP"})
        environment.insert(QString::fromLatin1(name), folder);
    return environment;
}

} // namespace

ConfinedProcess::ConfinedProcess() : m_folder(QDir::tempPath() + QStringLiteral("/quiverleaf-XXXXXX")) {}

Status ConfinedProcess::writeFile(const QString& name, const QByteArray& data) const
{
    if (!isValid())
        return processError(1, QStringLiteral("No private folder for the conversion: %1").arg(errorString()));
    QFile file(filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.flush())
        return processError(2, QStringLiteral("The data could not be written for the conversion: %1").arg(file.errorString()));
    return {};
}

ConfinedProcess::Outcome ConfinedProcess::run(const QString& program, const QStringList& arguments,
                                              std::chrono::milliseconds timeLimit,
                                              const std::atomic<bool>* cancelled) const
{
    Outcome outcome;
    if (!isValid()) {
        outcome.messages = QStringLiteral("No private folder for the conversion: %1").arg(errorString());
        return outcome;
    }
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(folderPath());
    process.setProcessEnvironment(minimalEnvironment(folderPath()));
    // A program that reads its input meets the end at once; one that prints
    // without end fills nothing.
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(filePath(kMessagesFile));
    const pid_t parent = ::getpid();
    const rlim_t seconds = rlim_t(std::max<qint64>(1, (timeLimit.count() + 999) / 1000));
    process.setChildProcessModifier([parent, seconds] {
        // Killed with us, even when we are killed; we may already be gone.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(127);
        // Stopped by the system should our own clock never get to it.
        const rlimit processorTime {seconds, seconds + 1};
        ::setrlimit(RLIMIT_CPU, &processorTime);
        const rlimit fileSize {kLargestFile, kLargestFile};
        ::setrlimit(RLIMIT_FSIZE, &fileSize);
        const rlimit addressSpace {kLargestAddressSpace, kLargestAddressSpace};
        ::setrlimit(RLIMIT_AS, &addressSpace);
    });
    QElapsedTimer clock;
    clock.start();
    process.start();
    if (!process.waitForStarted()) {
        outcome.messages = process.errorString();
        return outcome;
    }
    while (!process.waitForFinished(kPollMilliseconds) && process.state() != QProcess::NotRunning) {
        const bool stop = cancelled && cancelled->load();
        if (stop || clock.elapsed() >= timeLimit.count()) {
            outcome.ending = stop ? Ending::Cancelled : Ending::TimedOut;
            process.kill();
            process.waitForFinished(-1);
            outcome.elapsed = std::chrono::milliseconds(clock.elapsed());
            return outcome;
        }
    }
    outcome.elapsed = std::chrono::milliseconds(clock.elapsed());
    outcome.ending = process.exitStatus() == QProcess::NormalExit ? Ending::Finished : Ending::Crashed;
    outcome.exitCode = process.exitCode();
    QFile messages(filePath(kMessagesFile));
    if (messages.open(QIODevice::ReadOnly))
        outcome.messages = QString::fromLocal8Bit(messages.read(kMessagesKept)).trimmed();
    return outcome;
}

} // namespace ql
