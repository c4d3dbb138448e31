// Keys typed into a text box of 5,000 words in the real window: each key
// press goes through the shortcut check (which validates the menus), the
// editor and the repaint of what changed. One benchmark types letters in the
// middle of the text; the other times the first letter after Ctrl+Home or
// Ctrl+End. The worst key is reported beside the mean (target: every key
// under 16 ms). Runs offscreen unless QT_QPA_PLATFORM says otherwise: under
// xvfb-run with QT_QPA_PLATFORM=xcb the clipboard lives in the X server.
#include "app/document/Document.h"
#include "app/document/DocumentController.h"
#include "app/window/DocumentWindow.h"
#include "app/window/WindowMenus.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/view/ZVScrollView.h"
#include "content/ZVTextView.h"
#include "platform/runtime/Deferred.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/ui/ScriptedPrompter.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <benchmark/benchmark.h>
#include <algorithm>
#include "QtBenchmarkMain.h"

namespace {

QString fiveThousandWords()
{
    QString text;
    const QStringList words = QStringLiteral("the quick brown fox jumps over a lazy dog near river banks").split(' ');
    for (int i = 0; i < 5000; ++i) {
        text += words[i % words.size()];
        text += (i % 120 == 119) ? QStringLiteral("\n") : QStringLiteral(" ");
    }
    return text;
}

struct Window {
    QTemporaryDir folder;
    ql::UserDefaults defaults{folder.filePath(QStringLiteral("defaults.conf"))};
    ql::ScriptedPrompter prompter;
    ql::DocumentController controller;
    ql::DocumentWindow* window = nullptr;
    ZVTextView* text = nullptr;

    Window()
    {
        controller.setPrompter(&prompter);
        controller.setUserDefaults(&defaults);
        ql::Document* document = controller.newDocument();
        window = qobject_cast<ql::DocumentWindow*>(document->documentWindow());
        window->resize(1400, 1000);
        window->show();
        ql::DeferredCalls::instance().flush();
        ZVCanvasView* page = document->currentPage();
        ZVPuttyView* box = ZVPuttyView::initWithText().release();
        box->setFrame(QRectF(36, 36, 540, 720).adjusted(-40, -40, 40, 40));
        page->addPuttyView(box);
        text = qobject_cast<ZVTextView*>(box->contentView());
        text->setString(fiveThousandWords());
        page->setFocusedPuttyView(box);
        text->setEditMode(true);
        // Something on the clipboard, as a user's session has.
        QGuiApplication::clipboard()->setText(QStringLiteral("copied before"));
        activate();
        window->scrollView()->setFocus();
        settle();
    }
    ~Window() { controller.setPrompter(nullptr); }

    // On a real X server the panels shown with the window are activated
    // after it, and whichever window the server hears of last has the keys:
    // the document window asks until it keeps them, as the user's click on it
    // would make it.
    void activate() const
    {
        for (int attempt = 0; attempt < 20; ++attempt) {
            window->activateWindow();
            if (QTest::qWaitForWindowActive(window, 1000)) {
                QTest::qWait(100);
                if (window->isActiveWindow())
                    return;
            }
        }
    }

    static void settle()
    {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }

    QWidget* target() const
    {
        QWidget* focused = QApplication::focusWidget();
        return focused ? focused : window->scrollView()->viewport();
    }

    // One key as the user presses it, with the repaint it causes.
    double press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QElapsedTimer timer;
        timer.start();
        QTest::keyClick(target(), key, modifiers);
        settle();
        return double(timer.nsecsElapsed()) / 1e9;
    }
};

void report(benchmark::State& state, double worst)
{
    state.counters["worst_ms"] = worst * 1000.0;
}

void BM_KeyInFiveThousandWords(benchmark::State& state)
{
    Window window;
    window.text->setSelectedRange({15000, 0});
    const int length = window.text->textLength();
    window.press(Qt::Key_X);
    if (window.text->textLength() != length + 1)
        state.SkipWithError("the key did not reach the text box");
    window.press(Qt::Key_Backspace);
    double worst = 0;
    int typed = 0;
    for (auto _ : state) {
        // Letters and their deletions in turn keep the text the same length.
        const double seconds = window.press(typed++ % 2 == 0 ? Qt::Key_X : Qt::Key_Backspace);
        worst = std::max(worst, seconds);
        state.SetIterationTime(seconds);
    }
    report(state, worst);
}
BENCHMARK(BM_KeyInFiveThousandWords)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(200);

void BM_FirstKeyAfterCtrlHomeOrEnd(benchmark::State& state)
{
    Window window;
    double worst = 0;
    double worstJump = 0;
    int round = 0;
    for (auto _ : state) {
        const Qt::Key jump = round++ % 2 == 0 ? Qt::Key_Home : Qt::Key_End;
        worstJump = std::max(worstJump, window.press(jump, Qt::ControlModifier));
        const int caret = window.text->selectedRange().location;
        if (round == 1 && caret != 0)
            state.SkipWithError("Ctrl+Home did not reach the text box");
        const double seconds = window.press(Qt::Key_X);
        window.press(Qt::Key_Backspace);
        worst = std::max(worst, seconds);
        state.SetIterationTime(seconds);
    }
    report(state, worst);
    state.counters["worst_jump_ms"] = worstJump * 1000.0;
}
BENCHMARK(BM_FirstKeyAfterCtrlHomeOrEnd)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(60);

// What every key press runs before the key reaches the box.
void BM_ValidateMenus(benchmark::State& state)
{
    Window window;
    for (auto _ : state)
        window.window->menus().validateMenus();
}
BENCHMARK(BM_ValidateMenus)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runQtBenchmarks<QApplication>(argc, argv);
}
