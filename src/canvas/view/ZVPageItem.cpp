#include "canvas/view/ZVPageItem.h"

#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/painting/PageDrawList.h"
#include "canvas/painting/PagePainter.h"
#include "canvas/view/ElementPictureBudget.h"
#include "canvas/view/PageNumberCopies.h"
#include "canvas/view/ZVClipView.h"
#include "canvas/view/ZVDrawingItem.h"
#include "canvas/view/ZVElementItem.h"
#include "canvas/view/ZVGuideItem.h"
#include "canvas/view/ZVSelectionView.h"
#include "content/ZVBackgroundView.h"

#include <QPainter>
#include <QSet>

namespace ql {

namespace {

constexpr double kSelectionZ = 1.0e9;

} // namespace

ZVPageItem::ZVPageItem(ZVCanvasView& page, ZVClipView* clipView, std::shared_ptr<ElementPictureBudget> pictures)
    : m_page(&page), m_clipView(clipView),
      m_pictureBudget(pictures ? std::move(pictures) : std::make_shared<ElementPictureBudget>())
{
    setAcceptedMouseButtons(Qt::NoButton);
    setFlag(ItemClipsChildrenToShape);
    m_bounds = page.bounds();
    m_pageNumbers = new PageNumberCopies(page);
    m_pageNumbers->setParent(this);
    connect(m_pageNumbers, &PageNumberCopies::replaced, this, &ZVPageItem::syncStack);
    m_selectionView = new ZVSelectionView(page, this);
    m_selectionView->setZValue(kSelectionZ);
    // The guide overlay lies over everything on the page.
    auto* guides = new ZVGuideItem(*page.guideView(), this);
    guides->setZValue(kSelectionZ + 1);
    // The drawing surface lies over the elements, under the band and guides.
    auto* drawing = new ZVDrawingItem(page, this);
    drawing->setZValue(kSelectionZ - 1);
    connect(&page, &ZVCanvasView::stackingChanged, this, &ZVPageItem::syncStack);
    connect(&page, &KVObject::valueChanged, this, &ZVPageItem::onPageChange);
    watchMaster();
    watchBackgrounds();
    syncStack();
}

ZVPageItem::~ZVPageItem() = default;

ZVCanvasView* ZVPageItem::page() const
{
    return m_page.data();
}

QList<ZVElementItem*> ZVPageItem::elementItems() const
{
    QList<ZVElementItem*> items;
    for (QGraphicsItem* child : childItems()) {
        if (auto* item = dynamic_cast<ZVElementItem*>(child))
            items.append(item);
    }
    std::sort(items.begin(), items.end(), [](const ZVElementItem* a, const ZVElementItem* b) {
        return a->zValue() < b->zValue();
    });
    return items;
}

void ZVPageItem::syncStack()
{
    if (!m_page)
        return;
    const QList<ZVPuttyView*> master = PagePainter::masterElements(*m_page);
    const QList<ZVPuttyView*> own = PagePainter::ownElements(*m_page, PagePainter::Layers::Visible);
    QHash<const ZVPuttyView*, ZVElementItem*> kept;
    QSet<const ZVPuttyView*> ownSet(own.cbegin(), own.cend());
    int z = 0;
    const auto place = [&](ZVPuttyView* element, bool inert) {
        if (kept.contains(element))
            return; // listed twice: shown once, at its first place
        ZVElementItem* item = m_items.take(element);
        if (item && item->isInert() != inert) {
            delete item;
            item = nullptr;
        }
        if (!item)
            item = new ZVElementItem(*element, inert, m_clipView, m_pictureBudget, this);
        item->setZValue(z++);
        kept.insert(element, item);
    };
    // The master's page-number boxes show as copies that give this page's number.
    QSet<const ZVPuttyView*> numberBoxes;
    for (ZVPuttyView* element : master) {
        if (ownSet.contains(element))
            continue;
        ZVPuttyView* shown = element;
        if (PageDrawList::isPageNumberBox(*element)) {
            numberBoxes.insert(element);
            if (ZVPuttyView* copy = m_pageNumbers->copyFor(*element))
                shown = copy;
        }
        place(shown, true);
    }
    for (ZVPuttyView* element : own)
        place(element, false);
    qDeleteAll(m_items);
    m_items = std::move(kept);
    m_pageNumbers->keepOnly(numberBoxes);
    if (m_clipView)
        m_clipView->update();
}

void ZVPageItem::onPageChange(const QString& key)
{
    if (!m_page)
        return;
    if (key == QLatin1String("frame")) {
        prepareGeometryChange();
        m_bounds = m_page->bounds();
        emit geometryChanged();
        update();
    } else if (key == QLatin1String("templateView")) {
        watchMaster();
        syncStack();
        update();
    } else if (key == QLatin1String("backgroundView")) {
        watchBackgrounds();
        update();
    } else if (key == QLatin1String("layoutLayers")) {
        syncStack();
    }
}

void ZVPageItem::watchMaster()
{
    for (const QMetaObject::Connection& connection : std::as_const(m_masterConnections))
        disconnect(connection);
    m_masterConnections.clear();
    ZVCanvasView* master = m_page ? m_page->masterPage() : nullptr;
    if (!master)
        return;
    m_masterConnections.append(connect(master, &ZVCanvasView::stackingChanged, this, &ZVPageItem::syncStack));
    m_masterConnections.append(connect(master, &KVObject::valueChanged, this, [this](const QString& key) {
        if (key == QLatin1String("backgroundView") || key == QLatin1String("clipToMargins") ||
            key.endsWith(QLatin1String("Margin")))
            watchBackgrounds();
        update();
    }));
    watchBackgrounds();
}

void ZVPageItem::watchBackgrounds()
{
    for (const QMetaObject::Connection& connection : std::as_const(m_backgroundConnections))
        disconnect(connection);
    m_backgroundConnections.clear();
    const auto repaint = [this] { update(); };
    ZVCanvasView* master = m_page ? m_page->masterPage() : nullptr;
    for (ZVCanvasView* owner : {m_page.data(), master}) {
        if (ZVBackgroundView* background = owner ? owner->backgroundView() : nullptr) {
            m_backgroundConnections.append(connect(background, &KVObject::valueChanged, this, repaint));
            m_backgroundConnections.append(connect(background, &ZVContentView::displayNeeded, this, repaint));
        }
    }
}

QRectF ZVPageItem::boundingRect() const
{
    return m_bounds;
}

QPainterPath ZVPageItem::shape() const
{
    QPainterPath path;
    path.addRect(m_bounds);
    return path;
}

void ZVPageItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    // The page is drawn before the elements on it: a new repaint begins.
    m_pictureBudget->beginPass();
    if (!m_page)
        return;
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    PagePainter::paintGround(*painter, *m_page);
}

} // namespace ql
