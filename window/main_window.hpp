#pragma once

#include <QColor>
#include <QPalette>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/catalogue.hpp"
#include "design_file/design_file.hpp"
#include "numtext/run_calculation.hpp"
#include "record/design_record.hpp"
#include "runtime/error.hpp"
#include "winding/plan.hpp"
#include "window/fault_report.hpp"
#include "window/report_output.hpp"

class QAction;
class QMimeData;
class QKeySequence;
class QLineEdit;
class QMenuBar;
class QPushButton;

namespace Ui {
class Form1;
}

namespace flyback::window {

class DesignFiles;
class SweepWindow;
class WindingWindow;
class WorkingWindow;

// The designer's one window: six input boxes, the "=>" button, seven result
// boxes. Its layout lives in main_window.ui.
class MainWindow : public QWidget {
    Q_OBJECT

  public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Input boxes, index 0 to 5: power, maximum and minimum input voltage,
    // frequency, efficiency, output voltage (numtext::Input).
    const std::array<QLineEdit*, numtext::kInputCount>& Text1() const;
    // Result boxes, index 0 to 6, as the calculation addresses them.
    const std::array<QLineEdit*, numtext::kResultCount>& Text2() const;
    QPushButton* Command1() const;

    void SetFaultReporter(FaultReporter reporter);

    // The record of the last press, or nullptr before the first.
    const record::DesignRecord* LastPress() const;

    // The window's actions on the last press: copy it to the clipboard, save or
    // print its report (both through a dialog).
    void CopyDesign();
    void SaveReportAs();
    // Saves the report without a dialog; a failure is reported to the user.
    bool SaveReportTo(const QString& path);
    void Print();
    void ShowAbout();
    // "由交流输入…": the DC input voltages from the mains, into their boxes.
    void FillFromMains();
    // "计算过程": the working of the last press in a window of its own.
    void ShowWorking();
    WorkingWindow* Working() const;  // nullptr until first shown
    // "绕制方案": the winding plan on the last press, with its options.
    void ShowWinding();
    WindingWindow* Winding() const;  // nullptr until first shown
    // "扫描…": one input swept from the inputs now in the boxes.
    void ShowSweep();
    // What could not be read from the user's catalogue files and what was
    // set right in the kept settings; empty when nothing.
    QStringList StartProblems() const;
    void ShowStartProblems();
    SweepWindow* Sweep() const;  // nullptr until first shown

    // The design as a file keeps it, and back: the boxes' texts, the plan's
    // options and the sheet's pins; a design applied is pressed.
    design_file::Design CurrentDesign() const;
    // `opened`'s parts the catalogue lacks (another tool's core or material
    // given in place) join it for the session first.
    void ApplyDesign(const design_file::Design& design,
                     const design_file::Opened* opened = nullptr);
    // 新建: empty boxes, no press.
    void ClearDesign();
    // The plan of a candidate the comparison offers, with these options.
    void TypeCore();
    void ShowWindingWith(const winding::Options& options);
    void ApplyCandidate(const winding::Options& options);
    // The plan of the boxes as they are, pressed first where they changed;
    // nullptr before any press.
    const winding::PlanOutcome* PressedPlan();
    const catalogue::Catalogue& Parts() const { return parts_; }
    QString ProgramTitle() const;
    // A problem said to the user as a fault is.
    void ReportProblem(const QString& message);
    DesignFiles* Files() const { return files_; }
    // One design file dropped on the window: opened, the design's changes
    // asked about first.
    bool OpenDropped(const QMimeData& dropped);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    QAction* Action(const char* name) const;
    QMenuBar* NewMenuBar();
    void OfferMainsOnTheVoltageBoxes();
    enum class BoxState { Normal, Warned, OutOfDate };
    static constexpr QColor kWarningBackground{0xFF, 0xE0, 0x8A};  // amber

    void OnCommand1Pressed();
    void Press(const std::array<std::string, numtext::kInputCount>& texts);
    void RenewPlan();
    void OnWindingOptionsChanged();
    PlanSection CurrentPlanSection() const;
    void RefuseTooLongText();
    std::array<std::string, numtext::kInputCount> InputTexts() const;
    void ShowBoxStates();
    void LabelDesignActions(bool lastPressOnly);
    // Whether the inputs differ from those of the last press.
    bool InputsChanged() const;
    void ShowState(QLineEdit* box, BoxState state) const;
    QAction* AddWindowAction(const QString& text, const char* name, const QKeySequence& shortcut,
                             void (MainWindow::*slot)());
    void AddWindowActions();
    void ApplyExactFontSizes();
    void NameBoxesAfterTheirCaptions();

    std::unique_ptr<Ui::Form1> ui_;
    QWidget* form_ = nullptr;  // the form as designed, under the menu bar
    std::array<QLineEdit*, numtext::kInputCount> text1_{};
    std::array<QLineEdit*, numtext::kResultCount> text2_{};
    FaultReporter reportFault_ = ShowFaultMessageBox;
    std::optional<record::DesignRecord> lastPress_;
    std::array<QAction*, 3> designActions_{};
    QAction* workingAction_ = nullptr;
    WorkingWindow* working_ = nullptr;
    catalogue::Catalogue parts_;
    winding::Options windingOptions_;
    QStringList settingsNotes_;
    std::optional<winding::PlanOutcome> plan_;
    QAction* windingAction_ = nullptr;
    WindingWindow* winding_ = nullptr;
    QPointer<SweepWindow> sweep_;  // the newest, while it is open
    QPalette normalPalette_;
    DesignFiles* files_ = nullptr;
};

}  // namespace flyback::window
