// The largest test the 16-bit counters allow, 32767 tasks of 20 steps in
// Windows-1251, through the program's path: unscramble into a temporary
// file, load it, delete it. Measured against copying the same file, with
// `cp` itself and with the standard library, in the same run; then the
// teacher's tool as a whole fresh process against `cp`, with the peak
// memory of each process, and the program's start-up to its selection
// window against a bare Qt Widgets dialog listing the same titles.
// bench/run runs the repetitions interleaved, so a busy machine weighs on
// both sides of a ratio alike.
#include "platform/core/largepages.h"
#include "platform/core/nativefiles.h"
#include "platform/core/product.h"
#include "testdata/loader.h"
#include "testdata/scramble.h"
#include "testdata/temporarycopy.h"

#include "bench_support.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

extern char **environ;

using namespace velmora;

namespace {

constexpr int TaskCount = MaxCount16;
constexpr int StepCount = MaxStepsPerTask;
constexpr int ListedTests = 1000;

struct Files final
{
    QTemporaryDir folder;
    QString test;       // the stored test
    QString plain;      // the test unscrambled, as the program loads it
    QString copy;       // where the copies go
    qint64 size = 0;
};

Files &files()
{
    static Files f = [] {
        Files made;
        made.test = made.folder.filePath(QStringLiteral("большой.tst"));
        made.copy = made.folder.filePath(QStringLiteral("copy.tst"));
        QString text = QStringLiteral("Большой тест: %1 заданий по %2 шагов\r\n").arg(TaskCount).arg(StepCount);
        for (int n = 1; n <= TaskCount; ++n) {
            if (n > 1)
                text += QStringLiteral("\r\n");
            text += QStringLiteral("Задание %1: расставь шаги алгоритма по порядку\r\n").arg(n);
            for (int k = 1; k <= StepCount; ++k)
                text += QStringLiteral("Шаг %1 задания %2: сделать следующее действие\r\n").arg(k).arg(n);
        }
        QStringEncoder encoder("windows-1251");
        const QByteArray stored = scrambleBytes(QByteArray(encoder.encode(text)));
        made.plain = made.folder.filePath(QStringLiteral("большой.txt"));
        QFile out(made.test);
        QFile plain(made.plain);
        if (!out.open(QIODevice::WriteOnly) || out.write(stored) < 0 || !plain.open(QIODevice::WriteOnly)
            || plain.write(scrambleBytes(stored)) < 0)
            std::fprintf(stderr, "cannot write the test\n");
        out.close();
        plain.close();
        made.size = QFileInfo(made.test).size();
        return made;
    }();
    return f;
}

// One run of a program as a fresh process, its output thrown away.
bool runProcess(const std::vector<std::string> &arguments)
{
    std::vector<std::string> copies = arguments;
    std::vector<char *> argv;
    for (std::string &argument : copies)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    bool ok = false;
    if (posix_spawnp(&pid, argv.front(), &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        ok = waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    posix_spawn_file_actions_destroy(&actions);
    return ok;
}

// The peak resident memory of one more run, in MiB (0 when unknown),
// measured by velmora_peak outside the timing.
double peakOf(const std::vector<std::string> &arguments)
{
    const QString report = files().folder.filePath(QStringLiteral("peak"));
    std::vector<std::string> measured{QCoreApplication::applicationDirPath().toStdString() + "/velmora_peak",
                                      report.toStdString()};
    measured.insert(measured.end(), arguments.begin(), arguments.end());
    QFile kib(report);
    if (!runProcess(measured) || !kib.open(QIODevice::ReadOnly))
        return 0;
    return kib.readAll().trimmed().toDouble() / 1024.0;
}

void runProcesses(benchmark::State &state, const std::vector<std::string> &arguments, qint64 bytes)
{
    for (auto _ : state) {
        if (!runProcess(arguments)) {
            state.SkipWithError(("failed: " + arguments.front()).c_str());
            break;
        }
    }
    state.counters["peak_MB"] = peakOf(arguments);
    state.SetBytesProcessed(state.iterations() * bytes);
}

std::string tool() { return std::string(VELMORA_BIN_DIR) + "/velmora-tst"; }

void BM_cp(benchmark::State &state)
{
    Files &f = files();
    const std::string to = f.copy.toStdString();
    std::filesystem::remove(to);
    runProcesses(state, {"cp", "-f", f.test.toStdString(), to}, f.size);
}

// The other yardstick: a fresh process that reads and scans the same file
// without keeping it.
void BM_wc(benchmark::State &state)
{
    Files &f = files();
    runProcesses(state, {"wc", "-l", f.test.toStdString()}, f.size);
}

// What kind of machine runs this: the first touch of 32 MiB of memory fresh
// from the system, in ordinary pages and in large pages. Where the two are
// close, faults are cheap here and the large pages gain little; where they
// are far apart, fresh memory costs more than the copy into it.
void touchFresh(benchmark::State &state, bool large)
{
    constexpr std::size_t Size = std::size_t(32) << 20;
    constexpr std::size_t LargePage = std::size_t(2) << 20;
    for (auto _ : state) {
        void *mapping = mmap(nullptr, Size + LargePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapping == MAP_FAILED) {
            state.SkipWithError("mmap failed");
            break;
        }
        auto *block = reinterpret_cast<char *>((reinterpret_cast<std::uintptr_t>(mapping) + LargePage - 1)
                                               & ~std::uintptr_t(LargePage - 1));
        if (large)
            adviseLargePages(block, Size);
        else
            madvise(block, Size, MADV_NOHUGEPAGE);
        for (std::size_t i = 0; i < Size; i += 4096)
            block[i] = 1;
        benchmark::DoNotOptimize(block[Size - 1]);
        state.PauseTiming();
        munmap(mapping, Size + LargePage);
        state.ResumeTiming();
    }
}
void BM_TouchFresh(benchmark::State &state) { touchFresh(state, false); }
void BM_TouchFreshLargePages(benchmark::State &state) { touchFresh(state, true); }

// The teacher's tool on the same test, counts only: `load` of the
// unscrambled copy, `show` of the stored test (unscramble in memory, load,
// judge).
void BM_ToolLoadQuiet(benchmark::State &state)
{
    Files &f = files();
    runProcesses(state, {tool(), "load", "--quiet", f.plain.toStdString()}, f.size);
}

void BM_ToolShowQuiet(benchmark::State &state)
{
    Files &f = files();
    runProcesses(state, {tool(), "show", "--quiet", f.test.toStdString()}, f.size);
}

void BM_BareQtCore(benchmark::State &state)
{
    runProcesses(state, {QCoreApplication::applicationDirPath().toStdString() + "/velmora_bare_core"}, 0);
}

// A program folder of 1000 small tests, with the start-up probe (the
// program's own main, ending once frmStart is shown) and the bare dialog
// copied in: both list the .tst files of their own folder.
struct Folder final
{
    QTemporaryDir folder;
    bool ok = true;
};

Folder &programFolder()
{
    static Folder f = [] {
        Folder made;
        for (int n = 1; n <= ListedTests; ++n) {
            QStringEncoder encoder("windows-1251");
            const QByteArray text = encoder.encode(QStringLiteral("Тест номер %1\r\nЗадание\r\nШаг 1\r\nШаг 2\r\n").arg(n));
            QFile test(made.folder.filePath(QStringLiteral("тест%1.tst").arg(n)));
            made.ok = made.ok && test.open(QIODevice::WriteOnly) && test.write(scrambleBytes(text)) > 0;
        }
        const QDir bench(QCoreApplication::applicationDirPath());
        for (const QString &name : {QStringLiteral("velmora_startup_probe"), QStringLiteral("velmora_bare_dialog")})
            made.ok = made.ok && QFile::copy(bench.filePath(name), made.folder.filePath(name));
        return made;
    }();
    return f;
}

void startUp(benchmark::State &state, const char *name)
{
    Folder &f = programFolder();
    if (!f.ok) {
        state.SkipWithError("cannot make the program folder");
        return;
    }
    runProcesses(state, {f.folder.filePath(QString::fromLatin1(name)).toStdString()}, 0);
}

void BM_StartupToSelection(benchmark::State &state) { startUp(state, "velmora_startup_probe"); }
void BM_BareDialog(benchmark::State &state) { startUp(state, "velmora_bare_dialog"); }

void BM_copyFile(benchmark::State &state)
{
    Files &f = files();
    const std::filesystem::path from = f.test.toStdString();
    const std::filesystem::path to = f.copy.toStdString();
    for (auto _ : state) {
        std::filesystem::remove(to);
        std::filesystem::copy_file(from, to);
    }
    state.SetBytesProcessed(state.iterations() * f.size);
}

// ScrambleFile from the stored test into a file, as the program writes
// the copy.
void BM_ScrambleFile(benchmark::State &state)
{
    Files &f = files();
    for (auto _ : state) {
        QFile in(f.test);
        QFile out(f.copy);
        if (!in.open(QIODevice::ReadOnly | QIODevice::Unbuffered)
            || !out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered) || ScrambleFile(in, out)) {
            state.SkipWithError("ScrambleFile failed");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * f.size);
}

// The table of the load is freed outside the timing, as the next load
// replaces it in the program. `cold`: its memory also goes back to the
// system, so the next load starts on fresh pages, as the first load of a
// freshly started program does.
void releaseTable(benchmark::State &state, std::unique_ptr<TaskTable> &Tasks, bool cold)
{
    state.PauseTiming();
    Tasks.reset();
    if (cold)
        malloc_trim(0);
    state.ResumeTiming();
}

// LoadTest of the unscrambled test read whole, as the teacher's tool loads it.
void loadTest(benchmark::State &state, bool cold)
{
    Files &f = files();
    for (auto _ : state) {
        QFile plain(f.plain);
        auto Tasks = std::make_unique<TaskTable>();
        if (!plain.open(QIODevice::ReadOnly) || LoadTest(plain.readAll(), *Tasks).failure
            || Tasks->count() != TaskCount) {
            state.SkipWithError("LoadTest failed");
            break;
        }
        releaseTable(state, Tasks, cold);
    }
    state.SetBytesProcessed(state.iterations() * f.size);
}

// What the program does when a pupil picks the test: the selection window
// opens it through TemporaryCopy (unscramble into the copy, load, judge,
// remove the copy).
void openTest(benchmark::State &state, bool cold)
{
    Files &f = files();
    for (auto _ : state) {
        auto Tasks = std::make_unique<TaskTable>();
        if (!TemporaryCopy::loadChosenTest(nativePath(f.test), QStringLiteral("Большой"), *Tasks).opens()
            || Tasks->count() != TaskCount) {
            state.SkipWithError("the test did not open");
            break;
        }
        releaseTable(state, Tasks, cold);
    }
    state.SetBytesProcessed(state.iterations() * f.size);
}

void BM_LoadTest(benchmark::State &state) { loadTest(state, false); }
void BM_OpenStoredTest(benchmark::State &state) { openTest(state, false); }
void BM_OpenStoredTestColdMemory(benchmark::State &state) { openTest(state, true); }
void BM_LoadTestColdMemory(benchmark::State &state) { loadTest(state, true); }

BENCHMARK(BM_cp)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_wc)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TouchFresh)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TouchFreshLargePages)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ToolLoadQuiet)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ToolShowQuiet)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BareQtCore)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_StartupToSelection)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BareDialog)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_copyFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ScrambleFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadTest)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadTestColdMemory)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OpenStoredTest)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OpenStoredTestColdMemory)->Unit(benchmark::kMillisecond)->UseRealTime();

