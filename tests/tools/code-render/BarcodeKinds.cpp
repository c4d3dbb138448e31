// The linear barcodes that code-render knows. Options: --scale N (bar scale,
// default 1) and --caption on|off. An EAN-13 content may carry an add-on
// after a plus sign: "9780306406157+12" or "9780306406157+12345".
#include "CodeRenderKinds.h"

#include "../../support/SupplementedBarcode.h"

#include "codes/barcodes/BCCodeRenderer.h"
#include "codes/barcodes/BCEAN13Code.h"
#include "codes/barcodes/BCEAN2SupplementCode.h"
#include "codes/barcodes/BCEAN5SupplementCode.h"
#include "codes/barcodes/BCEAN8Code.h"
#include "codes/barcodes/BCISBNCode.h"
#include "codes/barcodes/BCISMNCode.h"
#include "codes/barcodes/BCISSNCode.h"
#include "codes/barcodes/BCUPCACode.h"
#include "codes/barcodes/BCUPCECode.h"

#include <cstdio>

namespace coderender {

namespace {

using ql::BCCode;
using CodeResult = ql::Result<std::unique_ptr<BCCode>>;

template <class Code>
CodeResult make(const QString& text)
{
    auto made = Code::create(text);
    if (!made)
        return made.error();
    return std::unique_ptr<BCCode>(std::move(made).value());
}

int refused(const ql::Error& error)
{
    std::fprintf(stderr, "%s\n", qPrintable(error.message));
    return 1;
}

int usage(const char* message)
{
    std::fprintf(stderr, "code-render: %s\n", message);
    return 2;
}

// Reads --scale and --caption; false with a message on a bad value.
bool renderOptions(const Options& options, ql::BCRenderOptions& out)
{
    if (options.contains(QStringLiteral("scale"))) {
        bool ok = false;
        const double scale = options.value(QStringLiteral("scale")).toDouble(&ok);
        if (!ok || scale <= 0 || scale > 1000)
            return false;
        out.insert(ql::BCCodeDrawingBarScale, scale);
    }
    if (options.contains(QStringLiteral("caption"))) {
        const QString caption = options.value(QStringLiteral("caption"));
        if (caption != u"on" && caption != u"off")
            return false;
        out.insert(ql::BCCodeDrawingPrintCaption, caption == u"on");
    }
    return true;
}

int save(const QImage& image, const QString& out)
{
    if (image.isNull())
        return usage("nothing to draw");
    if (!image.save(out, "PNG"))
        return usage("cannot write the image");
    return 0;
}

template <class Code>
int run(const QString&, const QString& text, const QString& out, const Options& options)
{
    ql::BCRenderOptions renderOptions;
    if (!coderender::renderOptions(options, renderOptions))
        return usage("bad --scale or --caption value");
    const CodeResult code = make<Code>(text);
    if (!code)
        return refused(code.error());
    return save(ql::BCCodeRenderer().imageWithBarCode(code->get(), renderOptions), out);
}

int runEAN13(const QString& kind, const QString& text, const QString& out, const Options& options)
{
    const qsizetype plus = text.indexOf(u'+');
    if (plus < 0)
        return run<ql::BCEAN13Code>(kind, text, out, options);
    ql::BCRenderOptions renderOptions;
    if (!coderender::renderOptions(options, renderOptions))
        return usage("bad --scale or --caption value");
    const CodeResult main = make<ql::BCEAN13Code>(text.left(plus));
    if (!main)
        return refused(main.error());
    const QString addOn = text.mid(plus + 1);
    const CodeResult supplement = addOn.size() == 2 ? make<ql::BCEAN2SupplementCode>(addOn) : make<ql::BCEAN5SupplementCode>(addOn);
    if (!supplement)
        return refused(supplement.error());
    const ql::BCCodeRenderer renderer;
    return save(testsupport::withSupplement(renderer.imageWithBarCode(main->get(), renderOptions),
                                            renderer.imageWithBarCode(supplement->get(), renderOptions),
                                            BCCode::barScaleFromOptions(renderOptions)),
                out);
}

} // namespace

std::vector<Kind> barcodeKinds()
{
    return {
        {QStringLiteral("ean13"), runEAN13},
        {QStringLiteral("ean8"), run<ql::BCEAN8Code>},
        {QStringLiteral("upca"), run<ql::BCUPCACode>},
        {QStringLiteral("upce"), run<ql::BCUPCECode>},
        {QStringLiteral("ean2"), run<ql::BCEAN2SupplementCode>},
        {QStringLiteral("ean5"), run<ql::BCEAN5SupplementCode>},
        {QStringLiteral("isbn"), run<ql::BCISBNCode>},
        {QStringLiteral("ismn"), run<ql::BCISMNCode>},
        {QStringLiteral("issn"), run<ql::BCISSNCode>},
    };
}

} // namespace coderender
