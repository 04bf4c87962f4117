#include <sys/resource.h>
#include <unistd.h>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QSvgWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <vector>

#include "numtext/boxes.hpp"
#include "version/version.hpp"
#include "window/about.hpp"
#include "window/form_fonts.hpp"
#include "window/main_window.hpp"
#include "window/mains_dialog.hpp"
#include "window/qt_text.hpp"
#include "window/report_output.hpp"
#include "window/sweep_window.hpp"
#include "window/translation.hpp"
#include "window/winding_window.hpp"
#include "window/working_window.hpp"

using flyback::window::FaultReport;
using flyback::window::FromUtf8;
using flyback::window::MainWindow;
using flyback::window::ToolTipText;

namespace {

const QStringList kDefaultInputs = {"60", "368", "200", "20", "75", "5"};
const QStringList kWorkedExample = {"EE12", " 1.88", " 135.41", " 6.2", " 588", " 2.77", " 1.75mH"};
const QStringList kAllCleared = {"", "", "", "", "", "", ""};
const QStringList kDesignTimeResults = {"E-3", "1.88", "135", "6", "500", "2.77", "1.75mH"};

QStringList ResultTexts(const MainWindow& window) {
    QStringList texts;
    for (const QLineEdit* box : window.Text2()) texts << box->text();
    return texts;
}

void TypeInputs(MainWindow& window, const QStringList& inputs) {
    for (int i = 0; i < 6; ++i) window.Text1()[i]->setText(inputs[i]);
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir settingsDir_;
    std::unique_ptr<MainWindow> window_;
    std::vector<FaultReport> reports_;

    QWidget* Child(const QString& name) const { return window_->findChild<QWidget*>(name); }
    void Press() { QTest::mouseClick(window_->Command1(), Qt::LeftButton); }

  private slots:
    void initTestCase() {
        flyback::window::SubstituteFormFonts();
        // The dialogs' remembered values go to a folder of the test's own.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir_.path());
    }

    void init() {
        window_ = std::make_unique<MainWindow>();
        reports_.clear();
        window_->SetFaultReporter(
            [this](QWidget*, const FaultReport& report) { reports_.push_back(report); });
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    }

    void cleanup() { window_.reset(); }

    void opensWithTheCaptionAndClientSize() {
        QCOMPARE(window_->windowTitle(), QString("单端反激变换式开关电源变压器的设计"));
        QCOMPARE(window_->size(), QSize(549, 212));
        QVERIFY(!window_->windowIcon().isNull());
        const QList<QSize> sizes = window_->windowIcon().availableSizes();
        QVERIFY(sizes.contains(QSize(16, 16)));
        QVERIFY(sizes.contains(QSize(32, 32)));
    }

    void designTimeTexts_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        const QStringList inputs = {"60", "368", "200", "20", "75", "5"};
        for (int i = 0; i < 6; ++i) {
            QTest::newRow(qPrintable(QString("Text1_%1").arg(i)))
                << QString("Text1_%1").arg(i) << inputs[i];
        }
        for (int i = 0; i < 7; ++i) {
            QTest::newRow(qPrintable(QString("Text2_%1").arg(i)))
                << QString("Text2_%1").arg(i) << kDesignTimeResults[i];
        }
        const QStringList captions = {
            "输出功率 W",     "最大输入电压V",  "最小输入电压V",   "工作频率f(KHz)", "磁芯型号",
            "变压器气隙mm",   "变压器初级匝数", "工作效率(估计)%", "变压器次级匝数", "输出电压 V",
            "晶体管耐压Vceo", "晶体管电流Isc",  "初级电感量"};
        for (int i = 0; i < 13; ++i) {
            QTest::newRow(qPrintable(QString("Label1_%1").arg(i)))
                << QString("Label1_%1").arg(i) << captions[i];
        }
        QTest::newRow("Frame1") << "Frame1"
                                << "输入计算参数";
        QTest::newRow("Frame2") << "Frame2"
                                << "计算结果";
        QTest::newRow("Command1") << "Command1"
                                  << "=>";
    }

    void designTimeTexts() {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QWidget* widget = Child(name);
        QVERIFY2(widget, qPrintable(name));
        if (auto* box = qobject_cast<QLineEdit*>(widget)) QCOMPARE(box->text(), text);
        if (auto* label = qobject_cast<QLabel*>(widget)) QCOMPARE(label->text(), text);
        if (auto* frame = qobject_cast<QGroupBox*>(widget)) QCOMPARE(frame->title(), text);
        if (auto* button = qobject_cast<QPushButton*>(widget)) QCOMPARE(button->text(), text);
    }

