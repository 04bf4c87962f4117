#include "window/winding_window.hpp"

#include "window/input_guards.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QDoubleSpinBox>
#include <QGraphicsOpacityEffect>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSettings>
#include <QSignalBlocker>
#include <QSvgRenderer>
#include <QSvgWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>

#include "catalogue/names.hpp"
#include "drawing/pictures.hpp"
#include "plan_sheet/plan_sheet.hpp"
#include "runtime/decimal_conversion.hpp"
#include "runtime/number_text.hpp"
#include "window/build_sheet_tab.hpp"
#include "window/choices_panel.hpp"
#include "window/compare_tab.hpp"
#include "window/qt_text.hpp"
#include "window/sub_window.hpp"

namespace flyback::window {
namespace {

QLabel* PlainLabel(const QString& text = {}) {
    auto* label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QTableWidget* SheetTable(const QStringList& headings, const QString& name) {
    auto* table = new QTableWidget(0, static_cast<int>(headings.size()));
    table->setHorizontalHeaderLabels(headings);
    table->setAccessibleName(name);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 8);
    return table;
}

void FillRow(QTableWidget* table, int row, const QStringList& cells) {
    for (int column = 0; column < cells.size(); ++column) {
        table->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
}

void Grey(QTableWidget* table, bool grey) {
    ShowOutOfDate(table, grey, table->parentWidget()->palette().color(QPalette::Text));
}

// The catalogue's name of the family a box allows (its text is the caption).
constexpr auto kFamily = "family";
constexpr auto kCore = "winding/core", kFamilies = "winding/families",
               kMaterial = "winding/material", kTiw = "winding/tiw";
constexpr auto kStack = "winding/stack";
// Kept by its name before the material group was a list of the table.
constexpr auto kGroupByName = "winding/materialGroup";

// A list's label, from its row, with its access key.
QString ListCaption(winding::ListOption option, char key) {
    return FromUtf8(winding::Info(option).caption) + QStringLiteral("(&%1)").arg(QChar(key));
}

QString Shown(double value) {
    return FromUtf8(runtime::decimal::ShortestText(value));
}

QString LimitsText(const winding::NumberOptionInfo& info) {
    return FromUtf8(winding::LimitsCaption(info));
}

// A spin box that lets a number beyond its limits be typed whole ("-273",
// not "-27" with the 3 refused) and then brings it to the nearest limit,
// saying so, rather than silently keeping part of what was typed.
class OptionSpinBox : public QDoubleSpinBox {
  public:
    explicit OptionSpinBox(std::function<void(double typed)> corrected)
        : corrected_(std::move(corrected)) {
        connect(this, &QAbstractSpinBox::editingFinished, this, [this] {
            if (typed_) corrected_(*typed_);
            typed_.reset();
        });
    }

    QValidator::State validate(QString& text, int& position) const override {
        const QValidator::State state = QDoubleSpinBox::validate(text, position);
        if (state != QValidator::Invalid) return state;
        return Typed(text) ? QValidator::Intermediate : state;
    }

    // Called when editing ends on a text that is not acceptable.
    void fixup(QString& text) const override {
        const auto typed = Typed(text);
        if (!typed || (*typed >= minimum() && *typed <= maximum())) {
            QDoubleSpinBox::fixup(text);
            return;
        }
        typed_ = typed;
        text = prefix() + textFromValue(std::clamp(*typed, minimum(), maximum())) + suffix();
    }

  private:
    std::optional<double> Typed(QString text) const {
        if (text.startsWith(prefix())) text.remove(0, prefix().size());
        if (text.endsWith(suffix())) text.chop(suffix().size());
        return runtime::ReadWholeNumber(text.trimmed().toStdString());
    }

    std::function<void(double)> corrected_;
    mutable std::optional<double> typed_;
};

}  // namespace

namespace {

// The windings table as tall as its rows: three at least (primary,
// secondary, bias), more with more outputs.
void FitRows(QTableWidget* table, int rows) {
    table->setFixedHeight(table->horizontalHeader()->sizeHint().height() +
                          rows * table->verticalHeader()->defaultSectionSize() + 4);
}

}  // namespace

WindingWindow::WindingWindow(const catalogue::Catalogue& parts, const winding::Options& options,
                             QWidget* parent)
    : QWidget(parent, Qt::Window), parts_(&parts) {
    setWindowTitle(FromUtf8(plan_sheet::kTitle));
    setObjectName(QStringLiteral("windingWindow"));
    state_ = PlainLabel();
    error_ = PlainLabel();
    warnings_ = PlainLabel();
    warnings_->setAccessibleName(QStringLiteral("注意"));
    QStringList headings;
    for (const std::string_view heading : plan_sheet::kWindingHeadings)
        headings << FromUtf8(heading);
    windings_ = SheetTable(headings, QStringLiteral("绕组"));
    FitRows(windings_, 3);
    lines_ =
        SheetTable({QStringLiteral("项目"), QStringLiteral("数值")}, QStringLiteral("绕制方案"));
    QStringList cornerHeadings;
    for (const std::string_view heading : plan_sheet::kCornerHeadings)
        cornerHeadings << FromUtf8(heading);
    corners_ = SheetTable(cornerHeadings, FromUtf8(plan_sheet::kCornersTitle));
    build_ = new QSvgWidget;
    currents_ = new QSvgWidget;
    // Each at its own size, so that its text reads as the window's; scrolled
    // where the window is smaller.
    auto* drawn = new QWidget;
    auto* side = new QVBoxLayout(drawn);
    for (QSvgWidget* picture : {build_, currents_}) side->addWidget(picture);
    side->addStretch();
    auto* pictures = new QScrollArea;
    pictures->setWidget(drawn);
    pictures->setWidgetResizable(true);
    build_->setAccessibleName(QStringLiteral("绕组截面"));
    currents_->setAccessibleName(QStringLiteral("电流波形"));
    auto* tabs = new QTabWidget;
    tabs->addTab(lines_, QStringLiteral("数值"));
    tabs->addTab(corners_, FromUtf8(plan_sheet::kCornersTitle));
    tabs->addTab(pictures, QStringLiteral("绕组截面与电流"));
    buildSheet_ = new BuildSheetTab;
    tabs->addTab(buildSheet_, FromUtf8(build_sheet::kTitle));
    compare_ = new CompareTab;
    compare_->ListMaterials(parts);
    tabs->addTab(compare_, QStringLiteral("方案比较"));
    // The whole of it scrolls in a window smaller than its parts: a laptop's
    // screen holds it with the choices unfolded.
    auto* body = new QWidget;
    auto* scroll = new QScrollArea;
    scroll->setWidget(body);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);
    auto* layout = new QVBoxLayout(body);
    layout->addWidget(OptionsPanel(parts, options));
    choices_ = new ChoicesPanel(options.choices);
    connect(choices_, &ChoicesPanel::changed, this, &WindingWindow::optionsChanged);
    layout->addWidget(choices_);
    notes_ = PlainLabel();
    notes_->setAccessibleName(QStringLiteral("选项说明"));
    notes_->hide();
    layout->addWidget(notes_);
    layout->addWidget(PlainLabel(FromUtf8(plan_sheet::kPremise)));
    for (QWidget* widget : {static_cast<QWidget*>(state_), static_cast<QWidget*>(error_),
                            static_cast<QWidget*>(windings_), static_cast<QWidget*>(warnings_),
                            static_cast<QWidget*>(tabs)}) {
        layout->addWidget(widget);
    }
    MakeSubWindow(this, QStringLiteral("winding"), QSize(900, 760));
}

QDoubleSpinBox* WindingWindow::NewNumberBox(winding::NumberOption option,
                                            const winding::Options& options) {
    const winding::NumberOptionInfo& info = winding::Info(option);
    auto* box = new OptionSpinBox([this, &info](double typed) {
        // The library's words for the value typed, then what it became.
        const winding::OptionProblem beyond{winding::OptionProblem::Kind::OutOfRange, info.option,
                                            runtime::decimal::ShortestText(typed)};
        ShowNotes({FromUtf8(winding::OptionProblemCaption(beyond)) +
                   QStringLiteral("已改为 %1。").arg(Shown(NumberBox(info.option)->value()))});
    });
    // A box whose option may be unset shows that ("无") at 0, below its lowest value.
    const bool none = !info.none.empty();
    box->setRange(none ? 0 : info.low, info.high);
    box->setSingleStep(info.step);
    const double shown = winding::ShownValue(options, option).value_or(0);
    box->setDecimals(DecimalsShowing(shown, info.decimals));
    if (!info.unit.empty()) box->setSuffix(QStringLiteral(" ") + FromUtf8(info.unit));
    if (none) box->setSpecialValueText(FromUtf8(info.none));
    box->setValue(shown);
    box->setToolTip(LimitsText(info));
    box->setKeyboardTracking(false);  // a plan per finished number, not per digit
    connect(box, &QDoubleSpinBox::valueChanged, this, &WindingWindow::optionsChanged);
    return box;
}

QComboBox* WindingWindow::NewListBox(winding::ListOption option, const winding::Options& options,
                                     bool captioned) {
    const winding::ListOptionInfo& info = winding::Info(option);
    auto* box = new QComboBox;
    const QString before = captioned ? FromUtf8(info.caption) + QStringLiteral(" ") : QString();
    for (const int place : winding::ShownPlaces(info))
        box->addItem(before + FromUtf8(info.captions[static_cast<std::size_t>(place)]), place);
    box->setCurrentIndex(box->findData(winding::ListValue(options, option)));
    // A screen reader names a list by what it is, not by the value chosen.
    box->setAccessibleName(FromUtf8(info.caption));
    connect(box, &QComboBox::currentIndexChanged, this, &WindingWindow::optionsChanged);
    return box;
}

void WindingWindow::ShowMains(double Vrms) {
    QDoubleSpinBox* mains = NumberBox(winding::NumberOption::Mains);
    const QSignalBlocker quiet(mains);
    mains->setValue(Vrms);
}

void WindingWindow::ShowNotes(const QStringList& notes) {
    notes_->setText(notes.join('\n'));
    notes_->setVisible(!notes.isEmpty());
}

QWidget* WindingWindow::OptionsPanel(const catalogue::Catalogue& parts, const winding::Options& o) {
    core_ = new QComboBox;
    core_->addItem(QStringLiteral("自动"), QString());
    for (const catalogue::Core& core : parts.cores) {
        core_->addItem(FromUtf8(catalogue::CoreCaption(core.name)), FromUtf8(core.name));
    }
    core_->setCurrentIndex(std::max(0, core_->findData(FromUtf8(o.core))));
    // A name is typed as the catalogue knows it, by any of its names or
    // aliases ("ee 13", "EF12.6", "E13/7/4"); one it does not know is said,
    // with the nearest names, and the choice stays as it was.
    core_->setEditable(true);
    core_->setInsertPolicy(QComboBox::NoInsert);
    core_->completer()->setCaseSensitivity(Qt::CaseInsensitive);
    core_->completer()->setFilterMode(Qt::MatchContains);
    connect(core_->lineEdit(), &QLineEdit::editingFinished, this, [this] {
        const catalogue::Catalogue& parts = *parts_;
        const QString typed = core_->lineEdit()->text().trimmed();
        int index = typed.isEmpty() || typed == core_->itemText(0) ? 0 : -1;
        if (const catalogue::Core* found = parts.FindCore(typed.toStdString())) {
            index = core_->findData(FromUtf8(found->name));
        }
        if (index < 0) {
            ShowNotes({FromUtf8(winding::OptionProblemCaption(
                winding::CoreNameProblem(parts, typed.toStdString())))});
            index = core_->currentIndex();
        }
        core_->setCurrentIndex(index);
        core_->lineEdit()->setText(core_->itemText(index));
    });
    material_ = new QComboBox;
    for (const catalogue::Material& material : parts.materials) {
        material_->addItem(FromUtf8(material.name));
    }
    material_->setCurrentIndex(std::max(0, material_->findText(FromUtf8(o.material))));
    // A screen reader names a list by what it is, not by the value chosen.
    // Sized by a short name, not by the longest caption of hundreds: the
    // list still opens as wide as its items.
    for (QComboBox* list : {core_, material_}) {
        list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        list->setMinimumContentsLength(14);
    }
    core_->setAccessibleName(QStringLiteral("磁芯"));
    material_->setAccessibleName(QStringLiteral("磁芯材料"));
    for (QComboBox* box : {core_, material_}) {
        connect(box, &QComboBox::currentIndexChanged, this, &WindingWindow::optionsChanged);
    }
    for (const winding::NumberOptionInfo& info : winding::kNumberOptions) {
        numbers_[static_cast<std::size_t>(info.option)] = NewNumberBox(info.option, o);
    }
    for (const winding::ListOptionInfo& info : winding::kListOptions) {
        // The lists of the insulation's row stand without a label of their
        // own, each saying its caption; the grade leads the row under its label.
        const bool captioned = info.option != winding::ListOption::Construction &&
                               info.option != winding::ListOption::Shield &&
                               info.option != winding::ListOption::Grade;
        lists_[static_cast<std::size_t>(info.option)] = NewListBox(info.option, o, captioned);
    }

    // Six a row: eleven families in one ran past a laptop's window.
    constexpr int kFamiliesARow = 6;
    auto* families = new QGridLayout;
    for (const catalogue::Core& core : parts.cores) {
        const QString family = FromUtf8(core.family);
        bool seen = false;
        for (const QCheckBox* box : families_) seen = seen || box->property(kFamily) == family;
        if (seen) continue;
        auto* box = new QCheckBox(FromUtf8(catalogue::FamilyCaption(core.family)));
        box->setProperty(kFamily, family);
        box->setChecked(o.families.empty() || std::find(o.families.begin(), o.families.end(),
                                                        core.family) != o.families.end());
        connect(box, &QCheckBox::toggled, this, [this] {
            // None ticked allows every family: shown as all ticked.
            if (std::none_of(families_.begin(), families_.end(),
                             [](const QCheckBox* b) { return b->isChecked(); })) {
                for (QCheckBox* each : families_) {
                    const QSignalBlocker quiet(each);
                    each->setChecked(true);
                }
            }
            emit optionsChanged();
        });
        const int at = static_cast<int>(families_.size());
        families_.push_back(box);
        families->addWidget(box, at / kFamiliesARow, at % kFamiliesARow);
    }

    // Two pairs of caption and box a row: the plan window opens about 800
    // pixels wide on a laptop, and three pairs (and a row of every family
    // or every insulation setting) ran past it into a sideways scroll.
    auto* panel = new QWidget;
    auto* grid = new QGridLayout(panel);
    constexpr int kPairs = 2;
    int placed = 0;
    const auto add = [&](const QString& caption, QWidget* widget, QWidget* buddy = nullptr) {
        auto* label = new QLabel(caption);
        label->setBuddy(buddy != nullptr ? buddy : widget);
        const int row = placed / kPairs, column = placed % kPairs;
        grid->addWidget(label, row, 2 * column);
        grid->addWidget(widget, row, 2 * column + 1);
        ++placed;
    };
    typeCore_ = new QPushButton(QStringLiteral("自定义磁芯(&T)…"));
    typeCore_->setToolTip(QStringLiteral("按磁芯规格书的尺寸字母输入目录中没有的磁芯"));
    connect(typeCore_, &QPushButton::clicked, this, &WindingWindow::typedCoreRequested);
    auto* coreRow = new QWidget;
    auto* coreLine = new QHBoxLayout(coreRow);
    coreLine->setContentsMargins(0, 0, 0, 0);
    coreLine->addWidget(core_, 1);
    coreLine->addWidget(typeCore_);
    add(QStringLiteral("磁芯(&C)"), coreRow, core_);
    add(QStringLiteral("材料(&M)"), material_);
    // Captions from the option table, each with its access key.
    const auto caption = [](winding::NumberOption option, char key) {
        return FromUtf8(winding::Info(option).caption) + QStringLiteral("(&%1)").arg(QChar(key));
    };
    using winding::NumberOption;
    add(caption(NumberOption::Bmax, 'B'), NumberBox(NumberOption::Bmax));
    add(caption(NumberOption::CurrentDensity, 'J'), NumberBox(NumberOption::CurrentDensity));
    add(caption(NumberOption::Fill, 'F'), NumberBox(NumberOption::Fill));
    add(caption(NumberOption::Vaux, 'V'), NumberBox(NumberOption::Vaux));
    add(caption(NumberOption::Leakage, 'L'), NumberBox(NumberOption::Leakage));
    add(caption(NumberOption::Ambient, 'A'), NumberBox(NumberOption::Ambient));
    add(ListCaption(winding::ListOption::Construction, 'W'),
        ListBox(winding::ListOption::Construction));
    add(ListCaption(winding::ListOption::Shield, 'P'), ListBox(winding::ListOption::Shield));
    add(caption(NumberOption::LpTolerance, 'T'), NumberBox(NumberOption::LpTolerance));
    add(caption(NumberOption::IlimitTolerance, 'I'), NumberBox(NumberOption::IlimitTolerance));
    add(caption(NumberOption::LeakageFactor, 'K'), NumberBox(NumberOption::LeakageFactor));
    add(caption(NumberOption::LossSplit, 'Z'), NumberBox(NumberOption::LossSplit));
    add(caption(NumberOption::HotLimit, 'H'), NumberBox(NumberOption::HotLimit));
    add(caption(NumberOption::MaxRise, 'R'), NumberBox(NumberOption::MaxRise));
    const int next = (placed + kPairs - 1) / kPairs;
    grid->addWidget(new QLabel(QStringLiteral("自动选择的系列")), next, 0);
    grid->addLayout(families, next, 1, 1, 2 * kPairs - 1);
    auto* grade = new QLabel(FromUtf8(winding::Info(winding::ListOption::Grade).caption));
    grade->setBuddy(ListBox(winding::ListOption::Grade));
    grid->addWidget(grade, next + 1, 0);
    grid->addWidget(InsulationRow(o), next + 1, 1, 1, 2 * kPairs - 1);
    return panel;
}

QWidget* WindingWindow::InsulationRow(const winding::Options& o) {
    // Beside each other without labels: each number box says its caption.
    using winding::NumberOption;
    for (const NumberOption option :
         {NumberOption::Mains, NumberOption::Pollution, NumberOption::Altitude}) {
        const winding::NumberOptionInfo& info = winding::Info(option);
        QDoubleSpinBox* box = NumberBox(option);
        box->setPrefix(FromUtf8(info.caption) + QStringLiteral(" "));
        if (!info.none.empty()) box->setSpecialValueText(box->prefix() + FromUtf8(info.none));
        box->setAccessibleName(FromUtf8(info.caption));
    }
    stack_ = new QCheckBox(FromUtf8(winding::kStackCaptions[1]) + QStringLiteral("(&U)"));
    stack_->setToolTip(
        QStringLiteral("各路次级叠绕于公共回线，匝数少的在下，每段从下一段的抽头绕起；"
                       "不选时各路分开绕制，并列出叠绕时的交叉调整作对比"));
    stack_->setChecked(o.stack);
    connect(stack_, &QCheckBox::toggled, this, &WindingWindow::optionsChanged);
    auto* row = new QWidget;
    auto* line = new QGridLayout(row);
    line->setContentsMargins(0, 0, 0, 0);
    using winding::ListOption;
    const std::initializer_list<QWidget*> widgets = {
        ListBox(ListOption::Grade),         NumberBox(NumberOption::Mains),
        ListBox(ListOption::Overvoltage),   NumberBox(NumberOption::Pollution),
        ListBox(ListOption::MaterialGroup), NumberBox(NumberOption::Altitude),
        ListBox(ListOption::Order),         stack_};
    for (QWidget* widget : widgets) {
        // Three a row, for the same reason as the families.
        const int at = line->count();
        line->addWidget(widget, at / 3, at % 3);
    }
    return row;
}

winding::Options WindingWindow::Options() const {
    winding::Options o;
    o.core = core_->currentData().toString().toStdString();
    o.material = material_->currentText().toStdString();
    for (const QCheckBox* box : families_) {
        if (box->isChecked()) o.families.push_back(box->property(kFamily).toString().toStdString());
    }
    // All of them, or none, allow every family.
    if (o.families.size() == families_.size()) o.families.clear();
    for (const winding::NumberOptionInfo& info : winding::kNumberOptions) {
        const double shown = NumberBox(info.option)->value();
        // 0 in a box that may be unset is its "无".
        const bool unset = !info.none.empty() && shown == 0;
        winding::SetShownValue(o, info.option, unset ? std::nullopt : std::optional(shown));
    }
    for (const winding::ListOptionInfo& info : winding::kListOptions)
        winding::SetListValue(o, info.option, ListBox(info.option)->currentData().toInt());
    o.choices = choices_->Choices();
    o.stack = stack_->isChecked();
    return o;
}

void WindingWindow::ShowPlan(const winding::PlanOutcome& outcome, bool inputsChanged) {
    state_->setText(QStringLiteral("输入已更改，按 => 重新计算；以下为上次计算的方案。"));
    state_->setVisible(inputsChanged);
    // No plan: why; a plan of a doubtful input: that, before anything else.
    QStringList headlines;
    for (const std::string& line : plan_sheet::Headlines(outcome)) headlines << FromUtf8(line);
    error_->setText(outcome.plan ? headlines.join('\n')
                                 : FromUtf8(plan_sheet::FailureText(outcome)));
    error_->setVisible(!outcome.plan || !headlines.isEmpty());
    for (QTableWidget* table : {windings_, lines_, corners_}) table->setRowCount(0);
    QStringList warnings;
    if (outcome.plan) {
        const auto rows = plan_sheet::WindingRows(*outcome.plan);
        windings_->setRowCount(static_cast<int>(rows.size()));
        FitRows(windings_, std::max<int>(3, static_cast<int>(rows.size())));
        for (std::size_t r = 0; r < rows.size(); ++r) {
            QStringList cells;
            for (const std::string& cell : rows[r]) cells << FromUtf8(cell);
            FillRow(windings_, static_cast<int>(r), cells);
        }
        const auto corners = plan_sheet::CornerRows(*outcome.plan);
        corners_->setRowCount(static_cast<int>(corners.size()));
        for (std::size_t r = 0; r < corners.size(); ++r) {
            QStringList cells;
            for (const std::string& cell : corners[r]) cells << FromUtf8(cell);
            FillRow(corners_, static_cast<int>(r), cells);
        }
        const auto lines = plan_sheet::PlanLines(*outcome.plan);
        lines_->setRowCount(static_cast<int>(lines.size()));
        for (std::size_t r = 0; r < lines.size(); ++r) {
            FillRow(lines_, static_cast<int>(r),
                    {FromUtf8(lines[r].caption), FromUtf8(lines[r].value)});
        }
        for (const winding::PlanWarning& warning : outcome.plan->warnings) {
            warnings << FromUtf8(plan_sheet::WarningLine(warning));
        }
        build_->load(QByteArray::fromStdString(drawing::BuildDrawing(*outcome.plan)));
        currents_->load(QByteArray::fromStdString(drawing::CurrentsDrawing(*outcome.plan)));
    } else {
        build_->load(QByteArray());
        currents_->load(QByteArray());
    }
    for (QSvgWidget* picture : {build_, currents_}) {
        picture->setFixedSize(picture->renderer()->defaultSize());
        auto* fade = new QGraphicsOpacityEffect(picture);  // grey as the tables, for the last press
        fade->setOpacity(inputsChanged ? 0.6 : 1);
        picture->setGraphicsEffect(fade);
    }
    buildSheet_->Show(outcome, inputsChanged);
    warnings_->setText(warnings.join('\n'));
    warnings_->setVisible(!warnings.isEmpty());
    windings_->resizeColumnsToContents();
    corners_->resizeColumnsToContents();
    lines_->resizeColumnToContents(0);
    Grey(windings_, inputsChanged);
    Grey(lines_, inputsChanged);
}

winding::Options LoadWindingOptions(QStringList* notes) {
    const QSettings s;
    winding::Options o;
    o.core = s.value(kCore, QString()).toString().toStdString();
    for (const QString& family : s.value(kFamilies).toStringList()) {
        o.families.push_back(family.toStdString());
    }
    o.material = s.value(kMaterial, FromUtf8(o.material)).toString().toStdString();
    for (const winding::NumberOptionInfo& info : winding::kNumberOptions) {
        const QVariant kept = s.value(FromUtf8(info.settingsKey));
        if (!kept.isValid()) continue;
        bool number = false;
        const double held = kept.toDouble(&number);
        if (!info.none.empty() && number && held == 0) continue;  // unset
        const auto settled =
            number ? winding::Settled(info.option, held * info.shownPerHeld) : std::nullopt;
        const QString caption = FromUtf8(info.caption);
        if (!settled) {
            if (notes != nullptr)
                *notes << QStringLiteral("设置中的“%1”不是一个数（%2），已用默认值。")
                              .arg(caption, kept.toString());
            continue;
        }
        // A kept 0.07 is 7.000000000000001 % shown: only a value the box
        // changes at its own decimals is said.
        const double halfLastDecimal = 0.5 * std::pow(10.0, -info.decimals);
        if (std::abs(*settled - held * info.shownPerHeld) > halfLastDecimal && notes != nullptr) {
            *notes << QStringLiteral("设置中的“%1”为 %2，须在 %3 之间，已改为 %4。")
                          .arg(caption, Shown(held * info.shownPerHeld), LimitsText(info),
                               Shown(*settled));
        }
        winding::SetShownValue(o, info.option, settled);
    }
    // Each list by its place; one another version kept beyond the list
    // leaves the default.
    for (const winding::ListOptionInfo& info : winding::kListOptions) {
        const QString key = FromUtf8(info.settingsKey);
        if (!s.contains(key)) continue;
        const int place = s.value(key).toInt();
        if (!winding::SetListValue(o, info.option, place) && notes != nullptr) {
            *notes << QStringLiteral("设置中的“%1”为 %2，不是可选的值，已恢复默认。")
                          .arg(FromUtf8(info.caption), QString::number(place));
        }
    }
    // Kept before the construction was a list: a tick for triple-insulated wire.
    const QString construction =
        FromUtf8(winding::Info(winding::ListOption::Construction).settingsKey);
    if (!s.contains(construction) && s.value(kTiw, false).toBool())
        o.construction = winding::Construction::Tiw;
    // Kept by its name before it was a list; a name the tables do not know
    // leaves the default.
    const QString group = FromUtf8(winding::Info(winding::ListOption::MaterialGroup).settingsKey);
    if (!s.contains(group) && s.contains(kGroupByName)) {
        const auto place = winding::PlaceOf(winding::Info(winding::ListOption::MaterialGroup),
                                            s.value(kGroupByName).toString().toStdString());
        if (place) winding::SetListValue(o, winding::ListOption::MaterialGroup, *place);
    }
    o.choices = LoadChoices(notes);
    o.stack = s.value(kStack, false).toBool();
    return o;
}

void SaveWindingOptions(const winding::Options& o) {
    QSettings s;
    s.setValue(kCore, FromUtf8(o.core));
    QStringList families;
    for (const std::string& family : o.families) families << FromUtf8(family);
    s.setValue(kFamilies, families);
    s.setValue(kMaterial, FromUtf8(o.material));
    for (const winding::NumberOptionInfo& info : winding::kNumberOptions) {
        const double shown = winding::ShownValue(o, info.option).value_or(0);
        s.setValue(FromUtf8(info.settingsKey), shown / info.shownPerHeld);
    }
    for (const winding::ListOptionInfo& info : winding::kListOptions)
        s.setValue(FromUtf8(info.settingsKey), winding::ListValue(o, info.option));
    s.remove(kTiw);
    s.remove(kGroupByName);
    SaveChoices(o.choices);
    s.setValue(kStack, o.stack);
}

}  // namespace flyback::window
