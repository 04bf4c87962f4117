#pragma once

#include <QWidget>
#include <memory>
#include <optional>

#include "sweep/plot.hpp"
#include "window/fitted_picture.hpp"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTableWidget;

namespace flyback::window {

// "扫描": one input stepped over a range, the results (and the plan's) drawn
// against it, with the core changes and the warnings' beginnings marked, and
// the data as a table that copies into a spreadsheet.
class SweepWindow : public QWidget {
    Q_OBJECT

  public:
    // `texts` are the inputs the sweep starts from; `plan` how to make the
    // winding plan at each point.
    SweepWindow(const numtext::InputTexts& texts, const sweep::PlanSetting& plan,
                QWidget* parent = nullptr);

    // Sweeps with the range now in the boxes; false (and a message in the
    // window) when the range is not one.
    bool Run();
    void CopyTable() const;

    QComboBox* input() const { return input_; }
    QLineEdit* from() const { return from_; }
    QLineEdit* to() const { return to_; }
    QSpinBox* points() const { return points_; }
    QCheckBox* withPlan() const { return withPlan_; }
    QComboBox* shown() const { return shown_; }
    QTableWidget* table() const { return table_; }
    // The quantity chosen drawn against the swept input.
    FittedPicture* chart() const { return chart_; }
    QLabel* problem() const { return problem_; }
    QLabel* marks() const { return marks_; }

  private:
    void ShowSeries();

    std::array<std::string, numtext::kInputCount> texts_;
    sweep::PlanSetting plan_;
    QComboBox* input_ = nullptr;
    QLineEdit *from_ = nullptr, *to_ = nullptr;
    QSpinBox* points_ = nullptr;
    QCheckBox* withPlan_ = nullptr;
    QComboBox* shown_ = nullptr;
    QLabel* problem_ = nullptr;
    QLabel* marks_ = nullptr;  // what the dashed lines mark
    FittedPicture* chart_ = nullptr;
    QTableWidget* table_ = nullptr;
    std::optional<sweep::SweepData> data_;
    std::string tabSeparated_;
};

}  // namespace flyback::window
