#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>

#include <algorithm>

namespace velmora {

// One thing that would make a test load differently from what the teacher
// wrote, fail in the trainer, or mislead a pupil. `line` counts from 1 (0: the whole file).
struct Finding final
{
    int line = 0;
    QString message; // Russian, for the teacher
    // The test is no use to pupils as it stands: the program cannot open
    // it, or would show them something else than the tasks written (a task
    // without steps swallowing the next one, a document's markup, a test
    // scrambled twice). Such a test is written only when the teacher insists.
    bool blocksOpening = false;

    // The order the teacher reads them in: by line, the whole file first;
    // findings of one line keep their order.
    static void sortByLine(QList<Finding> &findings);

    // Whether one of `findings` keeps the test from pupils: then the
    // teacher is asked before it is written.
    static bool anyBlocks(const QList<Finding> &findings)
    {
        return std::any_of(findings.cbegin(), findings.cend(), [](const Finding &f) { return f.blocksOpening; });
    }
};

// CheckTest: a plain test text as the teacher wrote it (without the two bytes unscrambling appends),
// checked line by line; findings in line order. Empty: it loads exactly as written, and no two steps
// of a task look alike without being the same. What would fail names the program's failure
// (FailureNumber::InputPastEnd as "поврежден или записан в неверном формате", FailureNumber::Overflow).
QList<Finding> CheckTest(QByteArrayView plainText);

} // namespace velmora
