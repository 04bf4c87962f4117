// The windows beside the form: about, the working, the mains, the winding plan, sweeps.
#include <sys/stat.h>

#include "window/file_dialogs.hpp"
#include "window/qt_text.hpp"
#include "window/sub_window.hpp"
#include "window/typed_core_dialog.hpp"
#include "window_test_support.hpp"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QListWidget>
#include <QRegularExpression>
#include <QSvgWidget>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <QWheelEvent>
#include <cmath>
#include <set>

// Every text a user of the window reads: labels, buttons, tabs, menus, list
// items, table heads and cells, the chart's axes and legend.
QStringList VisibleTexts(const QWidget& top) {
    QStringList texts;
    for (const QWidget* widget : top.findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(&top)) continue;
        if (const auto* label = qobject_cast<const QLabel*>(widget)) texts << label->text();
        if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
            texts << button->text();
        }
        if (const auto* group = qobject_cast<const QGroupBox*>(widget)) texts << group->title();
        if (const auto* tabs = qobject_cast<const QTabWidget*>(widget)) {
            for (int i = 0; i < tabs->count(); ++i) texts << tabs->tabText(i);
        }
        if (const auto* combo = qobject_cast<const QComboBox*>(widget)) {
            for (int i = 0; i < combo->count(); ++i) texts << combo->itemText(i);
        }
        if (const auto* spin = qobject_cast<const QAbstractSpinBox*>(widget)) {
            texts << spin->text();
        }
        if (const auto* table = qobject_cast<const QTableWidget*>(widget)) {
            for (int column = 0; column < table->columnCount(); ++column) {
                if (const auto* head = table->horizontalHeaderItem(column)) texts << head->text();
                for (int row = 0; row < table->rowCount(); ++row) {
                    if (const auto* item = table->item(row, column)) texts << item->text();
                }
            }
        }
        if (const auto* menu = qobject_cast<const QMenuBar*>(widget)) {
            for (const QAction* action : menu->actions()) {
                texts << action->text();
                if (action->menu() == nullptr) continue;
                for (const QAction* item : action->menu()->actions()) texts << item->text();
            }
        }
        if (const auto* picture = qobject_cast<const flyback::window::FittedPicture*>(widget)) {
            static const QRegularExpression text("<text[^>]*>([^<]*)</text>");
            for (const auto& match : text.globalMatch(QString::fromUtf8(picture->Svg())))
                texts << match.captured(1);
        }
    }
    return texts;
}

// Latin words a Chinese engineer reads as they are: units, the symbols the
// boxes and formulas use, the program's name, the rule's author.
bool ReadAsItIs(const QString& word) {
    static const QSet<QString> kWords = {
        "W",       "V",        "A",       "mA",     "kHz",  "KHz",     "Hz",   "mm",  "cm",
        "mH",      "H",        "T",       "mT",     "Gs",   "K",       "C",    "mW",  "mJ",
        "nH",      "kΩ",       "mΩ",      "nF",     "E",    "EE",      "EFD",  "ETD", "ER",
        "EER",     "PQ",       "RM",      "EP",     "EQ",   "N",       "Vceo", "Isc", "Vmax",
        "Vmin",    "Vo",       "Vor",     "Vspike", "Dmax", "Lp",      "Ipk",  "Bpk", "Bmax",
        "Ae",      "AL",       "Ap",      "Wa",     "At",   "Ks",      "Np",   "Ns",  "Naux",
        "P",       "f",        "eta",     "B",      "FG",   "gap",     "core", "req", "Ctrl",
        "Esc",     "F",        "McLyman", "RCD",    "Ve",   "le",      "Ipk",  "D",   "Irms",
        "flyback", "designer", "MIT",     "Qt",     "AC",   "DC",      "MB",   "L",   "J",
        "M",       "S",        "Ae_req",  "Ω",      "R",    "µH",      "µJ",   "µs",  "µF",
        "µm",      "Pcu",      "Pfe",     "KRP",    "Vds",  "IEC",     "I",    "II",  "IIIa",
        "IIIb",    "III",      "IV",      "m",      "kV",   "Tecroll", "s",    "Fr",  "Dowell",
        "iGSE",    "SPICE",    "Z",       "ns",     "pF",   "MHz",     "Coss", "Cds"};
    return kWords.contains(word);
}

class ToolWindowsTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir settingsDir_;
    std::unique_ptr<MainWindow> window_;
    std::vector<FaultReport> reports_;

    QWidget* Child(const QString& name) const { return window_->findChild<QWidget*>(name); }
    void Press() { QTest::mouseClick(window_->Command1(), Qt::LeftButton); }
    // The plan window of a 12 V supply, on screen; none if it did not show.
    flyback::window::WindingWindow* ShownPlanWindow() {
        TypeInputs(*window_, {"12", "375", "120", "65", "80", "12"});
        Press();
        window_->ShowWinding();
        auto* winding = window_->Winding();
        return QTest::qWaitForWindowExposed(winding) ? winding : nullptr;
    }

  private slots:
    void initTestCase() { PrepareWindowTests(settingsDir_); }
    void init() { OpenWindow(window_, reports_); }
    void cleanup() { window_.reset(); }

    void aboutNamesVersionAndLicence() {
        const auto* about = window_->findChild<QAction*>("aboutAction");
        QVERIFY(about);
        QCOMPARE(about->text(), QString("关于"));
        QCOMPARE(about->shortcut(), QKeySequence(Qt::Key_F1));
        QVERIFY(window_->actions().contains(about));
        const QString text = flyback::window::AboutText();
        QVERIFY(text.contains(QString::fromUtf8(flyback::kProgramVersion.data())));
        QVERIFY(text.contains("MIT"));
        QVERIFY(text.contains("绕制方案"));  // the second model, not the press alone
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
        // Of the last press: all of it grey and italic, the "提示：" lines too.
        for (const QWidget* part : {static_cast<QWidget*>(working->keyValues()),
                                    static_cast<QWidget*>(working->warnings())}) {
            QCOMPARE(part->palette().color(QPalette::WindowText), flyback::window::kOutOfDateText);
            QVERIFY(part->font().italic());
        }
        Press();
        QVERIFY(!working->keyValues()->font().italic());
        QVERIFY(working->keyValues()->font().bold());
        QCOMPARE(working->quantities()->item(0, 2)->text(), QString("60 W"));
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
        // The plan's insulation is rated by the 265 V typed, kept for the file.
        QCOMPARE(QSettings().value("winding/mainsVrms").toDouble(), 265.0);

        flyback::window::MainsDialog tooSmall(60, 0.8);
        tooSmall.bulkMicrofarads->setText("2.2");
        QVERIFY(!tooSmall.Range());
        tooSmall.bulkMicrofarads->clear();  // "自动": proposed
        QVERIFY(tooSmall.Range() && tooSmall.Range()->bulkProposed);
    }

    // 自定义磁芯: the letters typed beside the family's drawing; a wrong one
    // is said and cannot be taken; taken, the core is the plan's, kept by
    // its name for the next run.
    void typedCoreBecomesThePlansCore() {
        TypeInputs(*window_, {"12", "375", "120", "65", "80", "12"});
        Press();
        window_->ShowWinding();
        QTimer::singleShot(0, [] {
            auto* dialog =
                qobject_cast<flyback::window::TypedCoreDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->family()->setCurrentIndex(0);  // E
            const char* letters[][2] = {{"A", "25.3"}, {"B", "9.5"}, {"C", "6.3"},
                                        {"D", "6.4"},  {"E", "26"},  {"F", "6.3"}};
            for (const auto& [letter, mm] : letters) dialog->Field(letter)->setText(mm);
            QVERIFY(!dialog->Core());
            QVERIFY(dialog->result()->text().contains("尺寸 E 须小于 A"));
            dialog->Field("E")->setText("18.8");
            QVERIFY(dialog->Core());
            QVERIFY(dialog->result()->text().contains("有效截面积 Ae 39.84 mm²"));
            QVERIFY(dialog->findChild<QSvgWidget*>());
            dialog->accept();
        });
        window_->Winding()->typeCoreButton()->click();
        const QString name = "E A=25.3 B=9.5 C=6.3 D=6.4 E=18.8 F=6.3";
        QCOMPARE(window_->Winding()->core()->currentData().toString(), name);
        QCOMPARE(QSettings().value("winding/core").toString(), name);
        QVERIFY(window_->Winding()->lines()->findItems("Ae 39.84 mm²", Qt::MatchContains).size() >
                0);
        // A window opened next plans on it again, made from its name.
        OpenWindow(window_, reports_);
        TypeInputs(*window_, {"12", "375", "120", "65", "80", "12"});
        Press();
        window_->ShowWinding();
        QCOMPARE(window_->Winding()->core()->currentData().toString(), name);
        QSettings().remove("winding/core");  // the tests after plan on the automatic core
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
        // From the mains, reinforced: the turns that keep the current limit a
        // tenth below saturation, on the smallest core that holds them, stays
        // cool and keeps the losses within the efficiency.
        QCOMPARE(plan->windings()->item(0, 1)->text(), QString("108 匝"));
        QVERIFY(plan->lines()->item(0, 1)->text().startsWith("ETD19/14/8"));
        const auto insulationLine = [&] {
            for (int row = 0; row < plan->lines()->rowCount(); ++row) {
                if (plan->lines()->item(row, 0)->text() == "绝缘（初级—次级）")
                    return plan->lines()->item(row, 1)->text();
            }
            return QString();
        };
        QVERIFY(insulationLine().startsWith("加强"));
        plan->insulation()->setCurrentIndex(1);  // 功能: no margins
        QVERIFY(insulationLine().startsWith("功能"));
        QCOMPARE(QSettings().value("winding/insulation").toInt(), 1);
        // Each operating corner has its row.
        QCOMPARE(plan->corners()->rowCount(), 6);
        QCOMPARE(plan->corners()->item(4, 0)->text(), QString("输出短路"));
        QVERIFY(plan->corners()->item(5, 0)->text().contains("带载能力"));
        plan->insulation()->setCurrentIndex(0);
        bool ordered = false;
        for (QComboBox* box : plan->findChildren<QComboBox*>()) {
            if (box->accessibleName() != "绕制顺序") continue;
            ordered = true;
            box->setCurrentIndex(2);  // the primary split around the secondary
            QCOMPARE(plan->windings()->item(0, 0)->text(), QString("初级 1"));
            QCOMPARE(plan->windings()->item(2, 0)->text(), QString("初级 2"));
            box->setCurrentIndex(3);  // the secondary split around the primary
            QCOMPARE(plan->windings()->item(0, 0)->text(), QString("次级 1"));
            QCOMPARE(plan->windings()->item(1, 0)->text(), QString("初级"));
            QCOMPARE(QSettings().value("winding/order").toInt(), 4);
            box->setCurrentIndex(4);  // the plan's own choice, listed last
            QCOMPARE(QSettings().value("winding/order").toInt(), 3);
            box->setCurrentIndex(0);
        }
        QVERIFY(ordered);
        QVERIFY(plan->buildPicture()->renderer()->isValid());
        // At their own size: the text as large as the window's, not shrunk.
        QCOMPARE(plan->buildPicture()->size(), plan->buildPicture()->renderer()->defaultSize());
        QVERIFY(plan->currentsPicture()->renderer()->isValid());

        const QString turnsBefore = plan->windings()->item(0, 1)->text();
        plan->bmax()->setValue(0.2);
        QVERIFY(plan->windings()->item(0, 1)->text() != turnsBefore);
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
            // The build sheet on a page of its own, whole: from its
            // title to its last note.
            const QStringList pages = content.split('\f');
            const auto sheet = std::find_if(pages.begin(), pages.end(), [](const QString& page) {
                return page.trimmed().startsWith("变压器规格书");
            });
            // What is built leads; the original method's seven results follow
            // as its first estimate, beside the plan's figures.
            QVERIFY(pages.front().contains("绕制方案") && !pages.front().contains("设计摘要"));
            const auto estimate = std::find_if(pages.begin(), pages.end(), [](const QString& page) {
                return page.trimmed().startsWith("原计算方法的初步估算");
            });
            QVERIFY(sheet < estimate && estimate != pages.end());
            const QString core = plan->lines()->item(0, 1)->text().section(
                QRegularExpression(QStringLiteral("[ （]")), 0, 0);
            QVERIFY2(estimate->contains(core) && estimate->contains("设计摘要"), qPrintable(core));
            QVERIFY(sheet != pages.end());
            QVERIFY(sheet->contains("耐压测试") && sheet->contains("磁芯两半对齐"));
            QVERIFY(!sheet->contains("第二个模型"));
            QProcess images;  // the three drawings, as images of the page
            images.start("pdfimages", {"-list", pdf});
            QVERIFY(images.waitForFinished());
            // Once each: a picture split across two pages would be there twice.
            QCOMPARE(QString::fromUtf8(images.readAllStandardOutput()).count(" image "), 3);
            // The windings table's names, counts and figures printed whole,
            // each a word of its own (a squeezed cell set them a character
            // a line): its name, its turns, its wire's size, its turns a layer.
            QProcess words;
            words.start("pdftotext", {"-enc", "UTF-8", "-bbox", pdf, "-"});
            QVERIFY(words.waitForFinished());
            QStringList printed;
            const QRegularExpression word(QStringLiteral("<word[^>]*>([^<]*)</word>"));
            for (auto it = word.globalMatch(QString::fromUtf8(words.readAllStandardOutput()));
                 it.hasNext();)
                printed << it.next().captured(1);
            for (int row = 0; row < plan->windings()->rowCount(); ++row) {
                for (const int column : {0, 1, 2, 3}) {
                    const QString whole =
                        plan->windings()->item(row, column)->text().section(' ', 0, 0);
                    QVERIFY2(printed.contains(whole), qPrintable(whole));
                }
            }
        }

        QTest::keyClicks(window_->Text1()[0], "0");
        QCOMPARE(plan->windings()->palette().color(QPalette::Text),
                 flyback::window::kOutOfDateText);
        QVERIFY(plan->windings()->font().italic());

        MainWindow next;  // the next run starts with the options left
        TypeInputs(next, {"12", "375", "120", "65", "80", "12"});
        QTest::mouseClick(next.Command1(), Qt::LeftButton);
        next.ShowWinding();
        QCOMPARE(next.Winding()->bmax()->value(), 0.2);
        QCOMPARE(next.Winding()->windings()->rowCount(), 3);
        QSettings().remove("winding");
    }

    // The sheet numbers the windings from the pins typed, says a clash or a
    // text that is no pins, and keeps the pins for the next run and the report.
    void buildSheetNumbersThePinsAndKeepsThem() {
        TypeInputs(*window_, {"60", "373", "249", "100", "80", "24"});
        Press();
        window_->ShowWinding();
        auto* tab = window_->Winding()->buildSheet();
        QCOMPARE(tab->pinsBox()->text(), QString("1,3,6"));
        QVERIFY(tab->sheet()->toPlainText().contains("耐压测试"));
        QVERIFY(tab->sheet()->toPlainText().contains("6 → 7"));
        QVERIFY(tab->schematic()->renderer()->isValid());
        // Of the last press once the inputs change: grey and italic, still
        // readable (at least 4.5:1 on its base), never a disabled widget's 1.8:1.
        QTest::keyClicks(window_->Text1()[0], "0");
        window_->ShowWinding();
        QVERIFY(tab->sheet()->isEnabled());
        QVERIFY(tab->sheet()->font().italic());
        const auto luminance = [](const QColor& c) {
            const auto channel = [](double v) {
                return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
            };
            return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
                   0.0722 * channel(c.blueF());
        };
        const double text = luminance(tab->sheet()->palette().color(QPalette::Text));
        const double base = luminance(tab->sheet()->palette().color(QPalette::Base));
        QVERIFY((std::max(text, base) + 0.05) / (std::min(text, base) + 0.05) >= 4.5);
        QTest::keyClick(window_->Text1()[0], Qt::Key_Backspace);
        window_->ShowWinding();
        QVERIFY(!tab->sheet()->font().italic());
        const struct {
            const char* typed;
            const char* said;  // in the problem's line; empty: none
            const char* kept;
        } cases[] = {
            {"1,3,2", "引脚 2 同时用于", "1,3,2"},
            {"x", "三个整数", "1,3,2"},
            {"2, 5, 8", "", "2,5,8"},
        };
        for (const auto& c : cases) {
            tab->pinsBox()->setText(c.typed);
            emit tab->pinsBox()->editingFinished();
            QCOMPARE(tab->problem()->isVisibleTo(tab), *c.said != '\0');
            QVERIFY(tab->problem()->text().contains(c.said));
            QCOMPARE(QSettings().value("winding/pins").toString(), QString(c.kept));
        }
        QVERIFY(tab->sheet()->toPlainText().contains("8 → 9"));
        window_->CopyDesign();
        QVERIFY(QGuiApplication::clipboard()->mimeData()->html().contains("8 → 9"));
        MainWindow next;
        TypeInputs(next, {"60", "373", "249", "100", "80", "24"});
        QTest::mouseClick(next.Command1(), Qt::LeftButton);
        next.ShowWinding();
        QCOMPARE(next.Winding()->buildSheet()->pinsBox()->text(), QString("2,5,8"));
        QSettings().remove("winding");
    }

    // Saved, changed, asked about, opened again: the design, its title and
    // the recent files; a damaged file said and nothing replaced; a drop
    // opens; the netlist written.
    // A netlist waits for a press; the design is saved by its keys from the
    // plan's window as from the form's.
    void theDesignsKeysWorkFromThePlanWindow() {
        auto* files = window_->Files();
        QVERIFY(!files->spiceAction()->isEnabled());
        TypeInputs(*window_, {"12", "375", "120", "65", "80", "12"});
        Press();
        QVERIFY(files->spiceAction()->isEnabled());
        window_->ShowWinding();
        QWidget* plan = window_->Winding();
        QVERIFY(plan != nullptr);
        QVERIFY(plan->actions().contains(files->saveAction()));
        QVERIFY(plan->actions().contains(files->saveAsAction()));
        window_->Files()->New();
    }

    void designFilesSaveOpenAndAskBeforeLosingChanges() {
        auto* files = window_->Files();
        QCOMPARE(window_->windowTitle(), QString("单端反激变换式开关电源变压器的设计"));
        TypeInputs(*window_, {"60", "373", "249", "100", "80", "24"});
        QTest::keyClicks(window_->Text1()[0], "0");
        QTest::keyClick(window_->Text1()[0], Qt::Key_Backspace);
        QVERIFY(files->modified());
        QVERIFY(window_->windowTitle().startsWith("未命名* — "));
        QTemporaryDir dir;
        const QString path = dir.filePath("a.mas.json");
        QVERIFY(files->SaveTo(path));
        QVERIFY(!files->modified());
        QVERIFY(window_->windowTitle().startsWith("a.mas.json — "));
        QCOMPARE(files->RecentFiles().value(0), path);
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QByteArray bytes = saved.readAll();
        QVERIFY(flyback::design_file::ReadDesignFile(bytes.toStdString(), window_->Parts()).design);

        QTest::keyClicks(window_->Text1()[5], "0");  // 240 V
        QVERIFY(window_->windowTitle().startsWith("a.mas.json* — "));
        QMessageBox::StandardButton answer = QMessageBox::Cancel;
        int asked = 0;
        files->SetQuestion([&](QWidget*) {
            ++asked;
            return answer;
        });
        files->New();
        QCOMPARE(window_->Text1()[5]->text(), QString("240"));  // cancelled: kept
        QCloseEvent close;
        QApplication::sendEvent(window_.get(), &close);
        QVERIFY(!close.isAccepted());
        answer = QMessageBox::Discard;
        files->New();
        QCOMPARE(asked, 3);
        QCOMPARE(window_->Text1()[5]->text(), QString());
        QCOMPARE(window_->windowTitle(), QString("单端反激变换式开关电源变压器的设计"));

        QVERIFY(files->Open(path));
        QCOMPARE(window_->Text1()[5]->text(), QString("24"));
        QCOMPARE(window_->Text2()[0]->text().isEmpty(), false);  // pressed
        QVERIFY(!files->modified());

        QFile damaged(dir.filePath("bad.json"));
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write("{\"a\": NaN}");
        damaged.close();
        reports_.clear();
        QVERIFY(!files->Open(damaged.fileName()));
        QCOMPARE(reports_.size(), std::size_t{1});
        QVERIFY(reports_[0].message.contains("不是 JSON"));
        QCOMPARE(window_->Text1()[5]->text(), QString("24"));

        QMimeData dropped;
        dropped.setUrls({QUrl::fromLocalFile(path)});
        window_->Text1()[5]->setText("5");
        QVERIFY(window_->OpenDropped(dropped));
        QCOMPARE(window_->Text1()[5]->text(), QString("24"));
        dropped.setUrls({QUrl::fromLocalFile(path), QUrl::fromLocalFile(path)});
        QVERIFY(!window_->OpenDropped(dropped));  // one file at a time

        const QString netlist = dir.filePath("a.cir");
        QVERIFY(files->ExportSpiceTo(netlist));
        QFile spice(netlist);
        QVERIFY(spice.open(QIODevice::ReadOnly));
        QVERIFY(spice.readAll().startsWith("* flyback-designer"));

        // Only regular files are opened: a device that reports no size, a
        // FIFO no one writes to and a folder are each said at once; a save
        // over a device is refused and the device left as it is.
        const QString fifo = dir.filePath("fifo");
        QCOMPARE(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
        for (const QString& other : {QString("/dev/zero"), fifo, dir.path()}) {
            reports_.clear();
            QVERIFY(!files->Open(other));
            QCOMPARE(reports_.size(), std::size_t{1});
            QVERIFY2(reports_[0].message.contains("不是普通文件"), qPrintable(reports_[0].message));
        }
        QVERIFY(!files->SaveTo(fifo));
        QVERIFY(!QFileInfo(fifo).isFile());
        QSettings().remove("files");
        QSettings().remove("winding");
    }

    // The comparison runs apart from the window, fills the table and the
    // chart (the front over every candidate), and a row picked gives the
    // options of its plan; one started again stops the first.
    void comparisonWeighsCandidatesAndOpensOne() {
        flyback::catalogue::Catalogue parts = flyback::catalogue::BuiltIn();
        std::erase_if(parts.cores, [](const auto& c) { return c.name != "PQ20/20"; });
        std::erase_if(parts.materials, [](const auto& m) { return m.name != "N87"; });
        const auto record = flyback::record::RecordPress({"12", "375", "120", "65", "80", "12"});
        flyback::window::CompareTab tab;
        QSignalSpy done(&tab, &flyback::window::CompareTab::finished);
        tab.Start(record, {}, parts);
        tab.Start(record, {}, parts);  // the first stopped, its answer not shown
        QVERIFY(!tab.compareButton()->isEnabled());
        QVERIFY(done.wait(60000));
        QCOMPARE(done.count(), 1);
        QVERIFY(tab.compareButton()->isEnabled());
        const auto& result = *tab.result();
        QVERIFY(result.advice.feasible > 0);
        QCOMPARE(tab.table()->rowCount(), static_cast<int>(result.advice.top.size()));
        QCOMPARE(tab.table()->item(0, 0)->text(), QString("PQ20/20"));
        // Said once, each sentence ended once.
        QString said;
        for (const QLabel* label : tab.findChildren<QLabel*>()) {
            if (label->accessibleName() == QStringLiteral("比较说明")) said = label->text();
        }
        QVERIFY(said.contains(QStringLiteral("首选 PQ20/20")));
        QVERIFY2(!said.contains(QStringLiteral("。。")), qPrintable(said));
        // The chart as the page draws it, filling its place; a click on a
        // red dot opens that member, a click beside every dot nothing.
        tab.resize(900, 700);
        tab.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tab));
        flyback::window::FittedPicture* chart = tab.chart();
        QAccessibleInterface* told = QAccessible::queryAccessibleInterface(chart);
        QCOMPARE(told->role(), QAccessible::Graphic);
        QCOMPARE(told->text(QAccessible::Name), QStringLiteral("损耗与磁芯体积"));
        const auto frame = flyback::advise::FrameOf(result.advice, chart->width(), chart->height());
        QCOMPARE(chart->Svg(),
                 QByteArray::fromStdString(flyback::advise::Svg(result.advice, frame)));
        QSignalSpy chosen(&tab, &flyback::window::CompareTab::chosen);
        QTest::mouseClick(chart, Qt::LeftButton, {}, chart->ToWidget({frame.width, 0}).toPoint());
        QCOMPARE(chosen.count(), 0);
        const flyback::advise::Candidate& member = result.advice.front.back();
        const QPointF dot(frame.X(member.volume_cm3), frame.Y(member.loss_W));
        QTest::mouseClick(chart, Qt::LeftButton, {}, chart->ToWidget(dot).toPoint());
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(chosen[0][0].value<flyback::winding::Options>().choices.Np, member.Np);
        chosen.clear();
        tab.Pick(0);
        QCOMPARE(chosen.count(), 1);
        const auto options = chosen[0][0].value<flyback::winding::Options>();
        QCOMPARE(options.core, std::string("PQ20/20"));
        QCOMPARE(options.choices.Np, result.advice.top[0].Np);
        // The options changed since: said out of date, greyed, and a row
        // opens its core and turns on the options as they are now (the
        // mode chosen since is kept, not silently changed back).
        flyback::winding::Options now;
        now.choices.conduction = flyback::winding::Conduction::QuasiResonant;
        tab.OptionsChanged(now);
        QVERIFY(tab.status()->text().startsWith(QStringLiteral("已过时")));
        QCOMPARE(tab.table()->palette().color(QPalette::Text), flyback::window::kOutOfDateText);
        QVERIFY(tab.chart()->OutOfDate());
        tab.Pick(0);
        const auto reopened = chosen[1][0].value<flyback::winding::Options>();
        QCOMPARE(reopened.core, std::string("PQ20/20"));
        QCOMPARE(reopened.choices.Np, result.advice.top[0].Np);
        QCOMPARE(reopened.choices.conduction, flyback::winding::Conduction::QuasiResonant);
        // Weighed again, it is up to date.
        tab.Start(record, now, parts);
        QVERIFY(done.wait(60000));
        QVERIFY(!tab.status()->text().startsWith(QStringLiteral("已过时")));
        QVERIFY(!tab.chart()->OutOfDate());
        QVERIFY(!tab.result()->changedTo);
    }

    // The materials a buyer can get: every one with loss data is listed
    // unchecked (the plan's own weighed alone); those checked are weighed
    // instead, the plan's own among them only if checked.
    void comparisonWeighsTheCheckedMaterials() {
        flyback::catalogue::Catalogue parts = flyback::catalogue::BuiltIn();
        std::erase_if(parts.cores, [](const auto& c) { return c.name != "PQ20/20"; });
        const auto record = flyback::record::RecordPress({"12", "375", "120", "65", "80", "12"});
        flyback::window::CompareTab tab;
        tab.ListMaterials(parts);
        QListWidget* list = tab.materials();
        QCOMPARE(list->accessibleName(), QString("比较的材料"));
        QStringList listed;
        for (int i = 0; i < list->count(); ++i) {
            listed << list->item(i)->text();
            QCOMPARE(list->item(i)->checkState(), Qt::Unchecked);
        }
        QVERIFY(!listed.contains("PC40"));  // no loss data to weigh it by
        QVERIFY(listed.contains("N87") && listed.contains("3C95"));
        const struct {
            QStringList checked;
            std::set<std::string> weighed;
        } cases[] = {{{}, {"N87"}}, {{"3C95", "N97"}, {"3C95", "N97"}}};
        for (const auto& c : cases) {
            for (int i = 0; i < list->count(); ++i) {
                list->item(i)->setCheckState(
                    c.checked.contains(list->item(i)->text()) ? Qt::Checked : Qt::Unchecked);
            }
            QSignalSpy done(&tab, &flyback::window::CompareTab::finished);
            tab.Start(record, {}, parts);
            QVERIFY(done.wait(60000));
            std::set<std::string> weighed;
            for (const auto& candidate : tab.result()->advice.all)
                weighed.insert(candidate.material->name);
            QCOMPARE(weighed, c.weighed);
        }
    }

    // The rank picked is the one the comparison runs with, and is kept for
    // the next; a kept place that is no rank leaves the adviser's own.
    void comparisonRanksAsPickedAndKeepsIt() {
        flyback::catalogue::Catalogue parts = flyback::catalogue::BuiltIn();
        std::erase_if(parts.cores, [](const auto& c) { return c.name != "PQ20/20"; });
        std::erase_if(parts.materials, [](const auto& m) { return m.name != "N87"; });
        const auto record = flyback::record::RecordPress({"12", "375", "120", "65", "80", "12"});
        using flyback::advise::Rank;
        for (const Rank rank : {Rank::Loss, Rank::Rise, Rank::Price}) {
            {
                flyback::window::CompareTab tab;
                QCOMPARE(tab.rank()->accessibleName(), QString("排序"));
                QCOMPARE(tab.rank()->count(),
                         static_cast<int>(std::size(flyback::advise::kRankNames)));
                tab.rank()->setCurrentIndex(static_cast<int>(rank));
                QSignalSpy done(&tab, &flyback::window::CompareTab::finished);
                tab.Start(record, {}, parts);
                QVERIFY(done.wait(60000));
                QCOMPARE(tab.result()->advice.rank, rank);
            }
            QCOMPARE(flyback::window::CompareTab().rank()->currentIndex(), static_cast<int>(rank));
        }
        for (const QVariant& junk : {QVariant(9), QVariant(1.5), QVariant("loss")}) {
            QSettings().setValue("compare/rank", junk);
            QCOMPARE(flyback::window::CompareTab().rank()->currentIndex(),
                     static_cast<int>(flyback::advise::Settings{}.rank));
        }
        QSettings().remove("compare");
    }

    // The weights and how many to list are the adviser's rows: the weights
    // only with the weighted rank, the comparison run with what the boxes
    // say, each kept for the next; all weights 0 is refused before anything
    // runs; a kept value beyond a row's limits leaves the adviser's own.
    void comparisonWeighsAndListsAsTheBoxesSay() {
        using flyback::advise::SettingNumber;
        flyback::catalogue::Catalogue parts = flyback::catalogue::BuiltIn();
        std::erase_if(parts.cores, [](const auto& c) { return c.name != "PQ20/20"; });
        std::erase_if(parts.materials, [](const auto& m) { return m.name != "N87"; });
        const auto record = flyback::record::RecordPress({"12", "375", "120", "65", "80", "12"});
        {
            flyback::window::CompareTab tab;
            tab.rank()->setCurrentIndex(static_cast<int>(flyback::advise::Rank::Volume));
            QVERIFY(!tab.Number(SettingNumber::RiseWeight)->isEnabled());
            QVERIFY(tab.Number(SettingNumber::Top)->isEnabled());
            tab.rank()->setCurrentIndex(static_cast<int>(flyback::advise::Rank::Weighted));
            QVERIFY(tab.Number(SettingNumber::RiseWeight)->isEnabled());
            QCOMPARE(tab.Number(SettingNumber::RiseWeight)->accessibleName(), QString("权重 温升"));
            QCOMPARE(tab.Number(SettingNumber::Top)->accessibleName(), QString("列出"));
            for (const SettingNumber w : {SettingNumber::LossWeight, SettingNumber::RiseWeight,
                                          SettingNumber::VolumeWeight})
                tab.Number(w)->setValue(0);
            QSignalSpy refused(&tab, &flyback::window::CompareTab::finished);
            tab.Start(record, {}, parts);
            QCOMPARE(refused.count(), 1);
            QVERIFY(!tab.result());
            QCOMPARE(tab.status()->text(), QString("加权排序的权重不能都为 0。"));
            QVERIFY(tab.compareButton()->isEnabled());

            tab.Number(SettingNumber::RiseWeight)->setValue(2);
            tab.Number(SettingNumber::Top)->setValue(2);
            QSignalSpy done(&tab, &flyback::window::CompareTab::finished);
            tab.Start(record, {}, parts);
            QVERIFY(done.wait(60000));
            const flyback::advise::Advice& advice = tab.result()->advice;
            QCOMPARE(advice.top.size(), std::size_t{2});
            for (const flyback::advise::Candidate& c : advice.top) QCOMPARE(c.score, 2 * c.rise_K);
            // Ranked otherwise since: said out of date until set back.
            tab.Number(SettingNumber::Top)->setValue(3);
            QVERIFY(tab.status()->text().startsWith("已过时：排序、权重或列出个数"));
            QVERIFY(tab.chart()->OutOfDate());
            tab.Number(SettingNumber::Top)->setValue(2);
            QVERIFY(!tab.status()->text().startsWith("已过时"));
            QVERIFY(!tab.chart()->OutOfDate());
            tab.rank()->setCurrentIndex(static_cast<int>(flyback::advise::Rank::Loss));
            QVERIFY(tab.status()->text().startsWith("已过时"));
            tab.rank()->setCurrentIndex(static_cast<int>(flyback::advise::Rank::Weighted));
        }
        flyback::window::CompareTab kept;
        QCOMPARE(kept.Number(SettingNumber::RiseWeight)->value(), 2.0);
        QCOMPARE(kept.Number(SettingNumber::Top)->value(), 2.0);
        for (const QVariant& junk : {QVariant(0), QVariant(2.5), QVariant("ten")}) {
            QSettings().setValue("compare/top", junk);
            QCOMPARE(flyback::window::CompareTab().Number(SettingNumber::Top)->value(),
                     static_cast<double>(flyback::advise::Settings{}.top));
        }
        QSettings().remove("compare");
    }

    // A candidate opened and saved at once: the file's transformer, its
    // options, the plan shown and the netlist are all the candidate's.
    void anOpenedCandidateIsWhatIsShownAndSaved() {
        TypeInputs(*window_, {"12", "375", "120", "65", "80", "12"});
        Press();
        window_->ShowWinding();
        flyback::winding::Options candidate = window_->Winding()->Options();
        candidate.core = "PQ32/30";
        candidate.material = "3C95";
        candidate.choices.Np = 37;
        candidate.choices.Ns = 4;
        window_->ApplyCandidate(candidate);
        const auto* plan = window_->PressedPlan();
        QVERIFY(plan && plan->plan);
        QCOMPARE(plan->plan->core->name, std::string("PQ32/30"));
        QCOMPARE(plan->plan->Np, 37);
        QTemporaryDir dir;
        const QString path = dir.filePath("candidate.mas.json");
        QVERIFY(window_->Files()->SaveTo(path));
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const auto document = QJsonDocument::fromJson(saved.readAll()).object();
        const auto magnetic = document["magnetic"].toObject();
        const auto core = magnetic["core"].toObject()["functionalDescription"].toObject();
        QCOMPARE(core["material"].toString(), QString("3C95"));
        QVERIFY2(core["shape"].toString().startsWith("PQ 32/30"),
                 qPrintable(core["shape"].toString()));
        const auto windings = magnetic["coil"].toObject()["functionalDescription"].toArray();
        QCOMPARE(windings[0].toObject()["numberTurns"].toInt(), 37);
        QCOMPARE(windings[1].toObject()["numberTurns"].toInt(), 4);
        const auto options = document["flybackDesigner"].toObject()["options"].toObject();
        QCOMPARE(options["core"].toString(), QString("PQ32/30"));
        const QString netlist = dir.filePath("candidate.cir");
        QVERIFY(window_->Files()->ExportSpiceTo(netlist));
        QFile spice(netlist);
        QVERIFY(spice.open(QIODevice::ReadOnly));
        QVERIFY(spice.readLine().contains("PQ32/30 3C95, Np 37"));

        // The build sheet alone, as the winding shop gets it.
        auto* sheet = window_->Winding()->buildSheet();
        const QString pdf = dir.filePath("sheet.pdf"), page = dir.filePath("sheet.html");
        QVERIFY(sheet->SaveTo(pdf));
        if (qEnvironmentVariableIsSet("FLYBACK_KEEP_REPORT"))
            QFile::copy(pdf, "/tmp/buildsheet.pdf");
        QVERIFY(sheet->SaveTo(page));
        QFile printed(pdf), html(page);
        QVERIFY(printed.open(QIODevice::ReadOnly) && html.open(QIODevice::ReadOnly));
        QVERIFY(printed.read(4) == "%PDF");
        // Two windings' sheet is one A4 page: its table's last rows were
        // once sent to pages of their own, one and two rows each.
        if (!QStandardPaths::findExecutable("pdftotext").isEmpty()) {
            QProcess text;
            text.start("pdftotext", {"-enc", "UTF-8", pdf, "-"});
            QVERIFY(text.waitForFinished());
            const QString content = QString::fromUtf8(text.readAllStandardOutput());
            QCOMPARE(content.split('\f', Qt::SkipEmptyParts).size(), 1);
            QVERIFY(content.contains("第 1 页，共 1 页"));
        }
        const QString text = QString::fromUtf8(html.readAll());
        QVERIFY(text.contains("— 变压器规格书</title>"));
        QVERIFY(text.contains("PQ32/30 3C95，Np 37"));
        QSettings().remove("winding");
        QSettings().remove("files");
    }

    // A design opened and saved again is the same file to the byte: its
    // pins, options and choices all come back, with the plan window open.
    void aDesignOpenedAndSavedAgainIsTheSameFile() {
        TypeInputs(*window_, {"12", "375", "120", "65", "80", "12"});
        Press();
        flyback::window::SavePins({2, 4, 8});
        window_->ShowWinding();
        flyback::winding::Options options = window_->Winding()->Options();
        options.Vaux_V = 15;
        options.insulation.mains_Vrms = 480;
        options.choices.Ilimit_A = 2;
        window_->ApplyCandidate(options);
        QTemporaryDir dir;
        const QString first = dir.filePath("a.mas.json"), second = dir.filePath("b.mas.json");
        QVERIFY(window_->Files()->SaveTo(first));
        flyback::window::SavePins({});
        QVERIFY(window_->Files()->Open(first));
        QVERIFY(window_->Files()->SaveTo(second));
        QFile a(first), b(second);
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        const QByteArray bytes = a.readAll();
        QVERIFY(bytes.contains("\"pins\": \"2,4,8\""));
        QCOMPARE(b.readAll(), bytes);
        QSettings().remove("winding");
        QSettings().remove("files");
    }

    // A notch of the wheel over a box that has not been chosen scrolls the
    // window and changes nothing; once the box has the focus it steps by
    // its own step.
    void theWheelChangesOnlyTheBoxThatHasTheFocus() {
        auto* winding = ShownPlanWindow();
        QVERIFY(winding != nullptr);
        QDoubleSpinBox* bmax = winding->bmax();
        const double before = bmax->value();
        const auto notch = [&](QWidget* target, int delta = 120) {
            const QPointF at(target->width() / 2.0, target->height() / 2.0);
            QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(target, &wheel);
        };
        winding->setFocus();
        notch(bmax);
        QCOMPARE(bmax->value(), before);
        QCOMPARE(bmax->focusPolicy(), Qt::StrongFocus);
        bmax->setFocus();
        QTRY_VERIFY(bmax->hasFocus());
        notch(bmax);
        QCOMPARE(bmax->value(), before + 0.01);
        // A tab bar passing under the pointer while the window scrolls keeps its tab.
        auto* tabs = winding->findChild<QTabBar*>();
        QVERIFY(tabs != nullptr && tabs->count() > 1);
        tabs->setCurrentIndex(0);
        notch(tabs, -120);  // down: towards the next tab
        QCOMPARE(tabs->currentIndex(), 0);
        notch(tabs);
        const int shown = tabs->currentIndex();
        QCOMPARE(tabs->currentIndex(), shown);
        QSettings().remove("winding");
    }

    // Tab walks the plan window through every box, the tables (each one
    // stop), the tabs, the comparison's button and table, and comes round.
    void tabReachesEverythingInThePlanWindowAndComesBack() {
        auto* winding = ShownPlanWindow();
        QVERIFY(winding != nullptr);
        QApplication::setActiveWindow(winding);
        QWidget* first = winding->bmax();
        // Every widget Tab stops at from `first` round to it; empty when it
        // never comes back.
        const auto walk = [&] {
            first->setFocus();
            QSet<QWidget*> visited;
            for (int i = 0; i < 400; ++i) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                QWidget* now = QApplication::focusWidget();
                if (now == first) return visited;
                visited.insert(now);
            }
            return QSet<QWidget*>();
        };
        QTRY_VERIFY(QApplication::activeWindow() == winding);
        const QSet<QWidget*> plan = walk();
        QVERIFY2(!plan.isEmpty(), "Tab never came back to where it started");
        QVERIFY(plan.contains(winding->windings()));
        QTabBar* tabs = nullptr;
        for (QWidget* w : plan) {
            if (auto* bar = qobject_cast<QTabBar*>(w)) tabs = bar;
        }
        QVERIFY(tabs != nullptr);
        tabs->setCurrentIndex(tabs->count() - 1);  // 方案比较, as the arrows would
        const QSet<QWidget*> compare = walk();
        QVERIFY(compare.contains(winding->compareTab()->compareButton()));
        QVERIFY(compare.contains(winding->compareTab()->table()));
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
        QCOMPARE(sweep->shown()->count(), 15);  // the chain's 7, the plan's 8
        QVERIFY(sweep->chart()->Svg().contains("class=\"series\""));
        QVERIFY(sweep->marks()->text().startsWith("磁芯（灰线处起）：30 W "));
        sweep->CopyTable();
        QVERIFY(QGuiApplication::clipboard()->text().startsWith("P\tVmax\tVmin\tf\t"));
        sweep->from()->setText("x");
        QVERIFY(!sweep->Run());
        QVERIFY(sweep->problem()->isVisibleTo(sweep));

        // A choice of the plan: swept in the plan, its column first.
        sweep->input()->setCurrentIndex(sweep->input()->findText("方案：反射电压 Vor"));
        QCOMPARE(sweep->from()->text(), QString("60"));
        QVERIFY(!sweep->withPlan()->isEnabled() && sweep->withPlan()->isChecked());
        QVERIFY(sweep->Run());
        QCOMPARE(sweep->table()->horizontalHeaderItem(0)->text(), QString("反射电压 Vor（V）"));
        QCOMPARE(sweep->table()->item(0, 0)->text(), QString("60"));
        sweep->CopyTable();
        QVERIFY(QGuiApplication::clipboard()->text().startsWith("vor\tP\t"));
    }

    // Another tool's design with its core and material given in place: both
    // join the window's catalogue, the plan is on them, the lists offer them,
    // and the notes say so, with the plan at each of the file's operating
    // points; opened again, they are not added twice.
    void aDesignWithItsOwnCoreAndMaterialOpensOnThem() {
        auto* files = window_->Files();
        const QString path = QString(FOREIGN_DESIGNS) + "/embedded_parts.mas.json";
        const std::size_t cores = window_->Parts().cores.size();
        reports_.clear();
        QVERIFY(files->Open(path));
        QVERIFY(!reports_.empty());
        QVERIFY2(reports_.back().message.contains("按文件给出的有效参数取用"),
                 qPrintable(reports_.back().message));
        // The planned transformer at each of the file's operating points.
        QVERIFY(reports_.back().message.contains("文件工作点：Min. input volt. 输入电压 249 V"));
        QVERIFY(reports_.back().message.contains("文件工作点：Max. input volt. 输入电压"));
        QVERIFY(files->Open(path));  // now the catalogue's, by name
        QCOMPARE(window_->Parts().cores.size(), cores + 1);
        QVERIFY(window_->Parts().FindMaterial("95") != nullptr);
        const flyback::winding::PlanOutcome* plan = window_->PressedPlan();
        QVERIFY(plan != nullptr && plan->plan);
        QCOMPARE(plan->plan->core->name, std::string("ER 41/7.6/32 (file)"));
        QCOMPARE(plan->plan->material->name, std::string("95"));
        window_->ShowWinding();
        QCOMPARE(
            window_->Winding()->compareTab()->materials()->findItems("95", Qt::MatchExactly).size(),
            1);
        files->SetQuestion([](QWidget*) { return QMessageBox::Discard; });
        files->New();
        QSettings().remove("winding");
    }

    // A file whose numbers no real part has (a subnormal gap, a permeability
    // of nought) killed the window and lost the design on the screen; it is
    // now refused, naming the field, and the design stays.
    void aFileOfImpossibleNumbersIsRefusedAndTheDesignKept() {
        auto* files = window_->Files();
        const QString source = QString(FOREIGN_DESIGNS) + "/embedded_parts.mas.json";
        QFile in(source);
        QVERIFY(in.open(QIODevice::ReadOnly));
        const QByteArray original = in.readAll();
        const QList<QPair<QByteArray, QByteArray>> cases = {
            {"\"length\": 0.0005433408379197585", "\"length\": 1e-310"},
            {"\"value\": 2052.21", "\"value\": 0"},
        };
        const flyback::design_file::Design before = window_->CurrentDesign();
        for (const auto& [from, to] : cases) {
            QVERIFY2(original.contains(from), from.constData());
            QTemporaryDir dir;
            QFile out(dir.filePath("bad.mas.json"));
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(QByteArray(original).replace(from, to));
            out.close();
            reports_.clear();
            QVERIFY(!files->Open(out.fileName()));
            QVERIFY(!reports_.empty());
            QVERIFY2(reports_.back().message.contains("须在"), qPrintable(reports_.back().message));
            QCOMPARE(window_->CurrentDesign().texts, before.texts);
        }
    }

    // A design opened is pressed as the file has it: its texts, whatever a
    // box would make of them, and saved again as they were.
    void anOpenedDesignIsPressedAsTheFileHasIt() {
        flyback::design_file::Design design;
        design.texts = {" 12.0 ", "375", "120\n", "65\t", "80", "12"};
        window_->ApplyDesign(design);
        QCOMPARE(window_->CurrentDesign().texts, design.texts);
        const flyback::winding::PlanOutcome* plan = window_->PressedPlan();
        QVERIFY(plan != nullptr);
        QCOMPARE(window_->CurrentDesign().texts, design.texts);
    }

    // The options' table, walked against the plan window: every number a box
    // labelled by its caption, bounded by its row (an option that may be
    // unset from 0, its "none"), with its decimals and step; each kept under
    // its row's settings key and read back as it was.
    void everyNumberOptionOfTheTableHasItsBox() {
        auto* winding = ShownPlanWindow();
        QVERIFY(winding != nullptr);
        const QList<QLabel*> labels = winding->findChildren<QLabel*>();
        flyback::winding::Options options;
        for (const flyback::winding::NumberOptionInfo& info : flyback::winding::kNumberOptions) {
            const QString caption =
                QString::fromUtf8(info.caption.data(), static_cast<qsizetype>(info.caption.size()));
            QDoubleSpinBox* box = winding->NumberBox(info.option);
            QVERIFY2(box != nullptr, qPrintable(caption));
            // The insulation's numbers stand in a row without labels, each
            // saying its caption.
            const bool said =
                info.block == flyback::winding::OptionBlock::Insulation
                    ? box->accessibleName() == caption && box->prefix().startsWith(caption)
                    : std::any_of(labels.begin(), labels.end(), [&](const QLabel* label) {
                          return label->buddy() == box && label->text().startsWith(caption + "(&");
                      });
            QVERIFY2(said, qPrintable(caption));
            QCOMPARE(box->minimum(), info.none.empty() ? info.low : 0.0);
            QCOMPARE(box->maximum(), info.high);
            QCOMPARE(box->decimals(), info.decimals);
            QCOMPARE(box->singleStep(), info.step);
            flyback::winding::SetShownValue(options, info.option, info.high);
        }
        flyback::window::SaveWindingOptions(options);
        const flyback::winding::Options kept = flyback::window::LoadWindingOptions();
        for (const flyback::winding::NumberOptionInfo& info : flyback::winding::kNumberOptions) {
            QVERIFY2(QSettings().contains(QString::fromUtf8(
                         info.settingsKey.data(), static_cast<qsizetype>(info.settingsKey.size()))),
                     info.settingsKey.data());
            QCOMPARE(flyback::winding::ShownValue(kept, info.option), std::optional(info.high));
        }
        flyback::window::SaveWindingOptions({});
    }

    // The choices' table, walked against the panel: every number a box named
    // by its caption, bounded by its row, showing its first value, shown only
    // with its way; what a box holds is the choice, in the unit held.
    void everyChoiceOfTheTableHasItsBox() {
        QSettings().remove("winding/choices");
        flyback::window::ChoicesPanel panel{flyback::winding::Choices{}};
        panel.setChecked(true);
        panel.show();
        for (const flyback::winding::ChoiceNumberInfo& info : flyback::winding::kChoiceNumbers) {
            const QString name =
                QString::fromUtf8(info.caption.data(), static_cast<qsizetype>(info.caption.size()));
            QDoubleSpinBox* box = panel.Box(info.choice);
            QVERIFY2(box && box->accessibleName() == name, qPrintable(name));
            QCOMPARE(box->minimum(), info.low);
            QCOMPARE(box->maximum(), info.high);
            QCOMPARE(box->value(), info.first);
            QCOMPARE(box->singleStep(), info.step);
            if (info.vorSource) {
                panel.vorSource()->setCurrentIndex(static_cast<int>(*info.vorSource));
                QVERIFY(box->isVisible());
                panel.vorSource()->setCurrentIndex(
                    (static_cast<int>(*info.vorSource) + 1) %
                    static_cast<int>(std::size(flyback::winding::kVorSources)));
                QVERIFY(!box->isVisible());
                panel.vorSource()->setCurrentIndex(static_cast<int>(*info.vorSource));
            }
            if (info.conduction) {
                panel.conduction()->setCurrentIndex(static_cast<int>(*info.conduction));
                QVERIFY(box->isVisible());
            }
            if (!info.none.empty()) {
                QVERIFY(!box->isEnabled());
                QVERIFY(!flyback::winding::HeldValue(panel.Choices(), info.choice));
                continue;
            }
            box->setValue(info.high);
            QCOMPARE(*flyback::winding::HeldValue(panel.Choices(), info.choice),
                     info.high / info.shownPerHeld);
        }
    }

    // The engineer's choices: two outputs and a ripple ratio give a plan in
    // continuous conduction with a winding per output; kept for the next run;
    // unticked, the plan is the press's again.
    void designChoicesShapeThePlanAndAreKept() {
        TypeInputs(*window_, {"30", "375", "100", "65", "80", "12"});
        Press();
        window_->ShowWinding();
        flyback::window::WindingWindow* plan = window_->Winding();
        flyback::window::ChoicesPanel* choices = plan->choices();
        QVERIFY(choices && !choices->isChecked());
        choices->setChecked(true);
        choices->AddOutput({12, 1.5, 0.5});
        choices->AddOutput({5, 2, 0.4});
        choices->conduction()->setCurrentIndex(1);  // 纹波系数 KRP
        choices->krp()->setValue(0.5);
        QCOMPARE(plan->windings()->rowCount(), 3);
        QCOMPARE(plan->windings()->item(2, 0)->text(), QString("次级 2"));
        QString mode;
        for (int row = 0; row < plan->lines()->rowCount(); ++row) {
            if (plan->lines()->item(row, 0)->text() == "工作模式（最低输入）")
                mode = plan->lines()->item(row, 1)->text();
        }
        QVERIFY2(mode.startsWith("连续，KRP 0.5"), qPrintable(mode));
        QVERIFY(!choices->krp()->isHidden() && choices->lp()->isHidden());

        MainWindow next;  // the next run starts with the same choices
        TypeInputs(next, {"30", "375", "100", "65", "80", "12"});
        QTest::mouseClick(next.Command1(), Qt::LeftButton);
        next.ShowWinding();
        QVERIFY(next.Winding() != nullptr);
        const flyback::winding::Choices kept = next.Winding()->choices()->Choices();
        QCOMPARE(kept.outputs.size(), std::size_t{2});
        QCOMPARE(kept.outputs[1].I_A, 2.0);
        QCOMPARE(kept.KRP, 0.5);

        // Stacked, the 5 V section is the base and the plan says the stack;
        // kept for the next run.
        QCheckBox* stack = nullptr;
        for (QCheckBox* box : plan->findChildren<QCheckBox*>()) {
            if (box->text().contains("叠绕")) stack = box;
        }
        QVERIFY(stack && stack->text().contains("叠绕") && !stack->isChecked());
        stack->setChecked(true);
        QCOMPARE(plan->windings()->item(1, 0)->text(), QString("次级 2"));
        bool said = false;
        for (int row = 0; row < plan->lines()->rowCount(); ++row)
            said = said || plan->lines()->item(row, 0)->text() == "叠绕";
        QVERIFY(said);
        QVERIFY(flyback::window::LoadWindingOptions().stack);
        stack->setChecked(false);
        QVERIFY(!flyback::window::LoadWindingOptions().stack);

        choices->setChecked(false);
        QCOMPARE(plan->windings()->rowCount(), 2);
        QSettings().remove("winding/choices");
    }

    // Tab visits every control of the plan window once a round, the 设计选择
    // ticked: the way of Vor and the mode on the first round as on the next.
    void tabVisitsTheChoicesOnTheFirstRound() {
        flyback::window::WindingWindow* plan = ShownPlanWindow();
        QVERIFY(plan);
        plan->choices()->setChecked(true);
        plan->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(plan));
        QWidget* first = plan->findChildren<QComboBox*>().front();
        first->setFocus(Qt::TabFocusReason);
        QList<QWidget*> round;
        for (int i = 0; i < 400; ++i) {
            QWidget* at = QApplication::focusWidget();
            QVERIFY(at);
            if (i > 0 && at == first) break;
            QVERIFY2(!round.contains(at), qPrintable(at->accessibleName()));  // once a round
            round << at;
            QTest::keyClick(at, Qt::Key_Tab);
        }
        QCOMPARE(QApplication::focusWidget(), first);
        for (QComboBox* way : {plan->choices()->vorSource(), plan->choices()->conduction()})
            QVERIFY2(round.contains(way), qPrintable(way->accessibleName()));
        plan->choices()->setChecked(false);
    }

    // A table with the keyboard's focus is ringed in the highlight colour;
    // without it, not.
    void aTableWithTheFocusShowsIt() {
        flyback::window::WindingWindow* plan = ShownPlanWindow();
        QVERIFY(plan);
        plan->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(plan));
        QTableWidget* table = plan->windings();
        const QColor ring = table->palette().color(QPalette::Highlight);
        table->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(table->hasFocus());
        const QPoint edge(0, table->height() / 2);
        QCOMPARE(table->grab().toImage().pixelColor(edge), ring);
        plan->choices()->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(!table->hasFocus());
        QVERIFY(table->grab().toImage().pixelColor(edge) != ring);
    }

    // Qt's own file dialog dates its files as the captions are written, and
    // its date column is as wide as its dates.
    void theFileDialogDatesItsFilesInChinese() {
        QTemporaryDir dir;
        QFile(dir.filePath("a.mas.json")).open(QIODevice::WriteOnly);
        QString date;
        bool wideEnough = false;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            auto* view = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
            QVERIFY(view);
            QTRY_VERIFY(view->model()->rowCount(view->rootIndex()) > 0);
            const QModelIndex at = view->model()->index(0, 3, view->rootIndex());
            date = at.data().toString();
            view->resizeColumnToContents(3);
            wideEnough = view->columnWidth(3) >= view->fontMetrics().horizontalAdvance(date);
            dialog->reject();
        });
        flyback::window::ChooseFileToOpen(nullptr, QStringLiteral("打开设计"), dir.path(),
                                          QStringLiteral("设计文件 (*.mas.json *.json)"));
        QVERIFY2(
            QRegularExpression(QStringLiteral("^\\d{4}/\\d{1,2}/\\d{1,2} ")).match(date).hasMatch(),
            qPrintable(date));
        QVERIFY(wideEnough);
    }

    // 添加输出 starts a row at its share of the pressed power: the press's own
    // output first (12 V at 30 W), then what the rows before leave (none: a
    // tenth of it).
    void aNewOutputTakesItsShareOfThePower() {
        TypeInputs(*window_, {"30", "375", "100", "65", "80", "12"});
        Press();
        window_->ShowWinding();
        flyback::window::ChoicesPanel* choices = window_->Winding()->choices();
        choices->setChecked(true);
        choices->AddNewOutput();
        choices->AddNewOutput();
        const std::vector<flyback::winding::OutputLoad> rows = choices->Choices().outputs;
        QCOMPARE(rows.size(), std::size_t{2});
        QCOMPARE(rows[0].V, 12.0);
        QCOMPARE(rows[0].I_A, 2.5);
        QCOMPARE(rows[1].I_A, 0.25);
        choices->setChecked(false);
        QSettings().remove("winding/choices");
    }

    // No programmer's name reaches the window: every Latin word in every
    // window's visible text is a unit or an engineer's symbol.
    void everyVisibleTextIsChineseOrAUnitOrASymbol() {
        TypeInputs(*window_, {"12", "375", "120", "65", "80", "12"});
        Press();
        window_->ShowWinding();
        window_->ShowWorking();
        window_->ShowSweep();
        QStringList unknown;
        for (const QWidget* top :
             {static_cast<QWidget*>(window_.get()), static_cast<QWidget*>(window_->Winding()),
              static_cast<QWidget*>(window_->Sweep()), Child("workingWindow")}) {
            for (const QString& text : VisibleTexts(*top)) {
                // A part's name (PC47, UC3844) is read as it is; a menu's
                // mnemonic (&I) is no word; the chain's own core text stays.
                // A data file is named by what it holds, never by its file.
                static const QRegularExpression kWord("[A-Za-zµΩ_]+(?![A-Za-z0-9])");
                static const QRegularExpression kNotWords("\\(&[A-Z]\\)|EE\\d+ or E\\d+x\\d+");
                const QString words = QString(text).remove(kNotWords);
                for (auto match = kWord.globalMatch(words); match.hasNext();) {
                    const QString word = match.next().captured();
                    if (!ReadAsItIs(word)) unknown << word + " in «" + text.left(60) + "»";
                }
            }
        }
        unknown.removeDuplicates();
        QVERIFY2(unknown.isEmpty(), qPrintable(unknown.join('\n')));
    }

    // Each window beside the form opens within the screen, closes with Esc or
    // Ctrl+W, and opens again where it was left; the sweep opens drawn.
    // Where a window first opens: never over the form where the screen has
    // room for both, within the screen always.
    void windowsOpenBesideTheForm_data() {
        QTest::addColumn<QRect>("room");
        QTest::addColumn<QRect>("form");
        QTest::addColumn<QSize>("window");
        QTest::addColumn<bool>("roomForBoth");
        const QSize form(560, 254), plan(900, 700);
        QTest::newRow("1920x1080, form centred")
            << QRect(0, 0, 1920, 1040) << QRect(QPoint(680, 393), form) << plan << true;
        QTest::newRow("1920x1080, form at the left")
            << QRect(0, 0, 1920, 1040) << QRect(QPoint(0, 0), form) << plan << true;
        QTest::newRow("1366x768, form centred")
            << QRect(0, 0, 1366, 728) << QRect(QPoint(403, 237), form) << QSize(1350, 680) << true;
        QTest::newRow("portrait, room below")
            << QRect(0, 0, 1024, 1240) << QRect(QPoint(232, 100), form) << plan << true;
        QTest::newRow("second screen")
            << QRect(1920, 0, 1366, 728) << QRect(QPoint(2300, 237), form) << plan << true;
        QTest::newRow("800x600") << QRect(0, 0, 800, 560) << QRect(QPoint(120, 150), form)
                                 << QSize(784, 552) << false;
    }

    void windowsOpenBesideTheForm() {
        QFETCH(QRect, room);
        QFETCH(QRect, form);
        QFETCH(QSize, window);
        QFETCH(bool, roomForBoth);
        const flyback::window::Placement placed = flyback::window::PlaceBeside(form, window, room);
        const QRect movedForm(placed.formAt, form.size());
        QVERIFY(room.contains(placed.window));
        QVERIFY(room.contains(movedForm));
        if (roomForBoth) {
            QVERIFY(!placed.window.intersects(movedForm));
            QVERIFY(placed.window.width() >= std::min(window.width(), 600));
            QCOMPARE(placed.window.height(), window.height());
        }
    }

    void subWindowsFitTheScreenCloseWithEscAndKeepTheirPlace() {
        TypeInputs(*window_, {"12", "375", "120", "65", "80", "12"});
        Press();
        window_->ShowWinding();
        window_->ShowWorking();
        window_->ShowSweep();
        QVERIFY(window_->Sweep()->chart()->Svg().contains("class=\"series\""));
        const QList<QWidget*> windows = {window_->Winding(), window_->Sweep(),
                                         window_->findChild<QWidget*>("workingWindow")};
        for (QWidget* sub : windows) {
            QVERIFY(sub != nullptr && sub->isVisible());
            const QRect screen = sub->screen()->availableGeometry();
            QVERIFY2(sub->width() <= screen.width() && sub->height() <= screen.height(),
                     qPrintable(sub->objectName()));
        }
        flyback::window::WindingWindow* plan = window_->Winding();
        plan->resize(plan->minimumSizeHint().width() + 10, 400);
        const QSize left = plan->size();
        QApplication::setActiveWindow(plan);
        QVERIFY(QTest::qWaitForWindowActive(plan));
        QTest::keyClick(plan, Qt::Key_Escape);
        QVERIFY(!plan->isVisible());
        window_->ShowWinding();
        QCOMPARE(window_->Winding()->size(), left);
        QApplication::setActiveWindow(window_->Winding());
        QVERIFY(QTest::qWaitForWindowActive(window_->Winding()));
        QTest::keySequence(window_->Winding(), QKeySequence::Close);
        QVERIFY(!window_->Winding()->isVisible());
        MainWindow next;  // the next run opens it where it was left
        TypeInputs(next, {"12", "375", "120", "65", "80", "12"});
        QTest::mouseClick(next.Command1(), Qt::LeftButton);
        next.ShowWinding();
        QCOMPARE(next.Winding()->size(), left);
        QSettings().remove("windows");
    }
};

QTEST_MAIN(ToolWindowsTest)
#include "tool_windows_test.moc"
