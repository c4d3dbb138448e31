// A text box on a page of a test document, with helpers for styled text.
#pragma once

#include "../canvas/CanvasTestSupport.h"

#include "canvas/ZVPuttyView.h"
#include "content/ZVTextView.h"
#include "content/text/AttributedTextMapping.h"
#include "content/text/TextStorage.h"
#include "platform/graphics/AttributedString.h"
#include "support/QtPrinting.h"

namespace A = ql::TextAttribute;

inline ql::TextAttributes fontAttributes(const QString& name, double size)
{
    return {{A::font, QVariant::fromValue(ql::Font(name, size))}};
}

struct TextBox {
    TestDocument document;
    ZVCanvasView* page = document.addPage();
    ZVPuttyView* element = nullptr;
    ZVTextView* text = nullptr;

    TextBox()
    {
        element = ZVPuttyView::initWithText().release();
        page->addPuttyView(element);
        element->setFrame(QRectF(100, 100, 380, 280));
        text = qobject_cast<ZVTextView*>(element->contentView());
        endTurn();
        document.undo.removeAllActions();
    }

    ql::TextAttributes at(int position) const
    {
        return ql::text::attributesAt(*text->textStorage()->document(), position);
    }
    ql::Font fontAt(int position) const { return at(position).value(A::font).value<ql::Font>(); }
    int steps()
    {
        endTurn();
        return document.undo.undoCount();
    }
};
