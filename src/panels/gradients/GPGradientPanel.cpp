#include "panels/gradients/GPGradientPanel.h"

#include "app/document/DocumentController.h"
#include "panels/gradients/ColorPanel.h"
#include "panels/gradients/GPColorWell.h"
#include "panels/gradients/GPGradientPickerLinear.h"
#include "panels/gradients/GPGradientView.h"
#include "panels/gradients/GPGradientWell.h"
#include "panels/gradients/GPGradients.h"
#include "panels/gradients/GradientDrawing.h"
#include "panels/gradients/GradientList.h"
#include "panels/controls/ToolWindow.h"
#include "platform/ui/Prompter.h"

#include <QApplication>
#include <QBoxLayout>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QtDebug>

namespace ql {

namespace {

constexpr QSize kSwatchSize(44, 22);

} // namespace

GPGradientPanel& GPGradientPanel::shared()
{
    // Goes when the program quits, while the application is still there.
    static QPointer<GPGradientPanel> panel;
    if (!panel) {
        panel = new GPGradientPanel(GradientList::defaultPath());
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, panel, [] { delete panel.data(); });
    }
    return *panel;
}

QList<Gradient> GPGradientPanel::defaultGradients()
{
    return {GPGradients::clearGradient(),      GPGradients::simpleGradient(),    GPGradients::spectrumGradient(),
            GPGradients::glossyGradient(),     GPGradients::darkGlossyGradient(), GPGradients::midGlossyGradient(),
            GPGradients::darkSubtleGradient(), GPGradients::redGlossyGradient()};
}

GPGradientPanel::GPGradientPanel(const QString& listPath, QWidget* parent)
    : QWidget(parent, Qt::Tool), m_listPath(listPath), m_picker(new GPGradientPickerLinear(this)),
      m_gradientView(new GPGradientView(this)), m_swatches(new QListWidget(this)),
      m_addButton(new QPushButton(tr("Add"), m_gradientView)),
      m_removeButton(new QPushButton(tr("Remove"), m_gradientView))
{
    setObjectName(QStringLiteral("gradientPanel"));
    setWindowTitle(tr("Gradient"));

    m_picker->setObjectName(QStringLiteral("gradientPicker"));
    m_picker->setFixedSize(200, 135);
    m_picker->setTarget(this);
    m_picker->setAction("gradientPickerDidChange");

    m_swatches->setObjectName(QStringLiteral("gradientSwatches"));
    m_swatches->setViewMode(QListView::IconMode);
    m_swatches->setIconSize(kSwatchSize);
    m_swatches->setMovement(QListView::Static);
    m_swatches->setResizeMode(QListView::Adjust);
    m_swatches->setSpacing(4);
    m_swatches->setSelectionMode(QAbstractItemView::SingleSelection);
    m_swatches->setMinimumHeight(70);
    connect(m_swatches, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { chooseSwatch(m_swatches->row(item)); });
    connect(m_swatches, &QListWidget::itemSelectionChanged, this,
            [this] { m_removeButton->setEnabled(!m_swatches->selectedItems().isEmpty()); });

    m_addButton->setObjectName(QStringLiteral("addGradient"));
    m_removeButton->setObjectName(QStringLiteral("removeGradient"));
    m_removeButton->setEnabled(false);
    connect(m_addButton, &QPushButton::clicked, this, &GPGradientPanel::addGradient);
    connect(m_removeButton, &QPushButton::clicked, this, &GPGradientPanel::removeSelectedGradient);

    auto* bar = new QHBoxLayout(m_gradientView);
    bar->setContentsMargins(6, 4, 6, 4);
    bar->addStretch(1);
    bar->addWidget(m_addButton);
    bar->addWidget(m_removeButton);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 0);
    layout->addWidget(m_picker, 0, Qt::AlignHCenter);
    layout->addWidget(m_swatches, 1);
    layout->addWidget(m_gradientView);
    resize(240, 320);

    loadGradients();
}

GPGradientPanel::~GPGradientPanel()
{
    if (m_activeWell)
        m_activeWell->panelLetGo();
}

void GPGradientPanel::loadGradients()
{
    Result<QList<Gradient>> stored = GradientList::read(m_listPath);
    if (!stored) {
        // A damaged list gives way to the defaults; the file is replaced only
        // when the user next changes the list.
        qWarning().noquote() << "gradient list:" << stored.error().describe();
        m_gradients = defaultGradients();
    } else {
        m_gradients = QFile::exists(m_listPath) ? *stored : defaultGradients();
    }
    rebuildSwatches();
}

void GPGradientPanel::saveGradients()
{
    const Status saved = GradientList::write(m_listPath, m_gradients);
    if (saved)
        return;
    qWarning().noquote() << "gradient list:" << saved.error().describe();
    if (Prompter* prompter = DocumentController::shared().prompter()) {
        AlertRequest alert;
        alert.messageText = tr("The gradients could not be saved.");
        alert.informativeText = saved.error().message;
        prompter->runAlert(alert);
    }
}

void GPGradientPanel::rebuildSwatches()
{
    m_swatches->clear();
    for (const Gradient& gradient : std::as_const(m_gradients)) {
        auto* item = new QListWidgetItem(QIcon(QPixmap::fromImage(gradientSwatchImage(gradient, kSwatchSize))),
                                         QString(), m_swatches);
        item->setData(Qt::UserRole, QVariant::fromValue(gradient));
        item->setSizeHint(kSwatchSize + QSize(6, 6));
    }
    m_removeButton->setEnabled(false);
}

void GPGradientPanel::chooseSwatch(int row)
{
    if (row >= 0 && row < m_gradients.size())
        m_picker->setGradientValue(m_gradients.at(row));
}

void GPGradientPanel::addGradient()
{
    m_gradients.append(m_picker->gradientValue());
    rebuildSwatches();
    saveGradients();
}

void GPGradientPanel::removeSelectedGradient()
{
    const int row = m_swatches->currentRow();
    if (row < 0 || row >= m_gradients.size() || m_swatches->selectedItems().isEmpty())
        return;
    m_gradients.removeAt(row);
    rebuildSwatches();
    saveGradients();
}

GPGradientWell* GPGradientPanel::activeWell() const
{
    return m_activeWell.data();
}

void GPGradientPanel::activateWell(GPGradientWell* well)
{
    if (m_activeWell && m_activeWell != well)
        m_activeWell->panelLetGo();
    m_activeWell = well;
    if (well) {
        // The picker takes the well's gradient; the well has it already.
        m_picker->setGradientValue(well->gradient());
        ToolWindow::present(*this, well->window());
    }
}

void GPGradientPanel::deactivateWell(GPGradientWell* well)
{
    if (well && m_activeWell == well) {
        m_activeWell = nullptr;
        well->panelLetGo();
    }
}

void GPGradientPanel::gradientPickerDidChange(QObject*)
{
    if (m_activeWell)
        m_activeWell->takeGradientFromPanel(m_picker->gradientValue());
}

void GPGradientPanel::deactivateOtherWells(QObject* sender)
{
    if (auto* well = qobject_cast<GPColorWell*>(ColorPanel::shared().client()))
        well->deactivate();
    if (auto* picker = qobject_cast<GPGradientPicker*>(sender))
        picker->takeColorPanel();
}

void GPGradientPanel::closeEvent(QCloseEvent* event)
{
    if (m_activeWell)
        deactivateWell(m_activeWell);
    QWidget::closeEvent(event);
}

} // namespace ql
