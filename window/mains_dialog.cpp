#include "window/mains_dialog.hpp"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

#include "record/design_record.hpp"
#include "runtime/number_text.hpp"
#include "window/qt_text.hpp"

namespace flyback::window {
namespace {

QLineEdit* Field(QFormLayout* form, const QString& caption, const QString& text) {
    auto* field = new QLineEdit(text);
    field->setAccessibleName(caption);
    form->addRow(caption, field);
    return field;
}

std::optional<double> Read(const QLineEdit* field) {
    return runtime::ReadWholeNumber(field->text().toStdString());
}

}  // namespace

MainsDialog::MainsDialog(double outputPower, double efficiency, QWidget* parent)
    : QDialog(parent), outputPower_(outputPower), efficiency_(efficiency) {
    setWindowTitle(QStringLiteral("由交流输入"));
    QSettings settings;
    auto* form = new QFormLayout;
    minAcVoltage = Field(form, QStringLiteral("最小交流输入电压 V"),
                         settings.value(QStringLiteral("mains/minAc"), "85").toString());
    maxAcVoltage = Field(form, QStringLiteral("最大交流输入电压 V"),
                         settings.value(QStringLiteral("mains/maxAc"), "265").toString());
    lineHertz = Field(form, QStringLiteral("电网频率 Hz"),
                      settings.value(QStringLiteral("mains/lineHz"), "50").toString());
    bulkMicrofarads = Field(form, QStringLiteral("大容量电容 µF"),
                            settings.value(QStringLiteral("mains/bulkUf")).toString());
    bulkMicrofarads->setPlaceholderText(QStringLiteral("自动"));
    holdupMilliseconds = Field(form, QStringLiteral("保持时间 ms"),
                               settings.value(QStringLiteral("mains/holdupMs")).toString());
    holdupMilliseconds->setPlaceholderText(QStringLiteral("无"));
    result_ = new QLabel;
    result_->setTextFormat(Qt::PlainText);
    result_->setWordWrap(true);
    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("输出功率 %1 W，效率 %2 %（取自输入框）")
                                     .arg(FromUtf8(record::ExactNumber(outputPower)),
                                          FromUtf8(record::ExactNumber(efficiency * 100)))));
    layout->addLayout(form);
    layout->addWidget(result_);
    layout->addWidget(buttons_);
    for (QLineEdit* field :
         {minAcVoltage, maxAcVoltage, lineHertz, bulkMicrofarads, holdupMilliseconds}) {
        connect(field, &QLineEdit::textChanged, this, &MainsDialog::Update);
    }
    Update();
}

void MainsDialog::Update() {
    range_.reset();
    const auto minAc = Read(minAcVoltage), maxAc = Read(maxAcVoltage), line = Read(lineHertz);
    const auto bulk = Read(bulkMicrofarads), holdup = Read(holdupMilliseconds);
    const auto emptyOrNumber = [](const QLineEdit* field, const std::optional<double>& value) {
        return value || field->text().trimmed().isEmpty();
    };
    QString text;
    if (!minAc || !maxAc || !line || !emptyOrNumber(bulkMicrofarads, bulk) ||
        !emptyOrNumber(holdupMilliseconds, holdup)) {
        text = QStringLiteral("请输入数字。");
    } else {
        try {
            mains::MainsSupply supply{*minAc, *maxAc, outputPower_, efficiency_, bulk, *line};
            supply.holdupMilliseconds = holdup;
            range_ = mains::DcInputFromMains(supply);
            maxAc_ = *maxAc;
        } catch (const mains::MainsError& error) {
            text = QString::fromUtf8(error.what());
        }
    }
    if (range_) text = FromUtf8(mains::RangeCaption(*range_));
    result_->setText(text);
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(range_.has_value());
}

void MainsDialog::accept() {
    if (!range_) return;
    QSettings settings;
    settings.setValue(QStringLiteral("mains/minAc"), minAcVoltage->text());
    settings.setValue(QStringLiteral("mains/maxAc"), maxAcVoltage->text());
    settings.setValue(QStringLiteral("mains/lineHz"), lineHertz->text());
    settings.setValue(QStringLiteral("mains/bulkUf"), bulkMicrofarads->text());
    settings.setValue(QStringLiteral("mains/holdupMs"), holdupMilliseconds->text());
    QDialog::accept();
}

}  // namespace flyback::window
