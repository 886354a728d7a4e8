#pragma once

#include <QPixmap>
#include <QStringList>

namespace velmora {

// The help page: a picture of 15 lines of instructions, shipped with the
// program (drawn by tools/artwork, kept as app/assets/helppage.bmp).

// The page's lines as the picture shows them, top to bottom; an indented
// line begins with spaces.
QStringList helpPageLines();
// The page's text for a screen reader: the lines run together as prose.
QString helpPageText();
// The picture, from the program's resources.
QPixmap helpPagePixmap();

} // namespace velmora
