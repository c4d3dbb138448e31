// The window's side of output: the export sheet and the template sheet on
// the window, the progress panel, and the commands that export, print,
// preview, share and save as a template.
#include "app/window/DocumentWindow.h"

#include "app/document/Document.h"
#include "app/document/DocumentController.h"
#include "app/export/ExportCommand.h"
#include "app/export/ExportSheet.h"
#include "app/export/PreviewCommand.h"
#include "app/export/PrintCommand.h"
#include "app/export/ShareCommand.h"
#include "app/export/SharingMenu.h"
#include "app/export/TemplateSaver.h"
#include "app/window/LongWorkRun.h"
#include "app/window/WindowMenus.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace ql {

void DocumentWindow::buildOutputPanels()
{
    Outlets& o = m_outlets;
    o.saveTemplatePanel = new WindowPanel(QStringLiteral("saveTemplatePanel"), tr("Save as Template"), this);
    QWidget* content = o.saveTemplatePanel->contentView();
    auto* layout = new QVBoxLayout(content);
    layout->addWidget(new QLabel(tr("Template name:"), content));
    o.saveTemplateName = new QLineEdit(content);
    o.saveTemplateName->setObjectName(QStringLiteral("saveTemplateName"));
    layout->addWidget(o.saveTemplateName);
    auto* buttons = new QHBoxLayout;
    auto* cancel = new QPushButton(tr("Cancel"), content);
    cancel->setObjectName(QStringLiteral("saveTemplateCancel"));
    auto* save = new QPushButton(tr("Save"), content);
    save->setObjectName(QStringLiteral("saveTemplateNext"));
    save->setDefault(true);
    buttons->addStretch();
    buttons->addWidget(cancel);
    buttons->addWidget(save);
    layout->addLayout(buttons);
    o.saveTemplatePanel->resize(360, 130);
    connect(cancel, &QPushButton::clicked, this, &DocumentWindow::closeSaveTemplatePanel);
    connect(save, &QPushButton::clicked, this, &DocumentWindow::saveTemplateNext);
    connect(o.saveTemplateName, &QLineEdit::returnPressed, this, &DocumentWindow::saveTemplateNext);
    // Sheets: the window waits for them.
    for (WindowPanel* sheet : {o.exportPanel.data(), o.saveTemplatePanel.data()}) {
        sheet->setWindowFlag(Qt::Tool, false);
        sheet->setWindowFlag(Qt::Dialog, true);
        sheet->setWindowModality(Qt::WindowModal);
    }
}

void DocumentWindow::setUpOutput()
{
    Outlets& o = m_outlets;
    m_exportSheet = new ExportSheet(*m_document, o.exportPanel, o.exportPanel->contentView(), o.exportBottomContent);
    connect(m_exportSheet, &ExportSheet::cancelClicked, this, &DocumentWindow::closeExportPanel);
    connect(m_exportSheet, &ExportSheet::nextClicked, this, &DocumentWindow::finishExport);
    // The toolbar's Export and Print buttons act through File's items; its
    // Preview button through a command of its own.
}

OutputContext DocumentWindow::outputContext()
{
    OutputContext context;
    context.prompter = m_controller.prompter();
    context.workspace = m_controller.workspace();
    context.defaults = &m_controller.userDefaults();
    context.progress = this;
    return context;
}

void DocumentWindow::showProgress(const QString& title)
{
    m_progressTitle = title;
    WindowPanel* panel = m_outlets.downloadingPanel;
    if (!panel || m_closing)
        return;
    panel->setWindowTitle(title);
    panel->show();
    panel->raise();
}

void DocumentWindow::closeProgress()
{
    m_progressTitle.clear();
    WindowPanel* panel = m_outlets.downloadingPanel;
    if (!panel)
        return;
    // Dropped pictures still being fetched keep it.
    if (m_downloads > 0)
        panel->setWindowTitle(tr("Downloading..."));
    else
        panel->close();
}

