// EPS pictures turned into pixels for drawing. Identical bytes are converted
// once and shared, at a resolution that serves every size they are drawn at
// (converted again only when drawn larger). A window's conversions run on
// worker threads while it shows placeholders; output and edits wait. Each
// conversion has a time limit, and each document one budget for all of its
// conversions: once spent, its further pictures stay placeholders. A
// conversion that failed or ran out of time is not tried again.
#pragma once

#include "platform/Error.h"

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QMutex>
#include <QObject>
#include <QThreadPool>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace ql {

class PictureConversions : public QObject {
    Q_OBJECT
public:
    struct Limits {
        std::chrono::milliseconds perConversion {std::chrono::seconds(20)};
        std::chrono::milliseconds perDocument {std::chrono::seconds(60)};
    };
    enum class State { Ready, Pending, Failed };
    struct Lookup {
        State state = State::Pending;
        QImage image;
        // Ready from a smaller conversion while the one asked for runs.
        bool interim = false;
    };

    static PictureConversions& shared();
    ~PictureConversions() override;

    // The EPS data drawn into `pixels`: waits for a conversion of the same
    // bytes under way, or runs one here. `document` (may be null) pays.
    Result<QImage> converted(const QByteArray& eps, QSizeF points, QSize pixels, const QObject* document);
    // The same without waiting: a conversion not yet done starts on a worker
    // thread (Pending), and kPictureConversionFinished is posted when it
    // ends. A smaller conversion done already is Ready meanwhile.
    Lookup convertedLater(const QByteArray& eps, QSizeF points, QSize pixels, const QObject* document);

    Limits limits() const;
    void setLimits(const Limits& limits);
    // How many conversions have run (Ghostscript started).
    int conversionCount() const { return m_conversionCount.load(); }
    // Stops the conversions under way and waits for the workers; later
    // conversions run only where a caller waits for them. At quit.
    void shutDown();

private:
    struct Entry;
    struct Budget {
        qint64 spent = 0;
        qint64 reserved = 0;
        bool told = false;
    };

    PictureConversions();
    // The pixels for a request once the entry can answer it; none while a
    // (new) conversion is needed or running.
    static std::optional<Lookup> answer(Entry& entry, QSizeF points, QSize pixels);
    std::shared_ptr<Entry> entryFor(const QByteArray& eps);
    // Marks the entry as converting at the scale `pixels` needs and returns
    // the conversion, for the caller to run or schedule; it fails when the
    // document's time is spent. The caller holds the lock.
    std::function<Status()> startConversion(const std::shared_ptr<Entry>& entry, const QByteArray& eps, QSizeF points,
                                            QSize pixels, const QObject* document, bool forScreen);
    // Gives the document a budget that ends with it.
    void track(const QObject* document);
    // Time granted from the payer's budget, or none when it is spent.
    std::optional<std::chrono::milliseconds> reserve(quintptr payer);
    void release(quintptr payer, std::chrono::milliseconds granted, std::chrono::milliseconds used);
    // Drops the least recently used pictures beyond the memory kept.
    void trim();

    mutable QMutex m_mutex;
    QHash<QByteArray, std::shared_ptr<Entry>> m_entries;
    QHash<quintptr, Budget> m_budgets;
    Limits m_limits;
    quint64 m_clock = 0;
    std::atomic<int> m_conversionCount {0};
    std::atomic<bool> m_cancelled {false};
    QThreadPool m_workers;
};

} // namespace ql
