#include "window/sweep_window.hpp"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "runtime/decimal_conversion.hpp"
#include "runtime/number_text.hpp"
#include "sweep/plot.hpp"
#include "window/fitted_picture.hpp"
#include "window/qt_text.hpp"
#include "window/sub_window.hpp"

namespace flyback::window {
namespace {

constexpr int kMostPointsHere = 1000;  // a window's table; the command line takes more

QString Number(double value) {
    return FromUtf8(runtime::decimal::ShortestText(value));
}

// What the dashed lines mark, where each begins: "磁芯（灰线处起）：30 W EE…；…".
QString MarksText(const sweep::SweepData& data) {
    const auto list = [&](const std::vector<sweep::Mark>& marks, const QString& heading) {
        QStringList items;
        for (const sweep::Mark& mark : marks) {
            items << FromUtf8(sweep::MarkText(data, mark));
        }
        return items.isEmpty() ? QString() : heading + items.join(QStringLiteral("；"));
    };
    return QStringList{list(data.coreChanges, QStringLiteral("磁芯（灰线处起）：")),
                       list(data.warningStarts, QStringLiteral("警告开始（橙线）："))}
        .join('\n')
        .trimmed();
}

}  // namespace

SweepWindow::SweepWindow(const numtext::InputTexts& texts, const sweep::PlanSetting& plan,
                         QWidget* parent)
    : QWidget(parent, Qt::Window), plan_(plan) {
    setWindowTitle(QStringLiteral("扫描"));
    setObjectName(QStringLiteral("sweepWindow"));
    for (int i = 0; i < numtext::kInputCount; ++i) texts_[i] = std::string(texts[i]);
    // The six inputs, then the plan's own choices, which sweep the plan alone.
    input_ = new QComboBox;
    for (const auto& box : numtext::kInputBoxes) input_->addItem(FromUtf8(box.caption));
    for (const sweep::PlanChoiceInfo& info : sweep::kPlanChoices) {
        input_->addItem(QStringLiteral("方案：") + FromUtf8(info.caption));
    }
    from_ = new QLineEdit;
    to_ = new QLineEdit;
    points_ = new QSpinBox;
    points_->setRange(2, kMostPointsHere);
    points_->setValue(21);
    withPlan_ = new QCheckBox(QStringLiteral("含绕制方案"));
    withPlan_->setChecked(true);
    const auto fillRange = [this](int index) {
        const bool choice = index >= numtext::kInputCount;
        withPlan_->setEnabled(!choice);  // a choice is swept in the plan
        if (choice) {
            const sweep::PlanChoiceInfo& info = sweep::kPlanChoices[index - numtext::kInputCount];
            withPlan_->setChecked(true);
            from_->setText(Number(info.from));
            to_->setText(Number(info.to));
            return;
        }
        const auto value = runtime::ReadWholeNumber(texts_[static_cast<std::size_t>(index)]);
        from_->setText(value ? Number(*value / 2) : QString());
        to_->setText(value ? Number(*value * 3 / 2) : QString());
    };
    connect(input_, &QComboBox::currentIndexChanged, this, fillRange);
    fillRange(0);
    auto* run = new QPushButton(QStringLiteral("扫描"));
    connect(run, &QPushButton::clicked, this, &SweepWindow::Run);
    auto* form = new QGridLayout;
    const auto add = [&](int column, const QString& caption, QWidget* widget) {
        auto* label = new QLabel(caption);
        label->setBuddy(widget);
        form->addWidget(label, 0, 2 * column);
        form->addWidget(widget, 0, 2 * column + 1);
    };
    add(0, QStringLiteral("输入(&I)"), input_);
    add(1, QStringLiteral("从(&F)"), from_);
    add(2, QStringLiteral("到(&T)"), to_);
    add(3, QStringLiteral("点数(&N)"), points_);
    form->addWidget(withPlan_, 0, 8);
    form->addWidget(run, 0, 9);
    problem_ = new QLabel;
    problem_->setTextFormat(Qt::PlainText);
    problem_->hide();
    shown_ = new QComboBox;
    shown_->setAccessibleName(QStringLiteral("显示的量"));
    connect(shown_, &QComboBox::currentIndexChanged, this, &SweepWindow::ShowSeries);
    chart_ = new FittedPicture;
    chart_->setAccessibleName(QStringLiteral("扫描图"));
    chart_->setMinimumHeight(300);
    marks_ = new QLabel;
    marks_->setTextFormat(Qt::PlainText);
    marks_->setWordWrap(true);
    marks_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    table_ = new QTableWidget;
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setAccessibleName(QStringLiteral("扫描数据"));
    table_->setWordWrap(false);
    auto* copy = new QPushButton(QStringLiteral("复制表格"));
    connect(copy, &QPushButton::clicked, this, &SweepWindow::CopyTable);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(problem_);
    layout->addWidget(shown_);
    layout->addWidget(chart_, 3);
    layout->addWidget(marks_);
    layout->addWidget(table_, 2);
    layout->addWidget(copy, 0, Qt::AlignRight);
    MakeSubWindow(this, QStringLiteral("sweep"), QSize(900, 760));
}

bool SweepWindow::Run() {
    const int index = input_->currentIndex();
    const std::string_view symbol =
        index < numtext::kInputCount ? numtext::kInputBoxes[static_cast<std::size_t>(index)].symbol
                                     : sweep::kPlanChoices[index - numtext::kInputCount].symbol;
    const std::string text = std::string(symbol) + "=" + from_->text().toStdString() + ":" +
                             to_->text().toStdString() + ":" + std::to_string(points_->value());
    sweep::RangeProblem problem{};
    const auto range = sweep::ReadSweep(text, problem);
    problem_->setVisible(!range);
    if (!range) {
        problem_->setText(FromUtf8(sweep::RangeProblemCaption(problem)));
        return false;
    }
    std::optional<sweep::PlanSetting> plan;
    if (withPlan_->isChecked()) plan = plan_;
    numtext::InputTexts texts = numtext::ViewsOf(texts_);
    data_.emplace(*range, plan.has_value());
    tabSeparated_ = sweep::CsvHeader(plan.has_value(), '\t', range->choice);
    std::vector<std::vector<std::string>> rows;  // as people read them; the copy keeps the symbols
    sweep::RunSweep(*range, texts, plan, [&](const sweep::SweepPoint& point) {
        data_->Add(point);
        tabSeparated_ += sweep::CsvLine(point, '\t');
        rows.push_back(sweep::TableCells(point));
        return true;
    });
    const std::vector<std::string> captions =
        sweep::ColumnCaptions(plan.has_value(), range->choice);
    table_->clear();
    table_->setColumnCount(static_cast<int>(captions.size()));
    for (int column = 0; column < table_->columnCount(); ++column) {
        table_->setHorizontalHeaderItem(column, new QTableWidgetItem(FromUtf8(captions[column])));
    }
    table_->setRowCount(static_cast<int>(rows.size()));
    for (int row = 0; row < table_->rowCount(); ++row) {
        const std::vector<std::string>& cells = rows[static_cast<std::size_t>(row)];
        for (std::size_t column = 0; column < cells.size(); ++column) {
            table_->setItem(row, static_cast<int>(column),
                            new QTableWidgetItem(FromUtf8(cells[column])));
        }
    }
    const QSignalBlocker quiet(shown_);
    const int kept = std::max(0, shown_->currentIndex());
    shown_->clear();
    for (const sweep::Series& s : data_->series) {
        shown_->addItem(FromUtf8(s.Label()));
    }
    shown_->setCurrentIndex(std::min(kept, shown_->count() - 1));
    marks_->setText(MarksText(*data_));
    ShowSeries();
    return true;
}

// The quantity chosen, drawn by the page's rules to fill its place: a flat
// series or a sweep from one value centred, the ends in either order, any
// magnitude; the dashed marks named in the line under it.
void SweepWindow::ShowSeries() {
    if (!data_ || shown_->currentIndex() < 0) {
        chart_->Draw(nullptr);
        return;
    }
    const auto series = static_cast<std::size_t>(shown_->currentIndex());
    chart_->setAccessibleName(QStringLiteral("扫描图：") + FromUtf8(data_->series[series].Label()));
    chart_->Draw([this, series](QSizeF room) {
        // Drawn again on a resize, from the sweep shown then.
        if (!data_ || series >= data_->series.size()) return std::string();
        return sweep::PanelSvg(*data_, series, room.width(), room.height());
    });
}

void SweepWindow::CopyTable() const {
    if (!tabSeparated_.empty()) QGuiApplication::clipboard()->setText(FromUtf8(tabSeparated_));
}

}  // namespace flyback::window
