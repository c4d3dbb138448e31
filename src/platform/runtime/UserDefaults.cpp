#include "platform/runtime/UserDefaults.h"

#include "platform/object/ValueKind.h"

#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace ql {

namespace {

// The settings file is a QDataStream of the whole map, so every value keeps
// its exact type; the INI form would turn numbers into strings.
bool readStore(QIODevice& device, QSettings::SettingsMap& map)
{
    QDataStream stream(&device);
    stream.setVersion(QDataStream::Qt_6_4);
    QByteArray magic;
    stream >> magic;
    if (magic != "QLDEFAULTS1")
        return device.size() == 0;
    stream >> map;
    return stream.status() == QDataStream::Ok;
}

bool writeStore(QIODevice& device, const QSettings::SettingsMap& map)
{
    QDataStream stream(&device);
    stream.setVersion(QDataStream::Qt_6_4);
    stream << QByteArray("QLDEFAULTS1") << map;
    return stream.status() == QDataStream::Ok;
}

QSettings::Format storeFormat()
{
    static const QSettings::Format format =
        QSettings::registerFormat(QStringLiteral("qldefaults"), readStore, writeStore);
    return format;
}

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

UserDefaults::UserDefaults(const QString& filePath, QObject* parent) : QObject(parent)
{
    QDir().mkpath(QFileInfo(filePath).absolutePath());
    m_settings = std::make_unique<QSettings>(filePath, storeFormat());
}

UserDefaults::~UserDefaults()
{
    m_settings->sync();
}

void UserDefaults::registerDefaults(const QVariantMap& defaults)
{
    for (auto it = defaults.constBegin(); it != defaults.constEnd(); ++it)
        m_registered.insert(it.key(), it.value());
}

QVariant UserDefaults::objectForKey(const QString& key) const
{
    if (m_settings->contains(key))
        return m_settings->value(key);
    return m_registered.value(key);
}

bool UserDefaults::hasStoredValue(const QString& key) const
{
    return m_settings->contains(key);
}

QStringList UserDefaults::storedKeys() const
{
    return m_settings->allKeys();
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
    m_settings->setValue(key, value);
    m_settings->sync();
    emit changed(key);
}

void UserDefaults::removeObjectForKey(const QString& key)
{
    m_settings->remove(key);
    m_settings->sync();
    emit changed(key);
}

bool UserDefaults::synchronize()
{
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

QString UserDefaults::filePath() const
{
    return m_settings->fileName();
}

} // namespace ql
