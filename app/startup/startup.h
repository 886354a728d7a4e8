#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace velmora {

class Program;

// The argument string: the command line less the program's own path, the
// arguments joined by single spaces.
QString argumentString(const QStringList &arguments);

// The authoring switch: the last three characters of the argument string
// equal "qjx", letter case ignored. A string shorter than three characters
// is compared whole.
bool isAuthoringCommandLine(const QString &argumentString);

// Tells the program's windows how each is built.
void defineForms(Program &program);

// The start of the program: splash, the command line read, the stale plain
// copies of an unfinished load removed, the selection window loaded hidden
// (its load lists the tests; on the pupil's path it ends the program when
// there is none), then the pupil's path or the teacher's authoring path.
void Main(Program &program);

// Whether new files can be made in a folder by this user: an existing
// folder the system lets us write, found by making a file there (false for
// a missing folder, a read-only one, one on a read-only file system, or
// one whose access list refuses this user).
bool canWriteFolder(const QString &folder);

using FolderCheck = std::function<bool(const QString &folder)>;

// The authoring path: pick the teacher's text and a destination, scramble
// it into the destination, report success and where the test went. The
// destination proposed is "тест1.tst" in the program's folder or, when
// `canWrite` says that folder cannot be written (an installed program's
// shared folder), in the teacher's home folder. A cancelled dialog stops
// the authoring mode without writing anything.
void runAuthoringMode(Program &program, const FolderCheck &canWrite = canWriteFolder);

} // namespace velmora
