#include "window/compare_tab.hpp"

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QtConcurrent>
#include <algorithm>
#include <cmath>

#include "advise/setting_rows.hpp"
#include "record/readable.hpp"
#include "window/qt_text.hpp"

namespace flyback::window {
namespace {

constexpr auto kRankKey = "compare/rank";

// The rank kept from the last run; the adviser's own where none is, or one
// another version kept is not a rank.
advise::Rank KeptRank() {
    const QVariant kept = QSettings().value(kRankKey);
    bool number = false;
    const double place = kept.toDouble(&number);
    return (number ? advise::RankAt(place) : std::nullopt).value_or(advise::Settings{}.rank);
}

// A number kept from the last run; the adviser's own where none is, or one
// another version kept is beyond the row's limits.
double KeptNumber(advise::SettingNumber number) {
    advise::Settings settings;
    const QVariant kept = QSettings().value(FromUtf8(advise::Info(number).settingsKey));
    bool isNumber = false;
    const double value = kept.toDouble(&isNumber);
    if (isNumber) advise::SetSettingValue(settings, number, value);
    return advise::SettingValue(settings, number);
}

QDoubleSpinBox* NewSettingBox(advise::SettingNumber number) {
    const advise::SettingNumberInfo& info = advise::Info(number);
    auto* box = new QDoubleSpinBox;
    box->setRange(info.low, info.high);
    box->setDecimals(info.decimals);
    box->setSingleStep(info.step);
    box->setPrefix(FromUtf8(info.caption) + QStringLiteral(" "));
    box->setSuffix(QStringLiteral(" ") + FromUtf8(info.unit));
    box->setValue(KeptNumber(number));
    // A weight is named as one: "权重 损耗", not "损耗" alone.
    box->setAccessibleName((advise::IsWeight(number)
                                ? FromUtf8(advise::kWeightsCaption) + QStringLiteral(" ")
                                : QString()) +
                           FromUtf8(info.caption));
    box->setKeyboardTracking(false);
    QObject::connect(box, &QDoubleSpinBox::valueChanged, box, [number](double value) {
        QSettings().setValue(FromUtf8(advise::Info(number).settingsKey), value);
    });
    return box;
}

}  // namespace

CompareTab::CompareTab(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("compareTab"));
    compare_ = new QPushButton(QStringLiteral("比较全部候选"));
    compare_->setObjectName(QStringLiteral("compareButton"));
    status_ =
        new QLabel(QStringLiteral("按“比较全部候选”，比较目录中每种磁芯、材料与匝数组合的绕制方案："
                                  "损耗、温升与磁芯体积。"));
    status_->setWordWrap(true);
    status_->setAccessibleName(QStringLiteral("比较说明"));
    QStringList headings;
    for (const std::string_view heading : advise::kHeadings) headings << FromUtf8(heading);
    table_ = new QTableWidget(0, static_cast<int>(headings.size()));
    table_->setHorizontalHeaderLabels(headings);
    table_->setAccessibleName(QStringLiteral("最佳候选"));
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->hide();
    table_->setToolTip(QStringLiteral("双击一行，打开它的绕制方案"));
    chart_ = new FittedPicture;
    chart_->setAccessibleName(QStringLiteral("损耗与磁芯体积"));
    chart_->setToolTip(QStringLiteral("单击红点，打开它的绕制方案"));
    chart_->setMinimumHeight(260);
    connect(chart_, &FittedPicture::clicked, this, &CompareTab::PickOnChart);
    materials_ = new QListWidget;
    materials_->setAccessibleName(QStringLiteral("比较的材料"));
    materials_->setToolTip(QStringLiteral("勾选要比较的材料；都不勾时只比较方案所选的材料"));
    materials_->setFlow(QListView::LeftToRight);
    materials_->setWrapping(true);
    materials_->setResizeMode(QListView::Adjust);
    materials_->setMaximumHeight(3 * materials_->fontMetrics().height() + 16);
    rank_ = new QComboBox;
    for (const std::string_view caption : advise::kRankCaptions) rank_->addItem(FromUtf8(caption));
    rank_->setCurrentIndex(static_cast<int>(KeptRank()));
    rank_->setAccessibleName(FromUtf8(advise::kRankCaption));
    connect(rank_, &QComboBox::currentIndexChanged, this,
            [](int place) { QSettings().setValue(kRankKey, place); });
    auto* rankLabel = new QLabel(FromUtf8(advise::kRankCaption) + QStringLiteral("(&O)"));
    rankLabel->setBuddy(rank_);
    auto* row = new QHBoxLayout;
    row->addWidget(compare_);
    row->addWidget(rankLabel);
    row->addWidget(rank_);
    row->addWidget(new QLabel(QStringLiteral("比较的材料（不勾则只比方案所选材料）：")));
    row->addWidget(materials_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addLayout(SettingsRow());
    layout->addWidget(status_);
    layout->addWidget(table_, 1);
    layout->addWidget(chart_, 2);
    connect(compare_, &QPushButton::clicked, this, &CompareTab::compareRequested);
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int r, int) { Pick(r); });
}

