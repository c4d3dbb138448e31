#include "BucketServer.h"

#include "net/HTS3Manager.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTest>
#include <gtest/gtest.h>
#include <optional>

using namespace ql;
using ql::test::BucketServer;

namespace {

using Object = BucketServer::Object;

template <class T>
std::optional<Result<T>> wait(std::optional<Result<T>>& outcome, int timeoutMs = 20000)
{
    EXPECT_TRUE(QTest::qWaitFor([&] { return outcome.has_value(); }, timeoutMs));
    return outcome;
}

std::optional<Result<QList<S3Object>>> list(HTS3Manager& manager)
{
    std::optional<Result<QList<S3Object>>> outcome;
    manager.listObjects(nullptr, [&](const Result<QList<S3Object>>& result) { outcome = result; });
    return wait(outcome);
}

std::optional<Result<QString>> download(HTS3Manager& manager, const S3Object& object)
{
    std::optional<Result<QString>> outcome;
    manager.downloadObject(object, nullptr, [&](const Result<QString>& result) { outcome = result; });
    return wait(outcome);
}

QStringList keys(const QList<S3Object>& objects)
{
    QStringList result;
    for (const S3Object& object : objects)
        result.append(object.key);
    return result;
}

S3Object objectFor(const QString& key, const QByteArray& body)
{
    return {key, QString::fromLatin1(QCryptographicHash::hash(body, QCryptographicHash::Md5).toHex()), body.size()};
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every file below a folder, links not followed.
QStringList filesBelow(const QString& folder)
{
    QStringList found;
    QDir dir(folder);
    for (const QFileInfo& info : dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)) {
        if (info.isDir() && !info.isSymLink())
            found += filesBelow(info.filePath());
        else
            found.append(info.filePath());
    }
    return found;
}

class TemplateBucket : public ::testing::Test {
protected:
    HTS3Manager manager(const QString& key = {}, const QString& secret = {})
    {
        HTS3Manager made(HTS3Configuration {server.bucketURL(), key, secret}, cacheRoot());
        made.setTimeouts(5000, 1500);
        return made;
    }
    QString cacheRoot() const { return folder.filePath(QStringLiteral("cache/templates")); }

    QTemporaryDir folder;
    BucketServer server;
};

} // namespace

TEST_F(TemplateBucket, ListsWithASignatureThatTheServerChecks)
{
    const QList<Object> objects {{"Cards/", {}},
                                 {"Cards/Blue.qvleaf", "blue document"},
                                 {"Cards/Blue.jpg", "blue picture"},
                                 {"Flyers/", {}},
                                 {"Flyers/Spring.qvleaf", "spring"},
                                 {"Flyers/Summer.qvleaf", "summer"}};
    server.configure(objects, {}, QStringLiteral("AKIDEXAMPLE"), QStringLiteral("s3cr3t"));

    HTS3Manager signedManager = manager(QStringLiteral("AKIDEXAMPLE"), QStringLiteral("s3cr3t"));
    const auto listed = list(signedManager);
    ASSERT_TRUE(listed && listed->ok()) << (listed && !listed->ok() ? listed->error().message.toStdString() : "");
    EXPECT_EQ(keys(listed->value()), (QStringList {"Cards/", "Cards/Blue.qvleaf", "Cards/Blue.jpg", "Flyers/",
                                                   "Flyers/Spring.qvleaf", "Flyers/Summer.qvleaf"}));
    EXPECT_EQ(listed->value()[1], objectFor("Cards/Blue.qvleaf", "blue document"));
    EXPECT_EQ(listed->value()[0].size, 0);
    const QJsonArray log = server.log();
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log[0][QStringLiteral("signature_ok")].toBool());
    EXPECT_TRUE(log[0][QStringLiteral("date")].toString().endsWith(" GMT"));

    // A wrong secret, or none, is refused by the server and reported.
    HTS3Manager wrong = manager(QStringLiteral("AKIDEXAMPLE"), QStringLiteral("wrong"));
    const auto refused = list(wrong);
    ASSERT_TRUE(refused && !refused->ok());
    EXPECT_EQ(refused->error().code, 403);
    HTS3Manager unsignedManager = manager();
    const auto anonymous = list(unsignedManager);
    ASSERT_TRUE(anonymous && !anonymous->ok());
    EXPECT_FALSE(server.log()[2][QStringLiteral("signature_ok")].toBool());

    // A listing beyond 4 MiB fails rather than filling memory.
    server.configure(objects, {{"mode", "oversize"}}, QStringLiteral("AKIDEXAMPLE"), QStringLiteral("s3cr3t"));
    const auto oversize = list(signedManager);
    ASSERT_TRUE(oversize && !oversize->ok());
    EXPECT_EQ(oversize->error().code, HTHTTPTask::TooLarge);

    // Without a bucket nothing is asked.
    HTS3Manager none(HTS3Configuration {}, cacheRoot());
    EXPECT_FALSE(none.isConfigured());
    const qsizetype before = server.log().size();
    const auto unconfigured = list(none);
    ASSERT_TRUE(unconfigured && !unconfigured->ok());
    EXPECT_EQ(server.log().size(), before);
}

