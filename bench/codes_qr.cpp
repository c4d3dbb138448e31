// Encoding 100 texts of 20 to 500 characters at level L with the smallest
// version that fits, as the code browser asks, beside libqrencode encoding the
// same texts in the same process.
#include "codes/qr/QREncoder.h"

#include <benchmark/benchmark.h>
#include <qrencode.h>

#include <random>
#include <string>
#include <vector>

namespace {

const std::vector<std::string>& texts()
{
    static const std::vector<std::string> all = [] {
        const std::string pools[] = {
            "0123456789",
            "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:",
            "abcdefghijklmnopqrstuvwxyz ,.;:!?-'ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789",
            "https://example.org/items?id=0123456789&page=",
        };
        std::mt19937 random(500);
        std::uniform_int_distribution<int> length(20, 500);
        std::vector<std::string> out;
        for (int i = 0; i < 100; ++i) {
            const std::string& pool = pools[i % 4];
            std::uniform_int_distribution<size_t> pick(0, pool.size() - 1);
            std::string text;
            const int n = length(random);
            for (int k = 0; k < n; ++k)
                text += pool[pick(random)];
            out.push_back(text);
        }
        return out;
    }();
    return all;
}

void quiverleafEncoder(benchmark::State& state)
{
    for (auto _ : state) {
        for (const std::string& text : texts()) {
            const ql::DataMatrix matrix = ql::QREncoder::encodeCStringWithECLevel(0, -1, text.c_str());
            benchmark::DoNotOptimize(matrix.dimension());
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(texts().size()));
}
BENCHMARK(quiverleafEncoder)->Unit(benchmark::kMillisecond);

void libqrencode(benchmark::State& state)
{
    for (auto _ : state) {
        for (const std::string& text : texts()) {
            QRcode* code = QRcode_encodeString(text.c_str(), 0, QR_ECLEVEL_L, QR_MODE_8, 1);
            benchmark::DoNotOptimize(code->width);
            QRcode_free(code);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(texts().size()));
}
BENCHMARK(libqrencode)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
