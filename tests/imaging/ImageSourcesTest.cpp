#include "imaging/ImageBitmap.h"
#include "imaging/ImageLoader.h"
#include "imaging/VectorRendering.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <arpa/inet.h>
#include <atomic>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace ql;

namespace {

QByteArray pngOf(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// A one-page PDF of 100 × 50 points, its left half red.
QByteArray pdfWithRedLeftHalf()
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(72);
    writer.setPageSize(QPageSize(QSizeF(100, 50), QPageSize::Point));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter(&writer);
    painter.fillRect(QRectF(0, 0, 50, 50), Qt::red);
    painter.end();
    return bytes;
}

// A real HTTP server on 127.0.0.1 that answers every request with `body`,
// or accepts and never answers when `silent`.
class LocalServer {
public:
    LocalServer(QByteArray body, bool silent) : m_body(std::move(body)), m_silent(silent)
    {
        m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(m_socket, 8);
        socklen_t length = sizeof address;
        ::getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { serve(); });
    }
    ~LocalServer()
    {
        m_stop = true;
        ::shutdown(m_socket, SHUT_RDWR);
        ::close(m_socket);
        m_thread.join();
        for (int client : m_clients)
            ::close(client);
    }
    QUrl url(const QString& path) const { return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path)); }

private:
    void serve()
    {
        while (!m_stop) {
            const int client = ::accept(m_socket, nullptr, nullptr);
            if (client < 0)
                return;
            m_clients.push_back(client);
            if (m_silent)
                continue;
            char request[4096];
            (void)::recv(client, request, sizeof request, 0);
            const QByteArray head = "HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nConnection: close\r\nContent-Length: "
                + QByteArray::number(m_body.size()) + "\r\n\r\n";
            (void)::send(client, head.constData(), head.size(), MSG_NOSIGNAL);
            (void)::send(client, m_body.constData(), m_body.size(), MSG_NOSIGNAL);
        }
    }

    QByteArray m_body;
    bool m_silent;
    int m_socket = -1;
    quint16 m_port = 0;
    std::atomic<bool> m_stop {false};
    std::vector<int> m_clients;
    std::thread m_thread;
};

struct LoadOutcome {
    int calls = 0;
    bool onMainThread = false;
    Image image;
};

LoadOutcome load(const QUrl& url, int timeoutMs = 5000)
{
    auto outcome = std::make_shared<LoadOutcome>();
    loadFromURL(url, [outcome](Image image) {
        ++outcome->calls;
        outcome->onMainThread = QThread::currentThread() == QCoreApplication::instance()->thread();
        outcome->image = std::move(image);
    }, timeoutMs);
    EXPECT_TRUE(QTest::qWaitFor([&] { return outcome->calls > 0; }, timeoutMs + 5000));
    // Any second call would come through the event loop too.
    QTest::qWait(50);
    return *outcome;
}

} // namespace

TEST(VectorImages, PdfAndEpsOriginalsRenderAtTheAskedScale)
{
    const Result<Image> pdf = Image::fromData(pdfWithRedLeftHalf());
    ASSERT_TRUE(pdf.ok());
    EXPECT_TRUE(pdf->isVector());
    EXPECT_EQ(pdf->size(), QSizeF(100, 50));
    const QImage twice = bitmapOf(*pdf, 2.0);
    ASSERT_EQ(twice.size(), QSize(200, 100));
    EXPECT_EQ(QColor(twice.pixel(40, 50)), QColor(Qt::red));
    EXPECT_EQ(qAlpha(twice.pixel(160, 50)), 0);

    // Damaged PDF data is sniffed as PDF but renders to nothing.
    const Result<Image> damaged = Image::fromData("%PDF-1.4\nthis is not a pdf at all");
    ASSERT_TRUE(damaged.ok());
    EXPECT_TRUE(bitmapOf(*damaged).isNull());
    EXPECT_FALSE(renderPdfPage(pdfWithRedLeftHalf(), 3, QSize(10, 10)).ok());
    // Edits of a vector original keep print resolution.
    EXPECT_EQ(pixelDensity(*pdf), 300.0 / 72.0);

    if (!canRenderEps())
        GTEST_SKIP() << "Ghostscript is not installed";
    const QByteArray eps = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 100 50\n"
                           "1 0 0 setrgbcolor 0 0 50 50 rectfill showpage\n";
    const Result<Image> epsImage = Image::fromData(eps);
    ASSERT_TRUE(epsImage.ok());
    const QImage rendered = bitmapOf(*epsImage);
    ASSERT_EQ(rendered.size(), QSize(100, 50));
    EXPECT_EQ(QColor(rendered.pixel(20, 25)), QColor(Qt::red));
    EXPECT_EQ(qAlpha(rendered.pixel(80, 25)), 0);
    EXPECT_FALSE(renderEps("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\n nonsense-operator\n",
                           QSizeF(10, 10), QSize(10, 10)).ok());
}

TEST(VectorImages, AnEpsThatReadsStandardInputDoesNotWaitForIt)
{
    if (!canRenderEps())
        GTEST_SKIP() << "Ghostscript is not installed";
    const QByteArray eps = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\n"
                           "(%stdin) (r) file 100 string readstring pop pop\n"
                           "0 0 1 setrgbcolor 0 0 10 10 rectfill showpage\n";
    QElapsedTimer timer;
    timer.start();
    const Result<QImage> rendered = renderEps(eps, QSizeF(10, 10), QSize(10, 10));
    // Waiting on the input would only end at the 30-second limit.
    EXPECT_LT(timer.elapsed(), 10000);
    // The input ends at once, so the rest of the file draws.
    ASSERT_TRUE(rendered.ok());
    EXPECT_EQ(QColor(rendered->pixel(5, 5)), QColor(Qt::blue));
}

