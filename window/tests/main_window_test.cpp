// The form: its captions, sizes, fonts, keys, boxes, a press and its faults.
#include <QAbstractFileIconProvider>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QLocale>
#include <QToolTip>

#include "window/command_line.hpp"
#include "window_test_support.hpp"

class MainWindowTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir settingsDir_;
    std::unique_ptr<MainWindow> window_;
    std::vector<FaultReport> reports_;

    QWidget* Child(const QString& name) const { return window_->findChild<QWidget*>(name); }
    void Press() { QTest::mouseClick(window_->Command1(), Qt::LeftButton); }

  private slots:
    void initTestCase() { PrepareWindowTests(settingsDir_); }
    void init() { OpenWindow(window_, reports_); }
    void cleanup() { window_.reset(); }

    void opensWithTheCaptionAndClientSize() {
        QCOMPARE(window_->windowTitle(), QString("单端反激变换式开关电源变压器的设计"));
        // The form at its design size, the menu bar above it.
        const QWidget* form = window_->Command1()->parentWidget();
        const auto* bar = window_->findChild<QMenuBar*>();
        QVERIFY(bar != nullptr);
        QCOMPARE(form->size(), QSize(549, 212));
        QCOMPARE(form->pos(), QPoint(0, bar->height()));
        QCOMPARE(window_->size(), QSize(549, 212 + bar->height()));
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

    // As designed once a press has written the results (before one, they are
    // marked as not yet calculated).
    void fontsKeepTheirSizes() {
        QFETCH(QString, name);
        QFETCH(double, points);
        Press();
        const QFont font = Child(name)->font();
        QCOMPARE(font.pointSizeF(), points);
        QCOMPARE(font.family(), QString("MS Sans Serif"));
        QCOMPARE(font.weight(), QFont::Normal);
        QVERIFY(!font.italic() && !font.underline() && !font.strikeOut());
    }

    // The form's initial results are kept, but marked as not yet calculated,
    // by more than their colour.
    void initialResultsAreMarkedNotYetCalculated() {
        for (QLineEdit* box : window_->Text2()) {
            QCOMPARE(box->palette().color(QPalette::Text), flyback::window::kOutOfDateText);
            QVERIFY(box->font().italic());
            QVERIFY(ToolTipText(box).startsWith("尚未计算"));
        }
        Press();
        for (QLineEdit* box : window_->Text2()) QVERIFY(!box->font().italic());
    }

    // The first keystrokes go to the first input, not to the button.
    void theFirstInputHasTheFocusAndTheButtonIsNoDefault() {
        QApplication::setActiveWindow(window_.get());
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        QCOMPARE(QApplication::focusWidget(), window_->Text1()[0]);
        QTest::keyClicks(QApplication::focusWidget(), "12");
        QCOMPARE(window_->Text1()[0]->text(), QString("12"));
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

    void cannotBeMadeSmallerThanItsDesign() {
        const int bar = window_->findChild<QMenuBar*>()->height();
        QCOMPARE(window_->minimumSize(), QSize(549, 212 + bar));
    }

    // Every function in the menus, in the usual order, with its shortcut;
    // 由交流输入… also where the voltages are typed.
    void menusHoldEveryFunction() {
        const auto* bar = window_->findChild<QMenuBar*>();
        QStringList titles;
        QStringList items;
        for (QAction* menu : bar->actions()) {
            titles << menu->text();
            for (const QAction* item : menu->menu()->actions()) {
                if (!item->isSeparator()) items << item->text();
            }
        }
        QCOMPARE(titles, QStringList({"文件(&F)", "编辑(&E)", "工具(&T)", "帮助(&H)"}));
        QCOMPARE(items,
                 QStringList({"新建", "打开…", "最近打开的文件", "保存", "另存为…", "保存报告…",
                              "导出 SPICE…", "打印…", "关闭", "复制设计", "计算过程", "绕制方案",
                              "扫描…", "由交流输入…", "目录与设置的问题…", "关于"}));
        QCOMPARE(window_->findChild<QAction*>("saveReportAction")->shortcut(),
                 QKeySequence(Qt::CTRL | Qt::Key_E));
        QCOMPARE(window_->findChild<QAction*>("saveAction")->shortcut(),
                 QKeySequence(QKeySequence::Save));
        QCOMPARE(window_->findChild<QAction*>("closeAction")->shortcut(),
                 QKeySequence(QKeySequence::Close));
        QCOMPARE(window_->Text1()[1]->contextMenuPolicy(), Qt::CustomContextMenu);
        QCOMPARE(window_->Text1()[2]->contextMenuPolicy(), Qt::CustomContextMenu);
    }

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
        // It says what does calculate.
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), FromUtf8(flyback::numtext::kHowToCalculate));
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
        // The file dialogs' kinds and dates too.
        const QAbstractFileIconProvider icons;
        QCOMPARE(icons.type(QFileInfo(QDir::tempPath())), QString("文件夹"));
        QVERIFY(QLocale().toString(QDate(2026, 12, 8), QLocale::ShortFormat).contains("2026"));
        QCOMPARE(QLocale().language(), QLocale::Chinese);
    }

    void tooltipsShowTheLastPressInFull() {
        Press();
        QVERIFY(ToolTipText(window_->Text2()[6]).contains("Lp = 1.758 mH"));
        QVERIFY(ToolTipText(window_->Text2()[6]).contains("Lp = 0.75 × (200 × 0.375)²"));
        QVERIFY(ToolTipText(window_->Text1()[3]).contains("kHz"));
        QVERIFY(ToolTipText(window_->Text1()[3]).contains("20"));
        QVERIFY(window_->Command1()->toolTip().contains("菜单"));
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

    // A long text typed shows whole in a smaller font; replaced by a short
    // one, the box's own size comes back.
    void anInputsFontComesBackWhenItsLongTextIsReplaced() {
        QLineEdit* box = window_->Text1()[0];
        const double designed = box->font().pointSizeF();
        box->selectAll();
        QTest::keyClicks(box, "123456789012345678901234567890");
        QVERIFY(box->font().pointSizeF() < designed);
        box->selectAll();
        QTest::keyClicks(box, "12");
        QCOMPARE(box->font().pointSizeF(), designed);
    }

    // A result too long for its box shows whole in a smaller font, and one in
    // exponent form is marked so that "5.366…" is not read without its E+298.
    void longResultsShowWholeAndExponentsAreMarked() {
        TypeInputs(*window_, {"1e300", "375", "100", "100", "75", "24"});
        Press();
        for (QLineEdit* box : window_->Text2()) {
            const double room = box->contentsRect().width() - 6;
            if (box->font().pointSizeF() > 6) {
                QVERIFY2(QFontMetricsF(box->font()).horizontalAdvance(box->text()) <= room,
                         qPrintable(box->text()));
            }
            if (box->text().contains("E+")) {
                QVERIFY(box->font().bold());
                QVERIFY(ToolTipText(box).contains("指数形式"));
            }
        }
        QVERIFY(window_->Text2()[0]->font().pointSizeF() < 9);
    }

    void longCoreTextShowsItsBeginning() {
        TypeInputs(*window_, {"100", "368", "200", "1", "75", "5"});
        Press();
        QCOMPARE(window_->Text2()[0]->text(), QString("截面积为: 6.70820393249937"));
        QCOMPARE(window_->Text2()[0]->cursorPosition(), 0);
        QVERIFY(ToolTipText(window_->Text2()[0]).contains("截面积为: 6.70820393249937"));
    }

    // The file given after the program's name, once Qt has taken its own
    // options; "--" ends the options, so a file named like one still opens.
    void theFileGivenIsTheOneOpened_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("file");
        const QString program = QStringLiteral("flyback-designer");
        QTest::newRow("none") << QStringList{program} << QString();
        QTest::newRow("a file") << QStringList{program, QStringLiteral("a.mas.json")}
                                << QStringLiteral("a.mas.json");
        QTest::newRow("after an option")
            << QStringList{program, QStringLiteral("-reverse"), QStringLiteral("b.mas.json")}
            << QStringLiteral("b.mas.json");
        QTest::newRow("named like an option")
            << QStringList{program, QStringLiteral("--"), QStringLiteral("-c.mas.json")}
            << QStringLiteral("-c.mas.json");
    }
    void theFileGivenIsTheOneOpened() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, file);
        QCOMPARE(flyback::window::DesignFileArgument(arguments).value_or(QString()), file);
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
