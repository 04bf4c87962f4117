#pragma once

#include <QString>

#include "report/design_record.hpp"

class QMimeData;
class QPrinter;

namespace flyback::window {

// The design report of a record, dated today.
QString ReportHtml(const report::DesignRecord& record);

// The record for the clipboard: tab-separated text, which pastes into a
// spreadsheet as a table, and the report as HTML.
QMimeData* DesignMimeData(const report::DesignRecord& record);

// Writes the report to `path`: a PDF on A4 with its fonts embedded when the
// path ends in .pdf, otherwise the HTML page. False when it cannot be written.
bool SaveReport(const report::DesignRecord& record, const QString& path);

enum class ReportFormat { Pdf, Html };

// The path a save dialog gave, with the suffix of the format chosen in it
// added where the user typed none ("设计" becomes "设计.pdf"; "设计.htm" stays).
QString WithReportSuffix(const QString& path, ReportFormat format);

// Prints the report on A4 pages of `printer`.
void PrintReport(const report::DesignRecord& record, QPrinter& printer);

}  // namespace flyback::window
