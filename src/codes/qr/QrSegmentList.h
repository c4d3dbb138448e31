// The segments of an encoding while neighbours are joined. A pass over them
// looks at most two segments past its position and steps back little, so
// segments are taken from the source only when first looked at: joining
// then removes one near the end of those taken, and moves few, where
// removing from the middle of the whole list moved all behind it.
#pragma once

#include "codes/qr/CQR_Encode.h"

#include <algorithm>
#include <vector>

namespace ql {

class QrSegmentList {
public:
    using Segment = CQR_Encode::Segment;

    // The taken segments and the source's rest share one buffer: the taken
    // ones at its front, the rest from m_next on, never overlapping, as each
    // segment taken moves down and each join leaves one fewer.
    explicit QrSegmentList(std::vector<Segment> source)
        : m_buffer(std::move(source))
    {
    }

    int size() const { return static_cast<int>(m_taken + (m_buffer.size() - m_next)); }

    Segment& operator[](int i)
    {
        const auto k = static_cast<size_t>(i);
        while (k >= m_taken)
            m_buffer[m_taken++] = m_buffer[m_next++];
        return m_buffer[k];
    }

    // Segment `into` absorbs the bytes of segment `removed`, which goes away.
    void join(int into, int removed)
    {
        (*this)[into].length += (*this)[removed].length;
        const auto gap = m_buffer.begin() + removed;
        std::copy(gap + 1, m_buffer.begin() + static_cast<std::ptrdiff_t>(m_taken), gap);
        --m_taken;
    }

    std::vector<Segment> release() &&
    {
        const auto rest = m_buffer.begin() + static_cast<std::ptrdiff_t>(m_next);
        std::copy(rest, m_buffer.end(), m_buffer.begin() + static_cast<std::ptrdiff_t>(m_taken));
        m_buffer.resize(static_cast<size_t>(size()));
        return std::move(m_buffer);
    }

private:
    std::vector<Segment> m_buffer;
    size_t m_taken = 0;
    size_t m_next = 0;
};

} // namespace ql
