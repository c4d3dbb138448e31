// The one application-wide helper: registered defaults, the settings of this
// build, the display unit behind the unit transformers, the page the active
// document shows, and the shared drawing helpers.
#pragma once

#include "design/GlobalSettings.h"
#include "design/NumberFormatter.h"
#include "imaging/ImageEdits.h"
#include "platform/object/KVObject.h"

#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QRectF>
#include <QSizeF>
#include <QStringList>
#include <QVariantList>

class ZV3DTextView;
class ZVCanvasView;
class ZVPuttyView;

namespace ql {

class BezierPath;
class Image;
class UserDefaults;
class ValueTransformerRegistry;

class ZVDesignHelper {
public:
    // The program's helper over the standard defaults and the shared
    // transformer registry, created on first use.
    static ZVDesignHelper& sharedInstance();

    // A helper of its own, for tests and tools: its defaults store, its
    // transformer registry and the bundle identifier it takes for its build.
    ZVDesignHelper(UserDefaults& defaults, ValueTransformerRegistry& registry, const QString& bundleIdentifier);
    ZVDesignHelper(const ZVDesignHelper&) = delete;
    ZVDesignHelper& operator=(const ZVDesignHelper&) = delete;

    // Writes the first-start values once, resets "editMode", seeds missing
    // text styles and takes the display unit.
    void setDefaults();
    // The first-start values. The helper's store answers with them for any
    // key never stored, so every reader agrees on an unset value; read the
    // defaults through `defaults()` for that reason.
    static const QVariantMap& firstStartDefaults();
    // Takes the display unit from "unitsType" and registers the eleven unit
    // transformers (names already registered stay as they are).
    void registerValueTransformers();

    // Same objects with the same counts, order ignored.
    static bool isSameValues(const QVariantList& first, const QVariantList& second);
    // Removes / \ ? % * | " < and >; everything else stays.
    static QString sanitizeFileNameString(const QString& name);
    // The user's own templates ("N.qvleaf" and its thumbnail "N.jpg"): the
    // folder "Templates" in the per-user data folder.
    static QString templatesFolder();

    // Page sizes and path helpers.
    static QRectF rectForPageSize(int size, int orientation);
    static BezierPath& scaleBezierPath(BezierPath& path, const QRectF& rect);
    static BezierPath& rotateBezierPath(BezierPath& path, double degrees);
    static BezierPath horizontalLine();
    static Image imageWithBezierPath(BezierPath& path);
    static Image imageWithCharacter(const QString& text);
    static const QStringList& symbols();
    // Icon file names of the icons folder, small variants ("_sm") left out.
    QStringList glyphs() const;
    QString iconsFolder() const { return m_iconsFolder; }
    void setIconsFolder(const QString& folder) { m_iconsFolder = folder; }

    // An inner shadow of the path in the colour (its alpha included), the
    // offset in the painter's coordinates.
    static void drawInnerShadowInContext(QPainter& painter, const QPainterPath& path, const QColor& shadowColor,
                                         QSizeF offset, double blurRadius);

    // Image effects 1 to 11 of the image element (monochrome, posterize,
    // invert, instant film, sepia, bloom, comic, crystallize, edges, line
    // overlay, pixellate), each keeping the picture's size. 0 gives the very
    // image passed in; any other number gives a null image.
    static QImage applyEffect(int effect, const QImage& image);

    // A picture of what a 3D text view shows, 4000 pixels wide (200 for a
    // thumbnail) and as high as the view's proportions give, sized as many
    // points as pixels. A side above 16384 pixels is drawn at the scale that
    // fits both within it, the picture keeping its size in points. A view
    // without a finite size above zero gives a null image and one warning.
    static Image imageFromSceneKitView(const ZV3DTextView& view, bool thumbnail);
    static Image imageFromSceneKitView(const ZV3DTextView& view);
    static constexpr double kSnapshotWidth = 4000.0;
    static constexpr double kThumbnailWidth = 200.0;
    static constexpr double kLargestSnapshotSide = 16384.0;

