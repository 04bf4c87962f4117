#include "window/translation.hpp"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace flyback::window {

bool InstallQtChineseTranslation(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_zh_CN"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

}  // namespace flyback::window
