#pragma once
// Qt's own dialogs in German, whatever the user's locale: the program speaks German throughout.
class QCoreApplication;

namespace stellmark::platform {

// Makes German (Germany) the default locale, for the numbers, sizes and dates Qt formats, and
// installs qtbase_de from Qt's translation folder; false when that is not there.
bool LoadGermanTranslations(QCoreApplication& app);

}  // namespace stellmark::platform
