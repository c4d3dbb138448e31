// The element's context menu and the commands it handles itself: Edit,
// Delete and the conversions (ZVPuttyViewConversions.cpp). The page's
// commands in the menu go to the window's menus by their action names and
// are enabled by the page's validation.
#include "canvas/ZVPuttyView.h"

#include "canvas/CanvasHost.h"
#include "canvas/ZVCanvasView.h"
#include "content/ZV3DTextView.h"
#include "content/ZVImageView.h"
#include "content/ZVTextView.h"

#include <QPointer>

namespace {

using Item = ql::CanvasMenu::Item;

} // namespace

ql::CanvasMenu ZVPuttyView::menuForEvent()
{
    ZVCanvasView* page = canvas();
    const ZVCanvasView::ClipboardContents clipboard = ZVCanvasView::clipboardContents();
    const QPointer<ZVPuttyView> self(this);
    // A command of this element.
    const auto own = [&](const char* title, const QString& action, void (ZVPuttyView::*command)()) {
        return Item {tr(title), action, validateMenuItem(action), [self, command](const QAction*) {
                         if (self)
                             (self.data()->*command)();
                     }};
    };
    // A command of the page, sent by its action name.
    const auto paged = [&](const char* title, const QString& action) {
        return Item {tr(title), action, page && page->validateMenuItem(action, clipboard)};
    };

    ql::CanvasMenu menu {QStringLiteral("Contextual Menu"), {}};
    QList<Item>& items = menu.items;
    items << own("Edit", QStringLiteral("editItem:"), &ZVPuttyView::editItem) << Item::separator()
          << paged("Cut", QStringLiteral("cut:")) << paged("Copy", QStringLiteral("copy:"))
          << paged("Copy to Pasteboard", QStringLiteral("copyPB:")) << paged("Paste", QStringLiteral("paste:"))
          << paged("Duplicate", QStringLiteral("duplicate:"))
          << own("Delete", QStringLiteral("deleteActivePuttyViews:"), &ZVPuttyView::deleteActivePuttyViews)
          << Item::separator() << paged("Bring Forward", QStringLiteral("moveActivePuttyViewsForward:"))
          << paged("Bring to Front", QStringLiteral("moveActivePuttyViewsToFront:"))
          << paged("Send Backward", QStringLiteral("moveActivePuttyViewsBackward:"))
          << paged("Send to Back", QStringLiteral("moveActivePuttyViewsToBack:")) << Item::separator();

    // Move to Layer lists the page's layers as they are now.
    Item moveToLayer = paged("Move to Layer", QStringLiteral("clickMoveToLayerMenu:"));
    auto layers = std::make_shared<ql::CanvasMenu>();
    layers->title = moveToLayer.title;
    if (page) {
        const QPointer<ZVCanvasView> target(page);
        for (const ZVCanvasView::LayerMenuItem& entry : page->moveToLayerMenuItems()) {
            layers->items << Item {entry.title, QStringLiteral("movePuttyViewToLayer:"), entry.enabled,
                                   [target, tag = entry.tag](const QAction*) {
                                       if (target)
                                           target->movePuttyViewToLayer(tag);
                                   }};
        }
    }
    moveToLayer.submenu = std::move(layers);
    items << moveToLayer << Item::separator() << paged("Group", QStringLiteral("groupActivePuttyViews:"))
          << paged("Ungroup", QStringLiteral("ungroupActivePuttyViews:")) << Item::separator()
          << paged("Lock", QStringLiteral("lockActivePuttyViews:"))
          << paged("Unlock", QStringLiteral("unlockActivePuttyViews:"));

    switch (m_contentViewType) {
    case ImageContent: {
        Item crop = paged("Crop", QStringLiteral("cropImage:"));
        const QPointer<ZVCanvasView> target(page);
        crop.perform = [target](const QAction*) {
            if (target)
                target->cropImage();
        };
        items << Item::separator() << crop;
        break;
    }
    case TextContent: {
        auto convert = std::make_shared<ql::CanvasMenu>();
        convert->title = tr("Convert");
        convert->items << own("Image", QStringLiteral("convertTextToImage:"), &ZVPuttyView::convertTextToImage)
                       << own("3D Text", QStringLiteral("convertTextTo3DText:"), &ZVPuttyView::convertTextTo3DText)
                       << own("Shape", QStringLiteral("convertTextToShape:"), &ZVPuttyView::convertTextToShape);
        Item item {tr("Convert to"), QString(), true};
        item.submenu = std::move(convert);
        items << Item::separator() << item;
        break;
    }
    case VectorContent:
        items << Item::separator()
              << own("Convert to Image", QStringLiteral("convertShapeToImage:"), &ZVPuttyView::convertShapeToImage);
        break;
    case Text3DContent:
        items << Item::separator()
              << own("Convert to Image", QStringLiteral("convert3DTextToImage:"), &ZVPuttyView::convert3DTextToImage);
        break;
    default:
        break;
    }
    return menu;
}

void ZVPuttyView::editItem()
{
    ZVCanvasView* page = canvas();
    if (page) {
        if (ql::CanvasHost* host = page->canvasHost())
            host->changeInspectorView(2);
    }
    switch (m_contentViewType) {
    case TextContent:
        if (auto* text = qobject_cast<ZVTextView*>(m_contentView)) {
            text->setEditMode(true);
            text->setNeedsDisplay();
        }
        break;
    case VectorContent:
        applyToDrawingView();
        break;
    case Text3DContent:
        if (auto* text3D = qobject_cast<ZV3DTextView*>(m_contentView)) {
            text3D->setAllowsCameraControl(true);
            text3D->setEditMode(true);
        }
        break;
    case ImageContent:
        if (page)
            page->cropImage();
        break;
    default:
        break;
    }
}

void ZVPuttyView::deleteActivePuttyViews()
{
    if (ZVCanvasView* page = canvas())
        page->deleteActivePuttyViews();
}
