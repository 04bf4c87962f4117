#pragma once

#include <QString>

class QWidget;

namespace flyback::window {

// A file to open or save, from the platform's dialog where it has one. Qt's
// own dialog (where the platform has none) opens large enough for its size
// and date columns, sized to their contents, and dates its files as the
// captions are written, in Chinese. `filter` is the one chosen, and is set
// to the one the user chose.
QString ChooseFileToOpen(QWidget* parent, const QString& title, const QString& proposed,
                         const QString& filters);
QString ChooseFileToSave(QWidget* parent, const QString& title, const QString& proposed,
                         const QString& filters, QString* filter = nullptr);

}  // namespace flyback::window
