#include "window/pagination.hpp"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>
#include <algorithm>
#include <cmath>

namespace flyback::window {
namespace {

// Where a page may end: between two rows of a table, never inside one, and
// which table head to repeat at the top of a page that starts inside a table.
struct TableRows {
    std::vector<double> breaks;          // the tops of the rows after the head, and the table's end
    double headTop = 0, headBottom = 0;  // the head row
};

double BlockTop(const QTextDocument& document, const QTextBlock& block) {
    return document.documentLayout()->blockBoundingRect(block).top();
}

// A table's box and its drawn rules differ by a few pixels: the picture's
// frame rule is drawn above its box, so the break before it goes this far
// higher; a page that starts this close to a table's end holds none of it and
// repeats no head.
constexpr double kRuleSlack = 6;

std::vector<TableRows> Tables(const QTextDocument& document) {
    std::vector<TableRows> tables;
    for (QTextFrame* frame : document.rootFrame()->childFrames()) {
        auto* table = qobject_cast<QTextTable*>(frame);
        if (table == nullptr) continue;
        TableRows rows;
        if (table->rows() == 1) {  // a row of pictures: kept whole, no head to repeat
            const QRectF whole = document.documentLayout()->frameBoundingRect(table);
            rows.headTop = rows.headBottom = whole.top() - kRuleSlack;
            rows.breaks = {whole.top() - kRuleSlack, whole.bottom()};
            tables.push_back(rows);
            continue;
        }
        const double padding = table->format().cellPadding() + table->format().border();
        const auto rowTop = [&](int row) {
            return BlockTop(document, table->cellAt(row, 0).firstCursorPosition().block()) -
                   padding;
        };
        const QRectF whole = document.documentLayout()->frameBoundingRect(table);
        rows.headTop = whole.top();
        rows.headBottom = rowTop(1);
        for (int row = 1; row < table->rows(); ++row) rows.breaks.push_back(rowTop(row));
        rows.breaks.push_back(whole.bottom());
        tables.push_back(rows);
    }
    return tables;
}

// Where a section asks to start a page of its own ("page-break-before:
// always"): the tops of those blocks.
std::vector<double> ForcedBreaks(const QTextDocument& document) {
    std::vector<double> breaks;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)
            breaks.push_back(BlockTop(document, block));
    }
    return breaks;
}

// A table cut between pages keeps at least this many of its rows on each
// side, where it has them: a page's single last row, or a row alone at a
// page's foot, is easily missed by the shop reading the sheet.
constexpr std::size_t kLeastRowsAPage = 3;

// The cut at `bottom` moved up so that the table it falls in keeps at least
// kLeastRowsAPage rows on the page after it, and, where the table starts on
// this page, as many before it (else the whole table goes to the next page).
double KeepRowsTogether(const TableRows& table, double top, double bottom) {
    const std::vector<double>& breaks = table.breaks;
    const auto cut = std::find_if(breaks.begin() + 1, breaks.end() - 1,
                                  [&](double at) { return std::abs(at - bottom) < 0.5; });
    if (breaks.size() < 3 || cut == breaks.end() - 1) return bottom;  // not cut between its rows
    const std::size_t rows = breaks.size() - 1;
    auto k = static_cast<std::size_t>(cut - breaks.begin());  // the rows before the cut
    std::size_t first = 0;                                    // this page's first row
    while (first < k && breaks[first] < top - 0.5) ++first;
    const bool startsHere = table.headTop > top + 0.5;
    const std::size_t least = std::min(kLeastRowsAPage, rows);
    if (rows - k < least) {
        if (rows - least >= first + least) {
            k = rows - least;  // the last rows go over together
        } else if (startsHere) {
            return table.headTop;  // too short to cut well: whole on the next page
        }
    }
    if (k - first < least && startsHere) return table.headTop;
    return k > first ? breaks[k] : bottom;
}

// A cut through a line of text moved up to the line's top: a paragraph is
// cut between its lines, never through one.
double BetweenLines(const QTextDocument& document, double bottom) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QRectF box = document.documentLayout()->blockBoundingRect(block);
        if (!(box.top() < bottom && box.bottom() > bottom)) continue;
        const QTextLayout* layout = block.layout();
        for (int i = 0; layout != nullptr && i < layout->lineCount(); ++i) {
            const QRectF line = layout->lineAt(i).rect().translated(box.topLeft());
            if (line.top() < bottom - 0.5 && line.bottom() > bottom + 0.5) return line.top();
        }
    }
    return bottom;
}

}  // namespace

std::vector<Slice> Paginate(const QTextDocument& document, double pageHeight) {
    const std::vector<TableRows> tables = Tables(document);
    const std::vector<double> forced = ForcedBreaks(document);
    // The last text's foot: the document's margin below it is no page's worth.
    const QRectF last = document.documentLayout()->blockBoundingRect(document.lastBlock());
    // A table's frame (its border) ends below its last cell's text, and may
    // reach past the document's own height: the end is the lower of the two,
    // else a table's last rows would be taken for cut at the document's end.
    double end = std::min(document.size().height(), last.bottom());
    for (const TableRows& table : tables) end = std::max(end, table.breaks.back());
    std::vector<Slice> slices;
    for (double top = 0; top < end - 0.5;) {
        Slice slice{top, top};
        // A page a section starts on repeats no table head from before it.
        const bool sectionStart = std::any_of(forced.begin(), forced.end(),
                                              [&](double at) { return std::abs(at - top) < 0.5; });
        for (const TableRows& table : tables) {
            if (sectionStart) break;
            if (top > table.headBottom + 0.5 && top < table.breaks.back() - kRuleSlack) {
                slice.headTop = table.headTop;
                slice.headBottom = table.headBottom;
            }
        }
        const double room = pageHeight - (slice.headBottom - slice.headTop);
        double bottom = std::min(end, top + room);
        // A row that would be cut goes to the next page whole.
        for (const TableRows& table : tables) {
            for (std::size_t i = 0; i + 1 < table.breaks.size(); ++i) {
                const double rowTop = table.breaks[i], rowBottom = table.breaks[i + 1];
                if (rowTop > top + 0.5 && rowTop < bottom && rowBottom > bottom) bottom = rowTop;
            }
            if (table.headTop > top + 0.5 && table.headTop < bottom &&
                table.breaks.front() + 1 > bottom) {
                bottom = table.headTop;  // no table head alone at a page's foot
            }
        }
        for (const TableRows& table : tables) bottom = KeepRowsTogether(table, top, bottom);
        if (bottom < end) bottom = BetweenLines(document, bottom);
        if (bottom <= top + 0.5) bottom = std::min(end, top + room);  // a row taller than a page
        for (const double at : forced) {
            if (at > top + 0.5 && at < bottom) bottom = at;
        }
        slice.bottom = bottom;
        slices.push_back(slice);
        top = bottom;
    }
    return slices;
}

}  // namespace flyback::window
