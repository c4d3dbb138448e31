#include "app/export/OutputCommand.h"

#include "app/document/Document.h"
#include "app/export/ProgressPanel.h"
#include "platform/runtime/Deferred.h"
#include "platform/ui/Prompter.h"

namespace ql {

OutputCommand::OutputCommand(Document& document, const OutputContext& context)
    : QObject(&document), m_document(document), m_context(context)
{
    // A window's panel may close before the command's last step runs.
    if (auto* panel = dynamic_cast<QObject*>(m_context.progress))
        connect(panel, &QObject::destroyed, this, [this] { m_context.progress = nullptr; });
}

void OutputCommand::continueAfterPanel(const QString& title, std::function<void()> step)
{
    if (m_context.progress)
        m_context.progress->showProgress(title);
    after(100, this, std::move(step));
}

void OutputCommand::closeProgress()
{
    if (m_context.progress)
        m_context.progress->closeProgress();
}

void OutputCommand::reportFailure(const QString& message, const QString& reason)
{
    m_failures.append(reason.isEmpty() ? message : message + QLatin1Char(' ') + reason);
    if (!m_context.prompter)
        return;
    AlertRequest alert;
    alert.messageText = message;
    alert.informativeText = reason;
    alert.style = AlertRequest::Style::Warning;
    m_context.prompter->runAlert(alert);
}

void OutputCommand::finish()
{
    closeProgress();
    emit finished(!m_failures.isEmpty());
    deleteLater();
}

} // namespace ql
