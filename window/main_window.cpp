#include "window/main_window.hpp"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValidator>
#include <limits>
#include <string>
#include <vector>

#include "catalogue/typed_core.hpp"
#include "drawing/pictures.hpp"
#include "numtext/boxes.hpp"
#include "numtext/run_calculation.hpp"
#include "plan_sheet/plan_sheet.hpp"
#include "runtime/error.hpp"
#include "runtime/number_text.hpp"
#include "ui_main_window.h"
#include "window/about.hpp"
#include "window/build_sheet_tab.hpp"
#include "window/choices_panel.hpp"
#include "window/compare_tab.hpp"
#include "window/design_files.hpp"
#include "window/file_dialogs.hpp"
#include "window/mains_dialog.hpp"
#include "window/qt_text.hpp"
#include "window/report_output.hpp"
#include "window/settings_guard.hpp"
#include "window/sweep_window.hpp"
#include "window/typed_core_dialog.hpp"
#include "window/winding_window.hpp"
#include "window/working_window.hpp"

namespace flyback::window {
namespace {

// Refuses an edit that would make a box's text longer than the command line
// reads, so that a long paste is refused whole and visibly instead of cut.
class TextSizeLimit : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& text, int& /*cursor*/) const override {
        const auto bytes = static_cast<std::size_t>(text.size());
        const bool fits = 3 * bytes <= numtext::kMaxInputText ||
                          static_cast<std::size_t>(text.toUtf8().size()) <= numtext::kMaxInputText;
        return fits ? Acceptable : Invalid;
    }
};

QStringList Lines(const std::vector<std::string>& lines) {
    QStringList texts;
    for (const std::string& line : lines) texts << FromUtf8(line);
    return texts;
}

