// The page's arrange commands on the active elements: stacking within their
// layers, lock, group and ungroup, fixed turns and flips, each undoing as one
// step; and the picture of one layer that the layers panel shows.
#include "canvas/ZVCanvasView.h"

#include "canvas/CanvasHost.h"
#include "canvas/MoveBatch.h"
#include "canvas/PageDocument.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/painting/ElementPainter.h"
#include "platform/graphics/PictureConversionScope.h"
#include "platform/undo/UndoManager.h"

#include <QImage>
#include <QHash>
#include <QPainter>
#include <QSet>
#include <algorithm>
#include <memory>

namespace {

// The share of a picture's flip spent mirroring its file; decoding the
// result to be drawn, as long as one more read of it, takes the rest.
constexpr double kMirroring = 0.8;

// Records a step on the page's document that runs on the element, skipped
// once the page or the element is gone.
template <class Step>
void registerStep(ZVCanvasView& page, ZVPuttyView* element, Step step)
{
    if (ql::UndoManager* manager = page.undoManager()) {
        manager->registerUndo(&page, [element = QPointer<ZVPuttyView>(element), step] {
            if (element)
                step(element.data());
        });
    }
}

void takeKeyboard(const ZVCanvasView& page)
{
    if (ql::CanvasHost* host = page.canvasHost())
        host->makePageFirstResponder(true);
}

// Where an element stands in its own layer; -1 when it is listed nowhere.
qsizetype placeInLayer(const ZVPuttyView& element)
{
    const ZVPuttyViewGroup* layer = element.layoutLayerGroup();
    return layer ? layer->groupedViews().indexOf(element.uuid()) : -1;
}

} // namespace

// Stacking -------------------------------------------------------------------

void ZVCanvasView::moveActivePuttyViewsToFront()
{
    movePuttyViewsToIndex(kTopOfLayer, false);
}

void ZVCanvasView::moveActivePuttyViewsForward()
{
    movePuttyViewsToIndex(1, true);
}

void ZVCanvasView::moveActivePuttyViewsToBack()
{
    movePuttyViewsToIndex(0, false);
}

void ZVCanvasView::moveActivePuttyViewsBackward()
{
    movePuttyViewsToIndex(-1, true);
}

void ZVCanvasView::movePuttyViewsToIndex(qsizetype index, bool increment)
{
    QList<ZVPuttyView*> moving = activeViews();
    moving.removeIf([this](const ZVPuttyView* element) {
        return !hasLayoutLayer(element->layoutLayerGroup()) || placeInLayer(*element) < 0;
    });
    // Bottom first: by layer, then by place in the layer.
    const auto layerIndex = [this](const ZVPuttyView* element) {
        for (qsizetype i = 0; i < m_layoutLayers.size(); ++i) {
            if (m_layoutLayers.at(i) == element->layoutLayerGroup())
                return i;
        }
        return qsizetype(-1);
    };
    std::stable_sort(moving.begin(), moving.end(), [&](const ZVPuttyView* a, const ZVPuttyView* b) {
        return std::pair(layerIndex(a), placeInLayer(*a)) < std::pair(layerIndex(b), placeInLayer(*b));
    });
    // A move to an end takes the element farthest from it first, a step the
    // nearest first, so that the moved elements keep their order.
    const bool upward = index > 0;
    if (increment == upward)
        std::reverse(moving.begin(), moving.end());
    QSet<QString> movingUuids;
    for (const ZVPuttyView* element : std::as_const(moving))
        movingUuids.insert(element->uuid());

    bool moved = false;
    for (ZVPuttyView* element : std::as_const(moving)) {
        const QStringList& list = element->layoutLayerGroup()->groupedViews();
        const qsizetype from = list.indexOf(element->uuid());
        const qsizetype last = list.size() - 1;
        qsizetype to = 0;
        if (increment) {
            // The bottom element stays at the bottom, the top one on top; a
            // step stops at another moved element that could not move.
            to = std::clamp(from + std::clamp(index, -list.size(), list.size()), qsizetype(0), last);
            const qsizetype back = to > from ? -1 : 1;
            while (to != from && movingUuids.contains(list.at(to)))
                to += back;
        } else {
            to = std::clamp(index, qsizetype(0), last);
        }
        if (to == from)
            continue;
        registerStep(*this, element, [this, from](ZVPuttyView* e) { undoReorderForView(e, from); });
        moveInLayer(element, to);
        moved = true;
    }
    if (moved) {
        layoutPuttyViews();
        redrawLayerThumbs();
    }
    takeKeyboard(*this);
    setClippingRects();
}

void ZVCanvasView::undoReorderForView(ZVPuttyView* element, qsizetype index)
{
    reorderStep(element, index, &ZVCanvasView::redoReorderForView);
}

