#include "panels/browsers/ZVImageContentViewController.h"

#include "design/ZVDesignHelper.h"
#include "app/document/Document.h"
#include "app/document/FilePanelFolder.h"
#include "canvas/ZVCanvasView.h"
#include "panels/browsers/BrowserPrompter.h"
#include "panels/browsers/ElementPlacement.h"
#include "panels/grid/GVGridViewItem.h"
#include "platform/ui/Prompter.h"

#include <QFileInfo>
#include <QLayout>
#include <QPushButton>
#include <algorithm>

namespace ql {

namespace {

// Thumbnails are kept small: the grid never shows more.
constexpr int kThumbnailPixels = 256;

Image thumbnailOf(const Image& picture)
{
    const QImage bitmap = picture.bitmap();
    if (bitmap.isNull() || std::max(bitmap.width(), bitmap.height()) <= kThumbnailPixels)
        return picture;
    return Image(bitmap.scaled(kThumbnailPixels, kThumbnailPixels, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

} // namespace

ZVImageContentViewController::ZVImageContentViewController(QObject* parent) : ZVGridBrowserController(parent) {}


QPushButton* ZVImageContentViewController::openButton()
{
    view();
    return m_openButton;
}

void ZVImageContentViewController::buildView(QWidget*)
{
    m_openButton = new QPushButton(tr("Open…"), m_actionView);
    m_openButton->setObjectName(QStringLiteral("openButton"));
    m_actionView->layout()->addWidget(m_openButton);
    connect(m_openButton, &QPushButton::clicked, this, [this] { openFile(); });
    setUpGridLooks(QSizeF(100, 100));
    m_gridView->setDelegate(this);
    m_gridView->setDataSource(this);
    m_gridView->reloadData();
}

void ZVImageContentViewController::openFile(QObject*)
{
    Prompter* prompter = browserPrompter(representedObject());
    if (!prompter)
        return;
    FilePanelRequest request;
    request.title = tr("Choose a Picture");
    request.allowedExtensions = ZVDesignHelper::sharedInstance().allowedImageExtensions();
    request.allowsMultipleSelection = false;
    if (auto* document = qobject_cast<Document*>(representedObject()))
        request.directory = filePanelFolder(*document, QStandardPaths::PicturesLocation, m_lastFolder);
    const QPointer<ZVImageContentViewController> self = this;
    prompter->beginOpenPanel(request, [self](const QStringList& paths) {
        if (!self || paths.isEmpty())
            return;
        self->m_lastFolder = QFileInfo(paths.first()).absolutePath();
        self->insertFile(paths.first());
    });
}

bool ZVImageContentViewController::insertFile(const QString& path)
{
    auto* document = qobject_cast<Document*>(representedObject());
    ZVCanvasView* page = document ? document->currentPage() : nullptr;
    if (!page)
        return false;
    const Result<Image> picture = Image::fromFile(path);
    // An empty picture would make an element with nothing in it.
    if (!picture || !placement::addImage(*page, *picture)) {
        showBrowserAlert(document, tr("The picture could not be opened."),
                         tr("“%1” is not a picture Quiverleaf can read.").arg(QFileInfo(path).fileName()));
        return false;
    }
    remember(path, *picture);
    return true;
}

void ZVImageContentViewController::remember(const QString& path, const Image& picture)
{
    const QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    if (std::any_of(m_opened.cbegin(), m_opened.cend(), [&url](const OpenedPicture& opened) { return opened.url == url; }))
        return;
    m_opened.prepend({url, QFileInfo(path).fileName(), thumbnailOf(picture)});
    if (isViewLoaded())
        m_gridView->reloadData();
}

qint64 ZVImageContentViewController::numberOfItemsInSection(GVGridView&, int)
{
    return m_opened.size();
}

GVGridViewItem* ZVImageContentViewController::itemAtIndex(GVGridView& grid, qint64 index, int)
{
    GVGridViewItem* item = reusableItem(grid);
    const OpenedPicture& opened = m_opened.at(index);
    item->setItemURL(opened.url);
    item->setItemTitle(opened.title);
    item->setItemImage(opened.thumbnail);
    return item;
}

void ZVImageContentViewController::didDoubleClickItemAtIndex(GVGridView&, qint64 index, int)
{
    if (index >= 0 && index < m_opened.size())
        insertFile(m_opened.at(index).url.toLocalFile());
}

} // namespace ql