QIcon WindowIcon() {
    QIcon icon;
    for (const int size : {16, 32}) {
        icon.addFile(QStringLiteral(":/icons/flyback-designer-%1.png").arg(size),
                     QSize(size, size));
    }
    return icon;
}

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QWidget(parent), ui_(std::make_unique<Ui::Form1>()) {
    // The form as designed, at its own size, with the menu bar above it.
    form_ = new QWidget(this);
    ui_->setupUi(form_);
    form_->setFixedSize(form_->size());
    form_->setAccessibleName(QStringLiteral("设计"));
    setWindowTitle(form_->windowTitle());
    text1_ = {ui_->Text1_0, ui_->Text1_1, ui_->Text1_2, ui_->Text1_3, ui_->Text1_4, ui_->Text1_5};
    text2_ = {ui_->Text2_0, ui_->Text2_1, ui_->Text2_2, ui_->Text2_3,
              ui_->Text2_4, ui_->Text2_5, ui_->Text2_6};
    ApplyExactFontSizes();
    NameBoxesAfterTheirCaptions();
    parts_ = catalogue::WithUserFiles(catalogue::UserDataFolder());
    windingOptions_ = LoadWindingOptions(&settingsNotes_);
    // A core typed by its letters is kept by its name and made again.
    catalogue::AddTypedCore(parts_, windingOptions_.core);
    // Settings from another version or a catalogue since changed start over.
    if (const winding::OptionProblem problem = winding::CheckOptions(windingOptions_, parts_)) {
        settingsNotes_ << QStringLiteral("设置中的绕制方案选项已不可用（%1），已恢复默认。")
                              .arg(FromUtf8(winding::OptionProblemCaption(problem)));
        windingOptions_ = {};
    }
    setWindowIcon(WindowIcon());
    AddWindowActions();
    files_ = new DesignFiles(this);
    // A netlist is of a press: none before the first.
    files_->spiceAction()->setEnabled(false);
    setAcceptDrops(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(NewMenuBar());
    layout->addWidget(form_, 0, Qt::AlignLeft | Qt::AlignTop);
    OfferMainsOnTheVoltageBoxes();
    // The form does not stretch; below its design size results would be cut off.
    adjustSize();
    setMinimumSize(size());
    normalPalette_ = text1_[0]->palette();
    connect(ui_->Command1, &QPushButton::clicked, this, &MainWindow::OnCommand1Pressed);
    ui_->Command1->installEventFilter(this);
    for (QLineEdit* input : text1_) {
        // Qt's default limit would cut a long paste silently; the validator
        // refuses one that is too long instead.
        input->setMaxLength(std::numeric_limits<int>::max());
        input->setValidator(new TextSizeLimit(input));
        connect(input, &QLineEdit::inputRejected, this, &MainWindow::RefuseTooLongText);
        connect(input, &QLineEdit::textChanged, this, &MainWindow::ShowBoxStates);
        connect(input, &QLineEdit::textEdited, files_, &DesignFiles::MarkModified);
        input->installEventFilter(this);
    }
    ShowBoxStates();
    // Digits typed at once go to the first input.
    text1_[0]->setFocus();
    text1_[0]->selectAll();
    // Said once, after the window is up; kept under the context menu.
    if (!StartProblems().isEmpty()) QTimer::singleShot(0, this, [this] { ShowStartProblems(); });
}

QStringList MainWindow::StartProblems() const {
    QStringList lines;
    if (!parts_.problems.empty()) {
        lines << QStringLiteral("用户目录文件中以下各处未被读入（文件:行: 字段: 原因）：");
        for (const std::string& problem : parts_.problems) {
            lines << FromUtf8(record::VisibleText(problem));
        }
    }
    if (!SettingsGuardNote().isEmpty()) lines << SettingsGuardNote();
    if (!settingsNotes_.isEmpty()) lines << settingsNotes_;
    return lines;
}

// Non-modal: the window is usable while it is read.
void MainWindow::ShowStartProblems() {
    const QStringList lines = StartProblems();
    if (lines.isEmpty()) return;
    auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("目录与设置的问题"),
                                lines.join('\n'), QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("startProblems"));
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

MainWindow::~MainWindow() = default;

QString MainWindow::ProgramTitle() const {
    return form_->windowTitle();
}

void MainWindow::ReportProblem(const QString& message) {
    reportFault_(this, {ProgramTitle(), message});
}

design_file::Design MainWindow::CurrentDesign() const {
    return {InputTexts(), windingOptions_, winding_ ? winding_->buildSheet()->Pins() : LoadPins()};
}

void MainWindow::ApplyDesign(const design_file::Design& design, const design_file::Opened* opened) {
    for (int i = 0; i < numtext::kInputCount; ++i)
        text1_[i]->setText(FromUtf8(design.texts[static_cast<std::size_t>(i)]));
    windingOptions_ = design.options;
    SaveWindingOptions(windingOptions_);
    SavePins(design.pins);
    // The plan's window is made again with the design's options.
    const bool planShown = winding_ != nullptr && winding_->isVisible();
    if (winding_ != nullptr) {
        winding_->deleteLater();
        winding_ = nullptr;
    }
    if (opened != nullptr) {
        plan_.reset();  // it points into the catalogue, made anew here
        parts_ = design_file::WithFileParts(parts_, *opened);
    }
    Press(design.texts);
    if (planShown) ShowWinding();
}

// A candidate of the comparison picked: its plan shown, the comparison kept.
void MainWindow::ApplyCandidate(const winding::Options& options) {
    const std::optional<CompareTab::Result> kept = winding_->compareTab()->result();
    // The candidate's own plan, so that what is shown is what is saved.
    ShowWindingWith(options);
    if (kept) winding_->compareTab()->ShowResult(*kept);
}

// The plan's window made again on new options (and what the catalogue holds
// now), its plan renewed; the design marked changed.
void MainWindow::ShowWindingWith(const winding::Options& options) {
    files_->MarkModified();
    windingOptions_ = options;
    SaveWindingOptions(windingOptions_);
    RenewPlan();
    winding_->hide();
    winding_->deleteLater();
    winding_ = nullptr;
    ShowWinding();
}

// "自定义磁芯": the core typed becomes the plan's, and the catalogue's for
// this session; the design file keeps its letters.
void MainWindow::TypeCore() {
    TypedCoreDialog dialog(winding_);
    if (dialog.exec() != QDialog::Accepted || !dialog.Core()) return;
    const catalogue::Core& core = *dialog.Core();
    plan_.reset();  // it points into the catalogue, which grows here
    if (!parts_.FindCore(core.name)) parts_.cores.push_back(core);
    winding::Options options = winding_->Options();
    options.core = core.name;
    ShowWindingWith(options);  // its core list, made again, holds the core
}

void MainWindow::ClearDesign() {
    for (QLineEdit* box : text1_) box->clear();
    for (QLineEdit* box : text2_) box->clear();
    lastPress_.reset();
    plan_.reset();
    for (QAction* action : designActions_) action->setEnabled(false);
    workingAction_->setEnabled(false);
    windingAction_->setEnabled(false);
    files_->spiceAction()->setEnabled(false);
    if (winding_ != nullptr) winding_->hide();
    ShowBoxStates();
}

const winding::PlanOutcome* MainWindow::PressedPlan() {
    if (!lastPress_ || InputsChanged()) OnCommand1Pressed();
    return plan_ ? &*plan_ : nullptr;
}

// Unsaved changes are not lost without a word.
void MainWindow::closeEvent(QCloseEvent* event) {
    if (files_->MayDiscard()) {
        event->accept();
    } else {
        event->ignore();
    }
}

// A design file dropped on the window is opened.
void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() == 1 && urls.front().isLocalFile()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    if (OpenDropped(*event->mimeData())) event->acceptProposedAction();
}

