// 3D text pictures a window asked for and did not wait for. They are
// rendered on the window's thread a few at a time, between its frames, so
// that a zoom or a page switch shows at once (old pictures scaled) and the
// new ones come in over the next frames. Each view whose picture came
// redraws, and the layers panel is asked to redraw its thumbnails.
#pragma once

#include <QObject>
#include <QPointer>
#include <QHash>
#include <QSize>
#include <deque>
#include <utility>

class ZV3DTextView;

namespace ql {

class Text3DRenderQueue : public QObject {
    Q_OBJECT
public:
    // Rendering stops for the next frame once a turn has taken this long.
    static constexpr int kSliceMilliseconds = 12;

    static Text3DRenderQueue& shared();

    // The view's picture of that size is wanted; asking again changes
    // nothing.
    void request(const ZV3DTextView& view, QSize pixels);
    // Renders everything asked for now (tests and benchmarks).
    void finish();
    bool isEmpty() const { return m_jobs.empty(); }

private:
    using Key = std::pair<quintptr, quint64>;
    struct Job {
        QPointer<ZV3DTextView> view;
        QSize pixels;
        Key key;
    };
    void schedule();
    // Renders until the slice is used up (or everything, for a negative one).
    void renderSome(int sliceMilliseconds);

    std::deque<Job> m_jobs;
    // The views waiting, by address and size: a view gone, and another made
    // at its address, is not taken for it.
    QHash<Key, QPointer<ZV3DTextView>> m_waiting;
    bool m_scheduled = false;
};

} // namespace ql
