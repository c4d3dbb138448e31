#include "canvas/painting/Text3DRenderQueue.h"

#include "content/ZV3DTextView.h"
#include "platform/runtime/NotificationCenter.h"

#include <QElapsedTimer>
#include <QTimer>
#include <vector>

namespace ql {

namespace {

std::pair<quintptr, quint64> keyOf(const ZV3DTextView* view, QSize pixels)
{
    return {quintptr(view), (quint64(quint32(pixels.width())) << 32) | quint32(pixels.height())};
}

} // namespace

Text3DRenderQueue& Text3DRenderQueue::shared()
{
    static Text3DRenderQueue* queue = new Text3DRenderQueue;
    return *queue;
}

void Text3DRenderQueue::request(const ZV3DTextView& view, QSize pixels)
{
    auto* asking = const_cast<ZV3DTextView*>(&view);
    const auto key = keyOf(asking, pixels);
    QPointer<ZV3DTextView>& waiting = m_waiting[key];
    if (waiting == asking)
        return;
    waiting = asking;
    m_jobs.push_back({asking, pixels, key});
    schedule();
}

void Text3DRenderQueue::schedule()
{
    if (m_scheduled || m_jobs.empty())
        return;
    m_scheduled = true;
    // A timer, not a posted call: the window's own repaint goes first.
    QTimer::singleShot(1, this, [this] {
        m_scheduled = false;
        renderSome(kSliceMilliseconds);
    });
}

void Text3DRenderQueue::finish()
{
    renderSome(-1);
}

void Text3DRenderQueue::renderSome(int sliceMilliseconds)
{
    QElapsedTimer clock;
    clock.start();
    std::vector<QPointer<ZV3DTextView>> rendered;
    while (!m_jobs.empty() && (sliceMilliseconds < 0 || clock.elapsed() < sliceMilliseconds)) {
        const Job job = m_jobs.front();
        m_jobs.pop_front();
        if (const auto waiting = m_waiting.constFind(job.key);
            waiting != m_waiting.cend() && (waiting->isNull() || *waiting == job.view))
            m_waiting.erase(waiting);
        if (!job.view)
            continue;
        // Changed since it was asked for, the view has asked for a redraw of
        // its own; only a picture it keeps is worth a redraw.
        if (!job.view->picture(job.pixels).isNull() && !job.view->keptPicture(job.pixels).isNull())
            rendered.push_back(job.view);
    }
    for (const QPointer<ZV3DTextView>& view : rendered) {
        if (view)
            view->setNeedsDisplay();
    }
    if (!rendered.empty())
        NotificationCenter::defaultCenter().post(QStringLiteral("redrawLayerThumbs"));
    schedule();
}

} // namespace ql

