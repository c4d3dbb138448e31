// Hyphenated text by language: three pages of four justified boxes that
// allow hyphenation, in English, tagged German ("NSLanguage" de), and in
// English under a German locale (the user's patterns are German). Each is
// opened in a fresh process, as a user opens a file: in the window (from
// asking the controller to open it to the canvas having drawn the first
// page, the program's start-up preload of the user's patterns included), and
// exported as PDF by page-render (the whole process). Five runs each, the
// median kept; the ratios to English are printed at the end (target for the
// window: below 1.5).
#include "app/document/Document.h"
#include "app/document/DocumentArchive.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVTextView.h"
#include "content/text/Hyphenator.h"
#include "WindowOpening.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kRuns = 5;
const char* const kOpenInWindow = "--open-in-window";

const QStringList kEnglish = QStringLiteral(
    "the quick brown fox jumps over a lazy dog while publishing programs arrange lengthy articles through "
    "connected boxes across numerous pages and hyphenation considerably improves justified columns").split(u' ');
const QStringList kGerman = QStringLiteral(
    "die Silbentrennungsregeln unterscheiden sich von Sprache zu Sprache und ein langes zusammengesetztes "
    "Hauptwort wie Donaudampfschifffahrtsgesellschaft oder Rechtsschutzversicherungsgesellschaften bricht an "
    "anderen Stellen als im Englischen").split(u' ');

QString words(const QStringList& vocabulary, int characters, int first)
{
    QString text;
    for (int i = first; text.size() < characters; ++i)
        text += vocabulary[i % vocabulary.size()] + u' ';
    text.truncate(characters);
    return text.trimmed() + u'.';
}

QByteArray documentIn(const QStringList& vocabulary, const QString& language)
{
    ql::Document document;
    ql::ParagraphStyle style;
    style.alignment = ql::ParagraphStyle::Alignment::Justified;
    style.hyphenationFactor = 1.0;
    ql::TextAttributes attributes {
        {ql::TextAttribute::font, QVariant::fromValue(ql::Font(QStringLiteral("Helvetica"), 12))},
        {ql::TextAttribute::paragraphStyle, QVariant::fromValue(style)}};
    if (!language.isEmpty())
        attributes.insert(ql::TextAttribute::language, language);
    for (int p = 0; p < 3; ++p) {
        ZVCanvasView* page = document.newPage();
        document.contentPages().append(page);
        for (int b = 0; b < 4; ++b) {
            std::unique_ptr<ZVPuttyView> element = ZVPuttyView::initWithText();
            element->setFrame(QRectF(72 + (b % 2) * 250, 72 + (b / 2) * 330, 220, 300).adjusted(-40, -40, 40, 40));
            if (auto* content = qobject_cast<ZVTextView*>(element->contentView())) {
                const QString text = words(vocabulary, 1500, b) + u'\n' + words(vocabulary, 1500, b + 3);
                content->setAttributedString(ql::AttributedString(text, attributes));
            }
            page->addPuttyView(element.release());
        }
    }
    return *ql::DocumentArchive::write(document);
}

// The child: opens the document in a window and prints the milliseconds
// until its canvas drew.
int openInWindow(const QString& path)
{
    WindowOpening opening;
    // As the program starts: the user's patterns load meanwhile.
    ql::text::Hyphenator::shared().preload({});
    const double seconds = opening.secondsToFirstPaint(path);
    if (seconds < 0)
        return 1;
    std::printf("%.3f\n", seconds * 1000);
    std::fflush(stdout);
    std::_Exit(0); // what comes after the first page is not timed
}

struct Case {
    const char* name;
    bool german;
    bool germanLocale;
};
const Case kCases[] = {{"english", false, false}, {"german-tagged", true, false}, {"english-german-locale", false, true}};

std::map<std::string, double> g_medians;

QString documentFile(const QTemporaryDir& folder, const Case& c)
{
    const QString path = folder.filePath(QString::fromLatin1(c.name) + QStringLiteral(".qvleaf"));
    if (!QFile::exists(path)) {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(documentIn(c.german ? kGerman : kEnglish, c.german ? QStringLiteral("de") : QString()));
    }
    return path;
}

QProcessEnvironment environmentFor(const Case& c, const QString& home)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/cache"));
    environment.remove(QStringLiteral("LC_ALL"));
    environment.remove(QStringLiteral("LC_MESSAGES"));
    environment.insert(QStringLiteral("LANG"), QLatin1String(c.germanLocale ? "de_DE.UTF-8" : "en_US.UTF-8"));
    return environment;
}

// Runs a child on the case's document in fresh processes and keeps the
// median: of the milliseconds it prints, or else of its whole run.
void medianOfChildren(benchmark::State& state, const char* what, const QString& program, bool printsItsTime,
                      const std::function<QStringList(const QString& document, const QString& folder)>& arguments)
{
    static QTemporaryDir folder;
    const Case& c = kCases[state.range(0)];
    const QString document = documentFile(folder, c);
    state.SetLabel(c.name);
    std::vector<double> times;
    for (auto _ : state) {
        QProcess child;
        child.setProcessEnvironment(environmentFor(c, folder.path()));
        QElapsedTimer clock;
        clock.start();
        child.start(program, arguments(document, folder.path()));
        bool ok = child.waitForFinished(180000) && child.exitCode() == 0;
        double seconds = clock.nsecsElapsed() / 1e9;
        if (ok && printsItsTime)
            seconds = child.readAllStandardOutput().trimmed().toDouble(&ok) / 1000;
        if (!ok) {
            state.SkipWithError("the run failed");
            return;
        }
        times.push_back(seconds);
        state.SetIterationTime(seconds);
    }
    std::sort(times.begin(), times.end());
    const std::string name = std::string(what) + " " + c.name;
    g_medians[name] = times[times.size() / 2];
    state.counters["median_ms"] = g_medians[name] * 1000;
}

void BM_OpenInWindow(benchmark::State& state)
{
    medianOfChildren(state, "window", QCoreApplication::applicationFilePath(), true,
                     [](const QString& document, const QString&) {
                         return QStringList {QString::fromLatin1(kOpenInWindow), document};
                     });
}
BENCHMARK(BM_OpenInWindow)->DenseRange(0, 2)->Iterations(kRuns)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_ExportWithPageRender(benchmark::State& state)
{
    medianOfChildren(state, "export", QStringLiteral(QUIVERLEAF_PAGE_RENDER), false,
                     [](const QString& document, const QString& folder) { return QStringList {document, folder}; });
}
BENCHMARK(BM_ExportWithPageRender)->DenseRange(0, 2)->Iterations(kRuns)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], kOpenInWindow) == 0)
        return openInWindow(QString::fromLocal8Bit(argv[2]));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (const char* what : {"window", "export"}) {
        const double english = g_medians[std::string(what) + " english"];
        for (const char* other : {"german-tagged", "english-german-locale"}) {
            const double seconds = g_medians[std::string(what) + " " + other];
            if (english > 0 && seconds > 0)
                std::printf("%s: %s %.0f ms, english %.0f ms, ratio %.2f\n", what, other, seconds * 1000,
                            english * 1000, seconds / english);
        }
    }
    return 0;
}
