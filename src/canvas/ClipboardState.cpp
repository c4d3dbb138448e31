#include "canvas/ClipboardState.h"

#include "canvas/ElementPasteboard.h"
#include "content/ZVTextView.h"
#include "content/text/ForeignRichText.h"
#include "content/text/TextEditor.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>

namespace ql {

ClipboardState::ClipboardState(QObject* parent) : QObject(parent)
{
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &ClipboardState::read);
    read();
}

const ClipboardState* ClipboardState::shared()
{
    // Lives as long as the application, so a new application in the same
    // process gets a watcher of its own.
    static QPointer<ClipboardState> state;
    if (!state) {
        auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
        if (!app)
            return nullptr;
        state = new ClipboardState(app);
    }
    return state;
}

ZVCanvasView::ClipboardContents ClipboardState::contents()
{
    const ClipboardState* state = shared();
    return state ? state->m_contents : ZVCanvasView::ClipboardContents{};
}

bool ClipboardState::pastesIntoText()
{
    const ClipboardState* state = shared();
    return state && (state->m_contents.text || state->m_styledText);
}

void ClipboardState::read()
{
    m_contents = {};
    m_styledText = false;
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data)
        return;
    const QString identifier = ElementPasteboard::elementType();
    for (const QString& format : data->formats())
        m_contents.element = m_contents.element || format.contains(identifier);
    m_contents.image = data->hasImage();
    m_contents.text = data->hasText();
    m_styledText = text::hasForeignRichText(*data) || data->hasFormat(text::TextEditor::styledTextMimeType());
}

} // namespace ql
