#pragma once

#include <QColor>

class QPalette;

namespace tabulo {

// Resolves a stored colour code for painting: a system colour through the
// palette of the moment (indices without a palette role take the standard
// desktop scheme's values), a plain one as 0x00BBGGRR.
QColor resolveColour(quint32 code, const QPalette &palette);

} // namespace tabulo
