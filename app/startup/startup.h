#pragma once

#include <QString>
#include <QStringList>

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

// The start of the program: splash, the selection window loaded hidden
// (its load lists the tests, or ends the program when there is none), then
// the pupil's path or the teacher's authoring path.
void Main(Program &program);

// The authoring path: pick the teacher's text and a destination, scramble
// it into the destination, report success. A cancelled dialog stops the
// authoring mode without writing anything.
void runAuthoringMode(Program &program);

} // namespace velmora
