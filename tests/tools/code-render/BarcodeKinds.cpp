// The linear barcodes that code-render knows. Options: --scale N (bar scale,
// above 0 and at most 20, default 1), --caption on|off, and for msi
// --msi-scheme N (0 none, 1 mod 10, 2 mod 11, 3 mod 10/10, 4 mod 11/10;
// default 1). An EAN-13 content may carry an add-on after a plus sign:
// "9780306406157+12" or "9780306406157+12345".
#include "CodeRenderKinds.h"

#include "../../support/SupplementedBarcode.h"

#include "codes/barcodes/BCCodabarCode.h"
#include "codes/barcodes/BCCode11Code.h"
#include "codes/barcodes/BCCode128Code.h"
#include "codes/barcodes/BCCode39Code.h"
#include "codes/barcodes/BCCode39CodeModulo43.h"
#include "codes/barcodes/BCCode39FullASCII.h"
#include "codes/barcodes/BCCode39FullASCIIModulo43.h"
#include "codes/barcodes/BCCode93Code.h"
#include "codes/barcodes/BCCodeRenderer.h"
#include "codes/barcodes/BCEAN13Code.h"
#include "codes/barcodes/BCEAN2SupplementCode.h"
#include "codes/barcodes/BCEAN5SupplementCode.h"
#include "codes/barcodes/BCEAN8Code.h"
#include "codes/barcodes/BCISBNCode.h"
#include "codes/barcodes/BCISMNCode.h"
#include "codes/barcodes/BCFacingIdentificationMarkCode.h"
#include "codes/barcodes/BCISSNCode.h"
#include "codes/barcodes/BCInterleaved2of5Code.h"
#include "codes/barcodes/BCMSICode.h"
#include "codes/barcodes/BCPOSTNETCode.h"
#include "codes/barcodes/BCPharmacodeOneTrack.h"
#include "codes/barcodes/BCStandard2of5Code.h"
#include "codes/barcodes/BCUPCACode.h"
#include "codes/barcodes/BCUPCECode.h"

#include <cstdio>

namespace coderender {

namespace {

using ql::BCCode;
using CodeResult = ql::Result<std::unique_ptr<BCCode>>;

template <class Code, class... Args>
CodeResult make(const QString& text, Args... args)
{
    auto made = Code::create(text, args...);
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

// The largest bar scale the program itself draws (the code browser's); larger
// ones only make pictures of gigabytes that take minutes.
constexpr double kMaxBarScale = 20;

// Reads --scale and --caption; false with a message on a bad value.
bool renderOptions(const Options& options, ql::BCRenderOptions& out)
{
    if (options.contains(QStringLiteral("scale"))) {
        bool ok = false;
        const double scale = options.value(QStringLiteral("scale")).toDouble(&ok);
        if (!ok || !(scale > 0 && scale <= kMaxBarScale))
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

int render(const CodeResult& code, const QString& out, const Options& options)
{
    ql::BCRenderOptions renderOptions;
    if (!coderender::renderOptions(options, renderOptions))
        return usage("bad --scale or --caption value");
    if (!code)
        return refused(code.error());
    return save(ql::BCCodeRenderer().imageWithBarCode(code->get(), renderOptions), out);
}

template <class Code>
int run(const QString&, const QString& text, const QString& out, const Options& options)
{
    return render(make<Code>(text), out, options);
}

int runMSI(const QString&, const QString& text, const QString& out, const Options& options)
{
    bool ok = true;
    const int scheme = options.value(QStringLiteral("msi-scheme"), QStringLiteral("1")).toInt(&ok);
    if (!ok || scheme < 0 || scheme > 4)
        return usage("bad --msi-scheme value (0 to 4)");
    return render(make<ql::BCMSICode>(text, ql::BCMSICodeCheckDigitScheme(scheme)), out, options);
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
        {QStringLiteral("code128"), run<ql::BCCode128Code>},
        {QStringLiteral("code39"), run<ql::BCCode39Code>},
        {QStringLiteral("code39mod43"), run<ql::BCCode39CodeModulo43>},
        {QStringLiteral("code39full"), run<ql::BCCode39FullASCII>},
        {QStringLiteral("code39fullmod43"), run<ql::BCCode39FullASCIIModulo43>},
        {QStringLiteral("code93"), run<ql::BCCode93Code>},
        {QStringLiteral("code11"), run<ql::BCCode11Code>},
        {QStringLiteral("codabar"), run<ql::BCCodabarCode>},
        {QStringLiteral("itf"), run<ql::BCInterleaved2of5Code>},
        {QStringLiteral("std2of5"), run<ql::BCStandard2of5Code>},
        {QStringLiteral("msi"), runMSI},
        {QStringLiteral("postnet"), run<ql::BCPOSTNETCode>},
        {QStringLiteral("pharmacode"), run<ql::BCPharmacodeOneTrack>},
        {QStringLiteral("fim"), run<ql::BCFacingIdentificationMarkCode>},
    };
}

} // namespace coderender
