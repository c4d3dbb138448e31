#include "prompts/VersionComparison.h"

namespace ql {

namespace {

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// The digit run starting at `at`, without its leading zeros; `at` moves past it.
QStringView digitRun(const QString& text, qsizetype& at)
{
    const qsizetype start = at;
    while (at < text.size() && isDigit(text[at]))
        ++at;
    qsizetype first = start;
    while (first < at - 1 && text[first] == u'0')
        ++first;
    return QStringView(text).mid(first, at - first);
}

} // namespace

int compareVersion(const QString& a, const QString& b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            const QStringView x = digitRun(a, i);
            const QStringView y = digitRun(b, j);
            if (x.size() != y.size())
                return x.size() < y.size() ? -1 : 1;
            if (const int order = x.compare(y); order != 0)
                return order < 0 ? -1 : 1;
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j] ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size())
        return 1;
    if (j < b.size())
        return -1;
    return 0;
}

} // namespace ql
