#include "design/ZVDesignHelper.h"

#include "design/BuildIdentity.h"
#include "design/TextStyleSeeds.h"
#include "design/UnitTransformers.h"
#include "platform/runtime/UserDefaults.h"
#include "util/Resources.h"
#include "util/ValueTransformer.h"

#include <QCoreApplication>
#include <QDir>
#include <QHash>
#include <QStandardPaths>

namespace ql {

namespace {

const QStringList imageExtensions {
    QStringLiteral("png"), QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("gif"),
    QStringLiteral("tiff"), QStringLiteral("tif"), QStringLiteral("pdf"), QStringLiteral("eps"),
    QStringLiteral("PNG"), QStringLiteral("JPG"), QStringLiteral("JPEG"), QStringLiteral("GIF"),
    QStringLiteral("TIFF"), QStringLiteral("TIF"), QStringLiteral("PDF"), QStringLiteral("EPS"),
};

} // namespace

ZVDesignHelper& ZVDesignHelper::sharedInstance()
{
    // A function-local static: two threads asking at once get one instance.
    static ZVDesignHelper helper(UserDefaults::standard(), ValueTransformerRegistry::shared(),
                                 identity::mainBundleIdentifier());
    return helper;
}

ZVDesignHelper::ZVDesignHelper(UserDefaults& defaults, ValueTransformerRegistry& registry,
                               const QString& bundleIdentifier)
    : m_defaults(defaults), m_registry(registry)
{
    m_keepAspectRatio = true;
    m_numberFormatter.setMinimumFractionDigits(2);
    m_numberFormatter.setMinimumIntegerDigits(1);
    m_numberFormatter.setMaximumFractionDigits(2);
    m_allowedImageExtensions = imageExtensions;
    const GlobalSettings settings = GlobalSettings::forBundleIdentifier(bundleIdentifier);
    m_downloadSource = settings.downloadSource;
    m_globalSettings = settings.settings;
    m_iconsFolder = resourceFolder(QStringLiteral("icons"));
    if (m_iconsFolder.isEmpty())
        m_iconsFolder = QCoreApplication::applicationDirPath() + QStringLiteral("/resources/icons");
    m_defaults.registerDefaults(firstStartDefaults());
}

const QVariantMap& ZVDesignHelper::firstStartDefaults()
{
    static const QVariantMap values {
        {QStringLiteral("unitsType"), qint64(0)},
        {QStringLiteral("defaultPageSize"), qint64(1)},
        {QStringLiteral("defaultPageOrientation"), qint64(0)},
        {QStringLiteral("defaultMargins"), qint64(36)},
        {QStringLiteral("showGuides"), true},
        {QStringLiteral("snapToGuides"), true},
        {QStringLiteral("unitsInches"), true},
        {QStringLiteral("hideVideo"), false},
        {QStringLiteral("greekDefault"), qint64(5)},
    };
    return values;
}

void ZVDesignHelper::setDefaults()
{
    m_defaults.setBool(QStringLiteral("editMode"), false);
    if (!m_defaults.boolForKey(QStringLiteral("loaded4"))) {
        // Stored, not registered: a later start must never overwrite what the
        // user has changed since.
        const QVariantMap& values = firstStartDefaults();
        for (auto value = values.cbegin(); value != values.cend(); ++value)
            m_defaults.setObject(value.key(), value.value());
        m_defaults.setBool(QStringLiteral("loaded4"), true);
        m_defaults.synchronize();
    }
    m_units = qint32(m_defaults.integerForKey(QStringLiteral("unitsType")));
    // Only a missing key re-seeds: an empty list is the user's own choice.
    if (!m_defaults.objectForKey(QStringLiteral("textStyles")).isValid())
        m_defaults.setObject(QStringLiteral("textStyles"), seededTextStyles());
    m_defaults.synchronize();
}

void ZVDesignHelper::applyUnitsType()
{
    m_units = qint32(m_defaults.integerForKey(QStringLiteral("unitsType")));
    m_scalar = 1.0;
    m_unitName = QStringLiteral("px");
    int digits = 0;
    if (m_units == 0) {
        m_scalar = 72.0;
        m_unitName = QStringLiteral("in");
        digits = 2;
    } else if (m_units == 1) {
        m_scalar = 28.346472;
        m_unitName = QStringLiteral("cm");
        digits = 2;
    }
    m_numberFormatter.setMinimumFractionDigits(digits);
    m_numberFormatter.setMaximumFractionDigits(digits);
}

void ZVDesignHelper::registerValueTransformers()
{
    applyUnitsType();
    registerUnitTransformers(m_registry, *this);
}

bool ZVDesignHelper::isSameValues(const QVariantList& first, const QVariantList& second)
{
    if (first.size() != second.size())
        return false;
    // QVariant has no hash, so count by pairing off equal items.
    QList<bool> used(second.size(), false);
    for (const QVariant& item : first) {
        bool found = false;
        for (qsizetype i = 0; i < second.size(); ++i) {
            if (!used[i] && second[i] == item) {
                used[i] = true;
                found = true;
                break;
            }
        }
        if (!found)
            return false;
    }
    return true;
}

QString ZVDesignHelper::sanitizeFileNameString(const QString& name)
{
    static const QString forbidden = QStringLiteral("/\\?%*|\"<>");
    QString result;
    result.reserve(name.size());
    for (const QChar c : name)
        if (!forbidden.contains(c))
            result.append(c);
    return result;
}

QString ZVDesignHelper::templatesFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).filePath(QStringLiteral("Templates"));
}

QStringList ZVDesignHelper::glyphs() const
{
    const QDir folder(m_iconsFolder);
    QStringList names;
    // Entries are picture files or folders holding a glyph's full size.
    for (const QString& name : folder.entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        if (!name.contains(QStringLiteral("_sm"), Qt::CaseSensitive))
            names.append(name);
    return names;
}

} // namespace ql