bool MainWindow::OpenDropped(const QMimeData& dropped) {
    const QList<QUrl> urls = dropped.urls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) return false;
    return files_->MayDiscard() && files_->Open(urls.front().toLocalFile());
}

// Enter on the focused button presses it, as on the desktop the form was made
// for; a push button outside a dialog takes only Space. Enter in a box does not.
bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (watched == ui_->Command1 && enter) {
        ui_->Command1->click();
        return true;
    }
    // Enter in a box calculates nothing, as on the desktop the form was made
    // for; it says what does.
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (enter && box != nullptr && std::find(text1_.begin(), text1_.end(), box) != text1_.end()) {
        QToolTip::showText(box->mapToGlobal(QPoint(0, box->height())),
                           FromUtf8(numtext::kHowToCalculate), box);
    }
    return QWidget::eventFilter(watched, event);
}

const std::array<QLineEdit*, numtext::kInputCount>& MainWindow::Text1() const {
    return text1_;
}

const std::array<QLineEdit*, numtext::kResultCount>& MainWindow::Text2() const {
    return text2_;
}

QPushButton* MainWindow::Command1() const {
    return ui_->Command1;
}

void MainWindow::SetFaultReporter(FaultReporter reporter) {
    reportFault_ = std::move(reporter);
}

QAction* MainWindow::AddWindowAction(const QString& text, const char* name,
                                     const QKeySequence& shortcut, void (MainWindow::*slot)()) {
    auto* action = new QAction(text, this);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, slot);
    addAction(action);
    return action;
}

// Offered by the window's context menu (a right-click outside the boxes, which
// have menus of their own) and by their shortcuts. The design-time results are
// not a design, so the three that keep one wait for the first press.
void MainWindow::AddWindowActions() {
    setContextMenuPolicy(Qt::ActionsContextMenu);
    designActions_ = {
        AddWindowAction(QStringLiteral("复制设计"), "copyDesignAction",
                        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), &MainWindow::CopyDesign),
        AddWindowAction(QStringLiteral("保存报告…"), "saveReportAction",
                        QKeySequence(Qt::CTRL | Qt::Key_E), &MainWindow::SaveReportAs),
        AddWindowAction(QStringLiteral("打印…"), "printAction", QKeySequence::Print,
                        &MainWindow::Print),
    };
    for (QAction* action : designActions_) action->setEnabled(false);
    workingAction_ = AddWindowAction(QStringLiteral("计算过程"), "workingAction",
                                     QKeySequence(Qt::CTRL | Qt::Key_D), &MainWindow::ShowWorking);
    workingAction_->setEnabled(false);
    windingAction_ = AddWindowAction(FromUtf8(plan_sheet::kTitle), "windingAction",
                                     QKeySequence(Qt::CTRL | Qt::Key_T), &MainWindow::ShowWinding);
    windingAction_->setEnabled(false);
    AddWindowAction(QStringLiteral("扫描…"), "sweepAction", QKeySequence(Qt::CTRL | Qt::Key_K),
                    &MainWindow::ShowSweep);
    AddWindowAction(QStringLiteral("由交流输入…"), "mainsAction", QKeySequence(),
                    &MainWindow::FillFromMains);
    AddWindowAction(QStringLiteral("目录与设置的问题…"), "problemsAction", QKeySequence(),
                    &MainWindow::ShowStartProblems)
        ->setEnabled(!StartProblems().isEmpty());
    AddWindowAction(QStringLiteral("关于"), "aboutAction", QKeySequence::HelpContents,
                    &MainWindow::ShowAbout);
    ui_->Command1->setToolTip(
        QStringLiteral("计算（按钮有焦点时也可按空格键或回车键）\n"
                       "其余功能在窗口上方的菜单中，也在窗口空白处的右键菜单中"));
}

