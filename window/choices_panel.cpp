#include "window/choices_panel.hpp"

#include "numtext/boxes.hpp"
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
#include <cmath>

namespace flyback::window {
namespace {

using winding::ChoiceNumber;
using winding::ChoiceNumberInfo;
using winding::Conduction;
using winding::kChoiceNumbers;
using winding::VorSource;

// The turns a box shows before any are kept.
constexpr int kFirstTurns[] = {100, 10, 0};

QString Caption(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString Key(std::string_view name) {
    return QStringLiteral("winding/choices/") + Caption(name);
}

// Whether a choice the plan may be left to make was made ("clampSet").
QString TickKey(const ChoiceNumberInfo& info) {
    return Key(info.keptKey) + QStringLiteral("Set");
}

bool OfAWay(const ChoiceNumberInfo& info) {
    return info.vorSource || info.conduction;
}

// A way's boxes share a row: where it has more than one, each says its name.
bool SharesItsRow(const ChoiceNumberInfo& info) {
    return std::count_if(std::begin(kChoiceNumbers), std::end(kChoiceNumbers),
                         [&](const ChoiceNumberInfo& other) {
                             return other.vorSource == info.vorSource &&
                                    other.conduction == info.conduction;
                         }) > 1;
}

template <std::size_t N>
QStringList Captions(const winding::WayInfo (&ways)[N]) {
    QStringList captions;
    for (const winding::WayInfo& way : ways) captions << Caption(way.caption);
    return captions;
}

}  // namespace

ChoicesPanel::ChoicesPanel(const winding::Choices& c, QWidget* parent)
    : QGroupBox(QStringLiteral("设计选择（不选时按上面的计算结果设计）"), parent) {
    setObjectName(QStringLiteral("choicesPanel"));
    setCheckable(true);
    setChecked(c.Any());
    vorSource_ = new QComboBox;
    vorSource_->addItems(Captions(winding::kVorSources));
    vorSource_->setCurrentIndex(static_cast<int>(c.vorSource));
    vorSource_->setAccessibleName(QStringLiteral("反射电压"));
    conduction_ = new QComboBox;
    conduction_->addItems(Captions(winding::kConductions));
    conduction_->setCurrentIndex(static_cast<int>(c.conduction));
    conduction_->setAccessibleName(QStringLiteral("工作模式"));
    for (const ChoiceNumberInfo& info : kChoiceNumbers) {
        numbers_[static_cast<std::size_t>(info.choice)] = ChoiceBox(info, c);
        if (info.none.empty()) continue;
        auto* tick = new QCheckBox(Caption(info.caption));
        tick->setChecked(winding::HeldValue(c, info.choice).has_value() &&
                         winding::WayTaken(info, c));
        connect(tick, &QCheckBox::toggled, this, [this] {
            ShowChosenBoxes();
            emit changed();
        });
        ticks_[static_cast<std::size_t>(info.choice)] = tick;
    }
    fixedTurns_ = new QCheckBox(QStringLiteral("指定匝数 Np:Ns:Naux"));
    fixedTurns_->setChecked(c.FixedTurns());
    const int kept[] = {c.FixedTurns() ? c.Np : kFirstTurns[0],
                        c.FixedTurns() ? c.Ns : kFirstTurns[1], c.Naux.value_or(kFirstTurns[2])};
    for (int i = 0; i < 3; ++i) {
        turns_[i] = new QSpinBox;
        turns_[i]->setRange(i == 2 ? 0 : 1, winding::kMostTurns);
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
    grid->addWidget(new QLabel(QStringLiteral("工作模式")), 1, 0);
    grid->addWidget(conduction_, 1, 1);
    QHBoxLayout* wayBoxes[] = {new QHBoxLayout, new QHBoxLayout};
    for (const ChoiceNumberInfo& info : kChoiceNumbers) {
        if (!OfAWay(info)) continue;
        QHBoxLayout* row = wayBoxes[info.vorSource ? 0 : 1];
        if (QCheckBox* tick = Tick(info.choice)) row->addWidget(tick);
        row->addWidget(Box(info.choice));
    }
    for (int row = 0; row < 2; ++row) {
        wayBoxes[row]->addStretch();
        grid->addLayout(wayBoxes[row], row, 2);
    }
    grid->addWidget(fixedTurns_, 2, 0, 1, 2);
    auto* turnBoxes = new QHBoxLayout;
    for (QSpinBox* box : turns_) turnBoxes->addWidget(box);
    turnBoxes->addStretch();
    grid->addLayout(turnBoxes, 2, 2);

    // Unticked, the panel folds to its title: the plan below keeps the room.
    auto* body = new QWidget;
    auto* columns = new QHBoxLayout(body);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->addWidget(OutputsBox(), 1);
    auto* right = new QVBoxLayout;
    right->addLayout(grid);
    right->addWidget(BiasAndLimitsBox());
    columns->addLayout(right, 2);
    auto* whole = new QVBoxLayout(this);
    whole->addWidget(body);
    body->setVisible(isChecked());
    connect(this, &QGroupBox::toggled, body, &QWidget::setVisible);
    for (const winding::OutputLoad& load : c.outputs) AddOutput(load);
    ShowChosenBoxes();
}

// A choice's box, bounded by its row, showing what is chosen or, where
// nothing is, the row's first value.
QDoubleSpinBox* ChoicesPanel::ChoiceBox(const ChoiceNumberInfo& info, const winding::Choices& c) {
    const std::optional<double> held = winding::HeldValue(c, info.choice);
    const double shown =
        held && winding::WayTaken(info, c) ? *held * info.shownPerHeld : info.first;
    auto* box = Number(info.low, info.high, DecimalsShowing(shown, info.decimals),
                       Caption(info.unit), shown, info.step);
    box->setAccessibleName(Caption(info.caption));
    // A box behind a tick is named by its tick.
    if (OfAWay(info) && SharesItsRow(info) && info.none.empty())
        box->setPrefix(Caption(info.caption) + " ");
    return box;
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
    outputs_ = new QTableWidget(0, static_cast<int>(std::size(winding::kOutputColumns)));
    QStringList captions;
    for (const winding::OutputColumnInfo& column : winding::kOutputColumns)
        // The unit on a line of its own: four columns fit beside the choices.
        captions << Caption(column.caption) + "\n" + Caption(column.unit);
    outputs_->setHorizontalHeaderLabels(captions);
    outputs_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    outputs_->setAccessibleName(QStringLiteral("输出（第一行稳压）"));
    // Four rows show; more scroll.
    outputs_->setFixedHeight(outputs_->horizontalHeader()->sizeHint().height() +
                             4 * outputs_->verticalHeader()->defaultSectionSize() + 4);
    auto* add = new QPushButton(QStringLiteral("添加输出"));
    auto* remove = new QPushButton(QStringLiteral("删除输出"));
    connect(add, &QPushButton::clicked, this, &ChoicesPanel::AddNewOutput);
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

void ChoicesPanel::AddNewOutput() {
    if (static_cast<std::size_t>(outputs_->rowCount()) >= winding::kMostOutputs) return;
    const record::DesignRecord* press = press_ ? press_() : nullptr;
    std::optional<double> P, Vo;
    if (press != nullptr) {
        P = press->inputValues[static_cast<std::size_t>(numtext::Input::Power)];
        Vo = press->inputValues[static_cast<std::size_t>(numtext::Input::OutputVoltage)];
    }
    AddOutput(winding::NewOutput(Choices().outputs, P, Vo));
    emit changed();
}

void ChoicesPanel::AddOutput(const winding::OutputLoad& load) {
    const int row = outputs_->rowCount();
    outputs_->insertRow(row);
    const std::optional<double> values[] = {load.V, load.I_A, load.VF_V, load.Imin_A};
    for (int column = 0; column < outputs_->columnCount(); ++column) {
        const winding::OutputColumnInfo& c = winding::kOutputColumns[column];
        // A column that may be blank shows its blank one step below its
        // lowest, worded as what it stands for.
        const double blank = c.low - c.step;
        auto* box = Number(c.blank.empty() ? c.low : blank, c.high, c.decimals, {},
                           values[column].value_or(blank), c.step);
        if (!c.blank.empty()) {
            box->setSpecialValueText(Caption(c.blank));
            box->setToolTip(QStringLiteral("%1：减到最低为满载的 %2")
                                .arg(Caption(c.caption), Caption(c.blank)));
        }
        box->setFrame(false);
        TakeWheelOnlyWithFocus(box);
        box->setAccessibleName(
            QStringLiteral("输出 %1 %2 %3").arg(row + 1).arg(Caption(c.caption), Caption(c.unit)));
        outputs_->setCellWidget(row, column, box);
    }
    outputs_->setVerticalHeaderItem(
        row, new QTableWidgetItem(row == 0 ? QStringLiteral("稳压") : QString::number(row + 1)));
}

// The choices of no way: each with its caption, those the plan may be left
// to make behind a tick.
QWidget* ChoicesPanel::BiasAndLimitsBox() {
    auto* box = new QWidget;
    auto* rows = new QGridLayout(box);
    rows->setContentsMargins(0, 0, 0, 0);
    // Two to a line beside the outputs, so that the panel stays within the
    // plan window's 800 pixels on a laptop however many the table holds (three
    // ran past it once the switch's Coss joined them); those behind a tick
    // on a line of their own.
    constexpr int kPerLine = 2;
    int plain = 0, ticked = 0;
    for (const ChoiceNumberInfo& info : kChoiceNumbers) {
        if (OfAWay(info) || !info.none.empty()) continue;
        rows->addWidget(new QLabel(Caption(info.caption)), plain / kPerLine,
                        2 * (plain % kPerLine));
        rows->addWidget(Box(info.choice), plain / kPerLine, 2 * (plain % kPerLine) + 1);
        ++plain;
    }
    const int tickedRow = (plain + kPerLine - 1) / kPerLine;
    for (const ChoiceNumberInfo& info : kChoiceNumbers) {
        if (OfAWay(info) || info.none.empty()) continue;
        rows->addWidget(Tick(info.choice), tickedRow, ticked++);
        rows->addWidget(Box(info.choice), tickedRow, ticked++);
    }
    rows->setColumnStretch(std::max(2 * kPerLine, ticked), 1);
    return box;
}

void ChoicesPanel::ShowChosenBoxes() {
    const auto source = static_cast<VorSource>(vorSource_->currentIndex());
    const auto conduction = static_cast<Conduction>(conduction_->currentIndex());
    for (const ChoiceNumberInfo& info : kChoiceNumbers) {
        QCheckBox* tick = Tick(info.choice);
        bool shown = true;
        if (info.vorSource) shown = *info.vorSource == source;
        if (info.conduction) shown = *info.conduction == conduction;
        Box(info.choice)->setVisible(shown);
        if (tick == nullptr) continue;
        tick->setVisible(shown);
        Box(info.choice)->setEnabled(tick->isChecked());
    }
    for (QSpinBox* box : turns_) box->setEnabled(fixedTurns_->isChecked());
}

winding::Choices ChoicesPanel::Choices() const {
    winding::Choices c;
    if (!isChecked()) return c;
    for (int row = 0; row < outputs_->rowCount(); ++row) {
        const auto value = [&](int column) {
            return static_cast<QDoubleSpinBox*>(outputs_->cellWidget(row, column))->value();
        };
        const double least = value(static_cast<int>(winding::kLeastLoadColumn));
        c.outputs.push_back({value(0), value(1), value(2),
                             least >= winding::kOutputColumns[winding::kLeastLoadColumn].low
                                 ? std::optional(least)
                                 : std::nullopt});
    }
    c.vorSource = static_cast<VorSource>(vorSource_->currentIndex());
    c.conduction = static_cast<Conduction>(conduction_->currentIndex());
    for (const ChoiceNumberInfo& info : kChoiceNumbers) {
        if (!winding::WayTaken(info, c)) continue;
        std::optional<double> held = Box(info.choice)->value() / info.shownPerHeld;
        if (const QCheckBox* tick = Tick(info.choice); tick && !tick->isChecked()) held.reset();
        winding::SetHeldValue(c, info.choice, held);
    }
    if (fixedTurns_->isChecked()) {
        c.Np = turns_[0]->value();
        c.Ns = turns_[1]->value();
        if (turns_[2]->value() > 0) c.Naux = turns_[2]->value();
    }
    return c;
}

winding::Choices LoadChoices(QStringList* notes) {
    const QSettings s;
    winding::Choices c;
    const auto number = [&](std::string_view name, double fallback, double low, double high) {
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
            // Kept before outputs had a least load: three cells.
            if (cells.size() != 3 && cells.size() != 4) continue;
            winding::OutputLoad load;
            double* held[] = {&load.V, &load.I_A, &load.VF_V};
            bool numbers = true;
            for (int i = 0; i < 3; ++i) {
                const winding::OutputColumnInfo& column = winding::kOutputColumns[i];
                bool read = false;
                const double kept = cells[i].toDouble(&read);
                numbers = numbers && read && std::isfinite(kept);
                *held[i] = std::clamp(kept, column.low, column.high);
            }
            if (cells.size() == 4 && !cells[3].isNull()) {
                const winding::OutputColumnInfo& column =
                    winding::kOutputColumns[winding::kLeastLoadColumn];
                bool read = false;
                const double kept = cells[3].toDouble(&read);
                if (read && std::isfinite(kept))
                    load.Imin_A = std::clamp(kept, column.low, column.high);
            }
            // A row that is not numbers would show as its column's largest.
            if (numbers) c.outputs.push_back(load);
        }
    }
    c.vorSource = static_cast<VorSource>(
        std::clamp<int>(s.value(Key("vorSource")).toInt(), 0, std::size(winding::kVorSources) - 1));
    c.conduction = static_cast<Conduction>(std::clamp<int>(s.value(Key("conduction")).toInt(), 0,
                                                           std::size(winding::kConductions) - 1));
    for (const ChoiceNumberInfo& info : kChoiceNumbers) {
        if (!winding::WayTaken(info, c)) continue;
        if (!info.none.empty() && !s.value(TickKey(info), false).toBool()) continue;
        winding::SetHeldValue(
            c, info.choice,
            number(info.keptKey, info.first, info.low, info.high) / info.shownPerHeld);
    }
    if (s.value(Key("fixedTurns"), false).toBool()) {
        c.Np = static_cast<int>(number("np", kFirstTurns[0], 1, winding::kMostTurns));
        c.Ns = static_cast<int>(number("ns", kFirstTurns[1], 1, winding::kMostTurns));
        const int naux = static_cast<int>(number("naux", kFirstTurns[2], 0, winding::kMostTurns));
        if (naux > 0) c.Naux = naux;
    }
    return c;
}

void SaveChoices(const winding::Choices& c) {
    QSettings s;
    s.setValue(Key("on"), c.Any());
    QList<QVariant> outputs;
    for (const winding::OutputLoad& load : c.outputs) {
        outputs.append(QVariant(QList<QVariant>{
            load.V, load.I_A, load.VF_V, load.Imin_A ? QVariant(*load.Imin_A) : QVariant()}));
    }
    s.setValue(Key("outputs"), outputs);
    s.setValue(Key("vorSource"), static_cast<int>(c.vorSource));
    s.setValue(Key("conduction"), static_cast<int>(c.conduction));
    for (const ChoiceNumberInfo& info : kChoiceNumbers) {
        const std::optional<double> held = winding::HeldValue(c, info.choice);
        s.setValue(Key(info.keptKey), held ? *held * info.shownPerHeld : info.first);
        if (!info.none.empty()) s.setValue(TickKey(info), held.has_value());
    }
    s.setValue(Key("fixedTurns"), c.FixedTurns());
    s.setValue(Key("np"), c.Np);
    s.setValue(Key("ns"), c.Ns);
    s.setValue(Key("naux"), c.Naux.value_or(0));
}

}  // namespace flyback::window