TEST_F(TemplateBucket, DownloadsKeepOnlyWholeCheckedFilesAndReuseCurrentCopies)
{
    const QByteArray first = "first version of the template";
    server.configure({{"Flyers/Spring.qvleaf", first}});
    HTS3Manager bucket = manager();
    const auto fetched = download(bucket, objectFor("Flyers/Spring.qvleaf", first));
    ASSERT_TRUE(fetched && fetched->ok()) << fetched->error().message.toStdString();
    EXPECT_EQ(fetched->value(), cacheRoot() + "/Flyers/Spring.qvleaf");
    EXPECT_EQ(contents(fetched->value()), first);
    EXPECT_EQ(server.requestedPaths(), QStringList {"/templates/Flyers/Spring.qvleaf"});

    // A copy that its tag confirms needs no request.
    const auto cached = download(bucket, objectFor("Flyers/Spring.qvleaf", first));
    ASSERT_TRUE(cached && cached->ok());
    EXPECT_EQ(server.log().size(), 1);

    // A newer version whose download fails in any way leaves the earlier copy
    // as it was and no partial file beside it.
    const QByteArray second(100000, 'n');
    const QList<std::pair<QString, Object>> failures {
        {"oversize", {"Flyers/Spring.qvleaf", second, "oversize"}},
        {"short", {"Flyers/Spring.qvleaf", second, "short"}},
        {"500", {"Flyers/Spring.qvleaf", second, "status", 500}},
        {"404", {"Flyers/Spring.qvleaf", second, "status", 404}},
        {"silence", {"Flyers/Spring.qvleaf", second, "silent"}},
        {"damaged", {"Flyers/Spring.qvleaf", second, "normal", 0, {}, QString(32, u'0')}},
    };
    for (const auto& [name, failing] : failures) {
        SCOPED_TRACE(name.toStdString());
        server.configure({failing});
        S3Object wanted = objectFor("Flyers/Spring.qvleaf", second);
        if (failing.etag)
            wanted.etag = *failing.etag;
        const auto failed = download(bucket, wanted);
        ASSERT_TRUE(failed && !failed->ok());
        EXPECT_FALSE(failed->error().message.isEmpty());
        EXPECT_EQ(contents(fetched->value()), first);
        EXPECT_EQ(filesBelow(cacheRoot()), QStringList {fetched->value()});
    }

    server.configure({{"Flyers/Spring.qvleaf", second}});
    const auto replaced = download(bucket, objectFor("Flyers/Spring.qvleaf", second));
    ASSERT_TRUE(replaced && replaced->ok());
    EXPECT_EQ(contents(replaced->value()), second);
    EXPECT_EQ(filesBelow(cacheRoot()), QStringList {replaced->value()});
}

TEST_F(TemplateBucket, KeysThatCannotBeSafeFileNamesAreNeitherListedNorWritten)
{
    const QString outside = folder.filePath(QStringLiteral("outside"));
    ASSERT_TRUE(QDir().mkpath(outside));
    ASSERT_TRUE(QDir().mkpath(cacheRoot()));
    ASSERT_TRUE(QFile::link(outside, cacheRoot() + "/linked"));
    const QStringList bad {"../x.qvleaf", "/x.qvleaf", "a/../../x.qvleaf", "a//x.qvleaf", "./x.qvleaf",
                           "a\nb.qvleaf", "a\\..\\x.qvleaf", QString(2000, u'k') + ".qvleaf",
                           QString(256, u's') + "/x.qvleaf", "linked/x.qvleaf", "linked/deeper/x.qvleaf"};
    QList<Object> objects;
    for (const QString& key : bad)
        objects.append(Object {key, "payload"});
    objects.append(Object {"good/x.qvleaf", "payload"});
    objects.append(Object {"good/", {}});
    server.configure(objects);

    HTS3Manager bucket = manager();
    const auto listed = list(bucket);
    ASSERT_TRUE(listed && listed->ok());
    EXPECT_EQ(keys(listed->value()), (QStringList {"good/x.qvleaf", "good/"}));

    for (const QString& key : bad) {
        SCOPED_TRACE(key.left(40).toStdString());
        const auto refused = download(bucket, objectFor(key, "payload"));
        ASSERT_TRUE(refused && !refused->ok());
    }
    EXPECT_TRUE(filesBelow(outside).isEmpty());
    EXPECT_TRUE(filesBelow(folder.filePath(QStringLiteral("cache"))).size() == 1); // the link itself
    EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("cache/x.qvleaf"))));
    EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("x.qvleaf"))));
    // Refused keys never reached the server.
    EXPECT_EQ(server.log().size(), 1);
}

TEST_F(TemplateBucket, ObjectAddressesEncodeEachSegmentAndRedirectsAreBounded)
{
    HTS3Manager bucket = manager();
    EXPECT_EQ(bucket.urlForKey(QStringLiteral("Cards/Tom & Jerry #1?.qvleaf")).toEncoded(),
              server.bucketURL().toEncoded() + "/Cards/Tom%20%26%20Jerry%20%231%3F.qvleaf");

    // Five redirects are followed, a sixth is not, and none may leave http.
    QList<Object> chain;
    for (int i = 0; i < 6; ++i)
        chain.append(Object {QStringLiteral("hop%1").arg(i), {}, "redirect", 0,
                      server.bucketURL().toString() + QStringLiteral("/hop%1").arg(i + 1)});
    chain.append(Object {"hop6", "arrived"});
    chain.append(Object {"to-file", {}, "redirect", 0, "file:///etc/passwd"});
    server.configure(chain);
    const auto fetch = [&](const QString& key) {
        std::optional<Result<HTHTTPResponse>> outcome;
        HTHTTPRequest request;
        request.url = bucket.urlForKey(key);
        request.byteLimit = 1000;
        HTHTTPClient::shared().get(request, nullptr, [&](const Result<HTHTTPResponse>& result) { outcome = result; });
        return wait(outcome);
    };
    const auto five = fetch(QStringLiteral("hop1"));
    ASSERT_TRUE(five && five->ok());
    EXPECT_EQ(five->value().body, "arrived");
    const auto six = fetch(QStringLiteral("hop0"));
    ASSERT_TRUE(six && !six->ok());
    const auto file = fetch(QStringLiteral("to-file"));
    ASSERT_TRUE(file && !file->ok());
}
