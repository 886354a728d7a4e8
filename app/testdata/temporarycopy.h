#pragma once

#include "platform/core/failure.h"
#include "platform/core/nativefiles.h"
#include "testdata/opening.h"
#include "testdata/tasktable.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <optional>

namespace velmora {

// The plain copy of a test a pupil chose, the one place that knows it. ScrambleFile writes it
// beside the test under the test's name + ".tmp", created afresh for its owner alone and held
// while it stands (HeldFile); under the next number where other programs hold that name; in
// the program's private folder where the test's folder takes no new file or its disk is full.
// The loader reads it where it lies, and it is removed again on every path, failure included.
class TemporaryCopy final
{
public:
    // The whole road of a chosen test, named by the system's bytes: its copy written, loaded and
    // removed, the test judged (TestOpening); `Tasks` is replaced only by a test the run can show.
    // FailureNumber::FileNotFound and the test's other open failures name the test; the rest
    // (FailureNumber::OutOfMemory beyond MaxTableBytes, ScrambleFile's, LoadTest's) its copy.
    static TestOpening loadChosenTest(const QByteArray &nativeTestPath, const QString &title, TaskTable &Tasks);

    // The name of the copy of the test named `testName` in a folder whose names have at most
    // `limit` bytes: the name + ".tmp", or cut short with "~" and a digest of the whole name;
    // ".<number>" before ".tmp" for the copies of other programs (empty past the last number).
    static QByteArray name(const QByteArray &testName, qsizetype limit, int number = 0);

    // What messages name for the copy of the test at `testPath`, wherever the copy goes: the
    // test's path + ".tmp", so that the damaged-test message names the test.
    static QString messagePath(const QString &testPath);

    // The program's private folder for copies: a folder of the user's temporary folder for this
    // account alone; nullopt when something not ours stands at its name.
    static std::optional<QByteArray> privateFolder();

    // Removes the stale copies that loads which never finished left behind (the program killed
    // meanwhile): beside each test of `folder`, and every file of the private folder. A copy a
    // running program holds is left to it; nothing else is touched. How many went.
    static int sweep(const QString &folder);

    ~TemporaryCopy();
    TemporaryCopy(const TemporaryCopy &) = delete;
    TemporaryCopy &operator=(const TemporaryCopy &) = delete;

private:
    explicit TemporaryCopy(const QByteArray &nativeTestPath);

    TestOpening open(const QString &title);
    std::optional<Failure> write(QFile &stored);
    std::optional<Failure> createIn(const QByteArray &folder);
    std::optional<QByteArray> otherFolder();
    TestOpening readBack(const QString &title);

    QByteArray m_test;   // the test's path, as the system has it
    QByteArray m_folder; // the test's folder with its '/', empty for the current one
    QByteArray m_name;   // the test's name
    QString m_shown;     // what messages name: messagePath() of the test
    std::optional<QTemporaryDir> m_ownTemporary; // the private folder's stand-in, when something else has its name
    HeldFile m_copy;     // gone before the folder that may hold it
};

} // namespace velmora
