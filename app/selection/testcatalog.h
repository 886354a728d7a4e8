#pragma once

#include "platform/core/failure.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace velmora {

// One test of the program's folder as the selection list shows it.
struct TestEntry final
{
    QByteArray nativeName; // name only, no folder, as the system has it: opened by these bytes
    QString fileName;      // the same as text, as messages show it
    QString title;         // the plain title line, or the file name of an empty file
};

struct TestListing final
{
    QList<TestEntry> entries;
    std::optional<Failure> failure; // the listing stopped here; entries keep what came before
};

// Lists the ordinary "*.tst" files of `folder` (letter case ignored; no
// hidden or system files, no folders) in the order the file system gives
// them, by the bytes of their names: a name that is no text is listed too.
// Only the folder's own tests: not a link planted to another account's
// private file, not a file of the system's (/proc), not a file whose title
// line is no text. A file that has gone missing meanwhile (failure 53) is
// left out; any other failure stops the listing.
TestListing listTests(const QString &folder);

} // namespace velmora
