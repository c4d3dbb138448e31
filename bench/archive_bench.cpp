// Keyed-archive throughput on a document-sized archive: 100 pages of 50
// elements, each element with a content record and a background record, keys
// of every kind the model uses. Compared in the same run with python3's
// plistlib loading the same file.
#include "platform/archive/BinaryPlistDocument.h"
#include "platform/archive/BinaryPlistReader.h"
#include "platform/archive/ClassRegistry.h"
#include "platform/archive/Codable.h"
#include "platform/archive/KeyedArchiver.h"
#include "platform/archive/KeyedUnarchiver.h"
#include "platform/graphics/Color.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QUuid>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <ctime>

namespace {

using namespace ql;

// The bench's records keep their values in a plain table by key kind, so the
// codec's cost is measured without any model class in the way.
enum class ArchiveKind {
    Object,  // archived object: numbers keep their kind, nil stays nil
    Bool,
    Int32,
    Int64,   // the coder's integer
    Float,   // 32-bit real; read back as a float QVariant
    Double,
    Rect,
    Point,
    Size,
    Bytes,
};

struct ArchiveKey {
    QString key;
    ArchiveKind kind;
};

using ArchiveKeys = QList<ArchiveKey>;

void encodeKeys(KeyedArchiver& coder, const ArchiveKeys& keys, const std::function<QVariant(const QString&)>& valueForKey)
{
    for (const ArchiveKey& k : keys) {
        const QVariant v = valueForKey(k.key);
        switch (k.kind) {
        case ArchiveKind::Object: coder.encodeObject(k.key, v); break;
        case ArchiveKind::Bool: coder.encodeBool(k.key, v.toBool()); break;
        case ArchiveKind::Int32: coder.encodeInt32(k.key, v.toInt()); break;
        case ArchiveKind::Int64: coder.encodeInt64(k.key, v.toLongLong()); break;
        case ArchiveKind::Float: coder.encodeFloat(k.key, v.toDouble()); break;
        case ArchiveKind::Double: coder.encodeDouble(k.key, v.toDouble()); break;
        case ArchiveKind::Rect: coder.encodeRect(k.key, v.toRectF()); break;
        case ArchiveKind::Point: coder.encodePoint(k.key, v.toPointF()); break;
        case ArchiveKind::Size: coder.encodeSize(k.key, v.toSizeF()); break;
        case ArchiveKind::Bytes: coder.encodeBytes(k.key, v.toByteArray()); break;
        }
    }
}

void decodeKeys(KeyedUnarchiver& coder, const ArchiveKeys& keys, const std::function<void(const QString&, const QVariant&)>& setValueForKey)
{
    for (const ArchiveKey& k : keys) {
        QVariant v;
        switch (k.kind) {
        case ArchiveKind::Object: v = coder.decodeObject(k.key); break;
        case ArchiveKind::Bool: v = coder.decodeBool(k.key); break;
        case ArchiveKind::Int32: v = coder.decodeInt32(k.key); break;
        case ArchiveKind::Int64: v = qlonglong(coder.decodeInt64(k.key)); break;
        case ArchiveKind::Float: v = coder.decodeFloat(k.key); break;
        case ArchiveKind::Double: v = coder.decodeDouble(k.key); break;
        case ArchiveKind::Rect: v = coder.decodeRect(k.key); break;
        case ArchiveKind::Point: v = coder.decodePoint(k.key); break;
        case ArchiveKind::Size: v = coder.decodeSize(k.key); break;
        case ArchiveKind::Bytes: v = coder.decodeBytes(k.key); break;
        }
        // After a failure the decode is void anyway; stop handing out values.
        if (coder.failed())
            return;
        setValueForKey(k.key, v);
    }
}

using Key = ArchiveKey;
using Kind = ArchiveKind;

// A record that holds its keys in a table: numbers of
// integer and double kind, colours, strings, flags, 32-bit floats, rectangles.
class Record : public QObject, public Codable {
public:
    Record(QString className = {}, const ArchiveKeys* keys = nullptr) : m_className(std::move(className)), m_keys(keys) {}

    std::vector<QVariant> values; // by key index, as a property table keeps them
    QList<Record*> children;
    Record* layer = nullptr;

    QStringList archiveClassChain() const override { return {m_className, QStringLiteral("NSObject")}; }

    void encodeWithCoder(KeyedArchiver& c) const override
    {
        std::size_t next = 0;
        encodeKeys(c, *m_keys, [&](const QString&) { return values[next++]; });
        QVariantList list;
        for (Record* child : children)
            list.append(QVariant::fromValue(child));
        if (!children.isEmpty())
            c.encodeObject(childrenKey, list);
        c.encodeObject(layerKey, layer);
    }

