// Edit ▸ Select All, a click on the empty page and Arrange ▸ Group on one
// page of 100, 300 or 1,000 text boxes in the real window (offscreen): the
// boxes all in one group, as Arrange ▸ Group stores them, or in none. Each
// step is what the user gives (the menu command after the window validated
// its items, as a shortcut does; the click) with everything the window does
// in answer, the inspectors and menus, but not the repaint. Target: well
// under 100 ms at 1,000 boxes.
#include "app/document/Document.h"
#include "app/window/DocumentWindow.h"
#include "app/window/WindowMenus.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/view/ZVScrollView.h"
#include "platform/runtime/Deferred.h"
#include "QtBenchmarkMain.h"
#include "QuietController.h"
#include "ScalePage.h"

#include <QAction>
#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <benchmark/benchmark.h>

namespace {

class CrowdedWindow {
public:
    CrowdedWindow(int count, bool grouped) : m_quiet(m_folder.filePath(QStringLiteral("defaults.conf")))
    {
        const QString path = m_folder.filePath(QStringLiteral("page.qvleaf"));
        if (!writeScalePage(count, path))
            return;
        const ql::Result<ql::Document*> opened = m_quiet.controller.openDocumentWithContentsOfFile(path);
        m_document = opened ? *opened : nullptr;
        m_window = m_document ? qobject_cast<ql::DocumentWindow*>(m_document->documentWindow()) : nullptr;
        if (!m_window)
            return;
        m_window->resize(1400, 1000);
        m_window->show();
        // All of the page in view, so that its empty corner can be clicked.
        m_window->scrollView()->setMagnification(0.5);
        settle();
        m_page = m_document->currentPage();
        if (grouped)
            groupAll();
    }

    bool ready() const { return m_page && m_page->puttyViews().size() > 1; }
    ZVCanvasView& page() const { return *m_page; }

    // The command as a shortcut gives it: the items validate, then the item
    // runs when it is enabled.
    void menu(const char* path)
    {
        ql::WindowMenus& menus = m_window->menus();
        menus.validateMenus();
        if (QAction* item = menus.itemAtPath(QString::fromLatin1(path)); item && item->isEnabled())
            item->trigger();
        ql::DeferredCalls::instance().flush();
    }

    // A click on the page below its last row of boxes.
    void clickEmptyPage()
    {
        ql::ZVScrollView* view = m_window->scrollView();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->mapFromPage(QPointF(606, 788)).toPoint());
        ql::DeferredCalls::instance().flush();
    }

    void ungroupAll()
    {
        for (ZVPuttyView* element : m_page->puttyViews())
            element->setGroup(nullptr);
    }

    bool allActive() const
    {
        const QList<ZVPuttyView*>& elements = m_page->puttyViews();
        return std::all_of(elements.cbegin(), elements.cend(), [](const ZVPuttyView* e) { return e->isActive(); });
    }

    bool noneActive() const
    {
        const QList<ZVPuttyView*>& elements = m_page->puttyViews();
        return std::none_of(elements.cbegin(), elements.cend(), [](const ZVPuttyView* e) { return e->isActive(); });
    }

private:
    // One group of every box, as Arrange ▸ Group leaves it.
    void groupAll()
    {
        auto* group = new ZVPuttyViewGroup();
        for (ZVPuttyView* element : m_page->puttyViews()) {
            group->appendUuid(element->uuid());
            element->setGroup(group);
        }
    }

    static void settle()
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
        ql::DeferredCalls::instance().flush();
    }

    QTemporaryDir m_folder;
    QuietController m_quiet;
    ql::Document* m_document = nullptr;
    ql::DocumentWindow* m_window = nullptr;
    ZVCanvasView* m_page = nullptr;
};

// Times `step` on a page of the benchmark's size, each time after the
// untimed `prepare`; `outcome` says whether the last step did its work.
template <class Prepare, class Step, class Outcome>
void timeSteps(benchmark::State& state, Prepare prepare, Step step, Outcome outcome)
{
    const bool grouped = state.range(1) != 0;
    CrowdedWindow crowd(int(state.range(0)), grouped);
    if (!crowd.ready())
        return state.SkipWithError("cannot open the page");
    for (auto _ : state) {
        state.PauseTiming();
        prepare(crowd);
        state.ResumeTiming();
        step(crowd);
    }
    if (const char* failure = outcome(crowd))
        return state.SkipWithError(failure);
    state.SetLabel(QStringLiteral("%1 boxes, %2").arg(state.range(0)).arg(grouped ? u"grouped" : u"ungrouped")
                       .toStdString());
}

void BM_SelectAll(benchmark::State& state)
{
    timeSteps(
        state, [](CrowdedWindow& crowd) { crowd.clickEmptyPage(); },
        [](CrowdedWindow& crowd) { crowd.menu("Edit/Select All"); },
        [](const CrowdedWindow& crowd) { return crowd.allActive() ? nullptr : "Select All left boxes out"; });
}

void BM_Deselect(benchmark::State& state)
{
    timeSteps(
        state, [](CrowdedWindow& crowd) { crowd.menu("Edit/Select All"); },
        [](CrowdedWindow& crowd) { crowd.clickEmptyPage(); },
        [](const CrowdedWindow& crowd) { return crowd.noneActive() ? nullptr : "the click left boxes selected"; });
}

// On a grouped page the boxes are one group already: the window refuses
// the command, and what is measured is its asking.
void BM_Group(benchmark::State& state)
{
    const bool grouped = state.range(1) != 0;
    timeSteps(
        state,
        [grouped](CrowdedWindow& crowd) {
            if (!grouped)
                crowd.ungroupAll();
            crowd.clickEmptyPage();
            crowd.menu("Edit/Select All");
        },
        [](CrowdedWindow& crowd) { crowd.menu("Arrange/Group"); },
        [](const CrowdedWindow& crowd) {
            const QList<ZVPuttyView*>& boxes = crowd.page().puttyViews();
            const ZVPuttyViewGroup* group = boxes.constFirst()->group();
            return group && group->groupedViews().size() == boxes.size() ? nullptr : "the boxes are not one group";
        });
}

void sizes(benchmark::internal::Benchmark* bench)
{
    for (const int grouped : {1, 0}) {
        for (const int count : {100, 300, 1000})
            bench->Args({count, grouped});
    }
    bench->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_SelectAll)->Apply(sizes);
BENCHMARK(BM_Deselect)->Apply(sizes);
BENCHMARK(BM_Group)->Apply(sizes);

} // namespace

int main(int argc, char** argv)
{
    return runQtBenchmarks<QApplication>(argc, argv);
}