    // Positions in pixels at 15 twips a pixel, relative to the parent.
    void geometry_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QRect>("rect");
        QTest::newRow("Frame1") << "Frame1"
                                << "Form1" << QRect(8, 16, 225, 169);
        QTest::newRow("Command1") << "Command1"
                                  << "Form1" << QRect(248, 24, 41, 161);
        QTest::newRow("Frame2") << "Frame2"
                                << "Form1" << QRect(304, 16, 225, 169);
        const int inputLabels[] = {0, 1, 2, 3, 7, 9};
        for (int row = 0; row < 6; ++row) {
            const int top = 40 + 16 * row;
            const QString label = QString("Label1_%1").arg(inputLabels[row]);
            const int width = inputLabels[row] == 0 ? 89 : 113;
            QTest::newRow(qPrintable(label)) << label << "Frame1" << QRect(16, top, width, 17);
            const QString box = QString("Text1_%1").arg(row);
            QTest::newRow(qPrintable(box)) << box << "Frame1" << QRect(128, top, 81, 19);
        }
        const int resultLabels[] = {4, 12, 5, 6, 8, 10, 11};
        const int resultBoxes[] = {0, 6, 1, 2, 3, 4, 5};
        for (int row = 0; row < 7; ++row) {
            const int top = 40 + 16 * row;
            const QString label = QString("Label1_%1").arg(resultLabels[row]);
            QTest::newRow(qPrintable(label)) << label << "Frame2" << QRect(16, top, 113, 17);
            const QString box = QString("Text2_%1").arg(resultBoxes[row]);
            QTest::newRow(qPrintable(box)) << box << "Frame2" << QRect(128, top, 81, 19);
        }
    }

    void geometry() {
        QFETCH(QString, name);
        QFETCH(QString, parent);
        QFETCH(QRect, rect);
        QWidget* widget = Child(name);
        QVERIFY2(widget, qPrintable(name));
        QCOMPARE(widget->parentWidget()->objectName(), parent);
        QCOMPARE(widget->geometry(), rect);
    }

    void fontsKeepTheirSizes_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("points");
        QTest::newRow("Frame1") << "Frame1" << 12.0;
        QTest::newRow("Frame2") << "Frame2" << 12.0;
        QTest::newRow("Command1") << "Command1" << 13.5;
        for (int i = 0; i < 13; ++i) {
            QTest::newRow(qPrintable(QString("Label1_%1").arg(i)))
                << QString("Label1_%1").arg(i) << 9.75;
        }
        // The boxes: the desktop's 9 pt window font the form was drawn with,
        // so that a result's text fits its box.
        for (int i = 0; i < 6; ++i) {
            QTest::newRow(qPrintable(QString("Text1_%1").arg(i)))
                << QString("Text1_%1").arg(i) << 9.0;
        }
        for (int i = 0; i < 7; ++i) {
            QTest::newRow(qPrintable(QString("Text2_%1").arg(i)))
                << QString("Text2_%1").arg(i) << 9.0;
        }
    }

    void fontsKeepTheirSizes() {
        QFETCH(QString, name);
        QFETCH(double, points);
        const QFont font = Child(name)->font();
        QCOMPARE(font.pointSizeF(), points);
        QCOMPARE(font.family(), QString("MS Sans Serif"));
        QCOMPARE(font.weight(), QFont::Normal);
        QVERIFY(!font.italic() && !font.underline() && !font.strikeOut());
    }

    void buttonHasTheFocusAndIsNoDefault() {
        QApplication::setActiveWindow(window_.get());
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        QCOMPARE(QApplication::focusWidget(), window_->Command1());
        QVERIFY(!window_->Command1()->isDefault());
        QVERIFY(!window_->Command1()->autoDefault());
    }

    // The inputs in screen order, then the button; results take the focus on
    // a click, to be selected and copied.
    void tabWalksTheInputsThenTheButton() {
        QApplication::setActiveWindow(window_.get());
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        window_->Command1()->setFocus();
        const QStringList expected = {"Text1_0", "Text1_1", "Text1_2",  "Text1_3",
                                      "Text1_4", "Text1_5", "Command1", "Text1_0"};
        QStringList visited;
        for (int i = 0; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(visited, expected);
        QCOMPARE(window_->Text2()[0]->focusPolicy(), Qt::ClickFocus);
    }

    void warnedInputTurnsAmberAsTheUserTypes() {
        const QColor normal = window_->Text1()[4]->palette().color(QPalette::Base);
        window_->Text1()[4]->setText("0.8");
        QVERIFY(window_->Text1()[4]->palette().color(QPalette::Base) != normal);
        QVERIFY(ToolTipText(window_->Text1()[4]).contains("是否按小数输入"));
        QCOMPARE(window_->Text1()[0]->palette().color(QPalette::Base), normal);
        window_->Text1()[4]->setText("75");
        QCOMPARE(window_->Text1()[4]->palette().color(QPalette::Base), normal);
        TypeInputs(*window_, {"60", "368", "200", "65000", "75", "5"});
        Press();
        QVERIFY(window_->Text2()[2]->palette().color(QPalette::Base) != normal);  // Np < 1
        QVERIFY(ToolTipText(window_->Text2()[2]).contains("不足 1 匝"));
    }

    // A negative voltage spoils the results derived from it; a note (the duty
    // cycle of a universal-input design) colours nothing.
    void invalidInputMarksItsResultsAndNotesStayPlain() {
        const QColor normal = window_->Text2()[0]->palette().color(QPalette::Base);
        TypeInputs(*window_, {"60", "-368", "200", "20", "75", "5"});
        Press();
        QCOMPARE(window_->Text2()[0]->palette().color(QPalette::Base), normal);
        QVERIFY(window_->Text2()[4]->palette().color(QPalette::Base) != normal);
        QVERIFY(ToolTipText(window_->Text2()[4]).contains("“最大输入电压V”算出，该输入无效"));
        reports_.clear();
        TypeInputs(*window_, {"12", "375", "120", "65", "80", "12"});
        Press();
        QCOMPARE(window_->Text2()[6]->palette().color(QPalette::Base), normal);
        QVERIFY(ToolTipText(window_->Text2()[6]).contains("提示：最大占空比"));
    }

    void resultsGreyOutWhenTheInputsChange() {
        Press();
        const QColor current = window_->Text2()[0]->palette().color(QPalette::Text);
        QTest::keyClicks(window_->Text1()[0], "0");
        QVERIFY(window_->Text2()[0]->palette().color(QPalette::Text) != current);
        QCOMPARE(ToolTipText(window_->Text2()[0]), QString("输入已更改，按 => 重新计算"));
        QCOMPARE(ResultTexts(*window_), kWorkedExample);
        QTest::keyClick(window_->Text1()[0], Qt::Key_Backspace);  // back to what was pressed
        QCOMPARE(window_->Text2()[0]->palette().color(QPalette::Text), current);
    }

    void afterAFaultTheNamedInputHasTheFocus() {
        QApplication::setActiveWindow(window_.get());
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        TypeInputs(*window_, {"60", "368", "200", "0", "75", "5"});
        Press();
        QCOMPARE(QApplication::focusWidget(), window_->Text1()[3]);
        QCOMPARE(window_->Text1()[3]->selectedText(), QString("0"));
    }

    void cannotBeMadeSmallerThanItsDesign() { QCOMPARE(window_->minimumSize(), QSize(549, 212)); }

    void pressShowsTheWorkedExample() {
        Press();
        QCOMPARE(ResultTexts(*window_), kWorkedExample);
        QVERIFY(reports_.empty());
    }

    void keyboardPressOnTheButtonCalculates_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("Space") << int(Qt::Key_Space);
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
    }

    void keyboardPressOnTheButtonCalculates() {
        QFETCH(int, key);
        window_->Command1()->setFocus();
        QTest::keyClick(window_->Command1(), Qt::Key(key));
        QCOMPARE(ResultTexts(*window_), kWorkedExample);
    }

    void secondPressChangesNothing() {
        Press();
        const QStringList first = ResultTexts(*window_);
        Press();
        QCOMPARE(ResultTexts(*window_), first);
    }

    void editingAnInputChangesNothingUntilThePress() {
        Press();
        QTest::keyClicks(window_->Text1()[0], "0");
        QCOMPARE(window_->Text1()[0]->text(), QString("600"));
        QCOMPARE(ResultTexts(*window_), kWorkedExample);
    }

    void enterInAnInputDoesNotCalculate() {
        window_->Text1()[0]->setFocus();
        QTest::keyClick(window_->Text1()[0], Qt::Key_Return);
        QTest::keyClick(window_->Text1()[0], Qt::Key_Enter);
        QCOMPARE(ResultTexts(*window_), kDesignTimeResults);
    }

    void resultBoxesAreReadOnlyButSelectable() {
        Press();
        QLineEdit* core = window_->Text2()[0];
        QVERIFY(core->isReadOnly());
        core->setFocus();
        QTest::keyClicks(core, "X");
        QCOMPARE(core->text(), QString("EE12"));
        QTest::keyClick(core, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(core->selectedText(), QString("EE12"));
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(core, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("EE12"));
    }

    void boxesAreNamedAfterTheirCaptions() {
        QCOMPARE(window_->Text1()[0]->accessibleName(), QString("输出功率 W"));
        QCOMPARE(window_->Text1()[4]->accessibleName(), QString("工作效率(估计)%"));
        QCOMPARE(window_->Text2()[6]->accessibleName(), QString("初级电感量"));
        // The form's captions are the box table's, box by box and row by row.
        for (const auto& box : flyback::numtext::kInputBoxes) {
            QCOMPARE(window_->Text1()[Index(box.input)]->accessibleName(), FromUtf8(box.caption));
        }
        int previousTop = -1;
        for (const auto& box : flyback::numtext::kResultBoxesOnScreen) {
            QCOMPARE(window_->Text2()[box.box]->accessibleName(), FromUtf8(box.caption));
            QVERIFY(window_->Text2()[box.box]->y() > previousTop);
            previousTop = window_->Text2()[box.box]->y();
        }
        QAccessibleInterface* accessible =
            QAccessible::queryAccessibleInterface(window_->Text1()[3]);
        QVERIFY(accessible);
        QCOMPARE(accessible->text(QAccessible::Name), QString("工作频率f(KHz)"));
    }

    void buttonIsSpokenAsCalculate() {
        QAccessibleInterface* button = QAccessible::queryAccessibleInterface(window_->Command1());
        QVERIFY(button);
        QCOMPARE(button->text(QAccessible::Name), QString("计算"));
        QCOMPARE(button->text(QAccessible::Description), QString("根据输入参数计算变压器"));
        QCOMPARE(window_->Command1()->text(), QString("=>"));
    }

    void contextMenuIsChinese() {
        if (!flyback::window::InstallQtChineseTranslation(*QCoreApplication::instance())) {
            QSKIP("Qt's Simplified Chinese translation is not installed");
        }
        const std::unique_ptr<QMenu> menu(window_->Text2()[0]->createStandardContextMenu());
        QStringList texts;
        for (const QAction* action : menu->actions()) texts << action->text();
        QVERIFY2(texts.filter(QRegularExpression("^复制")).size() == 1,
                 qPrintable(texts.join('|')));
        QVERIFY2(texts.filter(QRegularExpression("^全选")).size() == 1,
                 qPrintable(texts.join('|')));
    }

    void aboutNamesVersionAndLicence() {
        const auto* about = window_->findChild<QAction*>("aboutAction");
        QVERIFY(about);
        QCOMPARE(about->text(), QString("关于"));
        QCOMPARE(about->shortcut(), QKeySequence(Qt::Key_F1));
        QVERIFY(window_->actions().contains(about));
        const QString text = flyback::window::AboutText();
        QVERIFY(text.contains(QString::fromUtf8(flyback::kProgramVersion.data())));
        QVERIFY(text.contains("MIT"));
    }

    void designActionsWaitForTheFirstPress() {
        const QStringList names = {"copyDesignAction", "saveReportAction", "printAction"};
        for (const QString& name : names) {
            const auto* action = window_->findChild<QAction*>(name);
            QVERIFY2(action && !action->isEnabled(), qPrintable(name));
        }
        QVERIFY(!window_->LastPress());
        TypeInputs(*window_, {"0", "368", "200", "20", "75", "5"});  // a fault still records
        Press();
        for (const QString& name : names) QVERIFY(window_->findChild<QAction*>(name)->isEnabled());
        QVERIFY(window_->LastPress()->outcome.error.has_value());
        QCOMPARE(window_->findChild<QAction*>("copyDesignAction")->shortcut(),
                 QKeySequence("Ctrl+Shift+C"));
    }

    void tooltipsShowTheLastPressInFull() {
        Press();
        QVERIFY(ToolTipText(window_->Text2()[6]).contains("Lp = 1.758 mH"));
        QVERIFY(ToolTipText(window_->Text2()[6]).contains("Lp = 0.75 × (200 × 0.375)²"));
        QVERIFY(ToolTipText(window_->Text1()[3]).contains("kHz"));
        QVERIFY(ToolTipText(window_->Text1()[3]).contains("20"));
        QVERIFY(window_->Command1()->toolTip().contains("Ctrl+S"));
    }

    void copyDesignGivesTabSeparatedTextAndHtml() {
        Press();
        QGuiApplication::clipboard()->clear();
        window_->CopyDesign();
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        QVERIFY(data->hasText() && data->hasHtml());
        QVERIFY(data->text().contains("初级电感量\t 1.75mH\t0.0017578125\tH\n"));
        QVERIFY(data->html().contains("<table"));
        QVERIFY(data->html().contains("135.41"));
    }

    void pdfReportHasTheChineseTextAndEmbeddedFonts() {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty()) QSKIP("poppler-utils missing");
        Press();
        QTemporaryDir dir;
        const QString pdf = dir.filePath("report.pdf");
        QVERIFY(flyback::window::SaveReport(*window_->LastPress(), pdf));
        QProcess text;
        text.start("pdftotext", {"-enc", "UTF-8", pdf, "-"});
        QVERIFY(text.waitForFinished());
        const QString content = QString::fromUtf8(text.readAllStandardOutput());
        for (const char* expected :
             {"磁芯型号", "初级电感量", "变压器初级匝数", "EE12", "1.75mH", "135.41", "1.758 mH"}) {
            QVERIFY2(content.contains(QString::fromUtf8(expected)), expected);
        }
        QProcess fonts;
        fonts.start("pdffonts", {pdf});
        QVERIFY(fonts.waitForFinished());
        const QStringList rows =
            QString::fromUtf8(fonts.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        QVERIFY(rows.size() > 2);  // a heading, a rule, a row for each font
        for (const QString& row : rows.mid(2)) {
            const QStringList columns = row.split(' ', Qt::SkipEmptyParts);
            QVERIFY2(columns.size() > 5 && columns[columns.size() - 5] == "yes", qPrintable(row));
        }
        QVERIFY(flyback::window::SaveReport(*window_->LastPress(), dir.filePath("report.html")));
    }

    void faultIsReportedAndTheWindowStays_data() {
        QTest::addColumn<QStringList>("inputs");
        QTest::addColumn<QStringList>("results");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("hint");
        const QString none;
        QTest::newRow("empty frequency")
            << QStringList{"60", "368", "200", "", "75", "5"} << kAllCleared << "除数为零"
            << "工作频率f(KHz)";
        QTest::newRow("zero frequency and power")
            << QStringList{"0", "368", "200", "0", "75", "5"} << kAllCleared << "溢出"
            << "工作频率f(KHz)";
        QTest::newRow("negative power") << QStringList{"-60", "368", "200", "20", "75", "5"}
                                        << kAllCleared << "无效的过程调用或参数"
                                        << "输出功率 W";
        QTest::newRow("zero power")
            << QStringList{"0", "368", "200", "20", "75", "5"}
            << QStringList{"EE8.3", "", "", "", " 588", "", ""} << "除数为零"
            << "输出功率 W";
        QTest::newRow("zero max and min voltage")
            << QStringList{"60", "0", "0", "20", "75", "5"}
            << QStringList{"EE12", "", "", "", " 0", "", ""} << "溢出"
            << "最大输入电压V";
        QTest::newRow("zero max voltage")
            << QStringList{"60", "0", "200", "20", "75", "5"}
            << QStringList{"EE12", "", "", "", " 0", "", " 0uH"} << "除数为零"
            << "最大输入电压V";
        QTest::newRow("zero efficiency")
            << QStringList{"60", "368", "200", "20", "0", "5"}
            << QStringList{"EE12", "", "", "", " 588", "", " 0uH"} << "除数为零"
            << "工作效率(估计)%";
        QTest::newRow("zero min voltage")
            << QStringList{"60", "368", "0", "20", "75", "5"}
            << QStringList{"EE12", "", "", "", " 588", "", " 0uH"} << "除数为零"
            << "最小输入电压V";
        QTest::newRow("unreadably large output voltage")
            << QStringList{"60", "368", "200", "20", "75", "1e999"} << kAllCleared << "溢出"
            << "输出电压 V";
        QTest::newRow("frequency too large to scale")
            << QStringList{"60", "368", "200", "1e306", "75", "5"} << kAllCleared << "浮点运算错误"
            << "工作频率f(KHz)";
        QTest::newRow("overflow with no single cause")
            << QStringList{"60", "1e308", "200", "20", "75", "5"}
            << QStringList{"EE12", "", "", "", "", "", ""} << "溢出" << none;
    }

    void faultIsReportedAndTheWindowStays() {
        QFETCH(QStringList, inputs);
        QFETCH(QStringList, results);
        QFETCH(QString, error);
        QFETCH(QString, hint);
        TypeInputs(*window_, inputs);
        Press();
        QCOMPARE(reports_.size(), std::size_t{1});
        QCOMPARE(reports_[0].title, window_->windowTitle());
        QVERIFY2(reports_[0].message.contains(error), qPrintable(reports_[0].message));
        QCOMPARE(reports_[0].message.contains("请检查"), !hint.isEmpty());
        if (!hint.isEmpty()) {
            QVERIFY2(reports_[0].message.contains("“" + hint + "”"),
                     qPrintable(reports_[0].message));
        }
        QCOMPARE(ResultTexts(*window_), results);
        for (int i = 0; i < 6; ++i) QCOMPARE(window_->Text1()[i]->text(), inputs[i]);
        QVERIFY(window_->isVisible());

        TypeInputs(*window_, kDefaultInputs);
        Press();
        QCOMPARE(ResultTexts(*window_), kWorkedExample);
        QCOMPARE(reports_.size(), std::size_t{1});
    }

    // Typed text is quoted in tooltips; none of it may be taken for markup
    // (an <img> of /dev/zero ended the program, nested tables froze it).
    void typedMarkupStaysText_data() {
        QTest::addColumn<QString>("typed");
        QTest::newRow("image of a device") << R"(<img src="/dev/zero">)";
        QTest::newRow("image of a file") << R"(<img src="/usr/share/pixmaps/debian-logo.png">)";
        QTest::newRow("nested tables") << QString("<table><tr><td>").repeated(20);
        QTest::newRow("bold") << "<b>60</b>";
        QTest::newRow("entity and quote") << "&lt;x&gt; \"'";
    }

    void typedMarkupStaysText() {
        QFETCH(QString, typed);
        const QRegularExpression tag("<[^>]*>");
        const QRegularExpression ours(R"(^</?p( style='[^']*')?>$|^<br ?/?>$)");
        for (int input : {0, 3}) {  // a warning quotes the text, then a press records it
            TypeInputs(*window_, kDefaultInputs);
            window_->Text1()[input]->setText(typed);
            Press();
            for (QLineEdit* box : window_->findChildren<QLineEdit*>()) {
                for (const auto& match : tag.globalMatch(box->toolTip())) {
                    QVERIFY2(ours.match(match.captured()).hasMatch(),
                             qPrintable(box->objectName() + ": " + box->toolTip()));
                }
            }
            QVERIFY(ToolTipText(window_->Text1()[input]).contains(typed));
        }
    }

    // The PDF as an engineer's design sheet: the summary first, then the
    // inputs and the working, four digits (no long digit runs), each page
    // numbered in its foot with the program.
    void pdfReportReadsAsADesignSheet() {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty()) QSKIP("poppler-utils missing");
        TypeInputs(*window_, {"60", "373", "249", "100", "80", "24"});
        Press();
        QTemporaryDir dir;
        const QString pdf = dir.filePath("sheet.pdf");
        QVERIFY(flyback::window::SaveReport(*window_->LastPress(), pdf));
        if (qEnvironmentVariableIsSet("FLYBACK_KEEP_REPORT")) QFile::copy(pdf, "/tmp/sheet.pdf");
        QProcess text;
        text.start("pdftotext", {"-enc", "UTF-8", pdf, "-"});
        QVERIFY(text.waitForFinished());
        const QString content = QString::fromUtf8(text.readAllStandardOutput());
        const qsizetype summary = content.indexOf("设计摘要"), inputs = content.indexOf("输入参数"),
                        working = content.indexOf("计算过程");
        QVERIFY2(summary >= 0 && summary < inputs && inputs < working, qPrintable(content));
        QVERIFY(content.contains("445.2 µH"));
        QVERIFY(content.contains("第 1 页，共 "));
        QVERIFY(content.contains("flyback-designer " + flyback::window::ProgramVersion()));
        QVERIFY2(!content.contains(QRegularExpression("\\d{8}")), qPrintable(content));
        QCOMPARE(flyback::window::ProposedReportName(*window_->LastPress()),
                 QString("反激变压器_60W_24V_100kHz.pdf"));
    }

    // Copy, save and print after an edit say that they keep the last press.
    void designActionsAfterAnEditNameTheLastPress() {
        Press();
        auto* copy = window_->findChild<QAction*>("copyDesignAction");
        QCOMPARE(copy->text(), QString("复制设计"));
        window_->Text1()[0]->setText("61");
        QCOMPARE(copy->text(), QString("复制设计（上次计算）"));
        QCOMPARE(window_->findChild<QAction*>("saveReportAction")->text(),
                 QString("保存报告（上次计算）…"));
        window_->CopyDesign();
        QVERIFY(
            QGuiApplication::clipboard()->mimeData()->html().contains("本报告为上次计算的结果"));
        window_->Text1()[0]->setText("60");
        QCOMPARE(copy->text(), QString("复制设计"));
    }

    // The working: key values and warnings first, every quantity of the press
    // in order, following presses and grey while the inputs differ.
    void workingWindowFollowsThePresses() {
        TypeInputs(*window_, {"12", "375", "120", "65", "80", "12"});
        Press();
        window_->ShowWorking();
        auto* working = window_->Working();
        QVERIFY(working && working->isVisible() && !working->isModal());
        QVERIFY(working->keyValues()->text().startsWith("Ae = 0.36 cm²    Dmax = 0.5047"));
        QVERIFY(working->warnings()->text().contains("提示：初级电感量：最大占空比"));
        QCOMPARE(working->quantities()->rowCount(), 22);
        QCOMPARE(working->quantities()->item(14, 2)->text(), QString("1.881 mH"));
        QVERIFY(
            working->quantities()->item(14, 3)->text().startsWith("Lp = 0.8 × (120 × 0.5047)²"));
        window_->Text1()[0]->setText("60");
        QVERIFY(!working->keyValues()->isEnabled());
        Press();
        QVERIFY(working->keyValues()->isEnabled());
        QCOMPARE(working->quantities()->item(0, 2)->text(), QString("60 W"));
    }

    void saveAddsTheChosenFormatsSuffix_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("pdf");
        QTest::addColumn<QString>("saved");
        QTest::newRow("pdf") << "/d/设计" << true << "/d/设计.pdf";
        QTest::newRow("html") << "/d/设计" << false << "/d/设计.html";
        QTest::newRow("own suffix kept") << "/d/设计.htm" << true << "/d/设计.htm";
        QTest::newRow("dot in a folder") << "/d.x/设计" << false << "/d.x/设计.html";
    }

    void saveAddsTheChosenFormatsSuffix() {
        QFETCH(QString, typed);
        QFETCH(bool, pdf);
        QFETCH(QString, saved);
        using flyback::window::ReportFormat;
        QCOMPARE(
            flyback::window::WithReportSuffix(typed, pdf ? ReportFormat::Pdf : ReportFormat::Html),
            saved);
    }

    void printingPutsTheReportOnPages() {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty()) QSKIP("poppler-utils missing");
        Press();
        QTemporaryDir dir;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath("printed.pdf"));
        flyback::window::PrintReport(*window_->LastPress(), printer);
        QProcess text;
        text.start("pdftotext", {"-enc", "UTF-8", dir.filePath("printed.pdf"), "-"});
        QVERIFY(text.waitForFinished());
        const QString content = QString::fromUtf8(text.readAllStandardOutput());
        QVERIFY2(content.contains("初级电感量") && content.contains("1.758 mH"),
                 qPrintable(content));
    }

    // As root the file could be written all the same; a limit on the size of
    // files a process may write fails the write as a full disk does.
    void failedSaveLeavesTheOldFileAndSaysSo_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("pdf") << "report.pdf";
        QTest::newRow("html") << "report.html";
    }

    void failedSaveLeavesTheOldFileAndSaysSo() {
        QFETCH(QString, name);
        Press();
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("old design");
        }
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        const rlimit small{512, limit.rlim_max};
        setrlimit(RLIMIT_FSIZE, &small);
        const bool saved = window_->SaveReportTo(path);
        setrlimit(RLIMIT_FSIZE, &limit);
        QVERIFY(!saved);
        QCOMPARE(reports_.size(), std::size_t{1});
        QVERIFY(reports_[0].message.startsWith("无法写入“" + path + "”"));
        QFile old(path);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old design"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{name});
    }

    void saveOverAFileThatCannotBeWrittenFails() {
        if (geteuid() == 0) QSKIP("root may write any file");
        Press();
        QTemporaryDir dir;
        const QString path = dir.filePath("report.pdf");
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.close();
        old.setPermissions(QFileDevice::ReadOwner);
        QVERIFY(!flyback::window::SaveReport(*window_->LastPress(), path));
    }

    // The command line reads a text of up to 1 MiB; so does a box, and a
    // longer paste is refused whole, with a word, rather than cut.
    void longPasteIsTakenWholeOrRefused() {
        const QString longest(1 << 20, QChar('6'));
        QGuiApplication::clipboard()->setText(longest);
        window_->Text1()[0]->clear();
        window_->Text1()[0]->paste();
        QCOMPARE(window_->Text1()[0]->text().size(), longest.size());
        QVERIFY(reports_.empty());

        window_->Text1()[0]->setText("60");
        QGuiApplication::clipboard()->setText(longest);
        window_->Text1()[0]->selectAll();
        window_->Text1()[0]->end(false);
        window_->Text1()[0]->paste();
        QCOMPARE(window_->Text1()[0]->text(), QString("60"));
        QCOMPARE(reports_.size(), std::size_t{1});
        QVERIFY(reports_[0].message.contains("1 MiB"));
    }

    // 12 W at 80 % from 85–265 V AC with 22 µF: the two DC voltages, typed into
    // their boxes with two decimals; the dialog remembers its values.
    void mainsDialogFillsTheTwoVoltageBoxes() {
        TypeInputs(*window_, {"12", "1", "1", "65", "80", "12"});
        QTimer::singleShot(0, [] {
            auto* dialog =
                qobject_cast<flyback::window::MainsDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->minAcVoltage->setText("85");
            dialog->maxAcVoltage->setText("265");
            dialog->lineHertz->setText("50");
            dialog->bulkMicrofarads->setText("22");
            QVERIFY(dialog->Range());
            dialog->accept();
        });
        window_->FillFromMains();
        QCOMPARE(window_->Text1()[1]->text(), QString("374.77"));
        QCOMPARE(window_->Text1()[2]->text(), QString("70.03"));
        QCOMPARE(QSettings().value("mains/bulkUf").toString(), QString("22"));

        flyback::window::MainsDialog tooSmall(60, 0.8);
        tooSmall.bulkMicrofarads->setText("2.2");
        QVERIFY(!tooSmall.Range());
        tooSmall.bulkMicrofarads->clear();  // "自动": proposed
        QVERIFY(tooSmall.Range() && tooSmall.Range()->bulkProposed);
    }

    // The plan follows presses and options, greys with edited inputs, keeps
    // its options for the next run and goes into the copy.
    void windingPlanFollowsPressesAndOptions() {
        QVERIFY(!window_->findChild<QAction*>("windingAction")->isEnabled());
        TypeInputs(*window_, {"12", "375", "120", "65", "80", "12"});
        Press();
        window_->ShowWinding();
        flyback::window::WindingWindow* plan = window_->Winding();
        QVERIFY(plan && plan->isVisible());
        QCOMPARE(plan->windings()->rowCount(), 2);
        QCOMPARE(plan->windings()->item(0, 1)->text(), QString("108 匝"));
        QVERIFY(plan->lines()->item(0, 1)->text().startsWith("EFD20/10/7"));
        QVERIFY(plan->buildPicture()->renderer()->isValid());
        QVERIFY(plan->currentsPicture()->renderer()->isValid());

        plan->bmax()->setValue(0.2);
        QVERIFY(plan->windings()->item(0, 1)->text() != QString("108 匝"));
        plan->vaux()->setValue(15);
        QCOMPARE(plan->windings()->rowCount(), 3);
        QCOMPARE(QSettings().value("winding/bmax").toDouble(), 0.2);

        window_->CopyDesign();
        QVERIFY(QGuiApplication::clipboard()->mimeData()->text().contains("辅助绕组"));
        QVERIFY(QGuiApplication::clipboard()->mimeData()->html().contains("<h2>绕制方案</h2>"));
        if (!QStandardPaths::findExecutable("pdftotext").isEmpty()) {
            QTemporaryDir dir;
            const QString pdf = dir.filePath("plan.pdf");
            QVERIFY(window_->SaveReportTo(pdf));
            if (qEnvironmentVariableIsSet("FLYBACK_KEEP_REPORT")) QFile::copy(pdf, "/tmp/plan.pdf");
            QProcess text;
            text.start("pdftotext", {"-enc", "UTF-8", pdf, "-"});
            QVERIFY(text.waitForFinished());
            const QString content = QString::fromUtf8(text.readAllStandardOutput());
            QVERIFY(content.contains("绕制方案") && content.contains("辅助"));
            QProcess images;  // the two drawings, as images of the page
            images.start("pdfimages", {"-list", pdf});
            QVERIFY(images.waitForFinished());
            // Once each: a picture split across two pages would be there twice.
            QCOMPARE(QString::fromUtf8(images.readAllStandardOutput()).count(" image "), 2);
        }

        QTest::keyClicks(window_->Text1()[0], "0");
        QCOMPARE(plan->windings()->palette().color(QPalette::Text), QColor(0x90, 0x90, 0x90));

        MainWindow next;  // the next run starts with the options left
        TypeInputs(next, {"12", "375", "120", "65", "80", "12"});
        QTest::mouseClick(next.Command1(), Qt::LeftButton);
        next.ShowWinding();
        QCOMPARE(next.Winding()->bmax()->value(), 0.2);
        QCOMPARE(next.Winding()->windings()->rowCount(), 3);
        QSettings().remove("winding");
    }

    void sweepPlotsAndTabulatesEachPoint() {
        TypeInputs(*window_, {"60", "373", "249", "100", "80", "24"});
        window_->ShowSweep();
        flyback::window::SweepWindow* sweep = window_->Sweep();
        QVERIFY(sweep && sweep->isVisible());
        QCOMPARE(sweep->from()->text(), QString("30"));  // half and one and a half times
        QCOMPARE(sweep->to()->text(), QString("90"));
        sweep->points()->setValue(7);
        QVERIFY(sweep->Run());
        QCOMPARE(sweep->table()->rowCount(), 7);
        QCOMPARE(sweep->table()->item(6, 0)->text(), QString("90"));
        QCOMPARE(sweep->shown()->count(), 13);
        QVERIFY(!sweep->chart()->chart()->series().isEmpty());
        QVERIFY(sweep->marks()->text().startsWith("磁芯（灰线处起）：30 W "));
        sweep->CopyTable();
        QVERIFY(QGuiApplication::clipboard()->text().startsWith("P\tVmax\tVmin\tf\t"));
        sweep->from()->setText("x");
        QVERIFY(!sweep->Run());
        QVERIFY(sweep->problem()->isVisibleTo(sweep));
    }

    void longCoreTextShowsItsBeginning() {
        TypeInputs(*window_, {"100", "368", "200", "1", "75", "5"});
        Press();
        QCOMPARE(window_->Text2()[0]->text(), QString("截面积为: 6.70820393249937"));
        QCOMPARE(window_->Text2()[0]->cursorPosition(), 0);
        QVERIFY(ToolTipText(window_->Text2()[0]).contains("截面积为: 6.70820393249937"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
