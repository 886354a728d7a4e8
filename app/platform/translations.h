#pragma once

class QCoreApplication;

namespace velmora {

// Qt's own texts (the file dialogs with their overwrite question, the buttons
// of message boxes) in Russian, whatever the system's locale: the product
// speaks Russian everywhere. The translator belongs to `app`. Returns false
// when Qt's Russian translation is not installed on this machine.
bool installRussianTranslations(QCoreApplication &app);

} // namespace velmora
