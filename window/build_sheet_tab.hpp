#pragma once

#include <QWidget>
#include <optional>

#include "build_sheet/build_sheet.hpp"
#include "winding/plan.hpp"

class QLabel;
class QLineEdit;
class QSvgWidget;
class QTextBrowser;

namespace flyback::window {

// "变压器规格书" as a tab of the winding plan: the pins to number the windings
// by (kept in the settings), the schematic, and the sheet's steps, materials
// and tests as the report prints them.
class BuildSheetTab : public QWidget {
    Q_OBJECT

  public:
    explicit BuildSheetTab(QWidget* parent = nullptr);

    void Show(const winding::PlanOutcome& outcome, bool inputsChanged);
    // The pins in use: the last that were read, the defaults at first.
    build_sheet::Pins Pins() const { return pins_; }

    // The sheet alone, as the winding shop gets it: saved (PDF or HTML by
    // the suffix) or printed; false when there is no sheet or it failed.
    bool SaveTo(const QString& path, QString* why = nullptr) const;
    QString Html() const;

    QLineEdit* pinsBox() const { return pinsBox_; }
    QLabel* problem() const { return problem_; }
    QSvgWidget* schematic() const { return schematic_; }
    QTextBrowser* sheet() const { return sheet_; }

  signals:
    void pinsChanged();

  private:
    void ReadPins();
    void SaveWithDialog();
    void PrintWithDialog();
    void Render();

    build_sheet::Pins pins_;
    std::optional<winding::PlanOutcome> outcome_;
    bool grey_ = false;
    QLineEdit* pinsBox_ = nullptr;
    QLabel* problem_ = nullptr;
    QSvgWidget* schematic_ = nullptr;
    QTextBrowser* sheet_ = nullptr;
};

// The pins as the user left them (the defaults where none or unreadable), and
// keeping them.
build_sheet::Pins LoadPins();
void SavePins(const build_sheet::Pins& pins);

}  // namespace flyback::window
