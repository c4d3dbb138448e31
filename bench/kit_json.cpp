// Reading settings documents of the size the kit still accepts (4 MB): one
// wide object of short keys, and one of the usual shape repeated.
#include "sdk/foundation/Json.h"
#include "sdk/settings/RIGSettings.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <string>

namespace {

std::string wideObject()
{
    std::string text = "{";
    char member[32];
    for (int i = 0; text.size() + sizeof member < qlkit::RIGSettings::kMaximumSettingsLength; ++i) {
        std::snprintf(member, sizeof member, "%s\"k%07d\":%d", i ? "," : "", i, i);
        text += member;
    }
    return text + "}";
}

std::string settingsLike()
{
    const std::string one = R"({"app":{"status":"activated","update_required":false},"features":{"collect_reports":true,)"
                            R"("collect_analytics":true},"session":{"max_custom_events":64,"flush_interval":600},"tags":["a","b"]})";
    std::string text = "[";
    while (text.size() + one.size() + 2 < qlkit::RIGSettings::kMaximumSettingsLength)
        text += (text.size() > 1 ? "," : "") + one;
    return text + "]";
}

void parse(benchmark::State& state, const std::string& text)
{
    for (auto _ : state) {
        auto result = qlkit::json::parse(text);
        if (!result.value)
            state.SkipWithError(result.error.c_str());
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
}

void BM_WideObject(benchmark::State& state) { parse(state, wideObject()); }
void BM_SettingsLikeDocuments(benchmark::State& state) { parse(state, settingsLike()); }

} // namespace

BENCHMARK(BM_WideObject)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SettingsLikeDocuments)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
