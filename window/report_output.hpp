#pragma once

#include <QString>

#include "report/design_record.hpp"

class QMimeData;
class QWidget;

namespace flyback::window {

// The design report of a record, dated today.
QString ReportHtml(const report::DesignRecord& record);

// The record for the clipboard: tab-separated text, which pastes into a
// spreadsheet as a table, and the report as HTML.
QMimeData* DesignMimeData(const report::DesignRecord& record);

// Writes the report to `path`: a PDF on A4 with its fonts embedded when the
// path ends in .pdf, otherwise the HTML page. False when it cannot be written.
bool SaveReport(const report::DesignRecord& record, const QString& path);

// Prints the report through Qt's print dialog.
void PrintReport(const report::DesignRecord& record, QWidget* parent);

}  // namespace flyback::window
