#include "window/typed_core_dialog.hpp"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSvgRenderer>
#include <QSvgWidget>
#include <QVBoxLayout>

#include "core_letters/core_letters.hpp"
#include "window/qt_text.hpp"

namespace flyback::window {

TypedCoreDialog::TypedCoreDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(FromUtf8(core_letters::kDialogTitle));
    family_ = new QComboBox;
    family_->setAccessibleName(QStringLiteral("磁芯形状"));
    for (const core_geometry::Family family : core_letters::Families()) {
        family_->addItem(FromUtf8(core_letters::FamilyCaption(family)), static_cast<int>(family));
    }
    drawing_ = new QSvgWidget;
    drawing_->setMinimumSize(470, 230);
    form_ = new QFormLayout;
    result_ = new QLabel;
    result_->setTextFormat(Qt::PlainText);
    result_->setWordWrap(true);
    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* familyRow = new QFormLayout;
    familyRow->addRow(FromUtf8(core_letters::kFamilyCaption) + QStringLiteral("(&S)"), family_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(familyRow);
    layout->addWidget(drawing_);
    layout->addWidget(
        new QLabel(QStringLiteral("尺寸按磁芯规格书的字母填写，单位 mm；"
                                  "方括号中的可不填。")));
    layout->addLayout(form_);
    layout->addWidget(result_);
    layout->addWidget(buttons_);
    connect(family_, &QComboBox::currentIndexChanged, this, &TypedCoreDialog::ShowFamily);
    ShowFamily();
}

core_geometry::Family TypedCoreDialog::FamilyShown() const {
    return static_cast<core_geometry::Family>(family_->currentData().toInt());
}

QLineEdit* TypedCoreDialog::Field(const QString& letter) const {
    const auto found = fields_.find(letter);
    return found == fields_.end() ? nullptr : found->second;
}

// The family's drawing and a field for each of its letters; what was typed
// in a letter the families share stays.
void TypedCoreDialog::ShowFamily() {
    std::map<QString, QString> typed;
    for (const auto& [letter, field] : fields_) typed[letter] = field->text();
    while (form_->rowCount() > 0) form_->removeRow(0);
    fields_.clear();
    const core_geometry::Family family = FamilyShown();
    drawing_->load(FromUtf8(core_letters::DrawingSvg(family)).toUtf8());
    drawing_->renderer()->setAspectRatioMode(Qt::KeepAspectRatio);
    for (const core_letters::LetterField& f : core_letters::Fields(family)) {
        const QString letter = FromUtf8(f.letter);
        auto* field = new QLineEdit(typed[letter]);
        const QString caption = FromUtf8(f.caption);
        field->setAccessibleName(letter + QStringLiteral(" ") + caption);
        field->setPlaceholderText(
            FromUtf8(f.optional ? core_letters::kOptionalHint : core_letters::kNeededHint));
        form_->addRow(
            (f.optional ? QStringLiteral("[%1] %2") : QStringLiteral("%1 %2")).arg(letter, caption),
            field);
        fields_[letter] = field;
        connect(field, &QLineEdit::textChanged, this, &TypedCoreDialog::Update);
    }
    Update();
}

void TypedCoreDialog::Update() {
    std::vector<core_letters::TypedField> typed;
    for (const auto& [letter, field] : fields_)
        typed.push_back({letter.toStdString(), field->text().toStdString()});
    const core_letters::Outcome outcome = core_letters::MakeFromTexts(FamilyShown(), typed);
    core_ = outcome.core;
    QStringList lines;
    for (const std::string& line : outcome.lines) lines << FromUtf8(line);
    result_->setText(core_ ? QStringLiteral("%1\n%2").arg(FromUtf8(core_->name), lines.join('\n'))
                           : FromUtf8(outcome.problem));
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(core_.has_value());
}

}  // namespace flyback::window
