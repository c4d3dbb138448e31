#include "panels/browsers/ZVShapeContentViewController.h"

#include "design/ZVDesignHelper.h"
#include "app/document/Document.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "panels/browsers/ElementPlacement.h"
#include "shapes/df/DFImageShape.h"
#include "util/layout/PinLayout.h"

#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLoggingCategory>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

namespace ql {

namespace {

Q_LOGGING_CATEGORY(shapeBrowserLog, "quiverleaf.shapes.browser", QtInfoMsg)

} // namespace

ZVShapeContentViewController::ZVShapeContentViewController(QObject* parent) : ZVGridBrowserController(parent) {}

ZVShapeContentViewController::~ZVShapeContentViewController()
{
    if (isViewLoaded()) {
        GVGridView* grid = gridView();
        grid->setDelegate(nullptr);
        grid->setDataSource(nullptr);
    }
}

QComboBox* ZVShapeContentViewController::shapePicker()
{
    view();
    return m_shapePicker;
}

QPushButton* ZVShapeContentViewController::insertButton()
{
    view();
    return m_insertButton;
}

void ZVShapeContentViewController::buildView(QWidget* view)
{
    m_shapePicker = new QComboBox(view);
    m_shapePicker->setObjectName(QStringLiteral("shapePicker"));
    m_shapePicker->addItems({tr("Shapes"), tr("Icons"), tr("Symbols")});
    connect(m_shapePicker, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            setShapePickerMode(index);
    });
    m_insertButton = new QPushButton(tr("Insert"), m_actionView);
    m_insertButton->setObjectName(QStringLiteral("insertButton"));
    m_insertButton->setEnabled(false);
    m_actionView->layout()->addWidget(m_insertButton);
    connect(m_insertButton, &QPushButton::clicked, this, [this] { insertShape(); });
    connect(this, &ZVShapeContentViewController::insertEligibleChanged, m_insertButton, &QPushButton::setEnabled);
    setup(view);
}

void ZVShapeContentViewController::setup(QWidget* root)
{
    if (m_setUp)
        return;
    m_setUp = true;
    m_shapePickerMode = ZVShapePickerModeShapes;
    setInsertEligible(false);
    GVGridView* grid = m_gridView;
    grid->setDelegate(this);
    grid->setDataSource(this);

    setUpGridLooks(QSizeF(100, 100));

    autoPinEdge(m_shapePicker, PinEdge::Top, PinEdge::Top, root, 2);
    autoPinEdge(m_shapePicker, PinEdge::Left, PinEdge::Left, root, 3);
    autoPinEdge(m_shapePicker, PinEdge::Right, PinEdge::Right, root, -3);
    autoSetDimension(m_shapePicker, PinDimension::Height, 25);

    const ZVDesignHelper& helper = ZVDesignHelper::sharedInstance();
    m_glyphs = helper.glyphs();
    m_symbols = ZVDesignHelper::symbols();
    m_shapes.clear();
    m_shapes.append(ZVShapeLibrary::build());

    grid->reloadDataAnimated(false);
    grid->deselectAllItems();
}

void ZVShapeContentViewController::setInsertEligible(bool eligible)
{
    if (eligible == m_insertEligible)
        return;
    m_insertEligible = eligible;
    emit insertEligibleChanged(eligible);
}

void ZVShapeContentViewController::setShapePickerMode(int mode)
{
    if (mode == m_shapePickerMode)
        return;
    m_shapePickerMode = mode;
    if (m_shapePicker && mode >= 0 && mode < m_shapePicker->count() && m_shapePicker->currentIndex() != mode) {
        const QSignalBlocker quiet(m_shapePicker);
        m_shapePicker->setCurrentIndex(mode);
    }
    emit shapePickerModeChanged(mode);
    GVGridView* grid = gridView();
    grid->reloadDataAnimated(false);
    grid->deselectAllItems();
}

qint64 ZVShapeContentViewController::numberOfItemsInSection(GVGridView&, int)
{
    switch (m_shapePickerMode) {
    case ZVShapePickerModeShapes: return m_shapes.size();
    case ZVShapePickerModeGlyphs: return m_glyphs.size();
    case ZVShapePickerModeSymbols: return m_symbols.size();
    default: return 0;
    }
}