void DocumentWindow::runLongWork(const QString& title, const LongWork& work, const std::function<void()>& done)
{
    WindowPanel* panel = m_outlets.loadingPanel;
    QProgressBar* indicator = m_outlets.loadingIndicator;
    if (m_closing || !panel || !indicator)
        return;
    if (m_longWorks++ == 0) {
        // Modal to the window alone: it paints, other documents stay at hand.
        panel->hide();
        panel->setWindowModality(Qt::WindowModal);
        indicator->setRange(0, 1000);
        indicator->setValue(0);
        panel->setWindowTitle(title);
        panel->show();
        panel->raise();
    }
    auto* run = new LongWorkRun(work, this);
    connect(run, &LongWorkRun::progressed, indicator, [indicator](double part) {
        indicator->setValue(int(std::clamp(part, 0.0, 1.0) * 1000));
    });
    connect(run, &LongWorkRun::finished, this, [this, done] {
        if (--m_longWorks == 0 && m_outlets.loadingPanel && m_outlets.loadingIndicator) {
            m_outlets.loadingPanel->close();
            m_outlets.loadingPanel->setWindowModality(Qt::NonModal);
            // Spinning again, as the panel shows while a window is set up.
            m_outlets.loadingIndicator->setRange(0, 0);
        }
        done();
    });
}

void DocumentWindow::exportDocument()
{
    if (!m_document)
        return;
    m_document->prepareExport();
    m_outlets.exportPanel->show();
    m_outlets.exportPanel->raise();
    m_outlets.exportPanel->activateWindow();
}

void DocumentWindow::closeExportPanel()
{
    m_outlets.exportPanel->close();
}

void DocumentWindow::finishExport()
{
    if (!m_document)
        return;
    m_exportSheet->commitFileName();
    auto* command = new ExportCommand(*m_document, outputContext());
    connect(command, &ExportCommand::sheetEnded, this, &DocumentWindow::closeExportPanel);
    command->finishExport();
}

void DocumentWindow::printDocument()
{
    if (m_document)
        (new PrintCommand(*m_document, outputContext()))->printDocument();
}

void DocumentWindow::preview()
{
    if (m_document)
        (new PreviewCommand(*m_document, outputContext()))->preview();
}

void DocumentWindow::rebuildShareMenu(QAction* shareItem)
{
    // Services are asked whether they take pictures of pages: a sample
    // picture stands for them.
    QImage sample(1, 1, QImage::Format_RGB32);
    sample.fill(Qt::white);
    const SharingItems probe {m_document ? m_document->displayName() : QString(), {sample}};
    QMenu* old = shareItem->menu();
    QMenu* menu = menuForSharingItems(
        probe, m_controller.sharingServices(),
        [this](QAction* chosen) { shareFromService(sharingServiceOfItem(chosen)); }, this);
    shareItem->setMenu(menu);
    if (old)
        old->deleteLater();
}

void DocumentWindow::shareFromService(SharingService* service)
{
    if (m_document && service)
        (new ShareCommand(*m_document, outputContext()))->shareFromService(*service);
}

void DocumentWindow::saveAsTemplate()
{
    if (!m_document)
        return;
    // The template is a copy of the saved file: without one (the save panel
    // cancelled, or saving failed) there is nothing to copy.
    if (!m_controller.saveDocument(m_document))
        return;
    m_outlets.saveTemplatePanel->show();
    m_outlets.saveTemplatePanel->raise();
    m_outlets.saveTemplatePanel->activateWindow();
}

void DocumentWindow::closeSaveTemplatePanel()
{
    m_outlets.saveTemplatePanel->close();
}

void DocumentWindow::saveTemplateNext()
{
    if (!m_document)
        return;
    TemplateSaver saver(*m_document, m_controller.prompter());
    if (saver.saveTemplateNext(m_outlets.saveTemplateName->text()) == TemplateSaver::Outcome::Saved)
        closeSaveTemplatePanel();
}

} // namespace ql
