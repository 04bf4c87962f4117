#pragma once

#include <QWidget>
#include <array>

#include "catalogue/catalogue.hpp"
#include "winding/plan.hpp"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QSvgWidget;
class QTableWidget;

namespace flyback::window {

// "绕制方案": the winding plan of the last press in a window of its own, with
// its options at the top, as an engineer's winding sheet: one row per winding,
// then the core, gap, flux density, fill, losses, temperature rise and clamp,
// and, on a tab of their own, the build drawn in the bobbin and the currents.
// It follows every press and every change of an option, and turns grey while
// the inputs differ from the press it shows.
class WindingWindow : public QWidget {
    Q_OBJECT

  public:
    WindingWindow(const catalogue::Catalogue& parts, const winding::Options& options,
                  QWidget* parent = nullptr);

    winding::Options Options() const;
    void ShowPlan(const winding::PlanOutcome& outcome, bool inputsChanged);

    QComboBox* core() const { return core_; }
    QComboBox* material() const { return material_; }
    QDoubleSpinBox* bmax() const { return bmax_; }
    QDoubleSpinBox* vaux() const { return vaux_; }
    QTableWidget* windings() const { return windings_; }
    QTableWidget* lines() const { return lines_; }
    QLabel* warnings() const { return warnings_; }
    QSvgWidget* buildPicture() const { return build_; }
    QSvgWidget* currentsPicture() const { return currents_; }

  signals:
    void optionsChanged();

  private:
    QWidget* OptionsPanel(const catalogue::Catalogue& parts, const winding::Options& options);
    QDoubleSpinBox* NumberBox(double low, double high, double step, int decimals,
                              const QString& suffix, double value);

    QComboBox* core_ = nullptr;
    QComboBox* material_ = nullptr;
    QDoubleSpinBox *bmax_ = nullptr, *density_ = nullptr, *fill_ = nullptr, *vaux_ = nullptr,
                   *leakage_ = nullptr, *ambient_ = nullptr;
    QCheckBox* tiw_ = nullptr;
    std::vector<QCheckBox*> families_;
    QLabel* state_ = nullptr;
    QLabel* error_ = nullptr;
    QLabel* warnings_ = nullptr;
    QTableWidget* windings_ = nullptr;
    QTableWidget* lines_ = nullptr;
    QSvgWidget* build_ = nullptr;
    QSvgWidget* currents_ = nullptr;
};

// The plan's options as the user left them (QSettings), and keeping them.
winding::Options LoadWindingOptions();
void SaveWindingOptions(const winding::Options& options);

}  // namespace flyback::window
