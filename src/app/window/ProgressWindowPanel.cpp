#include "app/window/ProgressWindowPanel.h"

#include <QProgressBar>
#include <QVBoxLayout>

namespace ql {

ProgressWindowPanel::ProgressWindowPanel(QWidget* window)
    : WindowPanel(QStringLiteral("downloadingPanel"), QString(), window),
      m_indicator(new QProgressBar(contentView()))
{
    m_indicator->setObjectName(QStringLiteral("downloadingIndicator"));
    m_indicator->setTextVisible(false);
    m_indicator->setRange(0, 1);
    auto* layout = new QVBoxLayout(contentView());
    layout->addWidget(m_indicator);
    resize(240, 60);
}

void ProgressWindowPanel::showProgress(const QString& title)
{
    setWindowTitle(title);
    // No range: the indicator spins.
    m_indicator->setRange(0, 0);
    show();
    raise();
}

void ProgressWindowPanel::closeProgress()
{
    m_indicator->setRange(0, 1);
    close();
}

} // namespace ql
