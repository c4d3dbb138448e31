// The penalty by which a QR symbol's data mask is chosen, counted on its rows
// and columns as bit lines: runs of one colour, 2 x 2 blocks, finder-like
// patterns and the balance of dark and light.
#pragma once

#include "codes/qr/QrBitLine.h"

#include <cstdlib>

namespace ql {

template <size_t Words>
class QrPenalty {
public:
    using Line = QrBitLine<Words>;

    explicit QrPenalty(int size)
        : m_size(size)
        , m_windows(Line::range(kPadding, kPadding + size - 5))
        , m_firstModule(Line::range(kPadding, kPadding))
        , m_pairs(Line::range(kPadding, kPadding + size - 2))
    {
    }

    // rows[y] holds module (x, y) at x, columns[x] the same module at y.
    int of(const Line* rows, const Line* columns) const
    {
        const int s = m_size;
        int penalty = 0;
        int dark = 0;
        for (int line = 0; line < s; ++line) {
            const Line& column = columns[line];
            const Line& row = rows[line];
            dark += row.count();
            penalty += runPenalty(column) + runPenalty(row);
            penalty += 40 * (finderLikeCount(column) + finderLikeCount(row));
            if (line + 1 < s)
                penalty += 3 * blockCount(column, columns[line + 1]);
        }
        // The balance rule counts light modules.
        const int percentLight = 100 * (s * s - dark) / (s * s);
        return penalty + 10 * (std::abs(50 - percentLight) / 5);
    }

private:
    static constexpr int kPadding = Line::kPadding;

    // Runs of five or more modules of one colour cost n - 2 each: one per
    // window of five alike, plus two for the window that starts the run.
    int runPenalty(const Line& line) const
    {
        const Line same = ~(line ^ line.at(1));
        const Line two = same & same.at(1);
        const Line five = two & two.at(2) & m_windows;
        const Line starts = five & (~same.at(-1) | m_firstModule);
        return five.count() + 2 * starts.count();
    }

    // 2 x 2 squares of one colour between two neighbouring lines.
    int blockCount(const Line& a, const Line& b) const
    {
        const Line across = ~(a ^ b);
        const Line along = ~(a ^ a.at(1));
        return (across & across.at(1) & along & m_pairs).count();
    }

    // Dark, light, three dark, light, dark, with a light module on each side
    // and three more on at least one side; outside the symbol counts as light.
    static int finderLikeCount(const Line& dark)
    {
        const Line light = ~dark;
        const Line core = dark & light.at(1) & dark.at(2) & dark.at(3) & dark.at(4) & light.at(5) & dark.at(6)
            & light.at(-1) & light.at(7);
        // Most lines hold no core at all.
        if (!core.any())
            return 0;
        const Line quiet = (light.at(-2) & light.at(-3) & light.at(-4)) | (light.at(8) & light.at(9) & light.at(10));
        return (core & quiet).count();
    }

    int m_size;
    Line m_windows;
    Line m_firstModule;
    Line m_pairs;
};

} // namespace ql
