#pragma once

class QCoreApplication;

namespace dorimek::platform {

// Makes Qt's own texts (standard buttons, file and print dialogs, context
// menus) Japanese, whatever locale the program was started with: the staff
// read no other language, and the host system often starts the program
// without a locale. Uses qtbase_ja.qm of the qt6-translations-l10n package.
// False when that file is not installed; Qt's texts then stay English.
bool installQtJapanese(QCoreApplication& app);

}  // namespace dorimek::platform
