// Shadows of a full-page element at print resolutions, and of a small shape
// at deep zoom: time, pixels drawn, and the peak memory the drawing itself
// allocates (the page bitmap it draws on is not counted).
#include "imaging/PathShadows.h"
#include "design/ZVDesignHelper.h"

#include <QImage>
#include <QPainter>
#include <atomic>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <malloc.h>

// Every heap allocation of the program passes through here and is counted.
extern "C" {
void* __libc_malloc(size_t size);
void __libc_free(void* block);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
}

namespace {

std::atomic<long long> bytesInUse {0};
std::atomic<long long> peakBytes {0};

void counted(void* block)
{
    if (!block)
        return;
    const long long now = bytesInUse += (long long)malloc_usable_size(block);
    long long peak = peakBytes.load(std::memory_order_relaxed);
    while (now > peak && !peakBytes.compare_exchange_weak(peak, now, std::memory_order_relaxed)) {
    }
}

void released(void* block)
{
    if (block)
        bytesInUse -= (long long)malloc_usable_size(block);
}

} // namespace

extern "C" {
void* malloc(size_t size)
{
    void* block = __libc_malloc(size);
    counted(block);
    return block;
}
void free(void* block)
{
    released(block);
    __libc_free(block);
}
void* calloc(size_t count, size_t size)
{
    void* block = __libc_calloc(count, size);
    counted(block);
    return block;
}
void* realloc(void* block, size_t size)
{
    const long long before = block ? (long long)malloc_usable_size(block) : 0;
    void* moved = __libc_realloc(block, size);
    if (moved || size == 0)
        bytesInUse -= before;
    counted(moved);
    return moved;
}
void* memalign(size_t alignment, size_t size)
{
    void* block = __libc_memalign(alignment, size);
    counted(block);
    return block;
}
void* aligned_alloc(size_t alignment, size_t size)
{
    return memalign(alignment, size);
}
int posix_memalign(void** out, size_t alignment, size_t size)
{
    void* block = memalign(alignment, size);
    if (!block)
        return ENOMEM;
    *out = block;
    return 0;
}
void* valloc(size_t size)
{
    return memalign(4096, size);
}
}

namespace {

// The peak of what was allocated after it was made, in megabytes.
class PeakSince {
public:
    PeakSince() : m_base(bytesInUse.load()) { peakBytes = m_base; }
    double megabytes() const { return double(peakBytes.load() - m_base) / 1e6; }

private:
    long long m_base;
};

enum Kind { DropShadow, InnerShadow };

const char* label(Kind kind)
{
    return kind == DropShadow ? "drop shadow" : "inner shadow";
}

// A drop shadow is the blurred element, moved by `drop`.
void paintShadow(QPainter& painter, Kind kind, const QRectF& element, double blurPixels, QPointF drop = {})
{
    if (kind == DropShadow) {
        drawBlurWithColor(painter, ql::BezierPath::rect(element.translated(drop)), QColor(0, 0, 0, 120), blurPixels);
    } else {
        QPainterPath path;
        path.addRect(element);
        ql::ZVDesignHelper::drawInnerShadowInContext(painter, path, QColor(0, 0, 0, 160), QSizeF(0, 8), blurPixels);
    }
}

// A letter page with an element over all of it but a 36-point margin; the
// blur is 10 points at every resolution, as output keeps the look.
void pageShadow(benchmark::State& state)
{
    const Kind kind = Kind(state.range(0));
    const double dpi = double(state.range(1));
    const double scale = dpi / 72.0;
    QImage page(int(612 * scale), int(792 * scale), QImage::Format_ARGB32_Premultiplied);
    page.fill(Qt::white);
    const PeakSince peak;
    for (auto _ : state) {
        QPainter painter(&page);
        painter.scale(scale, scale);
        paintShadow(painter, kind, QRectF(36, 36, 540, 720), 10 * scale, QPointF(5, 5));
    }
    const double pixels = double(page.width()) * page.height();
    state.counters["pixels"] = pixels;
    state.counters["pixels/s"] = benchmark::Counter(pixels, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["peak_MB"] = peak.megabytes();
    state.SetLabel(label(kind));
}

// A 60-point square seen through a 100 × 100 window at deep zoom, its top
// edge across the middle: its blur (the drop shadow without the offset) and
// its inner shadow.
void zoomedSquare(benchmark::State& state)
{
    const Kind kind = Kind(state.range(0));
    const double zoom = double(state.range(1));
    QImage window(100, 100, QImage::Format_ARGB32_Premultiplied);
    window.fill(Qt::white);
    const PeakSince peak;
    for (auto _ : state) {
        QPainter painter(&window);
        painter.setTransform(QTransform(zoom, 0, 0, zoom, 50 - 50 * zoom, 30 - 20 * zoom));
        paintShadow(painter, kind, QRectF(20, 20, 60, 60), 4);
    }
    state.counters["peak_MB"] = peak.megabytes();
    state.SetLabel(label(kind));
}

} // namespace

BENCHMARK(pageShadow)->ArgsProduct({{DropShadow, InnerShadow}, {300, 600, 1200}})->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1.0);
BENCHMARK(zoomedSquare)->ArgsProduct({{DropShadow, InnerShadow}, {150, 250, 300}})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
