#include "window/choices_panel.hpp"
#include "window/input_guards.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace flyback::window {
namespace {

using winding::Conduction;
using winding::VorSource;

constexpr double kMicro = 1e6;  // Lp is shown in µH
constexpr int kMostTurns = 100000;

// The outputs' columns: voltage, current, rectifier drop, with their bounds.
struct OutputColumn {
    const char* caption;
    double low, high;
    int decimals;
    double step;  // an arrow's or a notch's change, of the quantity's size
};
constexpr OutputColumn kOutputColumns[] = {
    {"电压 V", 0.1, 1000, 2, 1}, {"电流 A", 0, 1000, 3, 0.1}, {"整流管压降 V", 0, 10, 2, 0.1}};

QString Key(const char* name) {
    return QStringLiteral("winding/choices/") + QLatin1String(name);
}

}  // namespace

ChoicesPanel::ChoicesPanel(const winding::Choices& c, QWidget* parent)
    : QGroupBox(QStringLiteral("设计选择（不选时按上面的计算结果设计）"), parent) {
    setObjectName(QStringLiteral("choicesPanel"));
    setCheckable(true);
    setChecked(c.Any());
    vorSource_ = new QComboBox;
    vorSource_->addItems({QStringLiteral("按原计算"), QStringLiteral("指定 Vor"),
                          QStringLiteral("由开关管耐压"), QStringLiteral("由最大占空比")});
    vorSource_->setCurrentIndex(static_cast<int>(c.vorSource));
    vorSource_->setAccessibleName(QStringLiteral("反射电压"));
    vor_ = Number(1, 2000, 1, QStringLiteral("V"), c.Vor_V > 0 ? c.Vor_V : 100, 1);
    rating_ = Number(10, 3000, 0, QStringLiteral("V"), c.VdsRating_V > 0 ? c.VdsRating_V : 650, 10);
    derating_ = Number(0.1, 1, 2, {}, c.derating, 0.05);
    derating_->setPrefix(QStringLiteral("降额 "));
    clampRatio_ = Number(1.05, winding::kHighestClampRatio, 2, {}, c.clampRatio, 0.05);
    clampRatio_->setPrefix(QStringLiteral("钳位/Vor "));
    clampRatio_->setAccessibleName(QStringLiteral("钳位电压与反射电压之比"));
    dmax_ = Number(0.05, 0.95, 2, {}, c.Dmax > 0 ? c.Dmax : 0.45, 0.01);
    conduction_ = new QComboBox;
    conduction_->addItems(
        {QStringLiteral("临界"), QStringLiteral("纹波系数 KRP"), QStringLiteral("指定 Lp")});
    conduction_->setCurrentIndex(static_cast<int>(c.conduction));
    conduction_->setAccessibleName(QStringLiteral("工作模式"));
    krp_ = Number(0.05, 1, 2, {}, c.conduction == Conduction::Ripple ? c.KRP : 0.6, 0.05);
    lp_ = Number(1, 1e6, 1, QStringLiteral("µH"), c.Lp_H > 0 ? c.Lp_H * kMicro : 1000, 10);
    fixedTurns_ = new QCheckBox(QStringLiteral("指定匝数 Np:Ns:Naux"));
    fixedTurns_->setChecked(c.FixedTurns());
    const int kept[] = {c.FixedTurns() ? c.Np : 100, c.FixedTurns() ? c.Ns : 10,
                        c.Naux.value_or(0)};
    for (int i = 0; i < 3; ++i) {
        turns_[i] = new QSpinBox;
        turns_[i]->setRange(i == 2 ? 0 : 1, kMostTurns);
        turns_[i]->setValue(kept[i]);
        turns_[i]->setKeyboardTracking(false);
        connect(turns_[i], &QSpinBox::valueChanged, this, &ChoicesPanel::changed);
    }
    turns_[2]->setSpecialValueText(QStringLiteral("无"));
    turns_[0]->setAccessibleName(QStringLiteral("初级匝数 Np"));
    turns_[1]->setAccessibleName(QStringLiteral("次级匝数 Ns"));
    turns_[2]->setAccessibleName(QStringLiteral("辅助绕组匝数 Naux"));
    for (QComboBox* box : {vorSource_, conduction_}) {
        connect(box, &QComboBox::currentIndexChanged, this, [this] {
            ShowChosenBoxes();
            emit changed();
        });
    }
    connect(fixedTurns_, &QCheckBox::toggled, this, [this] {
        ShowChosenBoxes();
        emit changed();
    });
    connect(this, &QGroupBox::toggled, this, &ChoicesPanel::changed);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("反射电压")), 0, 0);
    grid->addWidget(vorSource_, 0, 1);
    auto* vorBoxes = new QHBoxLayout;
    for (QWidget* box : {vor_, rating_, derating_, clampRatio_, dmax_}) vorBoxes->addWidget(box);
    vorBoxes->addStretch();
    grid->addLayout(vorBoxes, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("工作模式")), 1, 0);
    grid->addWidget(conduction_, 1, 1);
    auto* modeBoxes = new QHBoxLayout;
    for (QWidget* box : {krp_, lp_}) modeBoxes->addWidget(box);
    modeBoxes->addStretch();
    grid->addLayout(modeBoxes, 1, 2);
    grid->addWidget(fixedTurns_, 2, 0, 1, 2);
    auto* turnBoxes = new QHBoxLayout;
    for (QSpinBox* box : turns_) turnBoxes->addWidget(box);
    turnBoxes->addStretch();
    grid->addLayout(turnBoxes, 2, 2);
    vorSource_->setAccessibleName(QStringLiteral("反射电压"));
    conduction_->setAccessibleName(QStringLiteral("工作模式"));

    // Unticked, the panel folds to its title: the plan below keeps the room.
    auto* body = new QWidget;
    auto* columns = new QHBoxLayout(body);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->addWidget(OutputsBox(), 1);
    auto* right = new QVBoxLayout;
    right->addLayout(grid);
    right->addWidget(BiasAndLimitsBox(c));
    columns->addLayout(right, 2);
    auto* whole = new QVBoxLayout(this);
    whole->addWidget(body);
    body->setVisible(isChecked());
    connect(this, &QGroupBox::toggled, body, &QWidget::setVisible);
    for (const winding::OutputLoad& load : c.outputs) AddOutput(load);
    ShowChosenBoxes();
}

