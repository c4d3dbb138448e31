// code-render qr TEXT OUT.png [--level L|M|Q|H] [--version N] [--mask N] [--size PX]
// code-render qr-matrix TEXT OUT.txt [same options but --size]: the module
// matrix as lines of 0 and 1 (dark = 1).
#include "CodeRenderKinds.h"

#include "codes/qr/QREncoder.h"

#include <QFile>
#include <cstdio>
#include <optional>

namespace coderender {
namespace {

struct QrRequest {
    int level = 0;
    int version = 0;
    int mask = -1;
    int size = 1000;
};

std::optional<int> integerOption(const Options& options, const QString& name, int fallback)
{
    if (!options.contains(name))
        return fallback;
    bool ok = false;
    const int value = options.value(name).toInt(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

std::optional<QrRequest> parseRequest(const Options& options)
{
    QrRequest request;
    for (auto it = options.cbegin(); it != options.cend(); ++it) {
        const bool known = it.key() == QLatin1String("level") || it.key() == QLatin1String("version")
            || it.key() == QLatin1String("mask") || it.key() == QLatin1String("size");
        if (!known) {
            std::fprintf(stderr, "code-render: unknown option '--%s'\n", qPrintable(it.key()));
            return std::nullopt;
        }
    }
    const QString level = options.value(QStringLiteral("level"), QStringLiteral("L"));
    request.level = static_cast<int>(QStringLiteral("LMQH").indexOf(level));
    if (level.size() != 1 || request.level < 0) {
        std::fprintf(stderr, "code-render: --level must be L, M, Q or H\n");
        return std::nullopt;
    }
    const auto version = integerOption(options, QStringLiteral("version"), 0);
    const auto mask = integerOption(options, QStringLiteral("mask"), -1);
    const auto size = integerOption(options, QStringLiteral("size"), 1000);
    if (!version || !mask || !size) {
        std::fprintf(stderr, "code-render: --version, --mask and --size take whole numbers\n");
        return std::nullopt;
    }
    request.version = *version;
    request.mask = *mask;
    request.size = *size;
    return request;
}

int runQr(const QString& kind, const QString& text, const QString& out, const Options& options)
{
    const bool matrixOnly = kind == QLatin1String("qr-matrix");
    const std::optional<QrRequest> request = parseRequest(options);
    if (!request)
        return 2;
    const ql::DataMatrix matrix = ql::QREncoder::encodeWithECLevel(request->level, request->version, text, request->mask);
    if (matrix.dimension() == 0) {
        std::fprintf(stderr, "code-render: the text cannot be encoded as a QR code with these options\n");
        return 1;
    }
    if (matrixOnly) {
        QFile file(out);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(matrix.description().toLatin1()) < 0) {
            std::fprintf(stderr, "code-render: cannot write '%s'\n", qPrintable(out));
            return 1;
        }
        return 0;
    }
    const QImage image = ql::QREncoder::renderDataMatrix(matrix, request->size);
    if (image.isNull()) {
        std::fprintf(stderr, "code-render: a %lld-module symbol cannot be drawn at %d pixels\n",
                     static_cast<long long>(matrix.dimension()), request->size);
        return 1;
    }
    if (!image.save(out)) {
        std::fprintf(stderr, "code-render: cannot write '%s'\n", qPrintable(out));
        return 1;
    }
    return 0;
}

} // namespace

std::vector<Kind> qrKinds()
{
    return {{QStringLiteral("qr"), &runQr}, {QStringLiteral("qr-matrix"), &runQr}};
}

} // namespace coderender
