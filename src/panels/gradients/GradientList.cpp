#include "panels/gradients/GradientList.h"

#include "platform/archive/ClassRegistry.h"
#include "platform/archive/KeyedArchiver.h"
#include "platform/archive/KeyedUnarchiver.h"
#include "platform/runtime/AtomicFileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace ql {

namespace {

constexpr const char* kDomain = "ql.GradientList";

Error listError(int code, const QString& message)
{
    return Error {QString::fromLatin1(kDomain), code, message};
}

} // namespace

QString GradientList::defaultPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("gradients.plist"));
}

Result<QList<Gradient>> GradientList::read(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        return QList<Gradient>();
    if (!file.open(QIODevice::ReadOnly))
        return listError(1, QStringLiteral("“%1” could not be read: %2").arg(path, file.errorString()));
    static const ClassRegistry registry = ClassRegistry::withPlatformValues();
    KeyedUnarchiver coder(registry);
    if (Status opened = coder.open(file.readAll()); !opened)
        return opened.error();
    const QVariantList items = coder.decodeValueOfType<QVariantList>(QStringLiteral("root"));
    QList<Gradient> gradients;
    for (const QVariant& item : items) {
        // A gradient needs two stops to show anything.
        if (item.metaType() != QMetaType::fromType<Gradient>() || item.value<Gradient>().stops().size() < 2)
            return listError(2, QStringLiteral("“%1” holds something that is not a gradient.").arg(path));
        gradients.append(item.value<Gradient>());
    }
    if (Result<DecodedObjects> done = coder.finish(); !done)
        return done.error();
    return gradients;
}

Status GradientList::write(const QString& path, const QList<Gradient>& gradients)
{
    QVariantList items;
    for (const Gradient& gradient : gradients)
        items.append(QVariant::fromValue(gradient));
    KeyedArchiver coder;
    coder.encodeRootObject(items);
    Result<QByteArray> data = coder.finish();
    if (!data)
        return data.error();
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (const Status written = writeFileAtomically(path, *data); !written)
        return listError(3, written.error().message);
    return {};
}

} // namespace ql
