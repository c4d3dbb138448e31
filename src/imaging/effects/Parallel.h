// Splits a row range over the cores; effects on large photos are per-row
// work with no shared writes.
#pragma once

#include <algorithm>
#include <exception>
#include <thread>
#include <vector>

namespace ql::effects {

// `grain` is the least number of rows worth a thread of its own.
template <class Fn>
void parallelRows(int rows, Fn fn, int grain = 64)
{
    const int cores = int(std::max(1u, std::thread::hardware_concurrency()));
    const int parts = std::min(cores, std::max(1, rows / std::max(1, grain)));
    if (parts <= 1) {
        fn(0, rows);
        return;
    }
    const int step = (rows + parts - 1) / parts;
    int start = step;
    {
        // Joining threads: whatever ends this block, none is left running.
        std::vector<std::jthread> threads;
        try {
            threads.reserve(size_t(parts - 1));
            for (; start < rows; start += step)
                threads.emplace_back([&fn, start, step, rows] { fn(start, std::min(rows, start + step)); });
        } catch (const std::exception&) {
            // No thread (or no room to keep one): the rows not handed out
            // are done here instead.
        }
        fn(0, std::min(rows, step));
        for (; start < rows; start += step)
            fn(start, std::min(rows, start + step));
    }
}

} // namespace ql::effects
