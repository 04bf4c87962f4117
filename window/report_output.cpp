#include "window/report_output.hpp"

#include <QDate>
#include <QFile>
#include <QMimeData>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QTextDocument>

#include "report/html_report.hpp"
#include "report/tab_separated.hpp"
#include "version/version.hpp"

namespace flyback::window {
namespace {

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Lays the report out on the device's pages.
void PrintHtml(const QString& html, QPagedPaintDevice& device) {
    QTextDocument document;
    document.setDefaultFont(QFont(QStringLiteral("sans-serif"), 10));
    document.setHtml(html);
    document.print(&device);
}

bool SavePdf(const QString& html, const QString& path) {
    QPdfWriter writer(path);
    if (!writer.pageLayout().isValid()) return false;
    writer.setPageSize(QPageSize(QPageSize::A4));
    // QTextDocument::print keeps a 2 cm margin of its own around the content.
    writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    writer.setTitle(QStringLiteral("单端反激变换式开关电源变压器的设计 — 设计报告"));
    writer.setCreator(
        QStringLiteral("flyback-designer ") +
        QString::fromUtf8(kProgramVersion.data(), static_cast<qsizetype>(kProgramVersion.size())));
    PrintHtml(html, writer);
    return QFile::exists(path);
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

bool SaveReport(const report::DesignRecord& record, const QString& path) {
    const QString html = ReportHtml(record);
    if (path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) return SavePdf(html, path);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const QByteArray bytes = html.toUtf8();
    return file.write(bytes) == bytes.size() && file.flush();
}

void PrintReport(const report::DesignRecord& record, QWidget* parent) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    QPrintDialog dialog(&printer, parent);
    if (dialog.exec() == QDialog::Accepted) PrintHtml(ReportHtml(record), printer);
}

}  // namespace flyback::window