QDoubleSpinBox* ChoicesPanel::Number(double low, double high, int decimals, const QString& unit,
                                     double value, double step) {
    auto* box = new QDoubleSpinBox;
    box->setRange(low, high);
    box->setDecimals(decimals);
    box->setSingleStep(step);
    if (!unit.isEmpty()) box->setSuffix(QStringLiteral(" ") + unit);
    box->setValue(std::clamp(value, low, high));
    box->setKeyboardTracking(false);  // a plan per finished number, not per digit
    connect(box, &QDoubleSpinBox::valueChanged, this, &ChoicesPanel::changed);
    return box;
}

QWidget* ChoicesPanel::OutputsBox() {
    outputs_ = new QTableWidget(0, static_cast<int>(std::size(kOutputColumns)));
    QStringList captions;
    for (const OutputColumn& column : kOutputColumns) captions << QString::fromUtf8(column.caption);
    outputs_->setHorizontalHeaderLabels(captions);
    outputs_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    outputs_->setAccessibleName(QStringLiteral("输出（第一行稳压）"));
    // Four rows show; more scroll.
    outputs_->setFixedHeight(outputs_->horizontalHeader()->sizeHint().height() +
                             4 * outputs_->verticalHeader()->defaultSectionSize() + 4);
    auto* add = new QPushButton(QStringLiteral("添加输出"));
    auto* remove = new QPushButton(QStringLiteral("删除输出"));
    connect(add, &QPushButton::clicked, this, [this] {
        if (static_cast<std::size_t>(outputs_->rowCount()) >= winding::kMostOutputs) return;
        AddOutput({12, 1, 0.5});
        emit changed();
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        const int row =
            outputs_->currentRow() >= 0 ? outputs_->currentRow() : outputs_->rowCount() - 1;
        if (row < 0) return;
        outputs_->removeRow(row);
        emit changed();
    });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(remove);
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("输出（第一行为稳压输出；无：按输出电压与功率）")));
    layout->addWidget(outputs_);
    layout->addLayout(buttons);
    return box;
}

void ChoicesPanel::AddOutput(const winding::OutputLoad& load) {
    const int row = outputs_->rowCount();
    outputs_->insertRow(row);
    const double values[] = {load.V, load.I_A, load.VF_V};
    for (int column = 0; column < outputs_->columnCount(); ++column) {
        const OutputColumn& c = kOutputColumns[column];
        auto* box = Number(c.low, c.high, c.decimals, {}, values[column], c.step);
        box->setFrame(false);
        TakeWheelOnlyWithFocus(box);
        box->setAccessibleName(QStringLiteral("输出 %1 %2").arg(row + 1).arg(c.caption));
        outputs_->setCellWidget(row, column, box);
    }
    outputs_->setVerticalHeaderItem(
        row, new QTableWidgetItem(row == 0 ? QStringLiteral("稳压") : QString::number(row + 1)));
}

