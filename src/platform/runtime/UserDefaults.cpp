#include "platform/runtime/UserDefaults.h"

#include "platform/object/ValueKind.h"
#include "platform/runtime/AtomicFileWriter.h"
#include "platform/runtime/FileReading.h"
#include "platform/runtime/UserDefaultsFile.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <optional>

namespace ql {

namespace {

// Read whole into memory: the holding area keeps its elements here.
constexpr qint64 kLargestStore = qint64(1) << 30;

QString& standardPathOverride()
{
    static QString path;
    return path;
}

} // namespace

UserDefaults& UserDefaults::standard()
{
    static UserDefaults defaults(standardStorePath());
    return defaults;
}

void UserDefaults::useStandardStoreAt(const QString& filePath)
{
    standardPathOverride() = filePath;
}

QString UserDefaults::standardStorePath()
{
    if (!standardPathOverride().isEmpty())
        return standardPathOverride();
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + QStringLiteral("/defaults.qldefaults");
}

UserDefaults::UserDefaults(const QString& filePath, QObject* parent) : QObject(parent), m_path(filePath)
{
    QDir().mkpath(QFileInfo(filePath).absolutePath());
    reload();
}

UserDefaults::~UserDefaults()
{
    writeChanges();
}

void UserDefaults::registerDefaults(const QVariantMap& defaults)
{
    for (auto it = defaults.constBegin(); it != defaults.constEnd(); ++it)
        m_registered.insert(it.key(), it.value());
}

QVariant UserDefaults::objectForKey(const QString& key) const
{
    const auto stored = m_stored.constFind(key);
    return stored != m_stored.constEnd() ? *stored : m_registered.value(key);
}

bool UserDefaults::hasStoredValue(const QString& key) const
{
    return m_stored.contains(key);
}

QStringList UserDefaults::storedKeys() const
{
    return m_stored.keys();
}

bool UserDefaults::boolForKey(const QString& key) const
{
    return objectForKey(key).toBool();
}

qint64 UserDefaults::integerForKey(const QString& key) const
{
    return integerFromVariant<qint64>(objectForKey(key));
}

double UserDefaults::doubleForKey(const QString& key) const
{
    return objectForKey(key).toDouble();
}

QString UserDefaults::stringForKey(const QString& key) const
{
    const QVariant value = objectForKey(key);
    return value.typeId() == QMetaType::QString || isNumeric(value) ? value.toString() : QString();
}

QByteArray UserDefaults::dataForKey(const QString& key) const
{
    const QVariant value = objectForKey(key);
    return value.typeId() == QMetaType::QByteArray ? value.toByteArray() : QByteArray();
}

QVariantList UserDefaults::arrayForKey(const QString& key) const
{
    const QVariant value = objectForKey(key);
    return value.typeId() == QMetaType::QVariantList || value.typeId() == QMetaType::QStringList ? value.toList()
                                                                                                  : QVariantList();
}

QVariantMap UserDefaults::dictionaryForKey(const QString& key) const
{
    const QVariant value = objectForKey(key);
    return value.typeId() == QMetaType::QVariantMap ? value.toMap() : QVariantMap();
}

void UserDefaults::setObject(const QString& key, const QVariant& value)
{
    if (!value.isValid()) {
        removeObjectForKey(key);
        return;
    }
    m_stored.insert(key, value);
    m_unwritten.insert(key, value);
    writeChanges();
    emit changed(key);
}

void UserDefaults::removeObjectForKey(const QString& key)
{
    m_stored.remove(key);
    m_unwritten.insert(key, QVariant());
    writeChanges();
    emit changed(key);
}

bool UserDefaults::synchronize()
{
    return m_unwritten.isEmpty() ? reload() : writeChanges();
}

QString UserDefaults::filePath() const
{
    return m_path;
}

bool UserDefaults::reload()
{
    if (m_keptOff)
        return false;
    const Result<QByteArray> bytes = readFileWithin(m_path, kLargestStore);
    QVariantMap values;
    if (bytes) {
        if (std::optional<QVariantMap> decoded = decodeUserDefaults(*bytes))
            values = *decoded;
        else
            qWarning().noquote() << tr("The settings in “%1” are damaged: the next change replaces them.").arg(m_path);
    } else if (bytes.error().code != int(FileReadingError::Missing)) {
        keepOff(bytes.error().message);
        return false;
    }
    // Another program's changes, and this one's that are not written yet.
    for (auto change = m_unwritten.constBegin(); change != m_unwritten.constEnd(); ++change) {
        if (change->isValid())
            values.insert(change.key(), *change);
        else
            values.remove(change.key());
    }
    m_stored = values;
    return true;
}

bool UserDefaults::writeChanges()
{
    if (m_unwritten.isEmpty())
        return true;
    if (!reload())
        return false;
    if (const Status written = writeFileAtomically(m_path, encodeUserDefaults(m_stored)); !written) {
        // Once, not at every change; the changes stay held for the next try.
        if (!m_toldWriteFailure)
            qWarning().noquote() << tr("Settings could not be saved:") << written.error().message;
        m_toldWriteFailure = true;
        return false;
    }
    m_unwritten.clear();
    m_toldWriteFailure = false;
    return true;
}

void UserDefaults::keepOff(const QString& cause)
{
    m_keptOff = true;
    qWarning().noquote() << tr("Settings are neither read from nor saved to “%1”: %2 This session starts from the "
                               "program's own settings.")
                                .arg(m_path, cause);
}

} // namespace ql
