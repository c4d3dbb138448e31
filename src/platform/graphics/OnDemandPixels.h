// Pixels made only when first asked for, at the size asked where that is
// smaller than the picture, and kept while the process-wide budget of such
// pixels has room (the least recently used go first); asked for again
// later, they are made again. Pictures a document stored (StoredBitmap) and
// pictures computed from others (ComputedBitmap) are shown so.
#pragma once

#include <QImage>
#include <QSize>
#include <mutex>

namespace ql {

class OnDemandPixels {
public:
    // Pixels kept across all pictures, in bytes.
    static constexpr qint64 kKeptBytes = qint64(128) << 20;

    virtual ~OnDemandPixels();
    OnDemandPixels(const OnDemandPixels&) = delete;
    OnDemandPixels& operator=(const OnDemandPixels&) = delete;

    // The pixels of the whole picture as made: those of a file, or fewer
    // where they would take more memory than one picture may.
    QSize pixelSize() const { return m_pixelSize; }
    virtual bool hasAlpha() const = 0;

    // The picture with at least `wanted` pixels where it has more, all of
    // them otherwise (or for an empty size); null when it cannot be made.
    QImage pixels(QSize wanted = {}) const;
    // Whether it can be made: found out once, by making it small unless it
    // was made before.
    bool decodes() const;
    // Whether it was made and could not be; nothing is made to tell.
    bool failedToDecode() const;
    // The most pixels asked for so far (as a drawing asks for them), kept
    // or not; empty before any were.
    QSize largestAsked() const;

    // Numbers this picture apart from every other such picture the process
    // makes, whichever of them are gone.
    quint64 serial() const { return m_serial; }

protected:
    explicit OnDemandPixels(QSize pixelSize);
    // The picture at `size` pixels (no more than its own), or null. It may
    // run on any thread, and on several at once.
    virtual QImage make(QSize size) const = 0;

private:
    friend class KeptPixels;
    // The kept pixels go, unless they are being read.
    void forget() const;

    const QSize m_pixelSize;
    const quint64 m_serial;
    enum class Decodes { Unknown, Yes, No };
    mutable std::mutex m_mutex;
    mutable QImage m_kept;
    mutable QSize m_largestAsked;
    mutable Decodes m_decodes = Decodes::Unknown;
};

} // namespace ql
