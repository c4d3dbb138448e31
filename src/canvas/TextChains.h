// Making linked-text chains whole after reading: a set of elements read
// together (a document, a page copy, an element copy) may hold only part
// of a chain, or a damaged one.
#pragma once

#include <QList>

class ZVPuttyView;

namespace ql {

// Each chain among `elements` lists only the elements it holds, each once,
// in the order it listed them; an element left alone in its chain leaves
// it. The boxes keep the chain's text, which flows through the boxes read
// in the order they were stored.
void keepTextChainsWithin(const QList<ZVPuttyView*>& elements);

} // namespace ql
