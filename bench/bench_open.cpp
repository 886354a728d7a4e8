// A pupil's open as the program does it, from the press of OK to the main
// window shown (velmora_open_probe), on the largest test and on a typical
// test of three tasks, each in a folder of its own, each a fresh process.
#include "bench_support.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>

namespace {

struct OpenFolder final
{
    QTemporaryDir folder;
    bool ok = false;
};

// A folder holding the probe and one test.
OpenFolder &openFolder(const QString &test, const char *key)
{
    static std::map<std::string, std::unique_ptr<OpenFolder>> made;
    std::unique_ptr<OpenFolder> &f = made[key];
    if (!f) {
        f = std::make_unique<OpenFolder>();
        const QDir bench(QCoreApplication::applicationDirPath());
        f->ok = QFile::copy(bench.filePath(QStringLiteral("velmora_open_probe")),
                            f->folder.filePath(QStringLiteral("velmora_open_probe")))
                && QFile::copy(test, f->folder.filePath(QStringLiteral("тест.tst")));
    }
    return *f;
}

void openToMain(benchmark::State &state, const QString &test, const char *key)
{
    OpenFolder &f = openFolder(test, key);
    if (!f.ok) {
        state.SkipWithError("cannot make the folder");
        return;
    }
    const QString out = f.folder.filePath(QStringLiteral("open-ms"));
    qputenv("VELMORA_OPEN_PROBE_OUT", out.toLocal8Bit());
    for (auto _ : state) {
        QFile::remove(out);
        QFile result(out);
        if (!velmora::bench::runProcess({f.folder.filePath(QStringLiteral("velmora_open_probe")).toStdString()})
            || !result.open(QIODevice::ReadOnly)) {
            state.SkipWithError("the probe did not reach the main window");
            break;
        }
        state.SetIterationTime(result.readAll().toDouble() / 1e3);
    }
}

void BM_OpenToMainLargest(benchmark::State &state)
{
    openToMain(state, velmora::bench::largestStoredTest(), "largest");
}

void BM_OpenToMainTypical(benchmark::State &state)
{
    openToMain(state, QStringLiteral(VELMORA_BIN_DIR "/tea.tst"), "typical");
}

} // namespace

BENCHMARK(BM_OpenToMainLargest)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_OpenToMainTypical)->Unit(benchmark::kMillisecond)->UseManualTime();
