#pragma once

#include "platform/controlhost/outcome.h"

#include <QString>
#include <QStringList>

class QWidget;

namespace tabulo {
class Control;
class ControlFactory;
} // namespace tabulo

namespace velmora {

// Control libraries are plugins found by their metadata, never linked:
// a library is identified by its ProgID and class identity, read with
// QPluginLoader::metaData() before anything is loaded.
namespace ControlLibrary {

// The failure number for a control that can't be created.
inline constexpr int CannotCreate = 429;

// Environment variable naming the folder (or folders, separated as PATH is)
// to search instead of the usual ones; the tests point it at their builds.
inline constexpr char OverrideVariable[] = "VELMORA_PLUGIN_PATH";

// Where libraries are looked for, in order: the override alone when it is
// set; otherwise the program's folder, then the installed plugin folders
// (<program>/../lib/velmora and Qt's plugin folder + /velmora).
QStringList searchFolders();

// The first library in `folders` whose metadata names `progId` (letter case
// ignored) with the class identity `classId` and the factory interface of
// this build. Fails with 429 and a Russian description when none does.
Outcome<QString> find(QStringView progId, QStringView classId, const QStringList &folders);

// Loads the library at `path` and returns its factory; 429 when the
// library can't be loaded or does not make controls.
Outcome<tabulo::ControlFactory *> load(const QString &path);

// Finds, loads and creates the control `progId` as a child of `parent`.
Outcome<tabulo::Control *> create(QStringView progId, QStringView classId, QWidget *parent,
                                  const QStringList &folders = searchFolders());

} // namespace ControlLibrary

} // namespace velmora