void ZVCanvasView::redoReorderForView(ZVPuttyView* element, qsizetype index)
{
    reorderStep(element, index, &ZVCanvasView::undoReorderForView);
}

void ZVCanvasView::reorderStep(ZVPuttyView* element, qsizetype index,
                               void (ZVCanvasView::*inverse)(ZVPuttyView*, qsizetype))
{
    const qsizetype present = placeInLayer(*element);
    if (present < 0)
        return;
    registerStep(*this, element, [this, present, inverse](ZVPuttyView* e) { (this->*inverse)(e, present); });
    moveInLayer(element, index);
    layoutPuttyViews();
    redrawLayerThumbs();
}

void ZVCanvasView::moveInLayer(ZVPuttyView* element, qsizetype index)
{
    ZVPuttyViewGroup* layer = element->layoutLayerGroup();
    const qsizetype from = placeInLayer(*element);
    if (!layer || from < 0)
        return;
    QStringList list = layer->groupedViews();
    const qsizetype to = std::clamp(index, qsizetype(0), list.size() - 1);
    if (to == from)
        return;
    list.move(from, to);
    layer->setGroupedViews(list);
}

// Lock -----------------------------------------------------------------------

void ZVCanvasView::lockActivePuttyViews()
{
    setActivePuttyViewsLocked(true);
}

void ZVCanvasView::unlockActivePuttyViews()
{
    setActivePuttyViewsLocked(false);
}

void ZVCanvasView::setActivePuttyViewsLocked(bool locked)
{
    for (ZVPuttyView* element : activeViews()) {
        const bool was = element->isLocked();
        if (was == locked)
            continue;
        registerStep(*this, element, [this, was](ZVPuttyView* e) { undoLockPuttyView(e, was); });
        element->setValueForKey(u"isLocked", locked);
    }
    takeKeyboard(*this);
}

void ZVCanvasView::undoLockPuttyView(ZVPuttyView* element, bool locked)
{
    const bool present = element->isLocked();
    registerStep(*this, element, [this, present](ZVPuttyView* e) { redoLockPuttyView(e, present); });
    element->setValueForKey(u"isLocked", locked);
}

void ZVCanvasView::redoLockPuttyView(ZVPuttyView* element, bool locked)
{
    const bool present = element->isLocked();
    registerStep(*this, element, [this, present](ZVPuttyView* e) { undoLockPuttyView(e, present); });
    element->setValueForKey(u"isLocked", locked);
}

// Groups ---------------------------------------------------------------------

void ZVCanvasView::groupActivePuttyViews()
{
    const QList<ZVPuttyView*> members = activeViews();
    if (members.size() < 2)
        return;
    // The first member that takes the group in owns it.
    auto* group = new ZVPuttyViewGroup();
    QList<GroupMembership> former;
    for (ZVPuttyView* element : members) {
        group->appendUuid(element->uuid());
        former.append({element, element->group()});
    }
    if (ql::UndoManager* manager = undoManager()) {
        manager->registerUndo(this, [this, group = QPointer<ZVPuttyViewGroup>(group), former] {
            if (group)
                undoGroup(group, former);
        });
    }
    for (ZVPuttyView* element : members)
        element->setGroup(group);
    takeKeyboard(*this);
}

void ZVCanvasView::ungroupActivePuttyViews()
{
    // Each group loses its leaving members in one pass over its list.
    QList<QPair<QPointer<ZVPuttyViewGroup>, QSet<QString>>> leaving;
    QHash<const ZVPuttyViewGroup*, qsizetype> slot;
    for (ZVPuttyView* element : selectedViews()) {
        ZVPuttyViewGroup* group = element->group();
        if (!group)
            continue;
        auto at = slot.constFind(group);
        if (at == slot.cend()) {
            at = slot.insert(group, leaving.size());
            leaving.append({QPointer<ZVPuttyViewGroup>(group), QSet<QString>()});
        }
        leaving[*at].second.insert(element->uuid());
        element->setGroup(nullptr);
    }
    for (const auto& [group, uuids] : std::as_const(leaving)) {
        if (group)
            group->removeUuids(uuids);
    }
    if (PageDocument* owner = document(); owner && !leaving.isEmpty())
        owner->pageChangedWithoutUndo(this);
    takeKeyboard(*this);
}

// The group keeps its list of members, so that redo finds the same ones; each
// member gets back the group it had before.
void ZVCanvasView::undoGroup(ZVPuttyViewGroup* group, const QList<GroupMembership>& former)
{
    if (ql::UndoManager* manager = undoManager()) {
        manager->registerUndo(this, [this, group = QPointer<ZVPuttyViewGroup>(group), former] {
            if (group)
                redoGroup(group, former);
        });
    }
    for (const GroupMembership& membership : former) {
        if (membership.element && membership.element->group() == group)
            membership.element->setGroup(membership.group);
    }
}

