// Work that takes long (a flip of a large scan) run off the window's thread,
// so that the window keeps painting while it runs. The work is told how to
// say how far it has come, and learns from the same call when it is no
// longer wanted: once its run is destroyed (the window closed). What follows
// the work runs on the window's thread when it ends, unless it was no
// longer wanted.
#pragma once

#include "canvas/CanvasHost.h"

#include <QObject>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>

namespace ql {

class LongWorkRun : public QObject {
    Q_OBJECT
public:
    LongWorkRun(const CanvasHost::LongWork& work, QObject* parent);
    ~LongWorkRun() override;

signals:
    // How much is done, from 0 to 1, now and then while the work runs.
    void progressed(double done);
    // The work has ended; the run goes right after.
    void finished();

private:
    struct Shared {
        std::atomic<double> done {0.0};
        std::atomic<bool> unwanted {false};
        std::atomic<bool> ended {false};
    };
    void poll();

    std::shared_ptr<Shared> m_shared;
    QTimer m_poll;
};

} // namespace ql
