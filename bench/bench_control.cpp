// The list control through its dispatch interface, the plugin found by its
// ProgID as the program finds it: a Swap with its OverSwap event, and a
// press of "Готово" on a 20-line task (the answer read back line by line
// through txtData and compared with the task, the run's rules for the
// press, then the next task written into the control).
#include "platform/controlhost/controllibrary.h"
#include "platform/core/random.h"
#include "run/testrun.h"
#include "testdata/loader.h"
#include "testdata/opening.h"

#include <tabulo/control.h>

#include <QWidget>

#include <benchmark/benchmark.h>

#include <memory>

using namespace velmora;
using tabulo::CallKind;
using tabulo::DispId;

namespace {

// Counts the control's OverSwap events.
class OverSwapCounter final : public tabulo::EventSink
{
public:
    void onEvent(tabulo::EventId id, const QVariantList &) override
    {
        if (id == tabulo::EventId::OverSwap)
            ++count;
    }
    qint64 count = 0;
};

struct Hosted final
{
    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    tabulo::Control *control = nullptr;
    OverSwapCounter events;

    Hosted()
    {
        const auto made = ControlLibrary::create(tabulo::ProgId, tabulo::ClassId, window.get());
        control = made.ok() ? made.value : nullptr;
        if (control)
            control->advise(&events);
    }
    ~Hosted()
    {
        if (control)
            control->unadvise(&events);
    }
    Hosted(const Hosted &) = delete;
    Hosted &operator=(const Hosted &) = delete;

    bool call(DispId id, CallKind kind, const QVariantList &arguments)
    {
        return control->invoke(id, kind, arguments).ok();
    }
};

void BM_SwapRoundTrip(benchmark::State &state)
{
    Hosted host;
    if (!host.control) {
        state.SkipWithError("the Tabulo plugin was not found by its ProgID");
        return;
    }
    host.call(DispId::MaxLbl, CallKind::PropertyPut, {qint16(MaxStepsPerTask)});
    qint16 from = 1;
    qint16 inTo = MaxStepsPerTask;
    for (auto _ : state) {
        if (!host.call(DispId::Swap, CallKind::Method, {tabulo::byRef(from), tabulo::byRef(inTo)})) {
            state.SkipWithError("Swap failed");
            break;
        }
    }
    if (host.events.count != state.iterations())
        state.SkipWithError("an OverSwap was missing");
}

// A test of two tasks of 20 steps each, the run in its no-hints mode:
// every press is a correct answer that moves on to the other task.
void BM_DonePress(benchmark::State &state)
{
    Hosted host;
    if (!host.control) {
        state.SkipWithError("the Tabulo plugin was not found by its ProgID");
        return;
    }
    QByteArray text = "Тест\r\n";
    for (int n = 1; n <= 2; ++n) {
        if (n > 1)
            text += "\r\n";
        text += "Задание " + QByteArray::number(n) + "\r\n";
        for (int k = 1; k <= MaxStepsPerTask; ++k)
            text += "Шаг " + QByteArray::number(k) + " задания " + QByteArray::number(n) + "\r\n";
    }
    text += "\r\n";
    TaskTable Tasks;
    if (LoadTest(std::move(text), Tasks).failure || Tasks.count() != 2) {
        state.SkipWithError("the test did not load");
        return;
    }
    TimeOfDayRandom random;
    TestRun run;
    auto showTask = [&] {
        const int L = Tasks.stepCount(run.CurrentTask);
        host.call(DispId::Clear, CallKind::Method, {});
        host.call(DispId::MaxLbl, CallKind::PropertyPut, {qint16(L)});
        for (qint16 i = 1; i <= L; ++i)
            host.call(DispId::txtData, CallKind::PropertyPut, {i, Tasks.text(run.CurrentTask, i)});
    };
    run.start(Tasks.count(), random);
    showTask();
    for (auto _ : state) {
        const int L = Tasks.stepCount(run.CurrentTask);
        bool correct = true;
        for (qint16 i = 1; i <= L; ++i) {
            const tabulo::Result line = host.control->invoke(DispId::txtData, CallKind::PropertyGet, {tabulo::byRef(i)});
            correct = line.ok() && line.value.toString() == Tasks.text(run.CurrentTask, i) && correct;
        }
        const TestRun::Press press = run.pressDone(correct);
        if (press.next == TestRun::Next::End) {
            state.PauseTiming();
            run.start(Tasks.count(), random);
            state.ResumeTiming();
        }
        showTask();
        benchmark::DoNotOptimize(press);
    }
}

} // namespace

BENCHMARK(BM_SwapRoundTrip)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_DonePress)->Unit(benchmark::kMicrosecond)->UseRealTime();
