#include "window/design_files.hpp"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>

#include "design_file/design_file.hpp"
#include "plan_sheet/plan_sheet.hpp"
#include "report/html_report.hpp"
#include "spice/spice.hpp"
#include "whole_file/whole_file.hpp"
#include "window/file_dialogs.hpp"
#include "window/main_window.hpp"
#include "window/qt_text.hpp"
#include "window/report_output.hpp"

namespace flyback::window {
namespace {

constexpr auto kRecentKey = "files/recent";
constexpr int kMostRecent = 8;
const QString kFilter = QStringLiteral("设计文件 (*.mas.json *.json);;所有文件 (*)");

QMessageBox::StandardButton AskToSave(QWidget* parent) {
    return QMessageBox::question(
        parent, QStringLiteral("保存设计"), QStringLiteral("设计已更改，是否保存？"),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
}

QString ChoosePath(QWidget* parent, bool save, const QString& proposed) {
    if (save) {
        return ChooseFileToSave(parent, QStringLiteral("保存设计"), proposed,
                                proposed.endsWith(QStringLiteral(".cir"))
                                    ? QStringLiteral("ngspice 网表 (*.cir)")
                                    : kFilter);
    }
    return ChooseFileToOpen(parent, QStringLiteral("打开设计"), proposed, kFilter);
}

QString FileProblem(const whole_file::Read& read) {
    switch (read.why) {
        case whole_file::Why::Missing:
            return QStringLiteral("文件不存在");
        case whole_file::Why::NotRegularFile:
            return QStringLiteral("不是普通文件（文件夹、设备或管道不能作为设计文件打开）");
        case whole_file::Why::TooLarge:
            return QStringLiteral("文件太大，不是设计文件");
        default:
            return FromUtf8(read.problem);
    }
}

}  // namespace

DesignFiles::DesignFiles(MainWindow* window)
    : QObject(window), window_(window), question_(AskToSave), choosePath_(ChoosePath) {
    const auto action = [&](const QString& text, const char* name, const QKeySequence& keys) {
        auto* a = new QAction(text, window);
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcut(keys);
        a->setShortcutContext(Qt::WindowShortcut);
        window->addAction(a);
        return a;
    };
    new_ = action(QStringLiteral("新建"), "newAction", QKeySequence::New);
    open_ = action(QStringLiteral("打开…"), "openAction", QKeySequence::Open);
    save_ = action(QStringLiteral("保存"), "saveAction", QKeySequence::Save);
    // The platform's SaveAs is empty on a bare X11 desktop: the usual keys, said outright.
    saveAs_ = action(QStringLiteral("另存为…"), "saveAsAction",
                     QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    spice_ = action(QStringLiteral("导出 SPICE…"), "spiceAction", QKeySequence());
    connect(new_, &QAction::triggered, this, &DesignFiles::New);
    connect(open_, &QAction::triggered, this, &DesignFiles::OpenWithDialog);
    connect(save_, &QAction::triggered, this, &DesignFiles::Save);
    connect(saveAs_, &QAction::triggered, this, &DesignFiles::SaveAs);
    connect(spice_, &QAction::triggered, this, &DesignFiles::ExportSpice);
    recent_ = new QMenu(QStringLiteral("最近打开的文件"), window);
    recent_->setObjectName(QStringLiteral("recentMenu"));
    connect(recent_, &QMenu::aboutToShow, this, &DesignFiles::FillRecentMenu);
    FillRecentMenu();
    ShowTitle();
}

QStringList DesignFiles::RecentFiles() const {
    return QSettings().value(kRecentKey).toStringList();
}

void DesignFiles::Remember(const QString& path) {
    QStringList recent = RecentFiles();
    const QString absolute = QFileInfo(path).absoluteFilePath();
    recent.removeAll(absolute);
    recent.prepend(absolute);
    while (recent.size() > kMostRecent) recent.removeLast();
    QSettings().setValue(kRecentKey, recent);
    FillRecentMenu();
}

void DesignFiles::FillRecentMenu() {
    recent_->clear();
    const QStringList recent = RecentFiles();
    for (int i = 0; i < recent.size(); ++i) {
        const QString& path = recent[i];
        QAction* item =
            recent_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(path).fileName()));
        item->setToolTip(path);
        connect(item, &QAction::triggered, this, [this, path] {
            if (MayDiscard()) Open(path);
        });
    }
    recent_->setEnabled(!recent.isEmpty());
}

// The program's own title until there is a design to name: the file's name,
// or 未命名 once something is changed, marked * while unsaved.
void DesignFiles::ShowTitle() {
    const QString program = window_->ProgramTitle();
    const QString mark = modified_ ? QStringLiteral("*") : QString();
    if (path_.isEmpty() && !modified_) {
        window_->setWindowTitle(program);
    } else {
        const QString name =
            path_.isEmpty() ? QStringLiteral("未命名") : QFileInfo(path_).fileName();
        window_->setWindowTitle(name + mark + QStringLiteral(" — ") + program);
    }
    window_->setWindowModified(modified_);
}

void DesignFiles::MarkModified() {
    modified_ = true;
    ShowTitle();
}

bool DesignFiles::MayDiscard() {
    if (!modified_) return true;
    switch (question_(window_)) {
        case QMessageBox::Save:
            return Save();
        case QMessageBox::Discard:
            return true;
        default:
            return false;
    }
}

void DesignFiles::New() {
    if (!MayDiscard()) return;
    window_->ClearDesign();
    path_.clear();
    modified_ = false;
    ShowTitle();
}

void DesignFiles::OpenWithDialog() {
    if (!MayDiscard()) return;
    const QString path = choosePath_(window_, false, QFileInfo(path_).absolutePath());
    if (!path.isEmpty()) Open(path);
}

bool DesignFiles::Open(const QString& path) {
    const whole_file::Read read =
        whole_file::ReadRegularFile(path.toStdString(), design_file::kMostBytes);
    if (!read.text) {
        window_->ReportProblem(QStringLiteral("无法打开 %1：%2").arg(path, FileProblem(read)));
        return false;
    }
    const std::string& bytes = *read.text;
    const design_file::Opened opened = design_file::ReadDesignFile(bytes, window_->Parts());
    if (!opened.design) {
        window_->ReportProblem(QStringLiteral("%1：%2").arg(path, FromUtf8(opened.error)));
        return false;
    }
    window_->ApplyDesign(*opened.design, &opened);
    // Another tool's document is analysed, not ours to write back over.
    path_ = opened.foreign ? QString() : path;
    modified_ = opened.foreign;
    Remember(path);
    ShowTitle();
    if (!opened.notes.empty()) {
        QStringList notes;
        for (const std::string& note : opened.notes) notes << FromUtf8(note);
        // The planned transformer at each of the file's operating points.
        if (const winding::PlanOutcome* plan = window_->PressedPlan();
            plan != nullptr && plan->plan) {
            for (const conditions::Line& line :
                 conditions::FilePointLines(*plan->plan, opened.points))
                notes << FromUtf8(line.caption + " " + line.text);
        }
        window_->ReportProblem(QStringLiteral("由其他工具的文件分析：\n") + notes.join('\n'));
    }
    return true;
}

bool DesignFiles::Save() {
    return path_.isEmpty() ? SaveAs() : SaveTo(path_);
}

bool DesignFiles::SaveAs() {
    const record::DesignRecord* record = window_->LastPress();
    const QString proposed = path_.isEmpty() && record != nullptr
                                 ? FromUtf8(report::ReportFileName(*record, ".mas.json"))
                                 : path_;
    const QString path = choosePath_(window_, true, proposed);
    return !path.isEmpty() && SaveTo(path);
}

bool DesignFiles::SaveTo(const QString& path) {
    const winding::PlanOutcome* plan = window_->PressedPlan();
    if (plan == nullptr) return false;
    const design_file::Written written =
        design_file::WriteDesignFile(window_->CurrentDesign(), *plan);
    if (!written.error.empty()) {
        window_->ReportProblem(FromUtf8(written.error));
        return false;
    }
    if (QString why; !SaveWhole(path, QByteArray::fromStdString(written.text), &why)) {
        window_->ReportProblem(
            QStringLiteral("无法写入 %1：%2。原有文件未被改动。").arg(path, why));
        return false;
    }
    path_ = path;
    modified_ = false;
    Remember(path);
    ShowTitle();
    return true;
}

void DesignFiles::ExportSpice() {
    const record::DesignRecord* record = window_->LastPress();
    const QString proposed =
        record != nullptr ? FromUtf8(report::ReportFileName(*record, ".cir")) : QString();
    const QString path = choosePath_(window_, true, proposed);
    if (!path.isEmpty()) ExportSpiceTo(path);
}

bool DesignFiles::ExportSpiceTo(const QString& path) {
    const winding::PlanOutcome* plan = window_->PressedPlan();
    if (plan == nullptr) return false;
    if (!plan->plan) {
        window_->ReportProblem(FromUtf8(plan_sheet::FailureText(*plan)));
        return false;
    }
    if (QString why;
        !SaveWhole(path, QByteArray::fromStdString(spice::Netlist(*plan->plan)), &why)) {
        window_->ReportProblem(
            QStringLiteral("无法写入 %1：%2。原有文件未被改动。").arg(path, why));
        return false;
    }
    return true;
}

}  // namespace flyback::window
