#include "QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace dorimek::platform {

bool installQtJapanese(QCoreApplication& app) {
    // Owned by the application, so it lives exactly as long as the texts it
    // translates; loaded again it replaces nothing, it only adds a lookup.
    auto* translator = new QTranslator(&app);
    const QString folders[] = {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
                               QStringLiteral("/usr/share/qt6/translations")};
    for (const QString& folder : folders) {
        if (translator->load(QStringLiteral("qtbase_ja"), folder)) {
            QCoreApplication::installTranslator(translator);
            return true;
        }
    }
    delete translator;
    return false;
}

}  // namespace dorimek::platform
