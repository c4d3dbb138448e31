// crash-report-dump: prints what a crash report says, as one JSON object.
//
//   crash-report-dump FILE
//
// FILE is a report's signal.hlyrecord or exception.hlyrecord; the images
// come from binary_images.hlyrecord beside it. Output:
//   {"event":{"kind","name","code","reason"?},"crashed_thread",
//    "threads":[{"name","frames"}],"images":[{"base","size","path","build_id"}]}
// Exit 0, or 1 with a one-line error.
#include "crash/capture/HLYFile.h"
#include "sdk/foundation/FileOps.h"
#include "sdk/foundation/Json.h"

#include <cstdlib>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>

using namespace qlkit;

namespace {

int fail(const std::string& message)
{
    std::cerr << "crash-report-dump: " << message << "\n";
    return 1;
}

const Value* member(const Value& object, const char* key)
{
    const Map* map = object.asMap();
    return map ? map->find(key) : nullptr;
}

// The section's value when the line is that section.
const Value* section(const Value& line, const char* name) { return member(line, name); }

std::string fromHex(const std::string& hex)
{
    std::string text;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        text += char(std::stoi(hex.substr(i, 2), nullptr, 16));
    return text;
}

// Signal codes are written as unsigned 64-bit patterns (-6 as 2^64 - 6),
// which a double cannot hold: they are read from the line's text instead.
Value signedCode(const std::string& text)
{
    const std::string key = "\"code\":";
    const auto at = text.find(key);
    if (at == std::string::npos)
        return Value();
    return Value(std::int64_t(std::strtoull(text.c_str() + at + key.size(), nullptr, 10)));
}

std::optional<Map> eventOf(const Value& line, const std::string& text)
{
    if (const Value* signal = section(line, "signal")) {
        Map event {{"kind", "signal"}};
        const Value* name = member(*signal, "name");
        const Value* codeName = member(*signal, "code_name");
        event.set("name", name ? *name : Value());
        event.set("code", signedCode(text));
        if (codeName && codeName->asString())
            event.set("reason", *codeName);
        return event;
    }
    if (const Value* exception = section(line, "exception")) {
        const Value* type = member(*exception, "type");
        const Value* name = member(*exception, "name");
        const Value* reason = member(*exception, "reason");
        Map event {{"kind", type ? *type : Value()}};
        event.set("name", name && name->asString() ? Value(fromHex(*name->asString())) : Value());
        event.set("code", Value());
        if (reason && reason->asString())
            event.set("reason", fromHex(*reason->asString()));
        return event;
    }
    return std::nullopt;
}

Array imagesBeside(const std::filesystem::path& file)
{
    const auto path = file.parent_path() / "binary_images.hlyrecord";
    const auto lines = HLYFileReadSections(path.c_str(), false);
    std::vector<Map> images;
    for (const auto& line : lines.value_or(Array {})) {
        const Value* load = section(line, "load");
        const Value* unload = section(line, "unload");
        const Value* record = load ? load : unload;
        const Value* base = record ? member(*record, "base") : nullptr;
        if (!base)
            continue;
        std::erase_if(images, [&](const Map& image) { return *image.find("base") == *base; });
        if (!load)
            continue;
        const Value* size = member(*record, "size");
        const Value* imagePath = member(*record, "path");
        const Value* uuid = member(*record, "uuid");
        images.push_back(Map {{"base", *base},
                              {"size", size ? *size : Value()},
                              {"path", imagePath ? *imagePath : Value()},
                              {"build_id", uuid ? *uuid : Value()}});
    }
    return Array(images.begin(), images.end());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return fail("usage: crash-report-dump FILE");
    const std::filesystem::path file = argv[1];
    const auto lines = HLYFileReadSections(file.c_str(), false);
    if (!lines)
        return fail("cannot read " + file.string());

    std::optional<Map> event;
    const Value* threads = nullptr;
    const Value* names = nullptr;
    const std::string firstLine = files::readFile(file).value_or("").substr(0, 4096);
    for (const auto& line : *lines) {
        if (!event)
            event = eventOf(line, firstLine);
        if (!threads)
            threads = section(line, "threads");
        if (!names)
            names = section(line, "thread_names");
    }
    if (!event)
        return fail("no signal or exception record in " + file.string());
    if (!threads || !threads->asArray())
        return fail("no threads section in " + file.string());

    Array dumped;
    Value crashed;
    const Array& list = *threads->asArray();
    for (std::size_t i = 0; i < list.size(); ++i) {
        const Value* name = names && names->asArray() && i < names->asArray()->size() ? &(*names->asArray())[i] : nullptr;
        const Value* frames = member(list[i], "stacktrace");
        const Value* isCrashed = member(list[i], "crashed");
        if (isCrashed && isCrashed->boolValue())
            crashed = Value(i);
        dumped.push_back(Map {{"name", name ? *name : Value("")}, {"frames", frames ? *frames : Value(Array {})}});
    }
    const Map output {{"event", *event}, {"crashed_thread", crashed}, {"threads", dumped}, {"images", imagesBeside(file)}};
    std::cout << json::serialize(output) << "\n";
    return 0;
}