TEST(ImageSources, BadFilesAndSizesGiveNullResults)
{
    QTemporaryDir dir;
    const QString corrupt = dir.filePath(QStringLiteral("corrupt.png"));
    QFile file(corrupt);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(pngOf(QImage(8, 8, QImage::Format_ARGB32)).left(30));
    file.close();
    const Result<Image> broken = Image::fromFile(corrupt);
    EXPECT_FALSE(broken.ok());
    EXPECT_FALSE(broken.error().message.isEmpty());
    EXPECT_FALSE(Image::fromFile(QString()).ok());
    EXPECT_TRUE(bitmapOf(Image()).isNull());
    EXPECT_TRUE(imageFromBitmap(QImage()).isNull());
    EXPECT_TRUE(blankBitmap(QSizeF(0, 10)).isNull());
    EXPECT_TRUE(imageWithCIImage(QImage()).isNull());

}

TEST(ImageSources, ComputedPicturesTakeTheRectanglesSizeOrPart)
{
    QImage picture(30, 20, QImage::Format_ARGB32);
    picture.fill(Qt::blue);
    picture.setPixel(10, 5, qRgb(255, 0, 0));
    // The image takes only the rectangle's size; the picture is not shifted.
    const Image whole = imageWithCIImage(picture, QRectF(10, 5, 30, 20));
    EXPECT_EQ(whole.size(), QSizeF(30, 20));
    const QImage shown = bitmapOf(whole);
    EXPECT_EQ(shown.pixel(10, 5), qRgb(255, 0, 0));
    EXPECT_EQ(shown.pixel(29, 19), qRgb(0, 0, 255));
    EXPECT_EQ(imageWithCIImage(picture, QRectF(3, 3, 15, 10)).pixelSize(), QSize(30, 20));
    EXPECT_EQ(imageWithCIImage(picture, QRectF(3, 3, 15, 10)).size(), QSizeF(15, 10));
    EXPECT_EQ(imageWithCIImage(picture).size(), QSizeF(30, 20));

    // The bitmap is the part at the rectangle, its size truncated.
    const QImage part = imageRepWithCIImage(picture, QRectF(10, 5, 4, 3));
    EXPECT_EQ(part.size(), QSize(4, 3));
    EXPECT_EQ(part.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(imageRepWithCIImage(picture, QRectF(0, 0, 10.7, 10.2)).size(), QSize(10, 10));
    EXPECT_TRUE(imageRepWithCIImage(picture, QRectF(0, 0, 0.5, 10)).isNull());
    EXPECT_EQ(imageRepWithCIImage(picture).size(), QSize(30, 20));
}

TEST(ImageLoader, LoadsOverHttpAndFromFilesAndCallsBackOnceOnTheMainThread)
{
    QImage picture(12, 8, QImage::Format_ARGB32);
    picture.fill(Qt::green);
    LocalServer server(pngOf(picture), false);
    const LoadOutcome http = load(server.url(QStringLiteral("/picture.png")));
    EXPECT_EQ(http.calls, 1);
    EXPECT_TRUE(http.onMainThread);
    EXPECT_EQ(http.image.pixelSize(), QSize(12, 8));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("local.png"));
    ASSERT_TRUE(picture.save(path));
    const LoadOutcome local = load(QUrl::fromLocalFile(path));
    EXPECT_EQ(local.calls, 1);
    EXPECT_EQ(local.image.pixelSize(), QSize(12, 8));
}

TEST(ImageLoader, FailuresStillCallBackExactlyOnceWithNothing)
{
    // A server that answers with something that is not an image.
    LocalServer text("just text", false);
    const LoadOutcome notImage = load(text.url(QStringLiteral("/")));
    EXPECT_EQ(notImage.calls, 1);
    EXPECT_TRUE(notImage.image.isNull());

    // A server that never answers, and a port where nobody listens.
    LocalServer silent(QByteArray(), true);
    const LoadOutcome timedOut = load(silent.url(QStringLiteral("/slow.png")), 400);
    EXPECT_EQ(timedOut.calls, 1);
    EXPECT_TRUE(timedOut.onMainThread);
    EXPECT_TRUE(timedOut.image.isNull());

    const LoadOutcome refused = load(QUrl(QStringLiteral("http://127.0.0.1:1/none.png")));
    EXPECT_EQ(refused.calls, 1);
    EXPECT_TRUE(refused.image.isNull());

    const LoadOutcome missing = load(QUrl::fromLocalFile(QStringLiteral("/nonexistent/none.png")));
    EXPECT_EQ(missing.calls, 1);
    EXPECT_TRUE(missing.image.isNull());

    const LoadOutcome unsupported = load(QUrl(QStringLiteral("ftp://127.0.0.1/none.png")));
    EXPECT_EQ(unsupported.calls, 1);
    EXPECT_TRUE(unsupported.image.isNull());
}

TEST(ImageLoader, AFifoIsRefusedInsteadOfHoldingBackTheCallback)
{
    QTemporaryDir dir;
    const QByteArray fifo = QFile::encodeName(dir.filePath(QStringLiteral("pipe.png")));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    const LoadOutcome piped = load(QUrl::fromLocalFile(QFile::decodeName(fifo)), 300);
    // Lets a reader still waiting for a writer go before the FIFO disappears.
    const int writer = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);
    if (writer >= 0)
        ::close(writer);
    EXPECT_EQ(piped.calls, 1);
    EXPECT_TRUE(piped.image.isNull());
}
