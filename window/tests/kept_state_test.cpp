// What the window starts from and keeps: the user's catalogue files, the kept
// settings and values typed beyond an option's limits. What is shown is what
// is used, and whatever was set right or left out is said.
#include <sys/stat.h>
#include <QAction>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <fstream>

#include "window/choices_panel.hpp"
#include "window/form_fonts.hpp"
#include "window/main_window.hpp"
#include "window/settings_guard.hpp"
#include "window/sweep_window.hpp"
#include "window/winding_window.hpp"

using flyback::winding::NumberOption;
using flyback::window::MainWindow;

class KeptStateTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir settingsDir_;
    QTemporaryDir dataDir_;

    QString UserFile(const QString& name) const {
        return dataDir_.filePath(QStringLiteral("flyback-designer/") + name);
    }

  private slots:
    void initTestCase() {
        flyback::window::SubstituteFormFonts();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir_.path());
        qputenv("XDG_DATA_HOME", dataDir_.path().toUtf8());
        QDir(dataDir_.path()).mkpath(QStringLiteral("flyback-designer"));
    }

    void cleanup() {
        QSettings().remove(QStringLiteral("winding"));
        QDir(dataDir_.filePath(QStringLiteral("flyback-designer"))).removeRecursively();
        QDir(dataDir_.path()).mkpath(QStringLiteral("flyback-designer"));
    }

    // The values once shown as 0.5 T, 20 A/mm², 0.80, 100 V and 125 °C while
    // the plan used the kept ones: now the boxes hold what the plan uses.
    void keptSettingsAreShownAsTheyAreUsed() {
        QSettings s;
        s.setValue("winding/bmax", 0.9);
        s.setValue("winding/density", 50);
        s.setValue("winding/fill", 0.95);
        s.setValue("winding/vaux", 999);
        s.setValue("winding/ambient", 149);
        s.sync();
        MainWindow window;
        QVERIFY(window.StartProblems().isEmpty());
        window.ShowWinding();  // before any press: no plan, the options all the same
        QVERIFY(window.Winding() == nullptr);
        flyback::window::WindingWindow plan(flyback::catalogue::BuiltIn(),
                                            flyback::window::LoadWindingOptions());
        const flyback::winding::Options used = flyback::window::LoadWindingOptions();
        QCOMPARE(plan.NumberBox(NumberOption::Bmax)->value(), 0.9);
        QCOMPARE(plan.NumberBox(NumberOption::CurrentDensity)->value(), 50.0);
        QCOMPARE(plan.NumberBox(NumberOption::Fill)->value(), 0.95);
        QCOMPARE(plan.NumberBox(NumberOption::Vaux)->value(), 999.0);
        QCOMPARE(plan.NumberBox(NumberOption::Ambient)->value(), 149.0);
        const flyback::winding::Options shown = plan.Options();
        QCOMPARE(shown.Bmax_T, used.Bmax_T);
        QCOMPARE(shown.J_A_mm2, used.J_A_mm2);
        QCOMPARE(shown.fillMax, used.fillMax);
        QCOMPARE(*shown.Vaux_V, *used.Vaux_V);
        QCOMPARE(shown.ambient_C, used.ambient_C);
    }

    // Every order comes back as kept (the automatic one once came back as
    // the split primary); a number beyond them, from another version, is
    // the default, and a note says so rather than bringing it to the nearest.
    void theWindingOrderComesBackAsKept() {
        using flyback::winding::Order;
        const struct {
            int kept;
            Order order;
            bool noted;
        } cases[] = {{0, Order::PSB, false}, {2, Order::PSP, false}, {3, Order::Auto, false},
                     {4, Order::SPS, false}, {9, Order::PSB, true},  {-1, Order::PSB, true}};
        for (const auto& c : cases) {
            QSettings().setValue("winding/order", c.kept);
            QStringList notes;
            QCOMPARE(flyback::window::LoadWindingOptions(&notes).order, c.order);
            QCOMPARE(notes.join("").contains(QStringLiteral("“绕制顺序”为 %1").arg(c.kept)),
                     c.noted);
        }
        QSettings().remove("winding/order");
    }

    // Each list of the options' table is kept under its row's key, by its
    // place, and comes back as kept.
    void everyListComesBackByItsRowsKey() {
        using namespace flyback::winding;
        for (const ListOptionInfo& info : kListOptions) {
            for (int place = 0; place < static_cast<int>(info.names.size()); ++place) {
                Options kept;
                SetListValue(kept, info.option, place);
                flyback::window::SaveWindingOptions(kept);
                QCOMPARE(
                    QSettings()
                        .value(QString::fromUtf8(info.settingsKey.data(), info.settingsKey.size()))
                        .toInt(),
                    place);
                QCOMPARE(ListValue(flyback::window::LoadWindingOptions(), info.option), place);
            }
        }
        flyback::window::SaveWindingOptions({});
    }

    // A material group kept by its name, as before it was a list, comes back
    // by that name; one the tables do not know leaves the default.
    void aMaterialGroupKeptByNameComesBack() {
        using namespace flyback::winding;
        for (const auto& [kept, group] : {std::pair{"II", "II"}, std::pair{"V", "IIIb"}}) {
            flyback::window::SaveWindingOptions({});
            QSettings s;
            s.remove(QString::fromUtf8(Info(ListOption::MaterialGroup).settingsKey.data()));
            s.setValue("winding/materialGroup", kept);
            s.sync();
            QCOMPARE(flyback::window::LoadWindingOptions().insulation.group, std::string(group));
        }
        flyback::window::SaveWindingOptions({});
        QVERIFY(!QSettings().contains("winding/materialGroup"));
    }

    // One junk value replaces that value alone, with a line saying so; one
    // beyond the limits is brought to the nearest.
    void junkInTheSettingsIsSetRightOneAtATime() {
        QSettings s;
        s.setValue("winding/bmax", 0.25);
        s.setValue("winding/ambient", "nan");
        s.setValue("winding/density", 500);
        s.setValue("winding/leakageGiven", "lots");
        s.sync();
        QStringList notes;
        const flyback::winding::Options o = flyback::window::LoadWindingOptions(&notes);
        QCOMPARE(o.Bmax_T, 0.25);
        QCOMPARE(o.ambient_C, 40.0);
        QCOMPARE(o.J_A_mm2, 100.0);
        QVERIFY(!o.leakage);  // the build's
        QCOMPARE(notes.size(), 3);
        QVERIFY(notes.join('\n').contains("环境温度"));
        QVERIFY(notes.join('\n').contains("已改为 100"));
        MainWindow window;
        QCOMPARE(window.StartProblems().size(), 3);
        QVERIFY(window.findChild<QAction*>("problemsAction")->isEnabled());
    }

    // Kept outputs beyond what a plan winds are not taken, with the count
    // said; a kept row that is not numbers is left out rather than shown as
    // its column's largest.
    void keptOutputsAreBoundedAndNumbers() {
        QSettings s;
        s.setValue("winding/choices/on", true);
        QList<QVariant> many;
        for (int i = 0; i < 20000; ++i) many.append(QVariant(QList<QVariant>{5.0, 0.1, 0.4}));
        s.setValue("winding/choices/outputs", many);
        s.sync();
        QStringList notes;
        QVERIFY(flyback::window::LoadWindingOptions(&notes).choices.outputs.empty());
        QVERIFY2(notes.join('\n').contains("20000"), qPrintable(notes.join('\n')));
        // Kept before outputs had a least load, three cells; after, four,
        // the fourth empty where the least load is left at a tenth.
        s.setValue("winding/choices/outputs",
                   QList<QVariant>{QVariant(QList<QVariant>{12.0, 1.0, 0.5}),
                                   QVariant(QList<QVariant>{"nan", "nan", "nan"}),
                                   QVariant(QList<QVariant>{5.0, 2.0, 0.4, 0.3}),
                                   QVariant(QList<QVariant>{3.3, 1.0, 0.4, QVariant()})});
        s.sync();
        const auto outputs = flyback::window::LoadWindingOptions(nullptr).choices.outputs;
        QCOMPARE(outputs.size(), std::size_t{3});
        QCOMPARE(outputs[0].V, 12.0);
        QVERIFY(!outputs[0].Imin_A);
        QCOMPARE(outputs[1].Imin_A, std::optional<double>(0.3));
        QVERIFY(!outputs[2].Imin_A);
        // The panel shows a blank least load as what it stands for, and
        // reads it back blank.
        const flyback::window::ChoicesPanel panel(
            flyback::window::LoadWindingOptions(nullptr).choices);
        const auto shown = panel.Choices().outputs;
        QCOMPARE(shown.size(), std::size_t{3});
        QCOMPARE(shown[1].Imin_A, std::optional<double>(0.3));
        QVERIFY(!shown[2].Imin_A);
        s.remove("winding");
    }

    // Kept and restored, each way's numbers come back where the way was taken
    // and as the table first shows them where it was not: a Vor left behind
    // by another way is not shown as the lowest a box allows.
    void keptChoicesComeBackByTheirWay() {
        flyback::winding::Choices rated;
        rated.outputs = {{12, 1, 0.5}};
        rated.vorSource = flyback::winding::VorSource::SwitchRating;
        rated.VdsRating_V = 800;
        rated.derating = 0.7;
        rated.conduction = flyback::winding::Conduction::Inductance;
        rated.Lp_H = 2e-3;
        rated.Ilimit_A = 1.5;
        flyback::window::SaveChoices(rated);
        const flyback::winding::Choices kept = flyback::window::LoadChoices();
        QCOMPARE(kept.VdsRating_V, 800.0);
        QCOMPARE(kept.derating, 0.7);
        QCOMPARE(kept.Lp_H, 2e-3);
        QCOMPARE(kept.Ilimit_A, std::optional<double>(1.5));
        QVERIFY(!kept.Vclamp_V);
        const flyback::window::ChoicesPanel panel(kept);
        using flyback::winding::ChoiceNumber;
        QCOMPARE(panel.Box(ChoiceNumber::Lp)->value(), 2000.0);
        QCOMPARE(panel.Box(ChoiceNumber::Vor)->value(),
                 flyback::winding::Info(ChoiceNumber::Vor).first);
        QCOMPARE(panel.Box(ChoiceNumber::Krp)->value(),
                 flyback::winding::Info(ChoiceNumber::Krp).first);
        QSettings().remove("winding");
    }

    // A file's choices are shown and planned as the file has them: a clamp
    // ratio of 1.02 within its box's bounds, 85.21 pF in a box of whole
    // picofarads shown to its hundredths, not rounded to 85.
    void aFilesChoicesAreShownAsTheFileHasThem() {
        flyback::winding::Choices fromFile;
        fromFile.vorSource = flyback::winding::VorSource::SwitchRating;
        fromFile.VdsRating_V = 650;
        fromFile.clampRatio = 1.02;
        fromFile.conduction = flyback::winding::Conduction::QuasiResonant;
        fromFile.Cds_F = 85.21e-12;
        QVERIFY(!flyback::winding::CheckChoices(fromFile));
        const flyback::window::ChoicesPanel panel(fromFile);
        using flyback::winding::ChoiceNumber;
        QCOMPARE(panel.Box(ChoiceNumber::ClampRatio)->value(), 1.02);
        QCOMPARE(panel.Box(ChoiceNumber::Cds)->value(), 85.21);
        const flyback::winding::Choices read = panel.Choices();
        QCOMPARE(read.clampRatio, 1.02);
        QVERIFY(read.Cds_F && std::abs(*read.Cds_F / 85.21e-12 - 1) < 1e-12);
    }

    // A file's options alike: an ambient of 42.375 °C in a box of tenths, a
    // Bmax of 0.2345 T in one of thousandths, a mains of 120.5 V and an
    // altitude of 2500.5 m in boxes of whole units are shown whole and
    // planned as the file has them; its grade and material group too.
    void aFilesOptionsAreShownAsTheFileHasThem() {
        flyback::winding::Options fromFile;
        fromFile.ambient_C = 42.375;
        fromFile.Bmax_T = 0.2345;
        fromFile.insulation.mains_Vrms = 120.5;
        fromFile.insulation.altitude_m = 2500.5;
        fromFile.insulation.grade = flyback::insulation::Grade::Basic;
        fromFile.insulation.group = "II";
        const flyback::window::WindingWindow plan(flyback::catalogue::BuiltIn(), fromFile);
        using flyback::winding::NumberOption;
        QCOMPARE(plan.NumberBox(NumberOption::Ambient)->value(), 42.375);
        QCOMPARE(plan.NumberBox(NumberOption::Bmax)->value(), 0.2345);
        QCOMPARE(plan.NumberBox(NumberOption::Mains)->value(), 120.5);
        const flyback::winding::Options read = plan.Options();
        QCOMPARE(read.ambient_C, 42.375);
        QCOMPARE(read.Bmax_T, 0.2345);
        QCOMPARE(read.insulation.mains_Vrms, std::optional(120.5));
        QCOMPARE(read.insulation.altitude_m, 2500.5);
        QCOMPARE(read.insulation.grade, std::optional(flyback::insulation::Grade::Basic));
        QCOMPARE(read.insulation.group, std::string("II"));
    }

    // "-273" typed whole, then brought to -60 with a word, not read as -27.
    void aValueTypedBeyondTheLimitsIsBroughtInsideWithANote() {
        flyback::window::WindingWindow plan(flyback::catalogue::BuiltIn(), {});
        plan.show();
        QDoubleSpinBox* ambient = plan.NumberBox(NumberOption::Ambient);
        ambient->setFocus();
        ambient->selectAll();
        QTest::keyClicks(ambient, "-273");
        QTest::keyClick(ambient, Qt::Key_Return);
        QCOMPARE(ambient->value(), -60.0);
        QVERIFY(plan.notes()->text().contains("-273"));
        QDoubleSpinBox* bmax = plan.NumberBox(NumberOption::Bmax);
        bmax->setFocus();
        bmax->selectAll();
        QTest::keyClicks(bmax, "999999");
        QTest::keyClick(bmax, Qt::Key_Return);
        QCOMPARE(bmax->value(), 1.0);
    }

    // A core typed by any of its names is chosen; a name the catalogue does
    // not know is said, with the nearest, and the choice stays (the list once
    // jumped to EFD30/15/9 when a name was typed).
    void aTypedCoreIsFoundByItsNamesOrSaid() {
        flyback::window::WindingWindow plan(flyback::catalogue::BuiltIn(), {});
        plan.show();
        QComboBox* core = plan.core();
        for (const char* typed : {"EF 16", "ef16", "E16/8/5", "e 16/8/5"}) {
            core->lineEdit()->setFocus();
            core->lineEdit()->selectAll();
            QTest::keyClicks(core->lineEdit(), typed);
            QTest::keyClick(core->lineEdit(), Qt::Key_Return);
            QCOMPARE(core->currentText(), QString("E16/8/5 (EF16)"));
        }
        core->lineEdit()->selectAll();
        QTest::keyClicks(core->lineEdit(), "EE99");
        QTest::keyClick(core->lineEdit(), Qt::Key_Return);
        QCOMPARE(core->currentText(), QString("E16/8/5 (EF16)"));
        QVERIFY(plan.notes()->text().contains("最接近的有"));
        QCOMPARE(plan.Options().core, std::string("E16/8/5 (EF16)"));
    }

    // A row with an empty field no longer just disappears from the core list:
    // the window says where it is.
    void catalogueProblemsAreSaidByFileAndLine() {
        std::ofstream(UserFile("cores.csv").toStdString())
            << "family,name,common_name,Ae_mm2,Amin_mm2,le_mm,Ve_mm3,bobbin_window_mm2,"
               "winding_width_mm,winding_height_mm,MLT_mm\n"
               "E,Mine,,,40,39.4,1615,30,8,3.75,45\n";
        MainWindow window;
        const QString problems = window.StartProblems().join('\n');
        QVERIFY2(problems.contains("cores.csv:2: Ae_mm2: is empty"), qPrintable(problems));
        QVERIFY(window.findChild<QAction*>("problemsAction")->isEnabled());
        QTRY_VERIFY(window.findChild<QWidget*>("startProblems") != nullptr);
    }

    // A folder where a file belongs once stopped the window opening at all.
    void theWindowOpensWhateverStandsInAFilesPlace() {
        QDir(dataDir_.path()).mkpath(QStringLiteral("flyback-designer/cores.csv"));
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(window.StartProblems().join('\n').contains("is a folder; skipped"));
    }

    // A FIFO where the settings file belongs once held the window's start
    // for ever: the settings are then kept apart for the run, and said.
    void aSettingsFileThatIsNoFileIsSetAside() {
        QTemporaryDir config;
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        QDir(config.path()).mkpath(QStringLiteral("Unknown Organization"));
        const QString fifo = config.filePath(QStringLiteral("Unknown Organization/") +
                                             QCoreApplication::applicationName() + ".conf");
        QCOMPARE(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
        QVERIFY(!flyback::window::GuardSettingsFile().isEmpty());
        QSettings().setValue("kept", 1);  // would block on the FIFO
        QCOMPARE(QSettings().value("kept").toInt(), 1);
        {
            MainWindow window;
            QVERIFY(window.StartProblems().join('\n').contains("不是普通文件"));
        }
        QFile::remove(fifo);
        QVERIFY(flyback::window::GuardSettingsFile().isEmpty());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir_.path());
        qunsetenv("XDG_CONFIG_HOME");
    }

    // A sparse file of gigabytes in its place once kept the window from
    // appearing for 40 s and held 5 GB: a settings file larger than any
    // settings is set aside unread, as a FIFO is.
    void aSettingsFileLargerThanAnySettingsIsSetAside() {
        QTemporaryDir config;
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        QDir(config.path()).mkpath(QStringLiteral("Unknown Organization"));
        QFile huge(config.filePath(QStringLiteral("Unknown Organization/") +
                                   QCoreApplication::applicationName() + ".conf"));
        QVERIFY(huge.open(QIODevice::WriteOnly));
        QVERIFY(huge.resize(qint64{5} * 1024 * 1024 * 1024));  // sparse: no disk taken
        huge.close();
        const QString note = flyback::window::GuardSettingsFile();
        QVERIFY2(note.contains("大于 1 MiB"), qPrintable(note));
        QSettings().setValue("kept", 1);
        QCOMPARE(QSettings().value("kept").toInt(), 1);
        QCOMPARE(huge.size(), qint64{5} * 1024 * 1024 * 1024);      // left as it was
        QVERIFY(huge.resize(flyback::window::kMostSettingsBytes));  // the largest still read
        QVERIFY(flyback::window::GuardSettingsFile().isEmpty());
        huge.remove();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir_.path());
        qunsetenv("XDG_CONFIG_HOME");
    }

    // Sweeps that once drew an empty 0-1 plot or lost their labels.
    void sweepChartsHaveAnAxisForEveryRange() {
        const struct {
            const char *input, *from, *to;
        } cases[] = {
            {"效率", "37.5", "112.5"},  // Np varies only in its last bit
            {"输出功率", "90", "30"},   // from above to below
            {"输出功率", "60", "60"},   // one value
            {"输出功率", "1e300", "1e300"},
        };
        MainWindow window;
        const QStringList inputs = {"150", "375", "100", "100", "75", "24"};
        for (int i = 0; i < 6; ++i) window.Text1()[i]->setText(inputs[i]);
        window.ShowSweep();
        flyback::window::SweepWindow* sweep = window.Sweep();
        for (const auto& c : cases) {
            sweep->findChild<QComboBox*>()->setCurrentIndex(
                sweep->findChild<QComboBox*>()->findText(c.input, Qt::MatchContains));
            sweep->from()->setText(c.from);
            sweep->to()->setText(c.to);
            sweep->points()->setValue(3);
            QVERIFY2(sweep->Run(), c.from);
            for (int shown = 0; shown < sweep->shown()->count(); ++shown) {
                sweep->shown()->setCurrentIndex(shown);
                // Its panel drawn, every tick a number, every coordinate a place.
                const QString svg = QString::fromUtf8(sweep->chart()->Svg());
                QVERIFY2(svg.contains("class=\"panel\""), c.from);
                static const QRegularExpression notANumber(
                    "nan|inf", QRegularExpression::CaseInsensitiveOption);
                QVERIFY2(!svg.contains(notANumber), c.from);
            }
            // Marks are named in words, never by a program's codes.
            QVERIFY2(!sweep->marks()->text().contains(QRegularExpression("[a-z]+_[a-z]+")),
                     qPrintable(sweep->marks()->text()));
        }
        sweep->from()->setText("-1e308");
        sweep->to()->setText("1e308");
        QVERIFY(!sweep->Run());
        QVERIFY(sweep->problem()->text().contains("相距太远"));
    }
};

QTEST_MAIN(KeptStateTest)
#include "kept_state_test.moc"
