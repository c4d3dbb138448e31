#include "panels/browsers/ZVClipArtContentViewController.h"

#include "imaging/ImageLoader.h"
#include "design/ZVDesignHelper.h"
#include "app/document/Document.h"
#include "canvas/ZVCanvasView.h"
#include "net/HTHTTPClient.h"
#include "panels/browsers/BrowserPrompter.h"
#include "panels/browsers/ElementPlacement.h"
#include "panels/grid/GVGridViewItem.h"
#include "platform/runtime/UserDefaults.h"
#include "util/layout/PinLayout.h"

#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>

namespace ql {

namespace {

const QString kHostKey = QStringLiteral("clipArtHost");
// Thumbnails are small; anything larger is not one.
constexpr qint64 kThumbnailByteLimit = qint64(2) * 1024 * 1024;
constexpr int kTimeoutMs = 30000;

} // namespace

ZVClipArtContentViewController::ZVClipArtContentViewController(QObject* parent) : ZVGridBrowserController(parent) {}

ZVClipArtContentViewController::~ZVClipArtContentViewController()
{
    if (m_task)
        m_task->cancel();
}

QLineEdit* ZVClipArtContentViewController::searchField()
{
    view();
    return m_searchField;
}

QPushButton* ZVClipArtContentViewController::moreButton()
{
    view();
    return m_moreButton;
}

QLabel* ZVClipArtContentViewController::statusField()
{
    view();
    return m_statusField;
}

void ZVClipArtContentViewController::buildView(QWidget* view)
{
    m_searchField = new QLineEdit(view);
    m_searchField->setObjectName(QStringLiteral("searchField"));
    m_searchField->setPlaceholderText(tr("Search"));
    autoPinEdgeToSuperviewEdge(m_searchField, PinEdge::Top, 3);
    autoPinEdgeToSuperviewEdge(m_searchField, PinEdge::Left, 3);
    autoPinEdgeToSuperviewEdge(m_searchField, PinEdge::Right, 3);
    autoSetDimension(m_searchField, PinDimension::Height, 22);

    m_statusField = new QLabel(m_actionView);
    m_statusField->setObjectName(QStringLiteral("statusField"));
    m_statusField->setWordWrap(true);
    m_moreButton = new QPushButton(tr("More"), m_actionView);
    m_moreButton->setObjectName(QStringLiteral("moreButton"));
    auto* strip = static_cast<QBoxLayout*>(m_actionView->layout());
    strip->addWidget(m_statusField, 1);
    strip->addWidget(m_moreButton);
    connect(m_moreButton, &QPushButton::clicked, this, [this] { searchMore(); });

    setUpGridLooks(QSizeF(100, 100));
    m_gridView->imageCache().setByteLimit(kThumbnailByteLimit);
    m_gridView->setDelegate(this);
    m_gridView->setDataSource(this);
    m_gridView->reloadData();
    updateMoreButton();
}

void ZVClipArtContentViewController::searchClipArt()
{
    view();
    const QString query = m_searchField->text().trimmed();
    if (query.isEmpty())
        return;
    m_query = query;
    m_page = 0;
    m_morePossible = false;
    m_items.clear();
    m_gridView->reloadData();
    requestPage(1);
}

void ZVClipArtContentViewController::searchMore()
{
    if (!m_query.isEmpty() && m_morePossible && !m_task)
        requestPage(m_page + 1);
}

void ZVClipArtContentViewController::requestPage(int page)
{
    if (m_task) {
        m_task->cancel();
        m_task.reset();
    }
    const quint64 question = ++m_question;
    const QString host = ZVDesignHelper::sharedInstance().defaults().stringForKey(kHostKey).trimmed();
    if (host.isEmpty()) {
        say(tr("Clip-art search is off: no clip-art service is set."));
        updateMoreButton();
        return;
    }
    const Result<QUrl> url = clipart::searchURL(host, m_query, page);
    if (!url) {
        say(url.error().message);
        updateMoreButton();
        return;
    }
    HTHTTPRequest request;
    request.url = *url;
    request.headers.append({QByteArrayLiteral("Accept"), QByteArrayLiteral("application/json")});
    request.byteLimit = clipart::kAnswerByteLimit;
    request.stallTimeoutMs = kTimeoutMs;
    say(tr("Searching…"));
    m_task = HTHTTPClient::shared().get(std::move(request), this,
                                        [this, question, page](const Result<HTHTTPResponse>& response) {
                                            if (question == m_question)
                                                answered(page, response);
                                        });
    updateMoreButton();
}

void ZVClipArtContentViewController::answered(int page, const Result<HTHTTPResponse>& response)
{
    m_task.reset();
    if (!isViewLoaded())
        return;
    if (!response) {
        const Error& error = response.error();
        if (error.domain == HTHTTPTask::kHTTPStatusErrorDomain)
            say(tr("The clip-art service answered with status %1.").arg(error.code));
        else if (error.domain == HTHTTPTask::kErrorDomain && error.code == HTHTTPTask::TooLarge)
            say(tr("The clip-art service's answer is larger than %1 MB.").arg(clipart::kAnswerByteLimit >> 20));
        else
            say(tr("The clip-art service could not be reached: %1").arg(error.message));
        updateMoreButton();
        return;
    }
    const Result<QList<ClipArtItem>> found = clipart::parseAnswer(response->body);
    if (!found) {
        say(found.error().message);
        updateMoreButton();
        return;
    }
    m_page = page;
    m_morePossible = !found->isEmpty();
    m_items.append(*found);
    m_gridView->reloadData();
    say(m_items.isEmpty() ? tr("No clip art found for “%1”.").arg(m_query) : QString());
    updateMoreButton();
}

void ZVClipArtContentViewController::insertItem(qint64 index)
{
    if (index < 0 || index >= m_items.size())
        return;
    const ClipArtItem item = m_items.at(index);
    const QPointer<ZVClipArtContentViewController> self = this;
    say(tr("Downloading “%1”…").arg(item.title));
    loadFromURL(
        item.url,
        [self, item](const Image& picture) {
            if (!self)
                return;
            self->say(QString());
            auto* document = qobject_cast<Document*>(self->representedObject());
            ZVCanvasView* page = document ? document->currentPage() : nullptr;
            if (!page)
                return;
            // A failed download must not leave an empty element behind.
            if (picture.isNull() || !placement::addImage(*page, picture)) {
                showBrowserAlert(document, tr("The clip art could not be added."),
                                 tr("“%1” could not be downloaded as a picture from %2.")
                                     .arg(item.title, item.url.host()));
            }
        },
        kTimeoutMs, kPictureByteLimit);
}

void ZVClipArtContentViewController::say(const QString& text)
{
    if (m_statusField)
        m_statusField->setText(text);
}

void ZVClipArtContentViewController::updateMoreButton()
{
    if (m_moreButton)
        m_moreButton->setEnabled(!m_query.isEmpty() && m_morePossible && !m_task);
}

qint64 ZVClipArtContentViewController::numberOfItemsInSection(GVGridView&, int)
{
    return m_items.size();
}

GVGridViewItem* ZVClipArtContentViewController::itemAtIndex(GVGridView& grid, qint64 index, int)
{
    GVGridViewItem* item = reusableItem(grid);
    const ClipArtItem& entry = m_items.at(index);
    item->setItemURL(entry.url);
    item->setItemImageURL(entry.thumbnail);
    item->setItemTitle(entry.title);
    return item;
}

void ZVClipArtContentViewController::didDoubleClickItemAtIndex(GVGridView&, qint64 index, int)
{
    insertItem(index);
}

} // namespace ql