QWidget* ChoicesPanel::BiasAndLimitsBox(const winding::Choices& c) {
    biasCurrent_ = Number(0, 10, 3, QStringLiteral("A"), c.biasI_A, 0.01);
    biasDrop_ = Number(0, 10, 2, QStringLiteral("V"), c.biasVF_V, 0.1);
    biasDrop_->setPrefix(QStringLiteral("压降 "));
    clampSet_ = new QCheckBox(QStringLiteral("钳位电压"));
    clampSet_->setChecked(c.Vclamp_V.has_value());
    clamp_ = Number(1, 3000, 1, QStringLiteral("V"), c.Vclamp_V.value_or(200), 1);
    limitSet_ = new QCheckBox(QStringLiteral("限流值"));
    limitSet_->setChecked(c.Ilimit_A.has_value());
    limit_ = Number(0.001, 1000, 3, QStringLiteral("A"), c.Ilimit_A.value_or(1), 0.1);
    for (QCheckBox* box : {clampSet_, limitSet_}) {
        connect(box, &QCheckBox::toggled, this, [this] {
            ShowChosenBoxes();
            emit changed();
        });
    }
    biasCurrent_->setAccessibleName(QStringLiteral("辅助绕组负载电流"));
    biasDrop_->setAccessibleName(QStringLiteral("辅助绕组整流管压降"));
    clamp_->setAccessibleName(QStringLiteral("钳位电压"));
    limit_->setAccessibleName(QStringLiteral("限流值"));
    auto* box = new QWidget;
    auto* rows = new QGridLayout(box);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->addWidget(new QLabel(QStringLiteral("辅助绕组负载")), 0, 0);
    rows->addWidget(biasCurrent_, 0, 1);
    rows->addWidget(biasDrop_, 0, 2);
    rows->addWidget(clampSet_, 1, 0);
    rows->addWidget(clamp_, 1, 1);
    rows->addWidget(limitSet_, 1, 2);
    rows->addWidget(limit_, 1, 3);
    rows->setColumnStretch(4, 1);
    return box;
}

void ChoicesPanel::ShowChosenBoxes() {
    const auto source = static_cast<VorSource>(vorSource_->currentIndex());
    vor_->setVisible(source == VorSource::Value);
    rating_->setVisible(source == VorSource::SwitchRating);
    derating_->setVisible(source == VorSource::SwitchRating);
    clampRatio_->setVisible(source == VorSource::SwitchRating);
    dmax_->setVisible(source == VorSource::MaxDuty);
    const auto conduction = static_cast<Conduction>(conduction_->currentIndex());
    krp_->setVisible(conduction == Conduction::Ripple);
    lp_->setVisible(conduction == Conduction::Inductance);
    for (QSpinBox* box : turns_) box->setEnabled(fixedTurns_->isChecked());
    clamp_->setEnabled(clampSet_->isChecked());
    limit_->setEnabled(limitSet_->isChecked());
}

winding::Choices ChoicesPanel::Choices() const {
    winding::Choices c;
    if (!isChecked()) return c;
    for (int row = 0; row < outputs_->rowCount(); ++row) {
        const auto value = [&](int column) {
            return static_cast<QDoubleSpinBox*>(outputs_->cellWidget(row, column))->value();
        };
        c.outputs.push_back({value(0), value(1), value(2)});
    }
    c.biasI_A = biasCurrent_->value();
    c.biasVF_V = biasDrop_->value();
    c.vorSource = static_cast<VorSource>(vorSource_->currentIndex());
    if (c.vorSource == VorSource::Value) c.Vor_V = vor_->value();
    if (c.vorSource == VorSource::SwitchRating) {
        c.VdsRating_V = rating_->value();
        c.derating = derating_->value();
        c.clampRatio = clampRatio_->value();
    }
    if (c.vorSource == VorSource::MaxDuty) c.Dmax = dmax_->value();
    c.conduction = static_cast<Conduction>(conduction_->currentIndex());
    if (c.conduction == Conduction::Ripple) c.KRP = krp_->value();
    if (c.conduction == Conduction::Inductance) c.Lp_H = lp_->value() / kMicro;
    if (fixedTurns_->isChecked()) {
        c.Np = turns_[0]->value();
        c.Ns = turns_[1]->value();
        if (turns_[2]->value() > 0) c.Naux = turns_[2]->value();
    }
    if (clampSet_->isChecked()) c.Vclamp_V = clamp_->value();
    if (limitSet_->isChecked()) c.Ilimit_A = limit_->value();
    return c;
}

