#pragma once

#include <QFutureWatcher>
#include <QWidget>
#include <array>
#include <atomic>
#include <memory>
#include <optional>

#include "advise/advice_output.hpp"
#include "advise/advise.hpp"
#include "advise/setting_rows.hpp"
#include "window/fitted_picture.hpp"

class QComboBox;
class QDoubleSpinBox;
class QHBoxLayout;
class QLabel;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace flyback::window {

// "方案比较" as a tab of the winding plan: every candidate of core, material
// and turns weighed apart from the window (it takes seconds), the best ten in
// a table and all of them in a chart of loss against core volume, the Pareto
// front drawn over them. Picking a candidate, in the table or on the front,
// opens its plan.
class CompareTab : public QWidget {
    Q_OBJECT

  public:
    explicit CompareTab(QWidget* parent = nullptr);
    ~CompareTab() override;

    // Weighs the candidates of this press with these options; a comparison
    // still running is stopped first.
    void Start(const record::DesignRecord& record, const winding::Options& options,
               const catalogue::Catalogue& parts);
    // The last comparison: its catalogue (the candidates point into it), its
    // options and its answer; shown again in another tab.
    struct Result {
        std::shared_ptr<const catalogue::Catalogue> parts;
        winding::Options options;
        advise::Advice advice;
        // The adviser's numbers (kSettingNumbers' order) it was ranked with.
        std::array<double, std::size(advise::kSettingNumbers)> numbers{};
        // The plan's options changed since: the candidates were weighed with
        // others, and one picked opens on the options as they are now.
        std::optional<winding::Options> changedTo = std::nullopt;
    };
    const std::optional<Result>& result() const { return result_; }
    void ShowResult(const Result& result);
    // The plan's options changed: the comparison shown is out of date.
    void OptionsChanged(const winding::Options& now);

    // The materials a buyer can get, to weigh besides the plan's own: each
    // with loss data, checkable; none checked weighs the plan's material only.
    void ListMaterials(const catalogue::Catalogue& parts);
    QListWidget* materials() const { return materials_; }

    QPushButton* compareButton() const { return compare_; }
    // How the candidates are ranked, kept for the next comparison and run.
    QComboBox* rank() const { return rank_; }
    // The adviser's numbers (the weights, how many to list), kept likewise.
    QDoubleSpinBox* Number(advise::SettingNumber number) const {
        return numbers_[static_cast<std::size_t>(number)];
    }
    QLabel* status() const { return status_; }
    QTableWidget* table() const { return table_; }
    FittedPicture* chart() const { return chart_; }
    // Picks the candidate in the table's row `row`.
    void Pick(int row);
    // Picks the front's member drawn at `at`, in the chart's units.
    void PickOnChart(QPointF at);

  signals:
    void compareRequested();
    void finished();
    // A candidate picked: the options that make its plan.
    void chosen(const winding::Options& options);

  private:
    void Show();
    void StopRunning();
    QHBoxLayout* SettingsRow();
    using Numbers = std::array<double, std::size(advise::kSettingNumbers)>;
    Numbers NumbersShown() const;
    bool RankedOtherwise() const;
    void ShowState();
    // The options a candidate's plan is made on: those it was weighed with,
    // or the plan's as they are now where they changed since.
    winding::Options OptionsFor(const advise::Candidate& candidate) const;

    QPushButton* compare_ = nullptr;
    QComboBox* rank_ = nullptr;
    std::array<QDoubleSpinBox*, std::size(advise::kSettingNumbers)> numbers_{};
    QLabel* status_ = nullptr;
    QListWidget* materials_ = nullptr;
    QTableWidget* table_ = nullptr;
    FittedPicture* chart_ = nullptr;
    advise::ChartFrame chartFrame_;                      // as last drawn
    QFutureWatcher<advise::Advice>* watcher_ = nullptr;  // while one runs
    std::shared_ptr<std::atomic<bool>> stop_;
    std::optional<Result> result_;
};

}  // namespace flyback::window