// The weights (only the weighted rank reads them) and how many to list.
QHBoxLayout* CompareTab::SettingsRow() {
    auto* row = new QHBoxLayout;
    auto* weights = new QLabel(FromUtf8(advise::kWeightsCaption) + QStringLiteral("(&G)"));
    for (const advise::SettingNumberInfo& info : advise::kSettingNumbers) {
        QDoubleSpinBox* box = NewSettingBox(info.number);
        numbers_[static_cast<std::size_t>(info.number)] = box;
        if (info.number == advise::kWeights[0]) {
            weights->setBuddy(box);
            row->addWidget(weights);
        }
        if (info.number == advise::SettingNumber::Top) row->addSpacing(12);
        row->addWidget(box);
    }
    row->addStretch(1);
    const auto weighted = [this, weights] {
        const bool on = rank_->currentIndex() == static_cast<int>(advise::Rank::Weighted);
        weights->setEnabled(on);
        for (const advise::SettingNumber w : advise::kWeights) Number(w)->setEnabled(on);
    };
    connect(rank_, &QComboBox::currentIndexChanged, this, weighted);
    weighted();
    connect(rank_, &QComboBox::currentIndexChanged, this, &CompareTab::ShowState);
    for (QDoubleSpinBox* box : numbers_)
        connect(box, &QDoubleSpinBox::valueChanged, this, &CompareTab::ShowState);
    return row;
}

