#pragma once

#include <QWidget>
#include <array>

#include "catalogue/catalogue.hpp"
#include "winding/plan.hpp"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSvgWidget;
class QTableWidget;

namespace flyback::window {

// "绕制方案": the winding plan of the last press in a window of its own, with
// its options at the top, as an engineer's winding sheet: one row per winding,
// then the core, gap, flux density, fill, losses, temperature rise and clamp,
// and, on tabs of their own, the build drawn in the bobbin and the currents,
// and the transformer's build sheet.
// It follows every press and every change of an option, and turns grey while
// the inputs differ from the press it shows.
class WindingWindow : public QWidget {
    Q_OBJECT

  public:
    WindingWindow(const catalogue::Catalogue& parts, const winding::Options& options,
                  QWidget* parent = nullptr);

    winding::Options Options() const;
    void ShowPlan(const winding::PlanOutcome& outcome, bool inputsChanged);
    // The mains the helper was given, in its box, without a plan of its own:
    // the next press plans with it.
    void ShowMains(double Vrms);

    QComboBox* core() const { return core_; }
    QComboBox* material() const { return material_; }
    QDoubleSpinBox* bmax() const { return NumberBox(winding::NumberOption::Bmax); }
    QDoubleSpinBox* vaux() const { return NumberBox(winding::NumberOption::Vaux); }
    QDoubleSpinBox* NumberBox(winding::NumberOption option) const {
        return numbers_[static_cast<std::size_t>(option)];
    }
    // What was said of an option set right: a value typed or kept beyond its
    // limits and brought inside.
    QLabel* notes() const { return notes_; }
    void ShowNotes(const QStringList& notes);
    QTableWidget* windings() const { return windings_; }
    QTableWidget* lines() const { return lines_; }
    QTableWidget* corners() const { return corners_; }
    QLabel* warnings() const { return warnings_; }
    QSvgWidget* buildPicture() const { return build_; }
    QSvgWidget* currentsPicture() const { return currents_; }
    class ChoicesPanel* choices() const {
        return choices_;
    }
    QComboBox* ListBox(winding::ListOption option) const {
        return lists_[static_cast<std::size_t>(option)];
    }
    QComboBox* insulation() const { return ListBox(winding::ListOption::Grade); }
    class BuildSheetTab* buildSheet() const {
        return buildSheet_;
    }
    class CompareTab* compareTab() const {
        return compare_;
    }

    QPushButton* typeCoreButton() const { return typeCore_; }

  signals:
    void optionsChanged();
    // "自定义磁芯…" pressed: the main window asks for the letters.
    void typedCoreRequested();

  private:
    QWidget* OptionsPanel(const catalogue::Catalogue& parts, const winding::Options& options);
    QDoubleSpinBox* NewNumberBox(winding::NumberOption option, const winding::Options& options);
    // A list of the options' table, its places in the order the row shows
    // them; `captioned` where no label stands beside it.
    QComboBox* NewListBox(winding::ListOption option, const winding::Options& options,
                          bool captioned);

    QPushButton* typeCore_ = nullptr;
    const catalogue::Catalogue* parts_;  // the window's, which outlives this one
    QComboBox* core_ = nullptr;
    QComboBox* material_ = nullptr;
    std::array<QDoubleSpinBox*, std::size(winding::kNumberOptions)> numbers_{};
    QLabel* notes_ = nullptr;
    std::array<QComboBox*, std::size(winding::kListOptions)> lists_{};
    std::vector<QCheckBox*> families_;
    QLabel* state_ = nullptr;
    QLabel* error_ = nullptr;
    QLabel* warnings_ = nullptr;
    QTableWidget* windings_ = nullptr;
    QTableWidget* lines_ = nullptr;
    QTableWidget* corners_ = nullptr;
    QSvgWidget* build_ = nullptr;
    QSvgWidget* currents_ = nullptr;
    class ChoicesPanel* choices_ = nullptr;
    class BuildSheetTab* buildSheet_ = nullptr;
    class CompareTab* compare_ = nullptr;
    QCheckBox* stack_ = nullptr;
    // The insulation's lists and numbers, the order and the stacking.
    QWidget* InsulationRow(const winding::Options& options);
};

// The plan's options as the user left them (QSettings), and keeping them. A
// kept value that is no number or beyond its option's limits is replaced
// (by the default, or the nearest limit), each with a line in `notes`.
winding::Options LoadWindingOptions(QStringList* notes = nullptr);
void SaveWindingOptions(const winding::Options& options);

}  // namespace flyback::window
