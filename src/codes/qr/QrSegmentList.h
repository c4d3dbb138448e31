// The segments of an encoding while neighbours are joined. A pass over them
// looks at most two segments past its position and steps back little, so
// segments are taken from the source only when first looked at: joining
// then removes one near the end of those taken, and moves few, where
// removing from the middle of the whole list moved all behind it.
#pragma once

#include "codes/qr/CQR_Encode.h"

#include <vector>

namespace ql {

class QrSegmentList {
public:
    using Segment = CQR_Encode::Segment;

    explicit QrSegmentList(std::vector<Segment> source)
        : m_source(std::move(source))
    {
        // References into the list then stay valid while it grows.
        m_taken.reserve(m_source.size());
    }

    int size() const { return static_cast<int>(m_taken.size() + (m_source.size() - m_next)); }

    Segment& operator[](int i)
    {
        while (static_cast<size_t>(i) >= m_taken.size())
            m_taken.push_back(m_source[m_next++]);
        return m_taken[static_cast<size_t>(i)];
    }

    // Segment `into` absorbs the bytes of segment `removed`, which goes away.
    void join(int into, int removed)
    {
        (*this)[into].length += (*this)[removed].length;
        m_taken.erase(m_taken.begin() + removed);
    }

    std::vector<Segment> release() &&
    {
        m_taken.insert(m_taken.end(), m_source.begin() + static_cast<std::ptrdiff_t>(m_next), m_source.end());
        return std::move(m_taken);
    }

private:
    std::vector<Segment> m_source;
    size_t m_next = 0;
    std::vector<Segment> m_taken;
};

} // namespace ql
