#pragma once
// Qt's own Japanese translations (Debian qt6-translations-l10n), so that the standard
// dialogs and buttons (the log-open dialog, message box buttons) speak Japanese like the
// rest of the window, whatever the system's language.
class QCoreApplication;
class QTranslator;

namespace aismon {

// Loads them into app and returns the installed translator (owned by app); nullptr when
// they are not installed (the dialogs then stay English).
QTranslator* InstallQtJapanese(QCoreApplication& app);

}  // namespace aismon
