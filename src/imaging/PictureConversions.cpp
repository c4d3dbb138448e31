#include "imaging/PictureConversions.h"

#include "imaging/VectorRendering.h"
#include "platform/graphics/PictureConversionScope.h"
#include "platform/runtime/NotificationCenter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMutexLocker>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <future>

namespace ql {

namespace {

// Twice a point's pixels at least: sharp when zoomed in and on dense screens,
// and one conversion serves every smaller size.
constexpr double kBaseScale = 2.0;
// Converted pictures (and their bytes) kept for drawing again.
constexpr qint64 kKeptBytes = qint64(512) << 20;
constexpr int kBudgetSpent = 10;

PictureConversions* s_shared = nullptr;

Error conversionError(int code, const QString& message)
{
    return Error {QString::fromLatin1(kVectorRenderingErrorDomain), code, message};
}

bool drawable(QSizeF points, QSize pixels)
{
    return !pixels.isEmpty() && points.width() > 0 && points.height() > 0 && std::isfinite(points.width())
        && std::isfinite(points.height());
}

double wantedScale(QSizeF points, QSize pixels)
{
    return std::max(pixels.width() / points.width(), pixels.height() / points.height());
}

// The most pixels a point a conversion of this bounding box may have.
double largestScale(QSizeF points)
{
    return std::sqrt(kLargestEpsRendering / (points.width() * points.height()));
}

double conversionScale(QSizeF points, QSize pixels)
{
    const double wanted = wantedScale(points, pixels);
    double scale = kBaseScale;
    while (scale < wanted && scale < 1e6)
        scale *= 2.0;
    return std::min(scale, largestScale(points));
}

double seconds(std::chrono::milliseconds time)
{
    return double(time.count()) / 1000.0;
}

} // namespace

struct PictureConversions::Entry {
    // The largest conversion so far, and its pixels a point.
    QImage image;
    double scale = 0.0;
    // The last size asked for, made from it.
    QImage sized;
    std::optional<Error> failure;
    bool running = false;
    std::shared_future<void> done;
    quint64 lastUse = 0;
};

PictureConversions& PictureConversions::shared()
{
    static PictureConversions conversions;
    return conversions;
}

PictureConversions::PictureConversions()
{
    // Ghostscript is mostly one thread; two leave the rest of the machine be.
    m_workers.setMaxThreadCount(std::clamp(QThread::idealThreadCount() / 2, 1, 2));
    if (QCoreApplication* application = QCoreApplication::instance()) {
        moveToThread(application->thread());
        // Conversions still running end with the application, not after it.
        s_shared = this;
        qAddPostRoutine([] {
            if (s_shared)
                s_shared->shutDown();
        });
    }
}

PictureConversions::~PictureConversions()
{
    shutDown();
    s_shared = nullptr;
}

PictureConversions::Limits PictureConversions::limits() const
{
    const QMutexLocker lock(&m_mutex);
    return m_limits;
}

void PictureConversions::setLimits(const Limits& limits)
{
    const QMutexLocker lock(&m_mutex);
    m_limits = limits;
}

void PictureConversions::shutDown()
{
    m_cancelled = true;
    m_workers.waitForDone();
}

std::optional<PictureConversions::Lookup> PictureConversions::answer(Entry& entry, QSizeF points, QSize pixels)
{
    const bool enough = entry.scale >= 0.999 * std::min(wantedScale(points, pixels), largestScale(points));
    // A larger conversion that failed leaves the smaller one to serve.
    if (entry.image.isNull() || !(enough || entry.failure))
        return entry.failure ? std::optional(Lookup {State::Failed, {}}) : std::nullopt;
    if (entry.sized.size() != pixels)
        entry.sized = entry.image.size() == pixels
            ? entry.image
            : entry.image.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return Lookup {State::Ready, entry.sized};
}

std::shared_ptr<PictureConversions::Entry> PictureConversions::entryFor(const QByteArray& eps)
{
    std::shared_ptr<Entry>& entry = m_entries[eps];
    if (!entry)
        entry = std::make_shared<Entry>();
    entry->lastUse = ++m_clock;
    return entry;
}

Result<QImage> PictureConversions::converted(const QByteArray& eps, QSizeF points, QSize pixels,
                                             const QObject* document)
{
    if (!drawable(points, pixels))
        return conversionError(1, QStringLiteral("Nothing to render: the size is empty."));
    QMutexLocker lock(&m_mutex);
    track(document);
    std::shared_ptr<Entry> entry = entryFor(eps);
    for (bool started = false;;) {
        if (const std::optional<Lookup> found = answer(*entry, points, pixels)) {
            if (found->state == State::Ready)
                return found->image;
            return *entry->failure;
        }
        if (entry->running) {
            const std::shared_future<void> done = entry->done;
            lock.unlock();
            done.wait();
            lock.relock();
            continue;
        }
        if (started)
            return conversionError(kEpsFailed, QStringLiteral("Ghostscript could not render the EPS image."));
        const std::function<Status()> job = startConversion(entry, eps, points, pixels, document, false);
        started = true;
        lock.unlock();
        const Status ran = job();
        lock.relock();
        if (!ran)
            return ran.error();
    }
}

PictureConversions::Lookup PictureConversions::convertedLater(const QByteArray& eps, QSizeF points, QSize pixels,
                                                              const QObject* document)
{
    if (!drawable(points, pixels))
        return Lookup {State::Failed, {}};
    QMutexLocker lock(&m_mutex);
    track(document);
    std::shared_ptr<Entry> entry = entryFor(eps);
    if (const std::optional<Lookup> found = answer(*entry, points, pixels))
        return *found;
    // A smaller conversion stands in until the larger one is done.
    Lookup meanwhile;
    if (!entry->image.isNull()) {
        meanwhile.state = State::Ready;
        meanwhile.interim = true;
        meanwhile.image = entry->image.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    if (!entry->running && !m_cancelled) {
        const std::function<Status()> job = startConversion(entry, eps, points, pixels, document, true);
        m_workers.start([job] { job(); });
    }
    return meanwhile;
}

std::function<Status()> PictureConversions::startConversion(const std::shared_ptr<Entry>& entry, const QByteArray& eps,
                                                            QSizeF points, QSize pixels, const QObject* document,
                                                            bool forScreen)
{
    entry->running = true;
    auto promise = std::make_shared<std::promise<void>>();
    entry->done = promise->get_future().share();
    const double scale = conversionScale(points, pixels);
    const QSize size(std::max(1, int(std::ceil(points.width() * scale - 1e-6))),
                     std::max(1, int(std::ceil(points.height() * scale - 1e-6))));
    const quintptr payer = quintptr(document);
    return [this, entry, eps, points, size, scale, payer, forScreen, promise]() -> Status {
        Status status;
        std::optional<std::chrono::milliseconds> granted;
        Result<QImage> result = conversionError(kEpsCancelled, QStringLiteral("The program is quitting."));
        if (forScreen && m_cancelled) {
            status = result.error();
        } else if (granted = reserve(payer); !granted) {
            status = conversionError(kBudgetSpent, QStringLiteral("This document's time for converting EPS "
                                                                  "pictures is spent."));
        } else {
            ++m_conversionCount;
            QElapsedTimer clock;
            clock.start();
            result = renderEps(eps, points, size, *granted, forScreen ? &m_cancelled : nullptr);
            release(payer, *granted, std::chrono::milliseconds(clock.elapsed()));
            if (!result)
                status = result.error();
        }
        const bool cancelled = !result && result.error().code == kEpsCancelled;
        // What Ghostscript made of the picture is final; a missing program
        // or a full disk may not be.
        const bool final = !result && (result.error().code == kEpsTimedOut || result.error().code == kEpsFailed);
        {
            const QMutexLocker lock(&m_mutex);
            entry->running = false;
            if (result && scale > entry->scale) {
                entry->image = result->convertToFormat(QImage::Format_ARGB32_Premultiplied);
                entry->scale = scale;
                entry->sized = QImage();
            } else if (final) {
                entry->failure = result.error();
            }
            // Unpaid or stopped, the picture may still be converted for
            // another document or another time.
            if (entry->image.isNull() && !entry->failure && m_entries.value(eps) == entry)
                m_entries.remove(eps);
            trim();
        }
        promise->set_value();
        if (!result && result.error().code == kEpsTimedOut)
            qWarning("%s It is shown as a placeholder.", qPrintable(result.error().message));
        if (forScreen && granted && !cancelled) {
            QMetaObject::invokeMethod(
                this, [] { NotificationCenter::defaultCenter().post(QString::fromLatin1(kPictureConversionFinished)); },
                Qt::QueuedConnection);
        }
        return status;
    };
}

void PictureConversions::track(const QObject* document)
{
    const quintptr key = quintptr(document);
    if (!document || m_budgets.contains(key))
        return;
    m_budgets.insert(key, Budget {});
    connect(document, &QObject::destroyed, this, [this, key] {
        const QMutexLocker lock(&m_mutex);
        m_budgets.remove(key);
    });
}

std::optional<std::chrono::milliseconds> PictureConversions::reserve(quintptr payer)
{
    QMutexLocker lock(&m_mutex);
    // Drawing for no document (an edit of one picture) has only the limit
    // of each conversion; a failed one is not tried again.
    if (payer == 0)
        return m_limits.perConversion;
    Budget& budget = m_budgets[payer];
    const qint64 left = m_limits.perDocument.count() - budget.spent - budget.reserved;
    if (left <= 0) {
        const bool tell = !budget.told;
        budget.told = true;
        const double total = seconds(m_limits.perDocument);
        lock.unlock();
        if (tell) {
            qWarning("EPS pictures of this document took their %g s of conversion time; the others are shown as "
                     "placeholders.", total);
        }
        return std::nullopt;
    }
    const std::chrono::milliseconds granted(std::min<qint64>(m_limits.perConversion.count(), left));
    budget.reserved += granted.count();
    return granted;
}

void PictureConversions::release(quintptr payer, std::chrono::milliseconds granted, std::chrono::milliseconds used)
{
    if (payer == 0)
        return;
    const QMutexLocker lock(&m_mutex);
    Budget& budget = m_budgets[payer];
    budget.reserved -= granted.count();
    budget.spent += used.count();
}

void PictureConversions::trim()
{
    qint64 total = 0;
    QList<std::pair<quint64, QByteArray>> idle;
    for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it) {
        const Entry& entry = *it.value();
        total += it.key().size() + entry.image.sizeInBytes() + entry.sized.sizeInBytes();
        if (!entry.running)
            idle.append({entry.lastUse, it.key()});
    }
    if (total <= kKeptBytes)
        return;
    std::sort(idle.begin(), idle.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [lastUse, key] : idle) {
        if (total <= kKeptBytes)
            break;
        const Entry& entry = *m_entries.value(key);
        total -= key.size() + entry.image.sizeInBytes() + entry.sized.sizeInBytes();
        m_entries.remove(key);
    }
}

} // namespace ql