QAction* MainWindow::Action(const char* name) const {
    return findChild<QAction*>(QString::fromLatin1(name));
}

// In the usual order, each item with its shortcut beside it.
QMenuBar* MainWindow::NewMenuBar() {
    auto* bar = new QMenuBar(this);
    bar->setAccessibleName(QStringLiteral("菜单栏"));
    const auto menu = [bar](const QString& title, std::initializer_list<QAction*> actions) {
        QMenu* m = bar->addMenu(title);
        for (QAction* action : actions) {
            if (action == nullptr) {
                m->addSeparator();
            } else {
                m->addAction(action);
            }
        }
    };
    auto* close = new QAction(QStringLiteral("关闭"), this);
    close->setObjectName(QStringLiteral("closeAction"));
    close->setShortcut(QKeySequence::Close);
    connect(close, &QAction::triggered, this, &QWidget::close);
    addAction(close);
    QMenu* file = bar->addMenu(QStringLiteral("文件(&F)"));
    file->addActions({files_->newAction(), files_->openAction()});
    file->addMenu(files_->recentMenu());
    file->addActions({files_->saveAction(), files_->saveAsAction()});
    file->addSeparator();
    file->addActions({Action("saveReportAction"), files_->spiceAction(), Action("printAction")});
    file->addSeparator();
    file->addAction(close);
    menu(QStringLiteral("编辑(&E)"), {Action("copyDesignAction")});
    menu(QStringLiteral("工具(&T)"), {Action("workingAction"), Action("windingAction"),
                                      Action("sweepAction"), nullptr, Action("mainsAction")});
    menu(QStringLiteral("帮助(&H)"), {Action("problemsAction"), nullptr, Action("aboutAction")});
    return bar;
}

// 由交流输入… where the two voltages are typed, after the box's own items.
void MainWindow::OfferMainsOnTheVoltageBoxes() {
    for (QLineEdit* box : {ui_->Text1_1, ui_->Text1_2}) {
        box->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(box, &QWidget::customContextMenuRequested, this, [this, box](const QPoint& at) {
            QMenu* menu = box->createStandardContextMenu();
            menu->setAttribute(Qt::WA_DeleteOnClose);
            menu->addSeparator();
            menu->addAction(Action("mainsAction"));
            menu->popup(box->mapToGlobal(at));
        });
    }
}

void MainWindow::RefuseTooLongText() {
    reportFault_(this, {windowTitle(), FromUtf8(numtext::kTextTooLongMessage)});
}

const record::DesignRecord* MainWindow::LastPress() const {
    return lastPress_ ? &*lastPress_ : nullptr;
}

bool MainWindow::InputsChanged() const {
    return lastPress_ && InputTexts() != lastPress_->inputTexts;
}

void MainWindow::CopyDesign() {
    if (lastPress_) {
        QGuiApplication::clipboard()->setMimeData(
            DesignMimeData(*lastPress_, InputsChanged(), CurrentPlanSection()));
    }
}

void MainWindow::SaveReportAs() {
    if (!lastPress_) return;
    const QString pdf = QStringLiteral("PDF 文件 (*.pdf)");
    const QString html = QStringLiteral("HTML 网页 (*.html *.htm)");
    QString filter = pdf;
    const QString path =
        ChooseFileToSave(this, QStringLiteral("保存报告"), ProposedReportName(*lastPress_),
                         pdf + QStringLiteral(";;") + html, &filter);
    if (path.isEmpty()) return;
    SaveReportTo(WithReportSuffix(path, filter == pdf ? ReportFormat::Pdf : ReportFormat::Html));
}

