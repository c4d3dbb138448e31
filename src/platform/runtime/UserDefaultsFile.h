// The bytes of the settings store: the whole map as one QDataStream, so that
// every value keeps its exact type. Reading bounds how deep values nest and
// reads containers without recursion, so that no file, however deep, can
// exhaust the stack; only the kinds the store keeps are read back.
#pragma once

#include <QByteArray>
#include <QVariantMap>
#include <optional>

namespace ql {

// Read whole into memory: the holding area keeps its elements here.
constexpr qint64 kLargestSettingsFile = qint64(1) << 30;

QByteArray encodeUserDefaults(const QVariantMap& values);

// Nothing for bytes that are no store this build can read (damaged, cut
// short, nested too deep, or holding a kind it does not know); an empty file
// holds no values.
std::optional<QVariantMap> decodeUserDefaults(const QByteArray& bytes);

} // namespace ql
