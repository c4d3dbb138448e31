// The rendered pictures of one 3D text view, one per size in pixels, kept
// until the view's drawing changes. The canvas, the layers panel and bitmap
// output each ask for their own size again and again; rendering the scene
// is what costs, so each size is rendered once. Only a few sizes are kept,
// those asked for longest ago going first, and none larger than a screen's
// worth: an output's large picture is used once.
#pragma once

#include <QImage>
#include <QSize>
#include <vector>

namespace ql {

class Text3DPictures {
public:
    static constexpr int kKeptSizes = 4;
    static constexpr qint64 kLargestKeptPixels = qint64(2048) * 2048;
    // Whether a picture of that size would be kept.
    static bool keeps(QSize pixels)
    {
        return !pixels.isEmpty() && qint64(pixels.width()) * pixels.height() <= kLargestKeptPixels;
    }

    // The picture of that size, or null when none is kept.
    QImage find(QSize pixels);
    // The kept picture whose size is closest to `pixels`, to stand in while
    // the right one is made; null when none is kept.
    QImage nearest(QSize pixels) const;
    // Keeps a picture just rendered (unless it is too large to keep).
    void keep(const QImage& picture);
    // The drawing changed: every kept picture is stale.
    void clear() { m_entries.clear(); }
    bool isEmpty() const { return m_entries.empty(); }

private:
    struct Entry {
        QImage picture;
        quint64 used = 0;
    };
    std::vector<Entry> m_entries;
    quint64 m_clock = 0;
};

} // namespace ql
