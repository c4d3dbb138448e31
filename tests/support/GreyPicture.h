// Grey pictures made without holding their pixels, for tests of pictures
// larger than memory allows decoded.
#pragma once

#include <QByteArray>
#include <QSize>

namespace ql::testing {

// A grey PNG of `size` pixels whose every row is black left of `split` and
// white from there, compressed row by row: a picture of hundreds of
// megabytes decoded takes next to nothing to make.
QByteArray splitGreyPng(QSize size, int split);

} // namespace ql::testing