bool MainWindow::SaveReportTo(const QString& path) {
    if (!lastPress_) return false;
    QString why;
    if (SaveReport(*lastPress_, path, InputsChanged(), CurrentPlanSection(), &why)) return true;
    reportFault_(this, {windowTitle(), QStringLiteral("无法写入“%1”：%2。原有文件未被改动。")
                                           .arg(QDir::toNativeSeparators(path), why)});
    return false;
}

void MainWindow::Print() {
    if (!lastPress_) return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted &&
        !PrintReport(*lastPress_, printer, InputsChanged(), CurrentPlanSection())) {
        reportFault_(this, {windowTitle(), QStringLiteral("无法打印。")});
    }
}

// Non-modal: it stays open beside the window and follows every press.
void MainWindow::ShowWorking() {
    if (!lastPress_) return;
    if (working_ == nullptr) working_ = new WorkingWindow(this);
    working_->ShowPress(*lastPress_, InputsChanged());
    working_->show();
    working_->raise();
    working_->activateWindow();
}

// Non-modal as the working; its options are kept for the next run.
void MainWindow::ShowWinding() {
    if (!plan_) return;
    if (winding_ == nullptr) {
        winding_ = new WindingWindow(parts_, windingOptions_, this);
        winding_->ShowNotes(settingsNotes_);
        // The design is saved from the plan's window as from the form's.
        winding_->addActions({files_->saveAction(), files_->saveAsAction()});
        connect(winding_, &WindingWindow::optionsChanged, this,
                &MainWindow::OnWindingOptionsChanged);
        connect(winding_->compareTab(), &CompareTab::compareRequested, this, [this] {
            if (PressedPlan() != nullptr && winding_ != nullptr)
                winding_->compareTab()->Start(*lastPress_, windingOptions_, parts_);
        });
        connect(winding_->compareTab(), &CompareTab::chosen, this, &MainWindow::ApplyCandidate);
        connect(winding_, &WindingWindow::typedCoreRequested, this, &MainWindow::TypeCore);
        winding_->choices()->SetPressSource([this] { return LastPress(); });
    }
    winding_->ShowPlan(*plan_, InputsChanged());
    winding_->show();
    winding_->raise();
    winding_->activateWindow();
}

// A new sweep window each time, from the inputs in the boxes then; the one
// before stays open to compare.
void MainWindow::ShowSweep() {
    const std::array<std::string, numtext::kInputCount> texts = InputTexts();
    sweep_ = new SweepWindow(numtext::ViewsOf(texts), {windingOptions_, &parts_}, this);
    sweep_->setAttribute(Qt::WA_DeleteOnClose);
    sweep_->Run();  // the current design's sweep, drawn at once
    sweep_->show();
    sweep_->raise();
    sweep_->activateWindow();
}

SweepWindow* MainWindow::Sweep() const {
    return sweep_;
}

WindingWindow* MainWindow::Winding() const {
    return winding_;
}

void MainWindow::RenewPlan() {
    if (lastPress_) plan_ = winding::PlanWinding(*lastPress_, windingOptions_, parts_);
}

void MainWindow::OnWindingOptionsChanged() {
    files_->MarkModified();
    windingOptions_ = winding_->Options();
    SaveWindingOptions(windingOptions_);
    winding_->compareTab()->OptionsChanged(windingOptions_);
    RenewPlan();
    if (plan_) winding_->ShowPlan(*plan_, InputsChanged());
}

PlanSection MainWindow::CurrentPlanSection() const {
    if (!plan_) return {};
    const build_sheet::Pins pins = winding_ ? winding_->buildSheet()->Pins() : LoadPins();
    return {
        build_sheet::ReportSections(*plan_, windingOptions_, pins),
        plan_sheet::TabSeparated(*plan_, windingOptions_) + build_sheet::TabSeparated(*plan_, pins),
        build_sheet::ReportLead(*plan_, windingOptions_, pins)};
}

