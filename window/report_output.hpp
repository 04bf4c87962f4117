#pragma once

#include <QByteArray>
#include <QString>
#include <string>

#include <optional>

#include "record/design_record.hpp"
#include "report/html_report.hpp"
#include "whole_file/whole_file.hpp"

class QMimeData;
class QPrinter;

namespace flyback::window {

// Each takes `lastPress`: the inputs have changed since the press, and the
// report says that it holds the last press; and the winding plan made on the
// press, as a section after the working and rows after the record's.
struct PlanSection {
    std::string html;  // without a plan: why there is none
    std::string tabSeparated;
    std::optional<report::LeadingPlan> lead;  // with one: what leads the report
};

// The design report of a record, dated today.
QString ReportHtml(const record::DesignRecord& record, bool lastPress = false,
                   const PlanSection& plan = {});

// The record for the clipboard: tab-separated text, which pastes into a
// spreadsheet as a table, and the report as HTML.
QMimeData* DesignMimeData(const record::DesignRecord& record, bool lastPress = false,
                          const PlanSection& plan = {});

// Writes `path` through a temporary file beside it, renamed into place only
// when all of it was written: a failed save leaves the old file as it was.
// Where it cannot, `why` (when given) says why in Chinese.
bool SaveWhole(const QString& path, const QByteArray& bytes, QString* why = nullptr);
// Why a save failed, as a user reads it: "没有写入权限（…）".
QString SaveFailureText(const whole_file::Written& failed);

// Writes an HTML document of the design to `path`: a PDF on A4 (its title
// the page's) when the path ends in .pdf, otherwise the page; and prints one.
bool SaveHtmlDocument(const QString& html, const QString& path, QString* why = nullptr);
bool PrintHtmlDocument(const QString& html, QPrinter& printer);

// Writes the report to `path`: a PDF on A4 with its fonts embedded, page
// numbers and the program in each page's foot, when the path ends in .pdf,
// otherwise the HTML page. False when it cannot be written.
bool SaveReport(const record::DesignRecord& record, const QString& path, bool lastPress = false,
                const PlanSection& plan = {}, QString* why = nullptr);

// The file name the save dialog proposes: "反激变压器_60W_24V_100kHz.pdf".
QString ProposedReportName(const record::DesignRecord& record);

enum class ReportFormat { Pdf, Html };

// The path a save dialog gave, with the suffix of the format chosen in it
// added where the user typed none ("设计" becomes "设计.pdf"; "设计.htm" stays).
QString WithReportSuffix(const QString& path, ReportFormat format);

// Prints the report on the pages of `printer`; false when it cannot.
bool PrintReport(const record::DesignRecord& record, QPrinter& printer, bool lastPress = false,
                 const PlanSection& plan = {});

}  // namespace flyback::window
