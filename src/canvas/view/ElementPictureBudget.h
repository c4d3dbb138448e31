// The memory that the kept pictures of one canvas's elements may take
// together. A page of thousands of elements in view would otherwise keep a
// picture of each, shadows and all, and run the program out of memory. When
// a new picture does not fit, the pictures used longest ago give way; those
// drawn in the repaint under way stay, and an element that finds no room is
// drawn directly until there is.
#pragma once

#include <QtGlobal>
#include <list>
#include <unordered_map>

namespace ql {

class ElementPictureCache;

class ElementPictureBudget {
public:
    static constexpr qint64 kDefaultBytes = qint64(256) << 20;

    explicit ElementPictureBudget(qint64 bytes = kDefaultBytes) : m_limit(bytes) {}
    ElementPictureBudget(const ElementPictureBudget&) = delete;
    ElementPictureBudget& operator=(const ElementPictureBudget&) = delete;

    qint64 limit() const { return m_limit; }
    // A lower limit lets pictures go only as new ones come.
    void setLimit(qint64 bytes) { m_limit = bytes; }
    qint64 used() const { return m_used; }

    // A repaint of the canvas begins: pictures drawn from now on are in view.
    void beginPass() { ++m_pass; }

    // Takes a picture of `bytes` for `cache` (in place of the one it held),
    // letting pictures of other elements go, least recently drawn first: not
    // those drawn in this repaint, unless `urgent`. False when it does not
    // fit; the cache then keeps none.
    bool admit(ElementPictureCache& cache, qint64 bytes, bool urgent = false);
    // The cache's picture was drawn.
    void touch(const ElementPictureCache& cache);
    // The cache holds no picture any more.
    void release(const ElementPictureCache& cache);

private:
    struct Entry {
        ElementPictureCache* cache;
        qint64 bytes;
        quint64 pass;
    };

    qint64 m_limit;
    qint64 m_used = 0;
    quint64 m_pass = 0;
    // Least recently drawn first.
    std::list<Entry> m_entries;
    std::unordered_map<const ElementPictureCache*, std::list<Entry>::iterator> m_index;
};

} // namespace ql
