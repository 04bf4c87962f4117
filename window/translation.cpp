#include "window/translation.hpp"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace flyback::window {

namespace {

// Qt's file dialogs name each entry's kind through its icon provider, whose
// words Qt's own Chinese translation lacks ("Folder", "json File"): these few
// are given here, every other text passes on to Qt's translation.
class FileKindTranslator : public QTranslator {
  public:
    using QTranslator::QTranslator;

    bool isEmpty() const override { return false; }

    QString translate(const char* context, const char* source, const char* /*disambiguation*/,
                      int /*n*/) const override {
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0 || source == nullptr) return {};
        for (const auto& [english, chinese] : kKinds) {
            if (qstrcmp(source, english) == 0) return QString::fromUtf8(chinese);
        }
        return {};
    }

  private:
    static constexpr std::pair<const char*, const char*> kKinds[] = {
        {"Folder", "文件夹"}, {"File", "文件"},         {"%1 File", "%1 文件"},
        {"Drive", "驱动器"},  {"Shortcut", "快捷方式"}, {"Alias", "快捷方式"},
    };
};

}  // namespace

bool InstallQtChineseTranslation(QCoreApplication& app) {
    // Dates and month names in the file dialogs as the captions are.
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    QCoreApplication::installTranslator(new FileKindTranslator(&app));
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_zh_CN"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

}  // namespace flyback::window
