#include "GridTestSupport.h"

#include "imaging/ImageLoader.h"

#include <QBuffer>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace ql;
using namespace ql::test;

namespace {

// A picture server on 127.0.0.1 that answers "/pic.png" (a second late
// when the link says "slow") and 404 for the rest, and writes every
// request's path to its output.
class CountingServer {
public:
    CountingServer()
    {
        QFile script(folder.filePath(QStringLiteral("server.py")));
        EXPECT_TRUE(script.open(QIODevice::WriteOnly));
        script.write(R"(import http.server, sys, threading, time
png = open(sys.argv[1], 'rb').read()
# One write per line: requests run on several threads.
lock = threading.Lock()
def log_line(text):
    with lock:
        sys.stdout.write(text + '\n')
        sys.stdout.flush()
class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        log_line(self.path)
        if 'slow' in self.path:
            time.sleep(1)
        if self.path.startswith('/pic.png'):
            self.send_response(200)
            self.send_header('Content-Type', 'image/png')
            self.send_header('Content-Length', str(len(png)))
            self.end_headers()
            self.wfile.write(png)
        else:
            self.send_error(404)
    def log_message(self, *args):
        pass
server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), Handler)
log_line(str(server.server_address[1]))
server.serve_forever()
)");
        script.close();
        QImage bitmap(40, 20, QImage::Format_ARGB32);
        bitmap.fill(Qt::blue);
        bitmap.save(folder.filePath(QStringLiteral("pic.png")));
        process.start(QStringLiteral("python3"), {script.fileName(), folder.filePath(QStringLiteral("pic.png"))});
        EXPECT_TRUE(process.waitForStarted());
        EXPECT_TRUE(process.waitForReadyRead(10000));
        port = process.readLine().trimmed().toInt();
    }
    ~CountingServer()
    {
        process.kill();
        process.waitForFinished();
    }
    QUrl url(const QString& path) const { return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(path)); }
    // Requests seen so far, by path.
    QStringList requests()
    {
        process.waitForReadyRead(50);
        seen += QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        return seen;
    }

    QTemporaryDir folder;
    QProcess process;
    int port = 0;
    QStringList seen;
};

void repaint(GVGridView* grid)
{
    for (GVGridViewItem* item : grid->visibleItems())
        item->repaint();
    QCoreApplication::processEvents();
}

} // namespace

TEST(GridThumbnails, LoadOnceShowPlaceholderAndRememberFailures)
{
    ASSERT_FALSE(GVGridViewItem::loadingImage().isNull()) << "the placeholder resource is found";
    CountingServer server;
    CountingServer second;
    RecordingGridOwner owner;
    owner.count = 2;
    // Slow enough that the placeholder shows first.
    QUrl links[2] = {server.url(QStringLiteral("/pic.png?slow")), server.url(QStringLiteral("/pic.png?slow"))};
    owner.fill = [&](GVGridViewItem& item, qint64 index) { item.setItemImageURL(links[index]); };
    GridInScrollArea view(owner, QSize(216, 400), QSizeF(100, 100));
    GVGridView* grid = view.grid;
    GVGridViewItem* first = grid->itemAtIndex(0);
    repaint(grid);
    EXPECT_EQ(first->itemImage(), GVGridViewItem::loadingImage()) << "the placeholder while loading";
    ASSERT_TRUE(QTest::qWaitFor([&] { return first->itemImage().pixelSize() == QSize(40, 20); }, 10000));
    repaint(grid);
    EXPECT_EQ(server.requests(), (QStringList {"/pic.png?slow"})) << "one fetch for both items of the same link";
    EXPECT_EQ(grid->itemAtIndex(1)->itemImage().pixelSize(), QSize(40, 20));

    // A reload makes new items; the picture comes from the grid's cache.
    grid->reloadData();
    repaint(grid);
    EXPECT_EQ(grid->itemAtIndex(0)->itemImage().pixelSize(), QSize(40, 20));
    EXPECT_EQ(server.requests().size(), 1);

    // The same path on another server is another picture.
    links[1] = second.url(QStringLiteral("/pic.png"));
    grid->reloadData();
    repaint(grid);
    ASSERT_TRUE(QTest::qWaitFor([&] { return second.requests().size() == 1; }, 10000));
    EXPECT_EQ(server.requests().size(), 1);

    // A missing picture is asked once however often the grid repaints,
    // and again after a reload; the placeholder stays.
    links[0] = links[1] = server.url(QStringLiteral("/missing.png"));
    grid->reloadData();
    for (int pass = 0; pass < 5; ++pass) {
        repaint(grid);
        QTest::qWait(60);
    }
    EXPECT_EQ(server.requests().count(QStringLiteral("/missing.png")), 1);
    EXPECT_EQ(grid->itemAtIndex(0)->itemImage(), GVGridViewItem::loadingImage());
    grid->reloadData();
    repaint(grid);
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.requests().count(QStringLiteral("/missing.png")) == 2; }, 10000));
}