    void initWithCoder(KeyedUnarchiver& c) override
    {
        m_keys = keysFor(c.currentClassName());
        m_className = c.currentClassName();
        values.reserve(m_keys->size());
        decodeKeys(c, *m_keys, [&](const QString&, const QVariant& v) { values.push_back(v); });
        children = c.decodeListOfClass<Record>(childrenKey);
        for (Record* child : children)
            child->setParent(this);
        layer = c.decodeObjectOfClass<Record>(layerKey);
    }

    static const ArchiveKeys* keysFor(const QString& className);
    static inline const QString childrenKey = QStringLiteral("children");
    static inline const QString layerKey = QStringLiteral("layer");

private:
    QString m_className;
    const ArchiveKeys* m_keys;
};

const ArchiveKeys pageKeys {
    {QStringLiteral("frame"), Kind::Rect}, {QStringLiteral("drawingMode"), Kind::Object}, {QStringLiteral("clipToMargins"), Kind::Bool}, {QStringLiteral("pageWidth"), Kind::Float},
    {QStringLiteral("pageHeight"), Kind::Float}, {QStringLiteral("topMargin"), Kind::Float}, {QStringLiteral("bottomMargin"), Kind::Float}, {QStringLiteral("leftMargin"), Kind::Float},
    {QStringLiteral("rightMargin"), Kind::Float}, {QStringLiteral("pageSize"), Kind::Int64}, {QStringLiteral("pageOrientation"), Kind::Int64}, {QStringLiteral("showMarginGuides"), Kind::Bool},
    {QStringLiteral("bleedMargin"), Kind::Float}, {QStringLiteral("fullBleed"), Kind::Bool}, {QStringLiteral("showBleedCropMarks"), Kind::Bool}, {QStringLiteral("showColumnRowGuides"), Kind::Bool},
    {QStringLiteral("rowNumber"), Kind::Object}, {QStringLiteral("rowGutter"), Kind::Object}, {QStringLiteral("colNumber"), Kind::Object}, {QStringLiteral("colGutter"), Kind::Object},
    {QStringLiteral("colRowStyle"), Kind::Int64}, {QStringLiteral("uuid"), Kind::Object}, {QStringLiteral("masterPageUUID"), Kind::Object},
};
const ArchiveKeys elementKeys {
    {QStringLiteral("frame"), Kind::Rect}, {QStringLiteral("frameRotation"), Kind::Float}, {QStringLiteral("leftOffset"), Kind::Object}, {QStringLiteral("topOffset"), Kind::Object},
    {QStringLiteral("contentViewType"), Kind::Int64}, {QStringLiteral("viewID"), Kind::Object}, {QStringLiteral("uuid"), Kind::Object}, {QStringLiteral("reflectionEnabled"), Kind::Bool},
    {QStringLiteral("reflectionOpacity"), Kind::Object}, {QStringLiteral("reflectionHeight"), Kind::Object}, {QStringLiteral("shadowEnabled"), Kind::Bool},
    {QStringLiteral("shadowOffset"), Kind::Object}, {QStringLiteral("shadowAngle"), Kind::Object}, {QStringLiteral("shadowBlurRadius"), Kind::Object},
    {QStringLiteral("shadowOpacity"), Kind::Object}, {QStringLiteral("shadowColor"), Kind::Object}, {QStringLiteral("innerShadowEnabled"), Kind::Bool},
    {QStringLiteral("innerShadowOffset"), Kind::Object}, {QStringLiteral("innerShadowAngle"), Kind::Object}, {QStringLiteral("innerShadowBlurRadius"), Kind::Object},
    {QStringLiteral("innerShadowOpacity"), Kind::Object}, {QStringLiteral("innerShadowColor"), Kind::Object}, {QStringLiteral("hideFromPrinting"), Kind::Bool},
    {QStringLiteral("causesWrap"), Kind::Bool}, {QStringLiteral("wrapType"), Kind::Object}, {QStringLiteral("wrapMargins"), Kind::Object}, {QStringLiteral("isLocked"), Kind::Bool},
    {QStringLiteral("cropEligible"), Kind::Bool}, {QStringLiteral("cropMode"), Kind::Bool}, {QStringLiteral("borderEnabled"), Kind::Bool}, {QStringLiteral("borderType"), Kind::Object},
    {QStringLiteral("borderWidth"), Kind::Object}, {QStringLiteral("borderRadius"), Kind::Object}, {QStringLiteral("borderColor"), Kind::Object},
    {QStringLiteral("borderOpacity"), Kind::Object}, {QStringLiteral("borderStyle"), Kind::Object}, {QStringLiteral("layerOpacity"), Kind::Object},
    {QStringLiteral("imageMode"), Kind::Object}, {QStringLiteral("cropScale"), Kind::Object}, {QStringLiteral("imageXOffset"), Kind::Float},
    {QStringLiteral("imageYOffset"), Kind::Float}, {QStringLiteral("cropRect"), Kind::Rect},
};
const ArchiveKeys contentKeys {
    {QStringLiteral("scaleToFill"), Kind::Bool}, {QStringLiteral("cropMode"), Kind::Bool}, {QStringLiteral("gradientAngle"), Kind::Object}, {QStringLiteral("gradientType"), Kind::Object},
    {QStringLiteral("brightness"), Kind::Object}, {QStringLiteral("saturation"), Kind::Object}, {QStringLiteral("contrast"), Kind::Object}, {QStringLiteral("blur"), Kind::Object},
    {QStringLiteral("sharpness"), Kind::Object}, {QStringLiteral("tintColor"), Kind::Object}, {QStringLiteral("imageEffect"), Kind::Int64}, {QStringLiteral("effectsEnabled"), Kind::Bool},
    {QStringLiteral("innerShadowEnabled"), Kind::Bool}, {QStringLiteral("tintEnabled"), Kind::Bool}, {QStringLiteral("imageMode"), Kind::Object},
    {QStringLiteral("imageMaskEnabled"), Kind::Bool}, {QStringLiteral("isVector"), Kind::Bool}, {QStringLiteral("frame"), Kind::Rect},
};
const ArchiveKeys layerKeys {{QStringLiteral("groupedViews"), Kind::Object}, {QStringLiteral("groupName"), Kind::Object}, {QStringLiteral("visible"), Kind::Bool}, {QStringLiteral("printable"), Kind::Bool}};

const ArchiveKeys* Record::keysFor(const QString& className)
{
    if (className == QStringLiteral("ZVCanvasView"))
        return &pageKeys;
    if (className == QStringLiteral("ZVPuttyView"))
        return &elementKeys;
    if (className == QStringLiteral("ZVPuttyViewGroup"))
        return &layerKeys;
    return &contentKeys;
}

QVariant sample(const Key& key, int i)
{
    const QString& name = key.key;
    switch (key.kind) {
    case Kind::Bool: return i % 2 == 0;
    case Kind::Float: return 36.123456789 + i;
    case Kind::Int64: return qlonglong(i % 7);
    case Kind::Rect: return QRectF(i, i * 2, 300.5, 200.25);
    case Kind::Object:
        if (name.endsWith(QStringLiteral("Color")))
            return QVariant::fromValue(Color::calibratedRgb(0.1 * (i % 10), 0.5, 0.25));
        if (name == QStringLiteral("uuid") || name.endsWith(QStringLiteral("UUID")))
            return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
        if (name.endsWith(QStringLiteral("Opacity")) || name.endsWith(QStringLiteral("Angle")) || name == QStringLiteral("cropScale"))
            return 0.5 + i;
        return qlonglong(i % 40);
    default:
        return {};
    }
}

Record* makeRecord(const QString& className, const ArchiveKeys& keys, int i, QObject* parent)
{
    auto* record = new Record(className, &keys);
    record->setParent(parent);
    for (const Key& key : keys)
        record->values.push_back(sample(key, i));
    return record;
}

struct Document {
    QObject owner;
    QList<Record*> pages;
};

std::unique_ptr<Document> makeDocument()
{
    auto document = std::make_unique<Document>();
    for (int p = 0; p < 100; ++p) {
        Record* page = makeRecord(QStringLiteral("ZVCanvasView"), pageKeys, p, &document->owner);
        Record* layer = makeRecord(QStringLiteral("ZVPuttyViewGroup"), layerKeys, p, page);
        QVariantList members;
        for (int e = 0; e < 50; ++e) {
            Record* element = makeRecord(QStringLiteral("ZVPuttyView"), elementKeys, e, page);
            element->layer = layer;
            element->children = {makeRecord(QStringLiteral("ZVImageView"), contentKeys, e, element),
                                 makeRecord(QStringLiteral("ZVBackgroundView"), contentKeys, e + 1, element)};
            members.append(element->values[6]); // "uuid"
            page->children.append(element);
        }
        layer->values[0] = members; // "groupedViews"
        page->layer = layer;
        document->pages.append(page);
    }
    return document;
}

QByteArray encode(const Document& document)
{
    KeyedArchiver archiver;
    QVariantList pages;
    for (Record* page : document.pages)
        pages.append(QVariant::fromValue(page));
    archiver.encodeObject(QStringLiteral("pages"), pages);
    archiver.encodeObject(QStringLiteral("masterPages"), QVariantList {});
    archiver.encodeBool(QStringLiteral("formatAsBooklet"), false);
    return *archiver.finish();
}

const ClassRegistry& registry()
{
    static const ClassRegistry instance = [] {
        ClassRegistry r = ClassRegistry::withPlatformValues();
        for (const char* name : {"ZVCanvasView", "ZVPuttyView", "ZVPuttyViewGroup", "ZVImageView", "ZVBackgroundView"})
            r.registerClass<Record>(QLatin1String(name));
        return r;
    }();
    return instance;
}

bool decode(const QByteArray& data)
{
    KeyedUnarchiver unarchiver(registry());
    if (!unarchiver.open(data))
        return false;
    const QList<Record*> pages = unarchiver.decodeListOfClass<Record>(QStringLiteral("pages"));
    unarchiver.decodeBool(QStringLiteral("formatAsBooklet"));
    Result<DecodedObjects> objects = unarchiver.finish();
    return objects.ok() && pages.size() == 100;
}

const QByteArray& documentData()
{
    static const QByteArray data = encode(*makeDocument());
    return data;
}

void BM_EncodeDocument(benchmark::State& state)
{
    const auto document = makeDocument();
    for (auto _ : state)
        benchmark::DoNotOptimize(encode(*document));
    state.SetBytesProcessed(state.iterations() * documentData().size());
}
BENCHMARK(BM_EncodeDocument)->Unit(benchmark::kMillisecond);

void BM_DecodeDocument(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(decode(documentData()));
    state.SetBytesProcessed(state.iterations() * documentData().size());
}
BENCHMARK(BM_DecodeDocument)->Unit(benchmark::kMillisecond);

void BM_ReadPropertyList(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(readBinaryPlist(documentData()).ok());
    state.SetBytesProcessed(state.iterations() * documentData().size());
}
BENCHMARK(BM_ReadPropertyList)->Unit(benchmark::kMillisecond);

double cpuMilliseconds()
{
    timespec t {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// Every object of the file read once, strings and data copied out: the
// parsing work of a load without building any structure.
std::size_t walkPropertyList(const QByteArray& data)
{
    const Result<BinaryPlistDocument> doc = BinaryPlistDocument::open(data);
    std::size_t touched = 0;
    for (BinaryPlistDocument::Ref ref = 0; doc && ref < doc->objectCount(); ++ref) {
        const Result<BinaryPlistDocument::Object> o = doc->object(ref);
        if (o && o->type == PlistValue::Type::String)
            touched += std::size_t(doc->string(*o).size());
        else if (o && o->type == PlistValue::Type::Data)
            touched += std::size_t(doc->data(*o).size());
        else if (o)
            touched += o->count;
    }
    return touched;
}

// Best of several runs, in milliseconds of processor time: other work on a
// shared machine then weighs on neither side of the comparison.
template <class Fn>
double bestOf(int runs, Fn&& fn)
{
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const double start = cpuMilliseconds();
        fn();
        best = std::min(best, cpuMilliseconds() - start);
    }
    return best;
}

void compareWithPlistlib()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("document.plist"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(documentData()) != documentData().size())
        return;
    file.close();
    QProcess python;
    python.start(QStringLiteral("python3"), {QStringLiteral("-c"), QStringLiteral(
        "import plistlib,sys,time\n"
        "data=open(sys.argv[1],'rb').read()\n"
        "best=min((lambda t:(plistlib.loads(data),time.process_time()-t)[1])(time.process_time()) for _ in range(5))\n"
        "print(best*1000)\n"), path});
    if (!python.waitForFinished(300000) || python.exitCode() != 0) {
        std::printf("python3 plistlib comparison failed: %s\n", python.readAllStandardError().constData());
        return;
    }
    const double plistlibMs = python.readAllStandardOutput().trimmed().toDouble();
    const auto document = makeDocument();
    const double encodeMs = bestOf(10, [&] { encode(*document); });
    const double decodeMs = bestOf(10, [] { decode(documentData()); });
    const double readMs = bestOf(10, [] { readBinaryPlist(documentData()); });
    const double walkMs = bestOf(10, [] { walkPropertyList(documentData()); });
    std::printf("\nSame file (%lld bytes), processor time, best of runs:\n"
                "  python3 plistlib.loads          %8.1f ms\n"
                "  keyed decode into 15,200 records %7.1f ms: %.1fx faster\n"
                "  keyed encode of the document     %7.1f ms: %.1fx faster\n"
                "  binary plist read into a tree    %7.1f ms: %.1fx faster\n"
                "  binary plist objects walked      %7.1f ms: %.1fx faster\n",
                static_cast<long long>(documentData().size()), plistlibMs, decodeMs, plistlibMs / decodeMs, encodeMs,
                plistlibMs / encodeMs, readMs, plistlibMs / readMs, walkMs, plistlibMs / walkMs);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    compareWithPlistlib();
    return 0;
}
