#pragma once

#include <QGroupBox>

#include "winding/choices.hpp"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QSpinBox;
class QTableWidget;

namespace flyback::window {

// "设计选择": the engineer's own decisions on the plan, at the top of its
// window: the outputs (the first regulated), the bias winding's load, where
// the reflected voltage comes from, the conduction mode, fixed turns, the
// clamp voltage and the current limit. Unticked, the plan designs as the press
// does. Every control is bounded, so what it holds is always a choice the plan
// can take.
class ChoicesPanel : public QGroupBox {
    Q_OBJECT

  public:
    explicit ChoicesPanel(const winding::Choices& choices, QWidget* parent = nullptr);

    winding::Choices Choices() const;

    QTableWidget* outputs() const { return outputs_; }
    QComboBox* vorSource() const { return vorSource_; }
    QComboBox* conduction() const { return conduction_; }
    QDoubleSpinBox* vor() const { return vor_; }
    QDoubleSpinBox* rating() const { return rating_; }
    QDoubleSpinBox* dmax() const { return dmax_; }
    QDoubleSpinBox* krp() const { return krp_; }
    QDoubleSpinBox* lp() const { return lp_; }
    QCheckBox* fixedTurns() const { return fixedTurns_; }
    QSpinBox* Np() const { return turns_[0]; }
    QSpinBox* Ns() const { return turns_[1]; }
    void AddOutput(const winding::OutputLoad& load);

  signals:
    void changed();

  private:
    QWidget* OutputsBox();
    QWidget* BiasAndLimitsBox(const winding::Choices& choices);
    QDoubleSpinBox* Number(double low, double high, int decimals, const QString& unit, double value,
                           double step);
    void ShowChosenBoxes();

    QTableWidget* outputs_ = nullptr;
    QDoubleSpinBox* biasCurrent_ = nullptr;
    QDoubleSpinBox* biasDrop_ = nullptr;
    QComboBox* vorSource_ = nullptr;
    QDoubleSpinBox *vor_ = nullptr, *rating_ = nullptr, *derating_ = nullptr, *dmax_ = nullptr;
    QDoubleSpinBox* clampRatio_ = nullptr;
    QComboBox* conduction_ = nullptr;
    QDoubleSpinBox *krp_ = nullptr, *lp_ = nullptr;  // Lp in µH
    QCheckBox* fixedTurns_ = nullptr;
    QSpinBox* turns_[3] = {};  // Np, Ns, Naux (0: none)
    QCheckBox* clampSet_ = nullptr;
    QDoubleSpinBox* clamp_ = nullptr;
    QCheckBox* limitSet_ = nullptr;
    QDoubleSpinBox* limit_ = nullptr;
};

// The choices as the user left them (QSettings), and keeping them. A kept
// value beyond a control's bounds is brought to the nearest.
winding::Choices LoadChoices(QStringList* notes = nullptr);
void SaveChoices(const winding::Choices& choices);

}  // namespace flyback::window