    // Image flips of an image element's content: its "originalImage",
    // "originalImageForCropping", shown "picture" (else "image") and
    // "imageMask" are mirrored at their own pixels, left to right or top to
    // bottom. False, with nothing changed, when a picture's pixels cannot be
    // had (it does not decode, or is too large to). Files mirrored ahead
    // (filesToMirror) are taken from `ready`.
    static bool flipImageHorizontally(KVObject* imageView, const MirroredFiles* ready = nullptr);
    static bool flipImageVertically(KVObject* imageView, const MirroredFiles* ready = nullptr);
    // The files those flips would read, one for each picture shown at
    // reduced resolution: the long part of a flip, which may run ahead.
    static MirroredFiles filesToMirror(const KVObject* imageView, bool horizontally);

    // Unit state.
    int units() const { return m_units; }
    void setUnits(int units) { m_units = units; }
    double scalar() const { return m_scalar; }
    void setScalar(double scalar) { m_scalar = scalar; }
    const QString& unitName() const { return m_unitName; }
    void setUnitName(const QString& name) { m_unitName = name; }
    QRectF lastRect() const { return m_lastRect; }
    void setLastRect(const QRectF& rect) { m_lastRect = rect; }
    QSizeF lastSize() const { return m_lastSize; }
    void setLastSize(const QSizeF& size) { m_lastSize = size; }
    bool keepAspectRatio() const { return m_keepAspectRatio; }
    void setKeepAspectRatio(bool keep) { m_keepAspectRatio = keep; }
    NumberFormatter& numberFormatter() { return m_numberFormatter; }
    const NumberFormatter& numberFormatter() const { return m_numberFormatter; }

    // Build.
    int downloadSource() const { return m_downloadSource; }
    void setDownloadSource(int source) { m_downloadSource = source; }
    // Empty for a build no known identifier names.
    const QVariantMap& globalSettings() const { return m_globalSettings; }
    void setGlobalSettings(const QVariantMap& settings) { m_globalSettings = settings; }
    const QStringList& allowedImageExtensions() const { return m_allowedImageExtensions; }
    void setAllowedImageExtensions(const QStringList& extensions) { m_allowedImageExtensions = extensions; }

    // Weak links to pages: null once the page is gone.
    KVObject* currentPage() const { return m_currentPage.data(); }
    void setCurrentPage(KVObject* page) { m_currentPage = page; }
    KVObject* canvas() const { return m_canvas.data(); }
    void setCanvas(KVObject* page) { m_canvas = page; }

    UserDefaults& defaults() const { return m_defaults; }

    // Output: draws the sheet made of these pages (one, or two side by side,
    // left to right) in points, y down, from the sheet's top-left corner:
    // backgrounds, crop marks, then the printable elements of the master and
    // of each page. Leaves `canvas` on the last page drawn.
    void drawCanvasesInContext(QPainter& painter, const QList<ZVCanvasView*>& pages);
    // A picture that output draws as a placeholder because it could not be
    // decoded: kept by `element`, or, when that is null, by the page's own
    // background or its master's.
    struct UndecodablePicture {
        const ZVCanvasView* page = nullptr;
        const ZVPuttyView* element = nullptr;
    };
    // What drawCanvasesInContext draws of these pages as placeholders, in
    // drawing order, so that an output can tell the user.
    static QList<UndecodablePicture> undecodablePictures(const QList<ZVCanvasView*>& pages);

private:
    void applyUnitsType();

    UserDefaults& m_defaults;
    ValueTransformerRegistry& m_registry;

    int m_units = 0;
    double m_scalar = 72.0;
    int m_downloadSource = 2;
    QString m_unitName = QStringLiteral("in");
    QRectF m_lastRect;
    bool m_keepAspectRatio = true;
    NumberFormatter m_numberFormatter;
    QStringList m_allowedImageExtensions;
    QVariantMap m_globalSettings;
    QPointer<KVObject> m_currentPage;
    QSizeF m_lastSize;
    QPointer<KVObject> m_canvas;
    QString m_iconsFolder;
};

} // namespace ql
