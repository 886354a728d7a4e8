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

} // namespace velmora