WorkingWindow* MainWindow::Working() const {
    return working_;
}

// The power and efficiency are read from their boxes as a press reads them;
// the two voltages are written as texts, which then read as any typed text.
void MainWindow::FillFromMains() {
    const auto read = [&](numtext::Input input) {
        return runtime::NumberFromText(text1_[Index(input)]->text().toStdString());
    };
    double power = 0, efficiency = 0;
    try {
        power = read(numtext::Input::Power);
        efficiency = read(numtext::Input::Efficiency) / numtext::kPercent;
    } catch (const runtime::RuntimeError&) {
    }
    MainsDialog dialog(power, efficiency, this);
    if (dialog.exec() != QDialog::Accepted || !dialog.Range()) return;
    const mains::DcInputRange& range = *dialog.Range();
    text1_[Index(numtext::Input::MaxVoltage)]->setText(
        FromUtf8(mains::TwoDecimals(range.maxInputVoltage)));
    text1_[Index(numtext::Input::MinVoltage)]->setText(
        FromUtf8(mains::TwoDecimals(range.minInputVoltage)));
    // The plan's insulation is rated by the mains typed, not the bus, and
    // travels with the design.
    windingOptions_.insulation.mains_Vrms = dialog.MaxAc();
    SaveWindingOptions(windingOptions_);
    if (winding_ != nullptr) winding_->ShowMains(*dialog.MaxAc());
}

void MainWindow::ShowAbout() {
    ShowAboutBox(this);
}

// Point sizes such as 9.75 do not fit the form file's whole-number font sizes;
// the form carries them as an "exactPointSize" property.
// A box whose form gives no such size keeps its first one there too: a
// long text shrinks the box's font, and a short one brings it back.
void MainWindow::ApplyExactFontSizes() {
    for (QWidget* widget : findChildren<QWidget*>()) {
        const QVariant size = widget->property("exactPointSize");
        if (!size.isValid()) {
            if (qobject_cast<QLineEdit*>(widget) != nullptr)
                widget->setProperty("exactPointSize", widget->font().pointSizeF());
            continue;
        }
        QFont font = widget->font();
        font.setPointSizeF(size.toDouble());
        widget->setFont(font);
    }
}

// Screen readers then read "输出功率 W" rather than "edit".
void MainWindow::NameBoxesAfterTheirCaptions() {
    for (QLabel* label : findChildren<QLabel*>()) {
        if (QWidget* box = label->buddy()) box->setAccessibleName(label->text());
    }
}

// A fault no longer ends the program: the boxes the calculation did not reach
// are cleared, so that none shows a value of other inputs, and the user is told
// what went wrong with everything typed still in place and the input to check
// selected.
void MainWindow::OnCommand1Pressed() {
    Press(InputTexts());
}

// A press of these texts (the boxes', or a design's as it is opened): the
// results, the plan and the boxes' states.
void MainWindow::Press(const std::array<std::string, numtext::kInputCount>& texts) {
    const numtext::InputTexts inputs = numtext::ViewsOf(texts);
    lastPress_ = record::RecordPress(inputs, [&](int box, std::string_view text) {
        text2_[box]->setText(FromUtf8(text));
        text2_[box]->setCursorPosition(0);  // long texts show their beginning
    });
    RenewPlan();
    for (QAction* action : designActions_) action->setEnabled(true);
    workingAction_->setEnabled(true);
    windingAction_->setEnabled(true);
    files_->spiceAction()->setEnabled(true);
    ShowBoxStates();
    if (lastPress_->outcome.error) {
        for (int box = 0; box < numtext::kResultCount; ++box) {
            if (lastPress_->outcome.Text(box) == nullptr) text2_[box]->clear();
        }
        reportFault_(this, {windowTitle(), FromUtf8(lastPress_->faultMessage)});
        if (const auto& hint = lastPress_->suspect) {
            text1_[hint->input]->setFocus();
            text1_[hint->input]->selectAll();
        }
    }
}

std::array<std::string, numtext::kInputCount> MainWindow::InputTexts() const {
    std::array<std::string, numtext::kInputCount> texts;
    for (int i = 0; i < numtext::kInputCount; ++i) texts[i] = text1_[i]->text().toStdString();
    return texts;
}

