#pragma once

#include <QWidget>

#include "record/design_record.hpp"

class QLabel;
class QTableWidget;

namespace flyback::window {

// "计算过程": the working of the last press in a window of its own, beside the
// main one: what an engineer checks first (Ae, Dmax, Ipk, Vor), the press's
// warnings, then every quantity in the chain's order with its value and its
// formula with the numbers put in. It follows every press and turns grey
// while the inputs differ from the press it shows.
class WorkingWindow : public QWidget {
    Q_OBJECT

  public:
    explicit WorkingWindow(QWidget* parent = nullptr);

    void ShowPress(const record::DesignRecord& record, bool inputsChanged);

    QLabel* keyValues() const { return keyValues_; }
    QLabel* warnings() const { return warnings_; }
    QTableWidget* quantities() const { return quantities_; }

  private:
    QLabel* state_ = nullptr;
    QLabel* keyValues_ = nullptr;
    QLabel* warnings_ = nullptr;
    QTableWidget* quantities_ = nullptr;
};

}  // namespace flyback::window
