#include "window/report_output.hpp"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QDate>
#include <QFileInfo>
#include <QMimeData>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QUrl>
#include <algorithm>
#include <cerrno>
#include <functional>
#include <vector>

#include "report/html_report.hpp"
#include "report/tab_separated.hpp"
#include "whole_file/whole_file.hpp"
#include "window/pagination.hpp"
#include "window/qt_text.hpp"

namespace flyback::window {
namespace {

void DrawSlice(QPainter& painter, const QTextDocument& document, double top, double bottom,
               double at) {
    painter.save();
    painter.translate(0, at - top);
    QAbstractTextDocumentLayout::PaintContext context;
    // A table that starts at the slice's foot belongs to the next page; were
    // it touched by the clip, the layout would draw it (its pictures put in
    // the file once more, clipped away).
    context.clip = QRectF(0, top, document.size().width(), bottom - top - 1);
    context.palette.setColor(QPalette::Text, Qt::black);
    painter.setClipRect(context.clip);
    document.documentLayout()->draw(&painter, context);
    painter.restore();
}

// Qt's rich text does not draw inline SVG: each picture becomes an image of
// the document's own, drawn from the SVG at three times its size so that it
// stays sharp on paper, and placed across the page's width.
QString WithPicturesAsImages(const QString& html, QTextDocument& document) {
    static const QRegularExpression kPicture(QStringLiteral("<svg[^>]*>.*?</svg>"),
                                             QRegularExpression::DotMatchesEverythingOption);
    QString out;
    qsizetype from = 0;
    int count = 0;
    for (auto match = kPicture.globalMatch(html); match.hasNext();) {
        const QRegularExpressionMatch picture = match.next();
        out += html.mid(from, picture.capturedStart() - from);
        from = picture.capturedEnd();
        QSvgRenderer renderer(picture.captured().toUtf8());
        const QSize size = renderer.defaultSize();
        QImage image(size * 3, QImage::Format_ARGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        const QUrl name(QStringLiteral("picture:%1").arg(++count));
        document.addResource(QTextDocument::ImageResource, name, image);
        constexpr int kAcross = 640;  // px at the layout's 96 an inch
        out += QStringLiteral("<img src=\"%1\" width=\"%2\" height=\"%3\">")
                   .arg(name.toString())
                   .arg(kAcross)
                   .arg(size.height() * kAcross / std::max(1, size.width()));
    }
    return out + html.mid(from);
}

// On paper a cell's text keeps clear of its rules: Qt's rich text takes the
// table's cellpadding and not the style sheet's padding, so the tables get
// more of it here and the page stays as browsers read it.
QString WithPaperPadding(QString html) {
    return html.replace(QStringLiteral("padding: 3pt 6pt;"), QStringLiteral("padding: 4px 8px;"));
}

// Lays the report out on the device's pages: no table row split across two,
// the table's head repeated at the top of a page it continues on, and the
// program and the page number in the foot of each ("第 1 页，共 2 页"). Laid out
// at the screen's 96 pixels an inch and scaled, so that the HTML's pixel
// paddings keep their size. False when the device cannot be painted on.
bool PrintHtml(const QString& html, QPagedPaintDevice& device) {
    QPainter painter;
    if (!painter.begin(&device)) return false;
    constexpr double kLayoutDpi = 96;
    const double scale = device.logicalDpiY() / kLayoutDpi;
    const QRect page = painter.viewport();
    const double footer = 16 * kLayoutDpi / 72;  // 16 pt
    const QSizeF body(page.width() / scale, page.height() / scale - footer);
    QTextDocument document;
    document.setDefaultFont(QFont(QStringLiteral("sans-serif"), 10));
    document.setHtml(WithPicturesAsImages(WithPaperPadding(html), document));
    document.setTextWidth(body.width());
    const std::vector<Slice> slices = Paginate(document, body.height());
    QFont small(QStringLiteral("sans-serif"));
    small.setPixelSize(11);  // 8 pt at the layout's 96 pixels an inch
    painter.scale(scale, scale);
    for (std::size_t i = 0; i < slices.size(); ++i) {
        if (i > 0 && !device.newPage()) return false;
        const Slice& slice = slices[i];
        const double head = slice.headBottom - slice.headTop;
        if (head > 0) DrawSlice(painter, document, slice.headTop, slice.headBottom, 0);
        DrawSlice(painter, document, slice.top, slice.bottom, head);
        painter.setFont(small);
        painter.setPen(QColor(0x55, 0x55, 0x55));
        const QRectF foot(0, body.height(), body.width(), footer);
        painter.drawText(foot, Qt::AlignLeft | Qt::AlignBottom,
                         QStringLiteral("flyback-designer ") + ProgramVersion());
        painter.drawText(foot, Qt::AlignRight | Qt::AlignBottom,
                         QStringLiteral("第 %1 页，共 %2 页").arg(i + 1).arg(slices.size()));
    }
    return painter.end();
}

// Lays the report out as a PDF in `file`; false when the painter could not
// start or nothing was written.
// The document's title as its page names it: "… — 变压器规格书".
QString TitleOf(const QString& html) {
    const qsizetype open = html.indexOf(QStringLiteral("<title>"));
    const qsizetype close = html.indexOf(QStringLiteral("</title>"));
    if (open < 0 || close < open) return QStringLiteral("单端反激变换式开关电源变压器的设计");
    return html.mid(open + 7, close - open - 7);
}

bool WritePdf(const QString& html, QBuffer& file) {
    QPdfWriter writer(&file);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(15, 16, 15, 12), QPageLayout::Millimeter);
    writer.setTitle(TitleOf(html));
    writer.setCreator(QStringLiteral("flyback-designer ") + ProgramVersion());
    return PrintHtml(html, writer) && file.size() > 0;
}

}  // namespace

QString ReportHtml(const record::DesignRecord& record, bool lastPress, const PlanSection& plan) {
    const QByteArray today = QDate::currentDate().toString(Qt::ISODate).toUtf8();
    if (plan.lead)
        return FromUtf8(report::HtmlReport(record, today.toStdString(), lastPress, *plan.lead));
    return FromUtf8(report::HtmlReport(record, today.toStdString(), lastPress, plan.html));
}

QMimeData* DesignMimeData(const record::DesignRecord& record, bool lastPress,
                          const PlanSection& plan) {
    auto* data = new QMimeData;
    data->setText(FromUtf8(report::TabSeparated(record) + plan.tabSeparated));
    data->setHtml(ReportHtml(record, lastPress, plan));
    return data;
}

QString ProposedReportName(const record::DesignRecord& record) {
    return FromUtf8(report::ReportFileName(record, ".pdf"));
}

QString SaveFailureText(const whole_file::Written& failed) {
    if (failed.why == whole_file::Why::NotRegularFile)
        return QStringLiteral("该路径不是普通文件（文件夹、设备或管道）");
    switch (failed.error) {
        case EACCES:
        case EPERM:
            return QStringLiteral("没有写入权限（文件只读，或文件夹不允许写入）");
        case EROFS:
            return QStringLiteral("文件系统只读");
        case ENOSPC:
        case EDQUOT:
            return QStringLiteral("磁盘空间不足");
        case ENOENT:
        case ENOTDIR:
            return QStringLiteral("文件夹不存在");
        case ENAMETOOLONG:
            return QStringLiteral("文件名太长");
        case ELOOP:
            return QStringLiteral("符号链接成环");
        default:
            return QStringLiteral("系统错误：%1").arg(FromUtf8(failed.problem));
    }
}

bool SaveWhole(const QString& path, const QByteArray& bytes, QString* why) {
    const whole_file::Written written =
        whole_file::WriteWhole(path.toStdString(), std::string_view(bytes.data(), bytes.size()));
    if (written.problem.empty()) return true;
    if (why != nullptr) *why = SaveFailureText(written);
    return false;
}

bool SaveHtmlDocument(const QString& html, const QString& path, QString* why) {
    if (path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) {
        QBuffer pdf;
        pdf.open(QIODevice::WriteOnly);
        if (!WritePdf(html, pdf)) {
            if (why != nullptr) *why = QStringLiteral("无法生成 PDF");
            return false;
        }
        return SaveWhole(path, pdf.data(), why);
    }
    return SaveWhole(path, html.toUtf8(), why);
}

bool PrintHtmlDocument(const QString& html, QPrinter& printer) {
    printer.setDocName(TitleOf(html));
    return PrintHtml(html, printer);
}

bool SaveReport(const record::DesignRecord& record, const QString& path, bool lastPress,
                const PlanSection& plan, QString* why) {
    return SaveHtmlDocument(ReportHtml(record, lastPress, plan), path, why);
}

QString WithReportSuffix(const QString& path, ReportFormat format) {
    if (!QFileInfo(path).suffix().isEmpty()) return path;
    return path + (format == ReportFormat::Pdf ? QStringLiteral(".pdf") : QStringLiteral(".html"));
}

bool PrintReport(const record::DesignRecord& record, QPrinter& printer, bool lastPress,
                 const PlanSection& plan) {
    return PrintHtmlDocument(ReportHtml(record, lastPress, plan), printer);
}

}  // namespace flyback::window
