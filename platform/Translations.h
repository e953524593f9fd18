#pragma once
// Qt's own dialogs in German, whatever the user's locale: the program speaks German throughout.
class QCoreApplication;

namespace stellmark::platform {

// Installs qtbase_de from Qt's translation folder; false when it is not there.
bool LoadGermanTranslations(QCoreApplication& app);

}  // namespace stellmark::platform