void CompareTab::ListMaterials(const catalogue::Catalogue& parts) {
    materials_->clear();
    for (const catalogue::Material& material : parts.materials) {
        if (material.steinmetz.empty()) continue;  // no loss to weigh it by
        auto* item = new QListWidgetItem(FromUtf8(material.name), materials_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
}

CompareTab::~CompareTab() {
    StopRunning();
}

// A comparison still running is told to stop and is waited for (moments:
// it stops at its next candidate); its answer is not shown.
void CompareTab::StopRunning() {
    if (watcher_ == nullptr) return;
    stop_->store(true);
    watcher_->disconnect(this);
    watcher_->waitForFinished();
    watcher_->deleteLater();
    watcher_ = nullptr;
}

void CompareTab::Start(const record::DesignRecord& record, const winding::Options& options,
                       const catalogue::Catalogue& parts) {
    advise::Settings settings;
    advise::BoundsFrom(options.choices, settings);
    settings.rank = static_cast<advise::Rank>(rank_->currentIndex());
    for (const advise::SettingNumberInfo& info : advise::kSettingNumbers)
        advise::SetSettingValue(settings, info.number, Number(info.number)->value());
    // Refused before anything runs: the last comparison stays as it was.
    if (const auto problem = advise::SettingsProblem(settings)) {
        status_->setText(FromUtf8(*problem));
        emit finished();
        return;
    }
    StopRunning();
    stop_ = std::make_shared<std::atomic<bool>>(false);
    auto copy = std::make_shared<const catalogue::Catalogue>(parts);
    compare_->setEnabled(false);
    status_->setText(QStringLiteral("正在比较……"));
    for (int i = 0; i < materials_->count(); ++i) {
        if (materials_->item(i)->checkState() == Qt::Checked)
            settings.materials.push_back(materials_->item(i)->text().toStdString());
    }
    settings.stop = stop_.get();
    watcher_ = new QFutureWatcher<advise::Advice>(this);
    connect(watcher_, &QFutureWatcher<advise::Advice>::finished, this,
            [this, copy, options, numbers = NumbersShown()] {
                ShowResult({copy, options, watcher_->result(), numbers});
                emit finished();
            });
    watcher_->setFuture(QtConcurrent::run([record, options, copy, stop = stop_, settings] {
        return advise::Advise(record, options, *copy, settings);
    }));
}

void CompareTab::ShowResult(const Result& result) {
    result_ = result;
    compare_->setEnabled(true);
    Show();
}

void CompareTab::OptionsChanged(const winding::Options& now) {
    if (!result_) return;
    result_->changedTo = now;
    Show();
}

winding::Options CompareTab::OptionsFor(const advise::Candidate& candidate) const {
    return advise::OptionsOf(candidate, result_->changedTo.value_or(result_->advice.plannedWith));
}

CompareTab::Numbers CompareTab::NumbersShown() const {
    Numbers numbers{};
    for (std::size_t i = 0; i < numbers.size(); ++i) numbers[i] = numbers_[i]->value();
    return numbers;
}

// Whether the rank, a weight or the count changed since the comparison shown.
bool CompareTab::RankedOtherwise() const {
    return rank_->currentIndex() != static_cast<int>(result_->advice.rank) ||
           NumbersShown() != result_->numbers;
}

// The summary, said out of date once the plan's options or the ranking's
// settings changed since; the table greyed and the chart faded with it.
void CompareTab::ShowState() {
    if (!result_) return;
    const bool stale = result_->changedTo.has_value();
    const bool reRanked = RankedOtherwise();
    // The summary ends with a full stop where it says why the first won.
    const QString summary = FromUtf8(advise::Summary(result_->advice));
    QString said = summary + QStringLiteral("双击一行打开它的方案。");
    if (stale) {
        said = QStringLiteral(
                   "已过时：选项在比较之后已更改，下列结果按更改前的选项；请重新比较。"
                   "双击一行按现在的选项打开它的磁芯、材料与匝数。") +
               summary;
    } else if (reRanked) {
        said = QStringLiteral(
                   "已过时：排序、权重或列出个数在比较之后已更改，下列结果按更改前的"
                   "设置；请重新比较。") +
               summary;
    }
    status_->setText(said);
    // Out of date: grey and italic, as the plan's own tables show it.
    ShowOutOfDate(table_, stale || reRanked, QApplication::palette(table_).color(QPalette::Text));
    chart_->SetOutOfDate(stale || reRanked);
}

void CompareTab::Show() {
    if (!result_) return;
    const advise::Advice& a = result_->advice;
    table_->setRowCount(static_cast<int>(a.top.size()));
    for (std::size_t r = 0; r < a.top.size(); ++r) {
        const auto cells = advise::Row(a.top[r]);
        for (std::size_t c = 0; c < cells.size(); ++c) {
            table_->setItem(static_cast<int>(r), static_cast<int>(c),
                            new QTableWidgetItem(FromUtf8(cells[c])));
        }
    }
    ShowState();
    table_->resizeColumnsToContents();
    chart_->Draw([this](QSizeF room) {
        chartFrame_ = advise::FrameOf(result_->advice, room.width(), room.height());
        return advise::Svg(result_->advice, chartFrame_);
    });
}

void CompareTab::PickOnChart(QPointF at) {
    if (!result_) return;
    if (const advise::Candidate* c =
            advise::FrontMemberAt(result_->advice, chartFrame_, at.x(), at.y()))
        emit chosen(OptionsFor(*c));
}

void CompareTab::Pick(int row) {
    if (!result_ || row < 0 || row >= static_cast<int>(result_->advice.top.size())) return;
    emit chosen(OptionsFor(result_->advice.top[static_cast<std::size_t>(row)]));
}

}  // namespace flyback::window