// Prints as usual and keeps each benchmark's median time (in
// milliseconds) and peak memory for the closing summary.
class SummaryReporter final : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            const std::string &name = run.run_name.function_name;
            const double ms = run.GetAdjustedRealTime() * 1e3 / benchmark::GetTimeUnitMultiplier(run.time_unit);
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if ((run.run_type == Run::RT_Iteration && run.iterations > 0 && !run.error_occurred && !m_median.count(name))
                || median) {
                m_time[name] = ms;
                if (const auto peak = run.counters.find("peak_MB"); peak != run.counters.end())
                    m_peak[name] = peak->second.value;
                if (median)
                    m_median[name] = true;
            }
        }
    }

    double time(const std::string &name) const { return valueOf(m_time, name); }
    double peak(const std::string &name) const { return valueOf(m_peak, name); }

private:
    static double valueOf(const std::map<std::string, double> &values, const std::string &name)
    {
        const auto found = values.find(name);
        return found == values.end() ? 0 : found->second;
    }

    std::map<std::string, double> m_time;
    std::map<std::string, double> m_peak;
    std::map<std::string, bool> m_median;
};

void printRatio(const char *what, double time, double base, const char *baseName, double goal)
{
    if (time > 0 && base > 0)
        std::printf("%-44s %8.2f ms = %5.2f x %s (goal: at most %.1f)\n", what, time, time / base, baseName, goal);
}

} // namespace

