// Making and rendering an EAN-13, a UPC-A, a Code 128 and a Code 39 to an
// image at bar scale 1 and at the code browser's bar scale (20), beside
// libzint encoding and rasterizing the same messages in the same process.
// libzint is set up, before the timing, to draw the picture ours draws: the
// same pixels per module, width and height, and its text exactly where ours
// has a caption. libzint draws no text below 2 pixels per module, nor in a
// picture lower than its text (Code 128 and Code 39 are 34 pixels tall at any
// bar scale), so there it draws the bars alone at our size; at bar scale 1
// ours is also timed without its caption, the same work as libzint's. Each pair is run 9
// times; the ratios of the medians are printed at the end.
#include "codes/barcodes/BCCode128Code.h"
#include "codes/barcodes/BCCode39Code.h"
#include "codes/barcodes/BCCodeRenderer.h"
#include "codes/barcodes/BCEAN13Code.h"
#include "codes/barcodes/BCUPCACode.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>
#include <zint.h>
#include <cstdio>
#include <string>
#include "MedianReporter.h"

namespace {

struct Message {
    const char* name;
    int zintSymbology;
    const char* text;
};

// Indexed by the benchmarks' first argument.
const Message Messages[] = {
    {"EAN-13", BARCODE_EANX, "9780306406157"},
    {"UPC-A", BARCODE_UPCA, "036000291452"},
    {"Code 128", BARCODE_CODE128, "QL-2026-128"},
    {"Code 39", BARCODE_CODE39, "QL 39-AB"},
};

ql::Result<ql::BCCodePtr> makeCode(int kind, const QString& text)
{
    const auto erase = [](auto made) -> ql::Result<ql::BCCodePtr> {
        if (!made)
            return made.error();
        return ql::BCCodePtr(std::move(made).value());
    };
    switch (kind) {
    case 0: return erase(ql::BCEAN13Code::create(text));
    case 1: return erase(ql::BCUPCACode::create(text));
    case 2: return erase(ql::BCCode128Code::create(text));
    default: return erase(ql::BCCode39Code::create(text));
    }
}

ql::BCRenderOptions ourOptions(int scale, bool caption)
{
    ql::BCRenderOptions options{{ql::BCCodeDrawingBarScale, double(scale)}};
    if (!caption)
        options.insert(ql::BCCodeDrawingPrintCaption, false);
    return options;
}

QImage ourPicture(int kind, int scale, bool caption)
{
    auto code = makeCode(kind, QString::fromLatin1(Messages[kind].text));
    return code ? ql::BCCodeRenderer().imageWithBarCode(code->get(), ourOptions(scale, caption)) : QImage();
}

// Whether our picture has a caption: without one it is the same picture as
// with the caption turned off.
bool ourPictureHasCaption(int kind, int scale)
{
    return ourPicture(kind, scale, true) != ourPicture(kind, scale, false);
}

std::string describe(int kind, int scale, QSize size)
{
    return std::string(Messages[kind].name) + " at bar scale " + std::to_string(scale) + ", "
        + std::to_string(size.width()) + "x" + std::to_string(size.height());
}

// Make and render, as the code browser does for each message typed.
void drawOurs(benchmark::State& state, bool caption)
{
    const int kind = int(state.range(0));
    const int scale = int(state.range(1));
    const QString text = QString::fromLatin1(Messages[kind].text);
    const ql::BCRenderOptions options = ourOptions(scale, caption);
    const ql::BCCodeRenderer renderer;
    for (auto _ : state) {
        auto code = makeCode(kind, text);
        if (!code) {
            state.SkipWithError("the message was refused");
            break;
        }
        QImage image = renderer.imageWithBarCode(code->get(), options);
        benchmark::DoNotOptimize(image.constBits());
    }
    const bool drawn = caption && ourPictureHasCaption(kind, scale);
    state.SetLabel(describe(kind, scale, ourPicture(kind, scale, caption).size())
                   + (drawn ? ", with caption" : ", bars only"));
}

void quiverleaf(benchmark::State& state)
{
    drawOurs(state, true);
}

void quiverleaf_without_caption(benchmark::State& state)
{
    drawOurs(state, false);
}

// How libzint draws the same picture as ours.
struct ZintSetup {
    float scale = 0.5f;
    int whitespace = 0;
    int outputOptions = 0;
    float height = 0; // in modules; 0 for libzint's default
    bool text = false;
};

zint_symbol* zintDrawing(const Message& message, const ZintSetup& setup, int& error)
{
    zint_symbol* symbol = ZBarcode_Create();
    symbol->symbology = message.zintSymbology;
    symbol->scale = setup.scale;
    symbol->whitespace_width = setup.whitespace;
    symbol->output_options = setup.outputOptions;
    symbol->show_hrt = setup.text ? 1 : 0;
    if (setup.height > 0)
        symbol->height = setup.height;
    error = ZBarcode_Encode_and_Buffer(symbol, reinterpret_cast<const unsigned char*>(message.text),
                                       int(strlen(message.text)), 0);
    return symbol;
}

QSize zintSize(const Message& message, const ZintSetup& setup)
{
    int error = 0;
    zint_symbol* symbol = zintDrawing(message, setup, error);
    const QSize size = error < ZINT_ERROR ? QSize(symbol->bitmap_width, symbol->bitmap_height) : QSize();
    ZBarcode_Delete(symbol);
    return size;
}

// Searches libzint's quiet zones and whitespace for our width, then its bar
// height for our height. Where no whitespace gives our width exactly (its
// quiet zones grow two modules at a time), the widest picture not wider
// than ours is taken, so that libzint never does more work than ours.
ZintSetup zintSetupFor(const Message& message, QSize size, float scale, bool text)
{
    ZintSetup best;
    int bestWidth = 0;
    for (const int options : {0, BARCODE_NO_QUIET_ZONES}) {
        for (int whitespace = 0; whitespace < 64; ++whitespace) {
            const ZintSetup setup{scale, whitespace, options, 0, text};
            const int width = zintSize(message, setup).width();
            if (width > size.width())
                break;
            if (width > bestWidth) {
                best = setup;
                bestWidth = width;
            }
        }
    }
    // The bitmap's height grows with the bar height: the least whole pixel
    // count of bar height that reaches ours.
    int low = 1;
    int high = size.height() * 2;
    while (low < high) {
        const int middle = (low + high) / 2;
        best.height = float(middle) / (2 * scale);
        if (zintSize(message, best).height() >= size.height())
            high = middle;
        else
            low = middle + 1;
    }
    best.height = float(low) / (2 * scale);
    return best;
}

void libzint(benchmark::State& state)
{
    const int kind = int(state.range(0));
    const int scale = int(state.range(1));
    const Message& message = Messages[kind];
    const float zintScale = float(scale) / 2; // libzint's scale 1 draws 2 pixels per module
    const bool caption = ourPictureHasCaption(kind, scale);
    // libzint draws no text below its scale 1, nor in a picture lower than
    // its text: there it draws the bars alone at our size.
    bool text = caption && zintScale >= 1;
    const QSize ours = ourPicture(kind, scale, true).size();
    ZintSetup setup = zintSetupFor(message, ours, zintScale, text);
    QSize drawn = zintSize(message, setup);
    if (text && drawn.height() != ours.height()) {
        text = false;
        setup = zintSetupFor(message, ours, zintScale, text);
        drawn = zintSize(message, setup);
    }
    if (drawn.height() != ours.height() || drawn.width() <= 0) {
        state.SkipWithError("libzint cannot draw a picture of our size");
        return;
    }
    for (auto _ : state) {
        int error = 0;
        zint_symbol* symbol = zintDrawing(message, setup, error);
        benchmark::DoNotOptimize(symbol->bitmap);
        ZBarcode_Delete(symbol);
        if (error >= ZINT_ERROR) {
            state.SkipWithError("zint refused the message");
            break;
        }
    }
    state.SetLabel(describe(kind, scale, drawn) + (text ? ", with text" : ", bars only")
                   + (caption && !text ? " (ours has a caption)" : "")
                   + (drawn.width() != ours.width() ? " (ours " + std::to_string(ours.width()) + " wide)" : ""));
}

void arguments(benchmark::internal::Benchmark* benchmark)
{
    for (int kind = 0; kind < 4; ++kind)
        for (int scale : {1, 20})
            benchmark->Args({kind, scale});
}

void medians(benchmark::internal::Benchmark* benchmark)
{
    benchmark->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);
}

} // namespace

BENCHMARK(quiverleaf)->Apply(arguments)->Apply(medians);
BENCHMARK(libzint)->Apply(arguments)->Apply(medians);
// At bar scale 1 libzint draws no text: ours without its caption does the same work.
BENCHMARK(quiverleaf_without_caption)->ArgsProduct({{0, 1, 2, 3}, {1}})->Apply(medians);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const auto& zint = reporter.times["libzint"];
    for (const auto& [name, times] : reporter.times) {
        if (name == "libzint")
            continue;
        for (const auto& [args, time] : times) {
            if (const auto peer = zint.find(args); peer != zint.end())
                std::printf("%s/%s against libzint: %.2fx (target at most 1.0)\n", name.c_str(), args.c_str(),
                            time / peer->second);
        }
    }
    return 0;
}