winding::Choices LoadChoices(QStringList* notes) {
    const QSettings s;
    winding::Choices c;
    const auto number = [&](const char* name, double fallback, double low, double high) {
        bool read = false;
        const double kept = s.value(Key(name)).toDouble(&read);
        return read && std::isfinite(kept) ? std::clamp(kept, low, high) : fallback;
    };
    if (!s.value(Key("on"), false).toBool()) return c;
    const QList<QVariant> rows = s.value(Key("outputs")).toList();
    // More than a plan winds is not a design that was kept: none are taken.
    if (static_cast<std::size_t>(rows.size()) > winding::kMostOutputs) {
        if (notes != nullptr) {
            *notes << QStringLiteral("设置中有 %1 路输出，至多 %2 路，未采用。")
                          .arg(rows.size())
                          .arg(winding::kMostOutputs);
        }
    } else {
        for (const QVariant& row : rows) {
            const QList<QVariant> cells = row.toList();
            if (cells.size() != 3) continue;
            winding::OutputLoad load;
            double* held[] = {&load.V, &load.I_A, &load.VF_V};
            bool numbers = true;
            for (int i = 0; i < 3; ++i) {
                const OutputColumn& column = kOutputColumns[i];
                bool read = false;
                const double kept = cells[i].toDouble(&read);
                numbers = numbers && read && std::isfinite(kept);
                *held[i] = std::clamp(kept, column.low, column.high);
            }
            // A row that is not numbers would show as its column's largest.
            if (numbers) c.outputs.push_back(load);
        }
    }
    c.biasI_A = number("biasCurrent", 0, 0, 10);
    c.biasVF_V = number("biasDrop", 0.7, 0, 10);
    c.vorSource = static_cast<VorSource>(std::clamp(s.value(Key("vorSource")).toInt(), 0, 3));
    c.Vor_V = number("vor", 100, 1, 2000);
    c.VdsRating_V = number("vdsRating", 650, 10, 3000);
    c.derating = number("derating", 0.8, 0.1, 1);
    c.clampRatio = number("clampRatio", 1.5, 1.05, winding::kHighestClampRatio);
    c.Dmax = number("dmax", 0.45, 0.05, 0.95);
    c.conduction = static_cast<Conduction>(std::clamp(s.value(Key("conduction")).toInt(), 0, 2));
    c.KRP = c.conduction == Conduction::Ripple ? number("krp", 0.6, 0.05, 1) : 1;
    c.Lp_H = number("lpMicrohenry", 1000, 1, 1e6) / kMicro;
    if (s.value(Key("fixedTurns"), false).toBool()) {
        c.Np = static_cast<int>(number("np", 100, 1, kMostTurns));
        c.Ns = static_cast<int>(number("ns", 10, 1, kMostTurns));
        const int naux = static_cast<int>(number("naux", 0, 0, kMostTurns));
        if (naux > 0) c.Naux = naux;
    }
    if (s.value(Key("clampSet"), false).toBool()) c.Vclamp_V = number("clamp", 200, 1, 3000);
    if (s.value(Key("limitSet"), false).toBool()) c.Ilimit_A = number("limit", 1, 0.001, 1000);
    return c;
}

void SaveChoices(const winding::Choices& c) {
    QSettings s;
    s.setValue(Key("on"), c.Any());
    QList<QVariant> outputs;
    for (const winding::OutputLoad& load : c.outputs) {
        outputs.append(QVariant(QList<QVariant>{load.V, load.I_A, load.VF_V}));
    }
    s.setValue(Key("outputs"), outputs);
    s.setValue(Key("biasCurrent"), c.biasI_A);
    s.setValue(Key("biasDrop"), c.biasVF_V);
    s.setValue(Key("vorSource"), static_cast<int>(c.vorSource));
    s.setValue(Key("vor"), c.Vor_V);
    s.setValue(Key("vdsRating"), c.VdsRating_V);
    s.setValue(Key("derating"), c.derating);
    s.setValue(Key("clampRatio"), c.clampRatio);
    s.setValue(Key("dmax"), c.Dmax);
    s.setValue(Key("conduction"), static_cast<int>(c.conduction));
    s.setValue(Key("krp"), c.KRP);
    s.setValue(Key("lpMicrohenry"), c.Lp_H * kMicro);
    s.setValue(Key("fixedTurns"), c.FixedTurns());
    s.setValue(Key("np"), c.Np);
    s.setValue(Key("ns"), c.Ns);
    s.setValue(Key("naux"), c.Naux.value_or(0));
    s.setValue(Key("clampSet"), c.Vclamp_V.has_value());
    s.setValue(Key("clamp"), c.Vclamp_V.value_or(200));
    s.setValue(Key("limitSet"), c.Ilimit_A.has_value());
    s.setValue(Key("limit"), c.Ilimit_A.value_or(1));
}

}  // namespace flyback::window
