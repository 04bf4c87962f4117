#include "window/winding_window.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGraphicsOpacityEffect>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSettings>
#include <QSvgRenderer>
#include <QSvgWidget>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "drawing/pictures.hpp"
#include "winding/sheet.hpp"
#include "window/qt_text.hpp"

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
    QPalette palette = table->palette();
    palette.setColor(QPalette::Text, grey ? QColor(0x90, 0x90, 0x90)
                                          : table->parentWidget()->palette().color(QPalette::Text));
    table->setPalette(palette);
}

constexpr auto kCore = "winding/core", kFamilies = "winding/families",
               kMaterial = "winding/material", kBmax = "winding/bmax", kDensity = "winding/density",
               kFill = "winding/fill", kVaux = "winding/vaux", kLeakage = "winding/leakage",
               kAmbient = "winding/ambient", kTiw = "winding/tiw";

}  // namespace

WindingWindow::WindingWindow(const catalogue::Catalogue& parts, const winding::Options& options,
                             QWidget* parent)
    : QWidget(parent, Qt::Window) {
    setWindowTitle(FromUtf8(winding::kTitle));
    setObjectName(QStringLiteral("windingWindow"));
    state_ = PlainLabel();
    error_ = PlainLabel();
    warnings_ = PlainLabel();
    warnings_->setAccessibleName(QStringLiteral("注意"));
    QStringList headings;
    for (const std::string_view heading : winding::kWindingHeadings) headings << FromUtf8(heading);
    windings_ = SheetTable(headings, QStringLiteral("绕组"));
    // Three windings at most: the table is as tall as they are.
    windings_->setFixedHeight(windings_->horizontalHeader()->sizeHint().height() +
                              3 * windings_->verticalHeader()->defaultSectionSize() + 4);
    lines_ =
        SheetTable({QStringLiteral("项目"), QStringLiteral("数值")}, QStringLiteral("绕制方案"));
    build_ = new QSvgWidget;
    currents_ = new QSvgWidget;
    auto* pictures = new QWidget;
    auto* side = new QVBoxLayout(pictures);  // each across the window's width
    for (QSvgWidget* picture : {build_, currents_}) {
        picture->renderer()->setAspectRatioMode(Qt::KeepAspectRatio);
        side->addWidget(picture);
    }
    build_->setAccessibleName(QStringLiteral("绕组截面"));
    currents_->setAccessibleName(QStringLiteral("电流波形"));
    auto* tabs = new QTabWidget;
    tabs->addTab(lines_, QStringLiteral("数值"));
    tabs->addTab(pictures, QStringLiteral("绕组截面与电流"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(OptionsPanel(parts, options));
    layout->addWidget(PlainLabel(FromUtf8(winding::kPremise)));
    for (QWidget* widget : {static_cast<QWidget*>(state_), static_cast<QWidget*>(error_),
                            static_cast<QWidget*>(windings_), static_cast<QWidget*>(warnings_),
                            static_cast<QWidget*>(tabs)}) {
        layout->addWidget(widget);
    }
    resize(900, 760);
}

QDoubleSpinBox* WindingWindow::NumberBox(double low, double high, double step, int decimals,
                                         const QString& suffix, double value) {
    auto* box = new QDoubleSpinBox;
    box->setRange(low, high);
    box->setSingleStep(step);
    box->setDecimals(decimals);
    box->setSuffix(suffix);
    box->setValue(value);
    box->setKeyboardTracking(false);  // a plan per finished number, not per digit
    connect(box, &QDoubleSpinBox::valueChanged, this, &WindingWindow::optionsChanged);
    return box;
}

QWidget* WindingWindow::OptionsPanel(const catalogue::Catalogue& parts, const winding::Options& o) {
    core_ = new QComboBox;
    core_->addItem(QStringLiteral("自动"), QString());
    for (const catalogue::Core& core : parts.cores) {
        core_->addItem(FromUtf8(core.name), FromUtf8(core.name));
    }
    core_->setCurrentIndex(std::max(0, core_->findData(FromUtf8(o.core))));
    material_ = new QComboBox;
    for (const catalogue::Material& material : parts.materials) {
        material_->addItem(FromUtf8(material.name));
    }
    material_->setCurrentIndex(std::max(0, material_->findText(FromUtf8(o.material))));
    for (QComboBox* box : {core_, material_}) {
        connect(box, &QComboBox::currentIndexChanged, this, &WindingWindow::optionsChanged);
    }
    bmax_ = NumberBox(0.05, 0.5, 0.01, 3, QStringLiteral(" T"), o.Bmax_T);
    density_ = NumberBox(1, 20, 0.5, 1, QStringLiteral(" A/mm²"), o.J_A_mm2);
    fill_ = NumberBox(0.05, 0.8, 0.01, 2, QString(), o.fillMax);
    vaux_ = NumberBox(0, 100, 1, 1, QStringLiteral(" V"), o.Vaux_V.value_or(0));
    vaux_->setSpecialValueText(QStringLiteral("无"));
    leakage_ = NumberBox(0.1, 50, 0.5, 1, QStringLiteral(" %"), o.leakage * 100);
    ambient_ = NumberBox(-40, 125, 5, 0, QStringLiteral(" °C"), o.ambient_C);
    tiw_ = new QCheckBox(QStringLiteral("次级用三层绝缘线"));
    tiw_->setChecked(o.tripleInsulatedSecondary);
    connect(tiw_, &QCheckBox::toggled, this, &WindingWindow::optionsChanged);

    auto* families = new QHBoxLayout;
    for (const catalogue::Core& core : parts.cores) {
        const QString family = FromUtf8(core.family);
        bool seen = false;
        for (const QCheckBox* box : families_) seen = seen || box->text() == family;
        if (seen) continue;
        auto* box = new QCheckBox(family);
        box->setChecked(o.families.empty() || std::find(o.families.begin(), o.families.end(),
                                                        core.family) != o.families.end());
        connect(box, &QCheckBox::toggled, this, &WindingWindow::optionsChanged);
        families_.push_back(box);
        families->addWidget(box);
    }
    families->addStretch();

    auto* panel = new QWidget;
    auto* grid = new QGridLayout(panel);
    const auto add = [&](int row, int column, const QString& caption, QWidget* widget) {
        auto* label = new QLabel(caption);
        label->setBuddy(widget);
        grid->addWidget(label, row, 2 * column);
        grid->addWidget(widget, row, 2 * column + 1);
    };
    add(0, 0, QStringLiteral("磁芯(&C)"), core_);
    add(0, 1, QStringLiteral("材料(&M)"), material_);
    add(0, 2, QStringLiteral("Bmax(&B)"), bmax_);
    add(1, 0, QStringLiteral("电流密度 J(&J)"), density_);
    add(1, 1, QStringLiteral("填充系数上限(&F)"), fill_);
    add(1, 2, QStringLiteral("辅助绕组电压(&V)"), vaux_);
    add(2, 0, QStringLiteral("漏感 / Lp(&L)"), leakage_);
    add(2, 1, QStringLiteral("环境温度(&A)"), ambient_);
    grid->addWidget(tiw_, 2, 5);
    grid->addWidget(new QLabel(QStringLiteral("自动选择的系列")), 3, 0);
    grid->addLayout(families, 3, 1, 1, 5);
    return panel;
}

winding::Options WindingWindow::Options() const {
    winding::Options o;
    o.core = core_->currentData().toString().toStdString();
    o.material = material_->currentText().toStdString();
    for (const QCheckBox* box : families_) {
        if (box->isChecked()) o.families.push_back(box->text().toStdString());
    }
    // All of them, or none, allow every family.
    if (o.families.size() == families_.size()) o.families.clear();
    o.Bmax_T = bmax_->value();
    o.J_A_mm2 = density_->value();
    o.fillMax = fill_->value();
    if (vaux_->value() > 0) o.Vaux_V = vaux_->value();
    o.leakage = leakage_->value() / 100;
    o.ambient_C = ambient_->value();
    o.tripleInsulatedSecondary = tiw_->isChecked();
    return o;
}

void WindingWindow::ShowPlan(const winding::PlanOutcome& outcome, bool inputsChanged) {
    state_->setText(QStringLiteral("输入已更改，按 => 重新计算；以下为上次计算的方案。"));
    state_->setVisible(inputsChanged);
    error_->setText(FromUtf8(outcome.error));
    error_->setVisible(!outcome.plan);
    windings_->setRowCount(0);
    lines_->setRowCount(0);
    QStringList warnings;
    if (outcome.plan) {
        const auto rows = winding::WindingRows(*outcome.plan);
        windings_->setRowCount(static_cast<int>(rows.size()));
        for (std::size_t r = 0; r < rows.size(); ++r) {
            QStringList cells;
            for (const std::string& cell : rows[r]) cells << FromUtf8(cell);
            FillRow(windings_, static_cast<int>(r), cells);
        }
        const auto lines = winding::PlanLines(*outcome.plan);
        lines_->setRowCount(static_cast<int>(lines.size()));
        for (std::size_t r = 0; r < lines.size(); ++r) {
            FillRow(lines_, static_cast<int>(r),
                    {FromUtf8(lines[r].caption), FromUtf8(lines[r].value)});
        }
        for (const winding::PlanWarning& warning : outcome.plan->warnings) {
            warnings << FromUtf8(winding::WarningLine(warning));
        }
        build_->load(QByteArray::fromStdString(drawing::BuildDrawing(*outcome.plan)));
        currents_->load(QByteArray::fromStdString(drawing::CurrentsDrawing(*outcome.plan)));
    } else {
        build_->load(QByteArray());
        currents_->load(QByteArray());
    }
    for (QSvgWidget* picture : {build_, currents_}) {
        picture->renderer()->setAspectRatioMode(Qt::KeepAspectRatio);
        auto* fade = new QGraphicsOpacityEffect(picture);  // grey as the tables, for the last press
        fade->setOpacity(inputsChanged ? 0.35 : 1);
        picture->setGraphicsEffect(fade);
    }
    warnings_->setText(warnings.join('\n'));
    warnings_->setVisible(!warnings.isEmpty());
    windings_->resizeColumnsToContents();
    lines_->resizeColumnToContents(0);
    Grey(windings_, inputsChanged);
    Grey(lines_, inputsChanged);
}

winding::Options LoadWindingOptions() {
    const QSettings s;
    winding::Options o;
    o.core = s.value(kCore, QString()).toString().toStdString();
    for (const QString& family : s.value(kFamilies).toStringList()) {
        o.families.push_back(family.toStdString());
    }
    o.material = s.value(kMaterial, FromUtf8(o.material)).toString().toStdString();
    o.Bmax_T = s.value(kBmax, o.Bmax_T).toDouble();
    o.J_A_mm2 = s.value(kDensity, o.J_A_mm2).toDouble();
    o.fillMax = s.value(kFill, o.fillMax).toDouble();
    if (const double vaux = s.value(kVaux, 0.0).toDouble(); vaux > 0) o.Vaux_V = vaux;
    o.leakage = s.value(kLeakage, o.leakage).toDouble();
    o.ambient_C = s.value(kAmbient, o.ambient_C).toDouble();
    o.tripleInsulatedSecondary = s.value(kTiw, false).toBool();
    return o;
}

void SaveWindingOptions(const winding::Options& o) {
    QSettings s;
    s.setValue(kCore, FromUtf8(o.core));
    QStringList families;
    for (const std::string& family : o.families) families << FromUtf8(family);
    s.setValue(kFamilies, families);
    s.setValue(kMaterial, FromUtf8(o.material));
    s.setValue(kBmax, o.Bmax_T);
    s.setValue(kDensity, o.J_A_mm2);
    s.setValue(kFill, o.fillMax);
    s.setValue(kVaux, o.Vaux_V.value_or(0));
    s.setValue(kLeakage, o.leakage);
    s.setValue(kAmbient, o.ambient_C);
    s.setValue(kTiw, o.tripleInsulatedSecondary);
}

}  // namespace flyback::window
