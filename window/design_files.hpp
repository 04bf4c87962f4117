#pragma once

#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QAction;
class QMenu;

namespace flyback::window {

class MainWindow;

// The window's design files: 新建, 打开…, 保存, 另存为…, 最近打开的文件 and
// 导出 SPICE…; the design's name in the title with a mark while it is unsaved;
// a question before unsaved changes are lost. A file is written whole or not
// at all.
class DesignFiles : public QObject {
    Q_OBJECT

  public:
    // Asked before unsaved changes would be lost: Save, Discard or Cancel.
    using Question = std::function<QMessageBox::StandardButton(QWidget* parent)>;
    // Asks where to open or save: a path, or empty for none.
    using PathChooser = std::function<QString(QWidget* parent, bool save, const QString& proposed)>;

    explicit DesignFiles(MainWindow* window);

    QAction* newAction() const { return new_; }
    QAction* openAction() const { return open_; }
    QAction* saveAction() const { return save_; }
    QAction* saveAsAction() const { return saveAs_; }
    QAction* spiceAction() const { return spice_; }
    QMenu* recentMenu() const { return recent_; }

    // Without a dialog; a failure is reported to the user, false.
    bool Open(const QString& path);
    bool SaveTo(const QString& path);
    bool ExportSpiceTo(const QString& path);

    void New();
    void OpenWithDialog();
    bool Save();
    bool SaveAs();
    void ExportSpice();
    // Whether the design may be replaced: unsaved, the user is asked.
    bool MayDiscard();
    void MarkModified();

    const QString& path() const { return path_; }
    bool modified() const { return modified_; }
    QStringList RecentFiles() const;
    void SetQuestion(Question question) { question_ = std::move(question); }
    void SetPathChooser(PathChooser chooser) { choosePath_ = std::move(chooser); }

  private:
    void ShowTitle();
    void Remember(const QString& path);
    void FillRecentMenu();

    MainWindow* window_;
    QString path_;
    bool modified_ = false;
    QAction *new_, *open_, *save_, *saveAs_, *spice_;
    QMenu* recent_;
    Question question_;
    PathChooser choosePath_;
};

}  // namespace flyback::window
