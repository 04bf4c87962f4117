#pragma once

#include <QDialog>
#include <map>
#include <optional>

#include "catalogue/catalogue.hpp"
#include "core_geometry/section_method.hpp"

class QComboBox;
class QDialogButtonBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QSvgWidget;

namespace flyback::window {

// "自定义磁芯": a core the catalogue lacks (EE28, EE40 …), typed by its
// drawing's letters in mm beside the family's drawing; its parameters, or why
// the letters give no core, shown as they are typed. Accepted only with a
// core.
class TypedCoreDialog : public QDialog {
    Q_OBJECT

  public:
    explicit TypedCoreDialog(QWidget* parent = nullptr);

    // The core the letters give now, or nothing.
    const std::optional<catalogue::Core>& Core() const { return core_; }

    QComboBox* family() const { return family_; }
    // The field of a letter of the family shown ("A", "F2"), or none.
    QLineEdit* Field(const QString& letter) const;
    QLabel* result() const { return result_; }

  private:
    void ShowFamily();
    void Update();
    core_geometry::Family FamilyShown() const;

    QComboBox* family_ = nullptr;
    QSvgWidget* drawing_ = nullptr;
    QFormLayout* form_ = nullptr;
    std::map<QString, QLineEdit*> fields_;
    QLabel* result_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
    std::optional<catalogue::Core> core_;
};

}  // namespace flyback::window
