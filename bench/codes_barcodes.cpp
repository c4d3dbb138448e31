// Making and rendering an EAN-13, a UPC-A, a Code 128 and a Code 39 to an
// image at bar scale 1 and at the code browser's bar scale (20), beside
// libzint encoding and rasterizing the same messages in the same process.
// Both make a finished raster of the symbol with its human-readable text.
// zint's raster scale 1 draws 2 pixels per module, so its scale 10 matches
// bar scale 20; below scale 1 zint leaves its text out, so at bar scale 1 it
// draws at scale 1 (twice our pixels per module) to draw the text at all.
// libzint_without_text draws at scale 0.5, our pixels per module, bars only.
#include "codes/barcodes/BCCode128Code.h"
#include "codes/barcodes/BCCode39Code.h"
#include "codes/barcodes/BCCodeRenderer.h"
#include "codes/barcodes/BCEAN13Code.h"
#include "codes/barcodes/BCUPCACode.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>
#include <zint.h>
#include "QtBenchmarkMain.h"

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

void label(benchmark::State& state)
{
    state.SetLabel(std::string(Messages[state.range(0)].name) + " at bar scale " + std::to_string(state.range(1)));
}

// Make and render, as the code browser does for each message typed.
void quiverleaf(benchmark::State& state)
{
    const QString text = QString::fromLatin1(Messages[state.range(0)].text);
    const ql::BCRenderOptions options{{ql::BCCodeDrawingBarScale, double(state.range(1))}};
    const ql::BCCodeRenderer renderer;
    for (auto _ : state) {
        auto code = makeCode(int(state.range(0)), text);
        if (!code) {
            state.SkipWithError("the message was refused");
            break;
        }
        QImage image = renderer.imageWithBarCode(code->get(), options);
        benchmark::DoNotOptimize(image.constBits());
    }
    label(state);
}

void rasterizeWithZint(benchmark::State& state, float scale)
{
    const Message& message = Messages[state.range(0)];
    for (auto _ : state) {
        zint_symbol* symbol = ZBarcode_Create();
        symbol->symbology = message.zintSymbology;
        symbol->scale = scale;
        symbol->show_hrt = 1; // zint's default, stated: the text is part of the work
        const int error = ZBarcode_Encode_and_Buffer(symbol, reinterpret_cast<const unsigned char*>(message.text),
                                                     int(strlen(message.text)), 0);
        benchmark::DoNotOptimize(symbol->bitmap);
        ZBarcode_Delete(symbol);
        if (error >= ZINT_ERROR) {
            state.SkipWithError("zint refused the message");
            break;
        }
    }
    label(state);
}

void libzint(benchmark::State& state)
{
    rasterizeWithZint(state, state.range(1) == 20 ? 10.0f : 1.0f);
}

void libzint_without_text(benchmark::State& state)
{
    rasterizeWithZint(state, 0.5f);
}

void arguments(benchmark::internal::Benchmark* benchmark)
{
    for (int kind = 0; kind < 4; ++kind)
        for (int scale : {1, 20})
            benchmark->Args({kind, scale});
    benchmark->Unit(benchmark::kMillisecond);
}

} // namespace

BENCHMARK(quiverleaf)->Apply(arguments);
BENCHMARK(libzint)->Apply(arguments);
BENCHMARK(libzint_without_text)->ArgsProduct({{0, 1, 2, 3}, {1}})->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return runQtBenchmarks<QGuiApplication>(argc, argv);
}
