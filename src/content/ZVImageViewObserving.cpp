// The image view's watch over its own settings: every change records its
// undo on the element's document, then redraws, clears the shown picture,
// re-runs the adjustments or lays the layers out, as the change needs.
#include "content/ZVImageView.h"

#include <QSet>

const QStringList& ZVImageView::observedKeyPaths()
{
    static const QStringList paths = QStringLiteral(
        "border.cornerRadius border.lineWidth border.lineDashPattern border.strokeColor innerShadow.shadowColor "
        "innerShadowEnabled innerShadow.shadowOffset innerShadow.shadowOpacity innerShadow.shadowRadius gradient "
        "tiledImage brightness imageMode saturation blur sharpness contrast tintColor tintEnabled imageEffect "
        "effectsEnabled imageMaskEnabled imageMask").split(QLatin1Char(' '));
    return paths;
}

void ZVImageView::startObserving()
{
    if (m_isObserving)
        return;
    observeOwnKeyPaths(observedKeyPaths(), [](ql::KVObject& self, const ql::KeyValueChange& change) {
        auto& view = static_cast<ZVImageView&>(self);
        view.recordUndo(change);
        view.observedValueChanged(change.keyPath);
    });
    m_isObserving = true;
}

void ZVImageView::observedValueChanged(const QString& keyPath)
{
    static const QSet<QString> adjustments {
        QStringLiteral("saturation"),    QStringLiteral("contrast"),   QStringLiteral("brightness"),
        QStringLiteral("blur"),          QStringLiteral("sharpness"),  QStringLiteral("tintColor"),
        QStringLiteral("tintEnabled"),   QStringLiteral("imageMaskEnabled"), QStringLiteral("imageMask"),
        QStringLiteral("imageMode"),     QStringLiteral("imageEffect"), QStringLiteral("effectsEnabled"),
    };
    if (keyPath == QLatin1String("gradient")) {
        setNeedsDisplay();
    } else if (keyPath == QLatin1String("tiledImage")) {
        setImage(ql::Image());
        setNeedsDisplay();
    } else if (adjustments.contains(keyPath)) {
        setLevels();
    }
    // Border and inner-shadow changes reshape their layers too.
    layout();
}
