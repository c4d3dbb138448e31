// Helpers for archive tests: writing and reading pages, reading what was
// written with python3's plistlib, and forging records with any keys under
// our class names, as damaged or hostile files would hold them.
#pragma once

#include "canvas/ModelArchive.h"
#include "canvas/ZVCanvasView.h"
#include "platform/archive/Codable.h"
#include "platform/archive/KeyedArchiver.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QObject>
#include <QProcess>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

// The keys of the page and element records, in the order they are written.
inline const QStringList kPageKeys = QStringLiteral(
    "frame drawingMode puttyViews backgroundView clipToMargins pageWidth pageHeight topMargin bottomMargin "
    "leftMargin rightMargin pageSize pageOrientation horizontalMarkers verticalMarkers showMarginGuides "
    "bleedMargin fullBleed showBleedCropMarks layoutLayers showColumnRowGuides rowNumber rowGutter colNumber "
    "colGutter colRowStyle uuid masterPageUUID").split(QLatin1Char(' '));
inline const QStringList kElementKeys = QStringLiteral(
    "frame frameRotation leftOffset topOffset contentViewType contentView viewID group textGroup "
    "layoutLayerGroup uuid backgroundView reflectionView reflectionEnabled reflectionOpacity reflectionHeight "
    "shadowEnabled shadowOffset shadowAngle shadowBlurRadius shadowOpacity shadowColor innerShadowEnabled "
    "innerShadowOffset innerShadowAngle innerShadowBlurRadius innerShadowOpacity innerShadowColor "
    "hideFromPrinting causesWrap wrapType wrapMargins isLocked cropEligible cropMode borderEnabled borderType "
    "borderWidth borderRadius borderColor borderOpacity borderStyle layerOpacity imageMode cropScale "
    "imageXOffset imageYOffset cropRect").split(QLatin1Char(' '));

class ForgedRecord : public QObject, public ql::Codable {
public:
    ForgedRecord(QStringList chain, std::function<void(ql::KeyedArchiver&)> body, QObject* parent = nullptr)
        : QObject(parent), m_chain(std::move(chain)), m_body(std::move(body))
    {
    }
    QStringList archiveClassChain() const override { return m_chain; }
    void encodeWithCoder(ql::KeyedArchiver& coder) const override { m_body(coder); }
    void initWithCoder(ql::KeyedUnarchiver&) override {}

private:
    QStringList m_chain;
    std::function<void(ql::KeyedArchiver&)> m_body;
};

inline QByteArray archiveOf(const QObject* root)
{
    ql::Result<QByteArray> data = ql::canvas::archiveRootObject(root);
    EXPECT_TRUE(data.ok()) << (data ? "" : qPrintable(data.error().describe()));
    return data ? *data : QByteArray();
}

template <class T>
std::unique_ptr<T> readBack(const QByteArray& data)
{
    auto result = ql::canvas::unarchiveRootObject<T>(data);
    EXPECT_TRUE(result.ok()) << (result ? "" : qPrintable(result.error().describe()));
    return result ? std::move(*result) : nullptr;
}

// The archive's records as plistlib sees them (see archive_kinds.py).
inline QJsonObject plistlibView(const QByteArray& data)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("page.qvleaf"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
        return {};
    file.close();
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral(QUIVERLEAF_SOURCE_DIR "/tests/canvas/archive_kinds.py"), path});
    python.waitForFinished(30000);
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

inline QMap<QString, QString> kindMap(const QList<QPair<QString, QString>>& kinds)
{
    QMap<QString, QString> map;
    for (const auto& [key, kind] : kinds)
        map.insert(key, kind);
    return map;
}

inline QList<QJsonObject> recordsOfClass(const QJsonObject& view, const QString& className)
{
    QList<QJsonObject> records;
    for (const QJsonValue& record : view.value(QStringLiteral("records")).toArray()) {
        if (record.toObject().value(QStringLiteral("class")).toString() == className)
            records.append(record.toObject());
    }
    return records;
}

// The kind plistlib reports for each key of a record, in file order.
inline QList<QPair<QString, QString>> keyKinds(const QJsonObject& record)
{
    QList<QPair<QString, QString>> kinds;
    for (const QJsonValue& entry : record.value(QStringLiteral("keys")).toArray())
        kinds.append({entry.toArray().at(0).toString(), entry.toArray().at(1).toString()});
    return kinds;
}
