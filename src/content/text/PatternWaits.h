// Whether text layout on a thread waits for hyphenation patterns that are
// still loading. The thread that shows windows does not while a
// NoWaitForPatterns lives on it: it lays words out whole meanwhile and again
// once the patterns are there. Output drawn on that thread waits after all
// inside a WaitForPatterns, so that nothing printed or exported lacks a
// hyphen the finished patterns would give. Every other thread waits.
#pragma once

namespace ql::text {

bool layoutWaitsForPatterns();

class NoWaitForPatterns {
public:
    NoWaitForPatterns();
    ~NoWaitForPatterns();
    NoWaitForPatterns(const NoWaitForPatterns&) = delete;
    NoWaitForPatterns& operator=(const NoWaitForPatterns&) = delete;
};

class WaitForPatterns {
public:
    WaitForPatterns();
    ~WaitForPatterns();
    WaitForPatterns(const WaitForPatterns&) = delete;
    WaitForPatterns& operator=(const WaitForPatterns&) = delete;
};

} // namespace ql::text
