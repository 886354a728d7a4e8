// The largest test the 16-bit counters allow, 32767 tasks of 20 steps in
// Windows-1251, through the program's path: unscramble into a temporary
// file, load it, delete it. Measured against copying the same file, with
// `cp` itself and with the standard library, in the same run.
#include "testdata/loader.h"
#include "testdata/scramble.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

extern char **environ;

using namespace velmora;

namespace {

constexpr int TaskCount = 32767;
constexpr int StepCount = 20;

struct Files final
{
    QTemporaryDir folder;
    QString test;       // the stored test
    QString temporary;  // where the program unscrambles it
    QString copy;       // where the copies go
    qint64 size = 0;
};

Files &files()
{
    static Files f = [] {
        Files made;
        made.test = made.folder.filePath(QStringLiteral("большой.tst"));
        made.temporary = made.test + QStringLiteral(".tmp");
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
        const QByteArray plain = encoder.encode(text);
        QFile out(made.test);
        if (!out.open(QIODevice::WriteOnly) || out.write(scrambleBytes(plain)) < 0)
            std::fprintf(stderr, "cannot write the test\n");
        out.close();
        made.size = QFileInfo(made.test).size();
        return made;
    }();
    return f;
}

void BM_cp(benchmark::State &state)
{
    Files &f = files();
    const std::string from = f.test.toStdString();
    const std::string to = f.copy.toStdString();
    for (auto _ : state) {
        std::filesystem::remove(to);
        char cp[] = "cp";
        std::string a = from;
        std::string b = to;
        char *argv[] = {cp, a.data(), b.data(), nullptr};
        pid_t pid = 0;
        int status = 0;
        if (posix_spawnp(&pid, "cp", nullptr, nullptr, argv, environ) != 0 || waitpid(pid, &status, 0) < 0
            || status != 0) {
            state.SkipWithError("cp failed");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * f.size);
}

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

void BM_ScrambleFile(benchmark::State &state)
{
    Files &f = files();
    for (auto _ : state) {
        QString path = f.test;
        if (ScrambleFile(path)) {
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

void loadTest(benchmark::State &state, bool cold)
{
    Files &f = files();
    QString path = f.test;
    if (ScrambleFile(path)) {
        state.SkipWithError("ScrambleFile failed");
        return;
    }
    for (auto _ : state) {
        auto Tasks = std::make_unique<TaskTable>();
        if (LoadTest(path, *Tasks) || Tasks->count() != TaskCount) {
            state.SkipWithError("LoadTest failed");
            break;
        }
        releaseTable(state, Tasks, cold);
    }
    state.SetBytesProcessed(state.iterations() * f.size);
}

// What the program does when a pupil picks the test.
void unscrambleAndLoad(benchmark::State &state, bool cold)
{
    Files &f = files();
    for (auto _ : state) {
        QString path = f.test;
        auto Tasks = std::make_unique<TaskTable>();
        if (ScrambleFile(path) || LoadTest(path, *Tasks)) {
            state.SkipWithError("unscramble and load failed");
            break;
        }
        QFile::remove(path);
        releaseTable(state, Tasks, cold);
    }
    state.SetBytesProcessed(state.iterations() * f.size);
}

void BM_LoadTest(benchmark::State &state) { loadTest(state, false); }
void BM_LoadTestColdMemory(benchmark::State &state) { loadTest(state, true); }
void BM_UnscrambleAndLoad(benchmark::State &state) { unscrambleAndLoad(state, false); }
void BM_UnscrambleAndLoadColdMemory(benchmark::State &state) { unscrambleAndLoad(state, true); }

BENCHMARK(BM_cp)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_copyFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ScrambleFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadTest)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadTestColdMemory)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_UnscrambleAndLoad)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_UnscrambleAndLoadColdMemory)->Unit(benchmark::kMillisecond)->UseRealTime();

// Prints as usual and keeps each benchmark's time for the closing ratio.
class RatioReporter final : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            if (run.run_type == Run::RT_Iteration && run.iterations > 0 && !run.error_occurred)
                times[run.run_name.function_name].push_back(run.GetAdjustedRealTime());
            else if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                medians[run.run_name.function_name] = run.GetAdjustedRealTime();
        }
    }

    double time(const std::string &name) const
    {
        if (const auto median = medians.find(name); median != medians.end())
            return median->second;
        const auto all = times.find(name);
        if (all == times.end() || all->second.empty())
            return 0;
        return all->second.back();
    }

private:
    std::map<std::string, std::vector<double>> times;
    std::map<std::string, double> medians;
};

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    // Freed memory stays with the process unless a benchmark gives it back
    // on purpose: the figures then do not depend on the order of the runs.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 1024 * 1024 * 1024);
    std::printf("Test file: %d tasks x %d steps, %.1f MB\n", TaskCount, StepCount, double(files().size) / 1e6);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double cp = reporter.time("BM_cp");
    const double copyFile = reporter.time("BM_copyFile");
    const double both = reporter.time("BM_UnscrambleAndLoad");
    const double cold = reporter.time("BM_UnscrambleAndLoadColdMemory");
    if (cp > 0 && both > 0) {
        std::printf("\ncp: %.1f ms; copy_file: %.1f ms\n", cp, copyFile);
        std::printf("unscramble + load: %.1f ms = %.2f x cp (target: at most 3)\n", both, both / cp);
        if (cold > 0)
            std::printf("the same on memory fresh from the system: %.1f ms = %.2f x cp\n", cold, cold / cp);
    }
    benchmark::Shutdown();
    return 0;
}