namespace velmora::bench {
bool runProcess(const std::vector<std::string> &arguments) { return ::runProcess(arguments); }
QString largestStoredTest() { return files().test; }
} // namespace velmora::bench

int main(int argc, char **argv)
{
    // The control and the start-up probes need no screen.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // The control is found by its ProgID where the program's build put it.
    setenv("VELMORA_PLUGIN_PATH", VELMORA_BIN_DIR, 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    // Freed memory stays with the process unless a benchmark gives it back
    // on purpose: the figures then do not depend on the order of the runs.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 1024 * 1024 * 1024);
    const double fileMB = double(files().size) / (1024.0 * 1024.0);
    std::printf("Test file: %d tasks x %d steps, %.1f MiB\n", TaskCount, StepCount, fileMB);
    SummaryReporter r;
    benchmark::RunSpecifiedBenchmarks(&r);

    const double cp = r.time("BM_cp");
    std::printf("\nSummary (medians; cp: %.2f ms, std::filesystem::copy_file: %.2f ms)\n", cp, r.time("BM_copyFile"));
    std::printf("yardsticks: wc -l of the file %.2f ms; the first touch of 32 MiB of fresh memory %.2f ms, "
                "in large pages %.2f ms (%.1f x: the larger, the dearer a fault here)\n",
                r.time("BM_wc"), r.time("BM_TouchFresh"), r.time("BM_TouchFreshLargePages"),
                r.time("BM_TouchFreshLargePages") > 0 ? r.time("BM_TouchFresh") / r.time("BM_TouchFreshLargePages") : 0.0);
    // What a pupil gets: the first test a started program opens.
    printRatio("open a test on memory fresh from the system", r.time("BM_OpenStoredTestColdMemory"), cp, "cp", 1.0);
    printRatio("velmora-tst load --quiet, fresh process", r.time("BM_ToolLoadQuiet"), cp, "cp", 1.5);
    printRatio("velmora-tst show --quiet, fresh process", r.time("BM_ToolShowQuiet"), cp, "cp", 1.5);
    printRatio("  the same open on warm memory, in process", r.time("BM_OpenStoredTest"), cp, "cp", 1.5);
    const double bare = r.peak("BM_BareQtCore");
    for (const char *name : {"BM_ToolLoadQuiet", "BM_ToolShowQuiet"}) {
        if (bare > 0 && r.peak(name) > 0)
            std::printf("peak memory of %-29s %8.1f MiB = bare Qt Core %.1f MiB + %.2f x the file (goal: at most 1.5)\n",
                        name + 3, r.peak(name), bare, (r.peak(name) - bare) / fileMB);
    }
    printRatio("start-up to frmStart, 1000 tests", r.time("BM_StartupToSelection"), r.time("BM_BareDialog"),
               "bare dialog", 1.3);
    std::printf("a pupil's open from OK to the main window shown (a fresh program): the largest test %.1f ms "
                "= %.2f x cp; a test of three tasks %.1f ms = %.2f x the bare dialog's start and show\n",
                r.time("BM_OpenToMainLargest"), cp > 0 ? r.time("BM_OpenToMainLargest") / cp : 0.0,
                r.time("BM_OpenToMainTypical"),
                r.time("BM_BareDialog") > 0 ? r.time("BM_OpenToMainTypical") / r.time("BM_BareDialog") : 0.0);
    for (const char *name : {"BM_SwapRoundTrip", "BM_DonePress"}) {
        if (r.time(name) > 0)
            std::printf("%-44s %8.1f us (goal: under 1000)\n", name + 3, r.time(name) * 1e3);
    }
    benchmark::Shutdown();
    return 0;
}
