#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>

namespace velmora {

// One thing that would make a test load differently from what the teacher
// wrote, or fail in the trainer. `line` counts from 1 (0: the whole file).
struct Finding final
{
    int line = 0;
    QString message; // Russian, for the teacher
    bool blocksOpening = false; // the program cannot open such a test
};

// Checks a plain test text (as the teacher wrote it, without the two bytes
// that unscrambling appends). Empty result: the test loads exactly as written.
QList<Finding> CheckTest(QByteArrayView plainText);

// The part of CheckTest about lines that look empty but hold blanks
// (spaces, tabs, no-break spaces): the program does not take such a line
// for the empty line that ends a task, so a test with one still opens, only
// not as written.
QList<Finding> blankLineFindings(QByteArrayView plainText);

// The lines of a text (a teacher's, or a stored test's plain text) in
// another 8-bit encoding than the rest of it, UTF-8 among Windows-1251 or
// the other way round, numbered as an editor numbers them.
QList<Finding> mixedEncodingFindings(QByteArrayView text);

} // namespace velmora
