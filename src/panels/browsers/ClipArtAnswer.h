// The clip-art service's side of the search: the request link and the
// answer, {"results": [{"title", "url", "thumbnail"}]} (docs/clip-art-search.md).
// The answer comes from outside and is read as untrusted: links must be http
// or https, titles are cut short and only so many entries are taken.
#pragma once

#include "platform/Error.h"

#include <QList>
#include <QUrl>

namespace ql {

struct ClipArtItem {
    QString title;
    QUrl url;       // the picture
    QUrl thumbnail; // empty when the answer gave none that may be fetched
};

namespace clipart {

// Answers larger than this are refused.
constexpr qint64 kAnswerByteLimit = qint64(4) * 1024 * 1024;
// Entries past this many in one answer are left out.
constexpr int kItemLimit = 200;
// Titles are cut to this many characters.
constexpr int kTitleLimit = 200;

// host + "/search/json/?query=" + the query, percent-encoded, + "&page=" + page.
// Fails on a host that is not an http or https address.
Result<QUrl> searchURL(const QString& host, const QString& query, int page);
// The usable entries of an answer; fails when it is not such an object.
Result<QList<ClipArtItem>> parseAnswer(const QByteArray& json);

} // namespace clipart
} // namespace ql
