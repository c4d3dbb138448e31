#include "content/Text3DPictures.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace ql {

QImage Text3DPictures::find(QSize pixels)
{
    for (Entry& entry : m_entries) {
        if (entry.picture.size() == pixels) {
            entry.used = ++m_clock;
            return entry.picture;
        }
    }
    return QImage();
}

QImage Text3DPictures::nearest(QSize pixels) const
{
    const Entry* best = nullptr;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (const Entry& entry : m_entries) {
        const double distance = std::abs(std::log(double(entry.picture.width()) / std::max(1, pixels.width())))
                                + std::abs(std::log(double(entry.picture.height()) / std::max(1, pixels.height())));
        if (distance < bestDistance) {
            bestDistance = distance;
            best = &entry;
        }
    }
    return best ? best->picture : QImage();
}

void Text3DPictures::keep(const QImage& picture)
{
    if (picture.isNull() || !keeps(picture.size()))
        return;
    const auto same = std::find_if(m_entries.begin(), m_entries.end(),
                                   [&](const Entry& entry) { return entry.picture.size() == picture.size(); });
    if (same != m_entries.end()) {
        *same = {picture, ++m_clock};
        return;
    }
    if (m_entries.size() >= size_t(kKeptSizes)) {
        const auto oldest = std::min_element(m_entries.begin(), m_entries.end(),
                                             [](const Entry& a, const Entry& b) { return a.used < b.used; });
        m_entries.erase(oldest);
    }
    m_entries.push_back({picture, ++m_clock});
}

} // namespace ql
