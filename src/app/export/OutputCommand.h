// The course every output takes: the progress panel first, the work 0.1 s
// later so that the panel is drawn before rendering holds up the window,
// and every failure told to the user. A command runs once and deletes itself
// when it ends. It is a child of its document: closing the document drops
// the steps still to come.
#pragma once

#include "app/export/OutputContext.h"

#include <QObject>
#include <QStringList>
#include <functional>

namespace ql {

class Document;

class OutputCommand : public QObject {
    Q_OBJECT
public:
    OutputCommand(Document& document, const OutputContext& context);

    Document& document() const { return m_document; }
    // What went wrong so far, one line each, in order.
    const QStringList& failures() const { return m_failures; }

signals:
    // At the end, whatever happened; `failed` when anything could not be done.
    void finished(bool failed);

protected:
    // Shows the progress panel titled `title` and runs `step` 0.1 s later.
    void continueAfterPanel(const QString& title, std::function<void()> step);
    void closeProgress();
    // A warning alert with the message and the reason, kept in failures().
    void reportFailure(const QString& message, const QString& reason = {});
    // Closes the progress panel, says it is finished and goes.
    void finish();

    Document& m_document;
    OutputContext m_context;

private:
    QStringList m_failures;
};

} // namespace ql
