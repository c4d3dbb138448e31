#include "codes/barcodes/BCCode.h"

#include "codes/barcodes/BCMutableBarString.h"

#include <cmath>

namespace ql {

BCCode::BCCode(QString content)
    : m_content(std::move(content))
{
}

const BCCodeCharacters& BCCode::codeCharacters() const
{
    if (!m_codeCharacters)
        m_codeCharacters = makeCodeCharacters();
    return *m_codeCharacters;
}

const std::vector<BCBarString>& BCCode::characterBarStrings() const
{
    if (!m_characterBarStrings) {
        std::vector<BCBarString> strings;
        strings.reserve(codeCharacters().size());
        for (const BCCodeCharacterPtr& character : codeCharacters())
            strings.push_back(character->barString());
        m_characterBarStrings = std::move(strings);
    }
    return *m_characterBarStrings;
}

BCBarString BCCode::barString() const
{
    BCMutableBarString bars;
    for (const BCBarString& characterBars : characterBarStrings())
        bars.appendBarString(characterBars);
    return bars;
}

QString BCCode::description() const
{
    return QStringLiteral("<%1 content='%2'>").arg(descriptionOfSymbology(), StringFromBCBarString(barString()));
}

QString BCCode::captionTextForZone(BCCaptionZone, const BCRenderOptions&) const
{
    return {};
}

QString BCCode::leftQuietZoneDisplayText(const BCRenderOptions& options) const
{
    QString text = captionTextForZone(BCCaptionZone::LeftQuiet, options);
    if (text.isNull() && allowsFillingOfEmptyQuietZones() && BCBoolOption(options, BCCodeDrawingFillEmptyQuietZones, false))
        text = QStringLiteral("<");
    return text;
}

QString BCCode::rightQuietZoneDisplayText(const BCRenderOptions& options) const
{
    QString text = captionTextForZone(BCCaptionZone::RightQuiet, options);
    if (text.isNull() && allowsFillingOfEmptyQuietZones() && BCBoolOption(options, BCCodeDrawingFillEmptyQuietZones, false))
        text = QStringLiteral(">");
    return text;
}

QString BCCode::leftCaptionZoneDisplayText(const BCRenderOptions& options) const
{
    if (!shouldDrawCaptionFromOptions(options))
        return {};
    const QString text = captionTextForZone(BCCaptionZone::LeftCaption, options);
    return text.isEmpty() ? QString() : text;
}

QString BCCode::rightCaptionZoneDisplayText(const BCRenderOptions& options) const
{
    if (!shouldDrawCaptionFromOptions(options))
        return {};
    const QString text = captionTextForZone(BCCaptionZone::RightCaption, options);
    return text.isEmpty() ? QString() : text;
}

double BCCode::barScaleFromOptions(const BCRenderOptions& options)
{
    return BCFloatOption(options, BCCodeDrawingBarScale, 1.0f);
}

bool BCCode::shouldDrawCaptionFromOptions(const BCRenderOptions& options) const
{
    return hasCaptionTexts() && BCBoolOption(options, BCCodeDrawingPrintCaption, true);
}

bool BCCode::shouldShowCheckDigitsFromOptions(const BCRenderOptions& options)
{
    return BCBoolOption(options, BCCodeDrawingShowCheckDigits, false);
}

double BCCode::markerBarCaptionOverlapFromOptions(const BCRenderOptions& options)
{
    return BCFloatOption(options, BCCodeDrawingMarkerBarsOverlapCaptionPercent, 1.0f);
}

QString BCCode::captionFontNameFromOptions(const BCRenderOptions& options) const
{
    const auto it = options.constFind(BCCodeDrawingCaptionFontName);
    return it == options.constEnd() ? defaultCaptionFontName() : it->toString();
}

double BCCode::horizontalQuietZoneWidthWithOptions(const BCRenderOptions& options) const
{
    return (double(horizontalQuietZoneWidth()) - 1.0) * barScaleFromOptions(options);
}

namespace {

double captionZoneWidth(size_t bars, double scale)
{
    return bars == 0 ? 0.0 : (double(bars) - 2.0) * scale;
}

} // namespace

double BCCode::leftCaptionZoneWidthWithOptions(const BCRenderOptions& options) const
{
    size_t count = 0;
    bool pastLeadingMarkers = false;
    for (size_t index = 0; index < codeCharacters().size(); ++index) {
        if (codeCharacters()[index]->isMarker()) {
            if (pastLeadingMarkers)
                break;
            continue;
        }
        pastLeadingMarkers = true;
        count += characterBarStrings()[index].length();
    }
    return captionZoneWidth(count, barScaleFromOptions(options));
}

double BCCode::rightCaptionZoneWidthWithOptions(const BCRenderOptions& options) const
{
    size_t count = 0;
    bool sawContent = false;
    bool pastMiddle = false;
    for (size_t index = 0; index < codeCharacters().size(); ++index) {
        if (codeCharacters()[index]->isMarker()) {
            if (sawContent)
                pastMiddle = true;
            continue;
        }
        sawContent = true;
        if (pastMiddle)
            count += characterBarStrings()[index].length();
    }
    return captionZoneWidth(count, barScaleFromOptions(options));
}

QSizeF BCCode::sizeWithRenderOptions(const BCRenderOptions& options) const
{
    const double scale = barScaleFromOptions(options);
    size_t count = 0;
    for (const BCBarString& characterBars : characterBarStrings())
        count += characterBars.length();
    const float modules = float(2 * horizontalQuietZoneWidth()) + float(count);
    const double width = scale * double(modules);
    const double ratio = aspectRatio();
    const double height = ratio == 0.0 ? fixedHeight() : double(std::ceil(float(width / ratio)));
    return {width, height};
}

} // namespace ql
