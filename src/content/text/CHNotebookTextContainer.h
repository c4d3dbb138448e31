// The text container of every text box. For now it is a plain rectangle;
// the exclusion zones that text wraps around build on it.
#pragma once

#include "content/text/TextContainer.h"

class CHNotebookTextContainer : public ql::text::TextContainer {
public:
    explicit CHNotebookTextContainer(QSizeF size = QSizeF(1e7, 1e7)) : TextContainer(size) {}
};