GVGridViewItem* ZVShapeContentViewController::itemAtIndex(GVGridView& grid, qint64 index, int)
{
    GVGridViewItem* item = reusableItem(grid);
    switch (m_shapePickerMode) {
    case ZVShapePickerModeShapes: {
        const ZVLibraryShape& shape = m_shapes.at(index);
        item->setItemImage(ZVShapeLibrary::thumbnail(shape));
        item->setItemPath(ZVShapeLibrary::path(shape));
        item->setItemName(ZVShapeLibrary::name(shape));
        break;
    }
    case ZVShapePickerModeGlyphs: {
        const QDir folder(ZVDesignHelper::sharedInstance().iconsFolder());
        const QString& glyph = m_glyphs.at(index);
        QString imageFile;
        if (glyph.contains(QLatin1String(".png"))) {
            imageFile = folder.filePath(glyph);
            item->setItemURL(QUrl::fromLocalFile(imageFile));
        } else {
            // A folder: the small picture beside it, the full size inside.
            imageFile = folder.filePath(glyph + QStringLiteral("_sm.png"));
            item->setItemURL(QUrl::fromLocalFile(folder.filePath(glyph + QLatin1Char('/') + glyph + QStringLiteral(".png"))));
        }
        item->setItemTitle(QString());
        Result<Image> read = Image::fromFile(imageFile);
        item->setItemImage(read ? *read : Image());
        item->setVisible(true);
        break;
    }
    case ZVShapePickerModeSymbols:
        item->setItemImage(ZVDesignHelper::imageWithCharacter(m_symbols.at(index)));
        break;
    default: break;
    }
    return item;
}

void ZVShapeContentViewController::insertLibraryShape(const BezierPath& path, const QString& name)
{
    auto* document = qobject_cast<Document*>(representedObject());
    ZVCanvasView* page = document ? document->currentPage() : nullptr;
    if (!page)
        return;
    std::unique_ptr<ZVPuttyView> made = ZVPuttyView::initWithVector(std::make_unique<DFImageShape>(path), name);
    placement::insertCentred(*page, made.release());
}

void ZVShapeContentViewController::insertShape()
{
    auto* document = qobject_cast<Document*>(representedObject());
    if (!document || !isViewLoaded())
        return;
    for (GVGridViewItem* item : gridView()->selectedItems()) {
        // The page is read for each element: inserting may change it.
        ZVCanvasView* page = document->currentPage();
        if (!page)
            return;
        switch (m_shapePickerMode) {
        case ZVShapePickerModeShapes:
            if (item->itemPath())
                insertLibraryShape(*item->itemPath(), item->itemName());
            break;
        case ZVShapePickerModeGlyphs: {
            // An unreadable glyph file gives no picture, and so no element.
            Result<Image> read = Image::fromFile(item->itemURL().toLocalFile());
            if (read && !read->isNull())
                placement::addImage(*page, *read);
            break;
        }
        case ZVShapePickerModeSymbols: placement::addImage(*page, item->itemImage()); break;
        default: break;
        }
    }
}

void ZVShapeContentViewController::insertShapeWithIndex(int index)
{
    if (index < 0 || index >= m_shapes.size())
        return;
    const ZVLibraryShape& shape = m_shapes.at(index);
    insertLibraryShape(ZVShapeLibrary::path(shape), ZVShapeLibrary::name(shape));
}

void ZVShapeContentViewController::didClickItemAtIndex(GVGridView&, qint64 index, int)
{
    qCDebug(shapeBrowserLog, "didClickItemAtIndex: %lli", index);
}

void ZVShapeContentViewController::didDoubleClickItemAtIndex(GVGridView&, qint64 index, int)
{
    qCDebug(shapeBrowserLog, "didDoubleClickItemAtIndex: %lli", index);
    insertShape();
}

void ZVShapeContentViewController::didActivateContextMenuWithIndexes(GVGridView&, const QList<qint64>& indexes, int)
{
    qCDebug(shapeBrowserLog, "rightMouseButtonClickedOnItemAtIndex: %s", qPrintable(indexList(indexes)));
}

void ZVShapeContentViewController::didSelectItemAtIndex(GVGridView&, qint64 index, int)
{
    qCDebug(shapeBrowserLog, "didSelectItemAtIndex: %lli", index);
    setInsertEligible(true);
}

void ZVShapeContentViewController::didDeselectItemAtIndex(GVGridView&, qint64 index, int)
{
    qCDebug(shapeBrowserLog, "didDeselectItemAtIndex: %lli", index);
    setInsertEligible(false);
}

} // namespace ql
