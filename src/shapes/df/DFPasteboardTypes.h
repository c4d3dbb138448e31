// The pasteboard and drag type under which drawables travel out of a
// drawing; drop targets test for it.
#pragma once

#include <QString>

inline const QString DFDrawablePasteboardType = QStringLiteral("org.quiverleaf.drawing.drawable");
