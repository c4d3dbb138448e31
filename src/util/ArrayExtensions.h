// Moving an item inside a list, as layers, styles and the z-order do.
#pragma once

#include <QList>

namespace ql {

// Removes the item at `from` and inserts it at `to`, or appends it when `to`
// is at or past the new end. Nothing happens for equal or invalid indexes.
template <class T>
void moveObjectFromIndex(QList<T>& list, qsizetype from, qsizetype to)
{
    if (from == to || from < 0 || from >= list.size() || to < 0)
        return;
    T item = list.takeAt(from);
    if (to >= list.size())
        list.append(std::move(item));
    else
        list.insert(to, std::move(item));
}

} // namespace ql
