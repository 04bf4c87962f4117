#include "window/working_window.hpp"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

#include "window/qt_text.hpp"
#include "window/sub_window.hpp"

namespace flyback::window {
namespace {

QLabel* PlainLabel() {
    auto* label = new QLabel;
    label->setTextFormat(Qt::PlainText);  // it quotes typed text
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

}  // namespace

WorkingWindow::WorkingWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("计算过程"));
    setObjectName(QStringLiteral("workingWindow"));
    state_ = PlainLabel();
    keyValues_ = PlainLabel();
    QFont bold = keyValues_->font();
    bold.setBold(true);
    keyValues_->setFont(bold);
    keyValues_->setAccessibleName(QStringLiteral("主要数值"));
    warnings_ = PlainLabel();
    warnings_->setAccessibleName(QStringLiteral("注意"));
    quantities_ = new QTableWidget(0, 4);
    quantities_->setHorizontalHeaderLabels({QStringLiteral("符号"), QStringLiteral("名称"),
                                            QStringLiteral("数值"),
                                            QStringLiteral("公式（代入数值）")});
    quantities_->setAccessibleName(QStringLiteral("计算过程"));
    quantities_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    quantities_->verticalHeader()->hide();
    quantities_->horizontalHeader()->setStretchLastSection(true);
    auto* layout = new QVBoxLayout(this);
    for (QWidget* widget : {static_cast<QWidget*>(state_), static_cast<QWidget*>(keyValues_),
                            static_cast<QWidget*>(warnings_), static_cast<QWidget*>(quantities_)}) {
        layout->addWidget(widget);
    }
    MakeSubWindow(this, QStringLiteral("working"), QSize(760, 520));
}

void WorkingWindow::ShowPress(const record::DesignRecord& record, bool inputsChanged) {
    state_->setText(inputsChanged ? QStringLiteral("输入已更改，按 => 重新计算；以下为上次计算。")
                                  : QString());
    state_->setVisible(inputsChanged);
    keyValues_->setText(FromUtf8(record::KeyValues(record)));
    QStringList lines;
    for (const std::string& line : record::WorkingLines(record)) lines << FromUtf8(line);
    warnings_->setText(lines.join('\n'));
    warnings_->setVisible(!lines.isEmpty());
    quantities_->setRowCount(static_cast<int>(record.quantities.size()));
    int row = 0;
    for (const record::QuantityValue& value : record.quantities) {
        const record::Quantity& quantity = *value.quantity;
        const QStringList cells = {FromUtf8(quantity.symbol), FromUtf8(quantity.name),
                                   FromUtf8(record::ReadableText(value)),
                                   FromUtf8(record::FormulaWithNumbers(quantity, record))};
        for (int column = 0; column < cells.size(); ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            item->setToolTip(column == 3 ? FromUtf8(record::FormulaInSymbols(quantity))
                                         : QString());
            if (column == 2) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            quantities_->setItem(row, column, item);
        }
        ++row;
    }
    quantities_->resizeColumnsToContents();
    // Everything of the last press turns grey together, its warnings' lines too.
    for (QWidget* widget : {static_cast<QWidget*>(quantities_), static_cast<QWidget*>(keyValues_),
                            static_cast<QWidget*>(warnings_)}) {
        ShowOutOfDate(widget, inputsChanged, QWidget::palette().color(QPalette::WindowText));
    }
    ShowOutOfDate(quantities_, inputsChanged, QWidget::palette().color(QPalette::Text));
}

}  // namespace flyback::window
