#include "window/file_dialogs.hpp"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QScreen>
#include <QTreeView>
#include <algorithm>

namespace flyback::window {
namespace {

// Qt's file model dates its files in the system's locale, whatever the
// application's: the modification date is written again in Chinese, as the
// captions are.
class ChineseDates : public QIdentityProxyModel {
  public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        constexpr int kDateColumn = 3;
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (files == nullptr || index.column() != kDateColumn || role != Qt::DisplayRole)
            return QIdentityProxyModel::data(index, role);
        return QLocale(QLocale::Chinese, QLocale::China)
            .toString(files->lastModified(mapToSource(index)), QLocale::ShortFormat);
    }
};

QString Run(QFileDialog& dialog, QString* filter) {
    if (filter != nullptr && !filter->isEmpty()) dialog.selectNameFilter(*filter);
    dialog.setProxyModel(new ChineseDates(&dialog));
    // Room for the size and date columns, within the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect room = screen->availableGeometry();
        dialog.resize(std::min(820, room.width() - 40), std::min(520, room.height() - 80));
    }
    for (auto* view : dialog.findChildren<QTreeView*>()) {
        for (int column = 1; column < view->header()->count(); ++column)
            view->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    if (filter != nullptr) *filter = dialog.selectedNameFilter();
    return dialog.selectedFiles().front();
}

}  // namespace

QString ChooseFileToOpen(QWidget* parent, const QString& title, const QString& proposed,
                         const QString& filters) {
    QFileDialog dialog(parent, title, proposed, filters);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return Run(dialog, nullptr);
}

QString ChooseFileToSave(QWidget* parent, const QString& title, const QString& proposed,
                         const QString& filters, QString* filter) {
    QFileDialog dialog(parent, title, proposed, filters);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    return Run(dialog, filter);
}

}  // namespace flyback::window