void ZVCanvasView::redoGroup(ZVPuttyViewGroup* group, const QList<GroupMembership>& former)
{
    if (ql::UndoManager* manager = undoManager()) {
        manager->registerUndo(this, [this, group = QPointer<ZVPuttyViewGroup>(group), former] {
            if (group)
                undoGroup(group, former);
        });
    }
    for (ZVPuttyView* element : group->puttyViewsObjects(m_puttyViews))
        element->setGroup(group);
}

// Turns and flips ------------------------------------------------------------

void ZVCanvasView::rotate180()
{
    rotateActivePuttyViews(180.0);
}

void ZVCanvasView::rotate90Right()
{
    rotateActivePuttyViews(90.0);
}

void ZVCanvasView::rotate90Left()
{
    rotateActivePuttyViews(-90.0);
}

void ZVCanvasView::rotateActivePuttyViews(double degrees)
{
    {
        // The page follows once, and one undo step turns them all back.
        const ql::MoveBatch batch(*this);
        for (ZVPuttyView* element : unlockedActiveViews()) {
            element->registerRotateUndo();
            element->setRotation(degrees);
        }
    }
    takeKeyboard(*this);
}

void ZVCanvasView::flipHorizontal()
{
    flipActivePuttyViews(true);
}

void ZVCanvasView::flipVertical()
{
    flipActivePuttyViews(false);
}

void ZVCanvasView::flipActivePuttyViews(bool horizontally)
{
    QList<QPointer<ZVPuttyView>> elements;
    auto files = std::make_shared<ql::MirroredFiles>();
    for (ZVPuttyView* element : activeViews()) {
        elements.append(element);
        for (const ql::FileMirror& file : element->filesToMirror(horizontally)) {
            if (std::none_of(files->cbegin(), files->cend(), [&file](const ql::FileMirror& f) { return f.sameWork(file); }))
                files->append(file);
        }
    }
    const auto finish = [page = QPointer<ZVCanvasView>(this), elements, files, horizontally] {
        if (page)
            page->finishFlips(elements, horizontally, *files);
    };
    ql::CanvasHost* host = canvasHost();
    if (files->isEmpty() || !host) {
        finish();
        return;
    }
    // Pictures shown at reduced resolution are mirrored from their files,
    // every pixel read and written anew: seconds for a large scan. The
    // window shows how far that has come; the flips follow, as one step.
    host->runLongWork(tr("Flipping..."), [files](const std::function<bool(double)>& progress) {
        const double count = double(files->size());
        for (qsizetype i = 0; i < files->size(); ++i) {
            // The decode the window would make to draw the result is made
            // here too, as the last part of the work.
            (*files)[i].run([&](double done) { return progress((double(i) + kMirroring * done) / count); });
            if (progress((double(i) + kMirroring) / count))
                (*files)[i].makeDrawable();
            if (!progress(double(i + 1) / count))
                return;
        }
    }, finish);
}

void ZVCanvasView::finishFlips(const QList<QPointer<ZVPuttyView>>& elements, bool horizontally,
                               const ql::MirroredFiles& ready)
{
    int unflipped = 0;
    for (ZVPuttyView* element : elements) {
        if (element && element->canvas() == this)
            unflipped += element->flip(horizontally, &ready) ? 0 : 1;
    }
    takeKeyboard(*this);
    ql::CanvasHost* host = canvasHost();
    if (unflipped == 0 || !host)
        return;
    if (unflipped == 1) {
        host->showAlert(tr("The picture could not be flipped."),
                        tr("Its pixels cannot be read: it is damaged, or too large to decode. It is kept as it was."));
    } else {
        host->showAlert(tr("%1 of the pictures could not be flipped.").arg(unflipped),
                        tr("Their pixels cannot be read: they are damaged, or too large to decode. They are kept as "
                           "they were."));
    }
}

// Layer pictures ---------------------------------------------------------------

QImage ZVCanvasView::imageRepresentationOfLayoutLayer(const ZVPuttyViewGroup* layer, double scale) const
{
    const QSize size = (m_frame.size() * scale).toSize().expandedTo(QSize(1, 1));
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    if (!layer)
        return image;
    // A picture for the layers panel, which draws it again whenever a slow
    // picture conversion ends: meanwhile such a picture shows its
    // placeholder rather than holding up the window.
    PageDocument* owner = document();
    const ql::PictureConversionScope scope(owner ? owner->documentObject() : nullptr, &image);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.scale(scale, scale);
    for (const ZVPuttyView* element : layer->puttyViewsObjects(m_puttyViews))
        ql::ElementPainter::paint(painter, *element);
    return image;
}
