#include "app/window/LongWorkRun.h"

#include <QThreadPool>

namespace ql {

namespace {
// Often enough for a progress bar to move smoothly, seldom enough to cost nothing.
constexpr int kPollMilliseconds = 50;
}

LongWorkRun::LongWorkRun(const CanvasHost::LongWork& work, QObject* parent)
    : QObject(parent), m_shared(std::make_shared<Shared>())
{
    // The work holds what it needs, and the shared state, never the run:
    // the run may go (the window closing) while the work ends.
    QThreadPool::globalInstance()->start([shared = m_shared, work] {
        work([&shared](double done) {
            shared->done = done;
            return !shared->unwanted.load();
        });
        shared->ended = true;
    });
    m_poll.setInterval(kPollMilliseconds);
    connect(&m_poll, &QTimer::timeout, this, &LongWorkRun::poll);
    m_poll.start();
}

LongWorkRun::~LongWorkRun()
{
    m_shared->unwanted = true;
}

void LongWorkRun::poll()
{
    if (!m_shared->ended.load()) {
        emit progressed(m_shared->done.load());
        return;
    }
    m_poll.stop();
    // Posted first: what follows the work may close the window, this with it.
    deleteLater();
    emit finished();
}

} // namespace ql
