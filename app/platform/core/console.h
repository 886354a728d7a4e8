#pragma once

#include <QString>

#include <cstdio>

namespace velmora {

// Writes `text` to the standard output or error stream of a command-line
// tool: UTF-8 bytes with its own line ends ("\n") into a file or a pipe, on
// every system; on Windows a console is given the characters themselves
// (its code page is seldom UTF-8).
void writeText(std::FILE *stream, const QString &text);

} // namespace velmora