TEST(GridThumbnails, LatePictureSkipsAnItemNowShowingAnotherLink)
{
    CountingServer server;
    RecordingGridOwner owner;
    owner.count = 1;
    QUrl link = server.url(QStringLiteral("/pic.png?slow"));
    owner.fill = [&](GVGridViewItem& item, qint64) { item.setItemImageURL(link); };
    GridInScrollArea view(owner, QSize(216, 400), QSizeF(100, 100));
    GVGridViewItem* item = view.grid->itemAtIndex(0);
    item->repaint();
    // The item is reused for another row before the picture arrives.
    const Image other(QImage(8, 8, QImage::Format_ARGB32));
    item->setItemImageURL(QUrl());
    item->setItemImage(other);
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.grid->imageCache().contains(link); }, 10000));
    EXPECT_EQ(item->itemImage(), other);
}

TEST(GridThumbnails, ThumbnailsAreDecodedAtTheirCellsSizeAndKeptWithinABound)
{
    // A picture far larger than its cell, three times under other names.
    QTemporaryDir folder;
    QImage wide(3000, 1500, QImage::Format_RGB32);
    wide.fill(Qt::darkCyan);
    QList<QUrl> links;
    for (const char* name : {"a.png", "b.png", "c.png"}) {
        ASSERT_TRUE(wide.save(folder.filePath(QString::fromLatin1(name))));
        links.append(QUrl::fromLocalFile(folder.filePath(QString::fromLatin1(name))));
    }
    RecordingGridOwner owner;
    GridInScrollArea view(owner, QSize(216, 400), QSizeF(100, 100));
    GVGridImageCache& cache = view.grid->imageCache();
    const auto loaded = [&](const QUrl& link) {
        cache.load(link);
        return QTest::qWaitFor([&] { return cache.contains(link); }, 10000);
    };
    ASSERT_TRUE(loaded(links[0]));
    EXPECT_EQ(cache.image(links[0]).pixelSize(), QSize(100, 50)) << "within the cell, its shape kept";

    // Room for two: the one drawn longest ago goes.
    cache.setMemoryLimit(2 * 100 * 50 * 4);
    ASSERT_TRUE(loaded(links[1]));
    cache.image(links[0]);
    ASSERT_TRUE(loaded(links[2]));
    EXPECT_TRUE(cache.contains(links[0]));
    EXPECT_FALSE(cache.contains(links[1]));
    EXPECT_TRUE(cache.contains(links[2]));
    EXPECT_LE(cache.memoryUsed(), cache.memoryLimit());

    // One that claims more pixels than any thumbnail has is not decoded.
    QImage claim(4200, 4200, QImage::Format_Mono);
    claim.fill(0);
    ASSERT_TRUE(claim.save(folder.filePath(QStringLiteral("huge.png"))));
    const QUrl huge = QUrl::fromLocalFile(folder.filePath(QStringLiteral("huge.png")));
    cache.load(huge);
    ASSERT_TRUE(QTest::qWaitFor([&] { return cache.hasFailed(huge); }, 10000));
}
