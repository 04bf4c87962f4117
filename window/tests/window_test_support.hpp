// What the window's tests share: the includes, the texts they type and
// expect, and a window opened with its faults collected rather than shown.
#pragma once

#include <sys/resource.h>
#include <unistd.h>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QDropEvent>
#include <QFile>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
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
#include <QTextBrowser>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <vector>

#include "design_file/design_file.hpp"
#include "numtext/boxes.hpp"
#include "version/version.hpp"
#include "window/about.hpp"
#include "window/build_sheet_tab.hpp"
#include "window/choices_panel.hpp"
#include "window/compare_tab.hpp"
#include "window/design_files.hpp"
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

namespace window_test {

inline const QStringList kDefaultInputs = {"60", "368", "200", "20", "75", "5"};
inline const QStringList kWorkedExample = {"EE12", " 1.88", " 135.41", " 6.2",
                                           " 588", " 2.77", " 1.75mH"};
inline const QStringList kAllCleared = {"", "", "", "", "", "", ""};
inline const QStringList kDesignTimeResults = {"E-3", "1.88", "135", "6", "500", "2.77", "1.75mH"};

inline QStringList ResultTexts(const MainWindow& window) {
    QStringList texts;
    for (const QLineEdit* box : window.Text2()) texts << box->text();
    return texts;
}

inline void TypeInputs(MainWindow& window, const QStringList& inputs) {
    for (int i = 0; i < 6; ++i) window.Text1()[i]->setText(inputs[i]);
}

}  // namespace window_test

namespace window_test {

// A window of its own for each test, shown, its fault messages kept in
// `reports` instead of shown as modal boxes.
inline void OpenWindow(std::unique_ptr<MainWindow>& window, std::vector<FaultReport>& reports) {
    window = std::make_unique<MainWindow>();
    reports.clear();
    window->SetFaultReporter(
        [&reports](QWidget*, const FaultReport& report) { reports.push_back(report); });
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
}

// The fonts of the form, and the remembered values in a folder of the test's own.
inline void PrepareWindowTests(const QTemporaryDir& settings) {
    flyback::window::SubstituteFormFonts();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
}

}  // namespace window_test

using namespace window_test;
