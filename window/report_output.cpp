#include "window/report_output.hpp"

#include <QDate>
#include <QFileInfo>
#include <QMimeData>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <QTextDocument>

#include "report/html_report.hpp"
#include "report/tab_separated.hpp"
#include "window/qt_text.hpp"

namespace flyback::window {
namespace {

// Lays the report out on the device's pages.
void PrintHtml(const QString& html, QPagedPaintDevice& device) {
    QTextDocument document;
    document.setDefaultFont(QFont(QStringLiteral("sans-serif"), 10));
    document.setHtml(html);
    document.print(&device);
}

// Lays the report out as a PDF in `file`; false when the painter could not
// start or nothing was written.
bool WritePdf(const QString& html, QSaveFile& file) {
    QPdfWriter writer(&file);
    writer.setPageSize(QPageSize(QPageSize::A4));
    // QTextDocument::print keeps a 2 cm margin of its own around the content.
    writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    writer.setTitle(QStringLiteral("单端反激变换式开关电源变压器的设计 — 设计报告"));
    writer.setCreator(QStringLiteral("flyback-designer ") + ProgramVersion());
    // print() says nothing when its painter cannot start; then nothing is written.
    PrintHtml(html, writer);
    return file.size() > 0;
}

}  // namespace

QString ReportHtml(const report::DesignRecord& record) {
    const QByteArray today = QDate::currentDate().toString(Qt::ISODate).toUtf8();
    return FromUtf8(report::HtmlReport(record, today.toStdString()));
}

QMimeData* DesignMimeData(const report::DesignRecord& record) {
    auto* data = new QMimeData;
    data->setText(FromUtf8(report::TabSeparated(record)));
    data->setHtml(ReportHtml(record));
    return data;
}

// Written to a temporary file beside the target and renamed into place only
// when all of it was written: a failed save leaves the old file as it was.
bool SaveReport(const report::DesignRecord& record, const QString& path) {
    const QString html = ReportHtml(record);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    const bool written = path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)
                             ? WritePdf(html, file)
                             : file.write(html.toUtf8()) >= 0;
    // commit() does not look at the last flush's errors: flush here.
    if (!written || !file.flush() || file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QString WithReportSuffix(const QString& path, ReportFormat format) {
    if (!QFileInfo(path).suffix().isEmpty()) return path;
    return path + (format == ReportFormat::Pdf ? QStringLiteral(".pdf") : QStringLiteral(".html"));
}

void PrintReport(const report::DesignRecord& record, QPrinter& printer) {
    PrintHtml(ReportHtml(record), printer);
}

}  // namespace flyback::window