// What each box tells beyond its text, from what is typed now and the last
// press: amber where an invalid input or a caution applies, with the warning
// in the tooltip (a note only in the tooltip); the results an invalid input
// makes meaningless amber too; grey results once the inputs no longer match.
void MainWindow::ShowBoxStates() {
    const std::array<std::string, numtext::kInputCount> texts = InputTexts();
    const bool outOfDate = lastPress_ && texts != lastPress_->inputTexts;
    // Right after a press its record holds the warnings of these very texts.
    const std::vector<record::Warning> inputWarnings =
        lastPress_ && !outOfDate ? lastPress_->warnings
                                 : record::InputWarnings(numtext::ViewsOf(texts));
    for (int i = 0; i < numtext::kInputCount; ++i) {
        const record::BoxWarnings on =
            record::WarningsOn(inputWarnings, record::Warning::Box::Input, i);
        ShowState(text1_[i], on.marked ? BoxState::Warned : BoxState::Normal);
        QStringList notes = Lines(on.lines);
        notes << (lastPress_ ? FromUtf8(record::InputBoxNote(*lastPress_, i))
                             : QStringLiteral("单位：") + FromUtf8(numtext::kInputBoxes[i].unit));
        SetPlainToolTip(text1_[i], notes.join('\n'));
    }
    if (!lastPress_) {  // the design-time texts are not a design
        for (QLineEdit* box : text2_) {
            ShowState(box, BoxState::OutOfDate);
            SetPlainToolTip(box, QStringLiteral("尚未计算：这是窗体的初始文字，按 => 计算"));
        }
        return;
    }
    LabelDesignActions(outOfDate);
    if (working_ != nullptr) working_->ShowPress(*lastPress_, outOfDate);
    if (winding_ != nullptr && plan_) winding_->ShowPlan(*plan_, outOfDate);
    for (int box = 0; box < numtext::kResultCount; ++box) {
        if (outOfDate) {
            ShowState(text2_[box], BoxState::OutOfDate);
            SetPlainToolTip(text2_[box], QStringLiteral("输入已更改，按 => 重新计算"));
            continue;
        }
        const record::BoxWarnings tip = record::ResultBoxTip(*lastPress_, box);
        ShowState(text2_[box], tip.marked ? BoxState::Warned : BoxState::Normal);
        SetPlainToolTip(text2_[box], Lines(tip.lines).join('\n'));
    }
}

// While the inputs differ from the last press, the actions that keep a
// design say that they keep that press.
void MainWindow::LabelDesignActions(bool lastPressOnly) {
    static const std::array<QString, 3> kTexts = {
        QStringLiteral("复制设计"), QStringLiteral("保存报告…"), QStringLiteral("打印…")};
    for (std::size_t i = 0; i < designActions_.size(); ++i) {
        QString text = kTexts[i];
        if (lastPressOnly)
            text.insert(text.endsWith(QChar(0x2026)) ? text.size() - 1 : text.size(),
                        QStringLiteral("（上次计算）"));
        designActions_[i]->setText(text);
    }
}

// Amber and bold where warned, so that the warning shows without its colour;
// grey and italic where out of date.
void MainWindow::ShowState(QLineEdit* box, BoxState state) const {
    QPalette palette = normalPalette_;
    if (state == BoxState::Warned) palette.setColor(QPalette::Base, kWarningBackground);
    box->setPalette(palette);
    ShowOutOfDate(box, state == BoxState::OutOfDate, normalPalette_.color(QPalette::Text));
    QFont font = box->font();
    font.setBold(state == BoxState::Warned);
    // A text too long for the box shows whole in a smaller font, down to 6
    // points, rather than cut where it would read as another number.
    const QVariant designed = box->property("exactPointSize");
    if (designed.isValid()) font.setPointSizeF(designed.toDouble());
    const double room = box->contentsRect().width() - 6;
    while (font.pointSizeF() > 6 && QFontMetricsF(font).horizontalAdvance(box->text()) > room) {
        font.setPointSizeF(font.pointSizeF() - 0.5);
    }
    box->setFont(font);
}

}  // namespace flyback::window
