#include "window/build_sheet_tab.hpp"

#include <QApplication>
#include <QDate>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSettings>
#include <QSvgRenderer>
#include <QSvgWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "window/file_dialogs.hpp"
#include "window/qt_text.hpp"
#include "window/report_output.hpp"

namespace flyback::window {
namespace {

constexpr auto kPinsKey = "winding/pins";

}  // namespace

build_sheet::Pins LoadPins() {
    const QString kept = QSettings().value(kPinsKey).toString();
    return build_sheet::ReadPins(kept.toStdString()).value_or(build_sheet::Pins{});
}

void SavePins(const build_sheet::Pins& pins) {
    QSettings().setValue(kPinsKey, FromUtf8(build_sheet::PinsText(pins)));
}

BuildSheetTab::BuildSheetTab(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("buildSheetTab"));
    pinsBox_ = new QLineEdit;
    pinsBox_->setObjectName(QStringLiteral("pinsBox"));
    pinsBox_->setAccessibleName(QStringLiteral("起始引脚（初级,辅助,次级）"));
    pinsBox_->setToolTip(
        QStringLiteral("各绕组的起始引脚：初级、辅助绕组、第一个次级，以逗号分开"));
    pins_ = LoadPins();
    pinsBox_->setText(FromUtf8(build_sheet::PinsText(pins_)));
    connect(pinsBox_, &QLineEdit::editingFinished, this, &BuildSheetTab::ReadPins);
    problem_ = new QLabel;
    problem_->setTextFormat(Qt::PlainText);
    problem_->setAccessibleName(QStringLiteral("引脚说明"));
    problem_->hide();
    schematic_ = new QSvgWidget;
    schematic_->setAccessibleName(QStringLiteral("绕组原理图"));
    sheet_ = new QTextBrowser;
    sheet_->setAccessibleName(FromUtf8(build_sheet::kTitle));
    sheet_->setOpenLinks(false);
    auto* row = new QHBoxLayout;
    auto* caption = new QLabel(QStringLiteral("起始引脚（初级,辅助,次级）"));
    caption->setBuddy(pinsBox_);
    row->addWidget(caption);
    row->addWidget(pinsBox_);
    row->addStretch();
    auto* print = new QPushButton(QStringLiteral("打印规格书…"));
    auto* save = new QPushButton(QStringLiteral("保存规格书…"));
    connect(print, &QPushButton::clicked, this, &BuildSheetTab::PrintWithDialog);
    connect(save, &QPushButton::clicked, this, &BuildSheetTab::SaveWithDialog);
    row->addWidget(print);
    row->addWidget(save);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(problem_);
    layout->addWidget(schematic_);
    layout->addWidget(sheet_, 1);
}

void BuildSheetTab::ReadPins() {
    const auto pins = build_sheet::ReadPins(pinsBox_->text().toStdString());
    if (!pins) {
        problem_->setText(FromUtf8(build_sheet::kPinsUnread));
        problem_->show();
        return;
    }
    pins_ = *pins;
    SavePins(pins_);
    Render();
    emit pinsChanged();
}

QString BuildSheetTab::Html() const {
    if (!outcome_ || !outcome_->plan) return {};
    const QByteArray today = QDate::currentDate().toString(Qt::ISODate).toUtf8();
    return FromUtf8(build_sheet::HtmlDocument(*outcome_, pins_, today.toStdString()));
}

bool BuildSheetTab::SaveTo(const QString& path, QString* why) const {
    const QString html = Html();
    return !html.isEmpty() && SaveHtmlDocument(html, path, why);
}

void BuildSheetTab::SaveWithDialog() {
    if (Html().isEmpty()) return;
    const QString pdf = QStringLiteral("PDF 文件 (*.pdf)");
    const QString html = QStringLiteral("HTML 网页 (*.html *.htm)");
    QString filter = pdf;
    const QString path =
        ChooseFileToSave(this, QStringLiteral("保存规格书"), QStringLiteral("变压器规格书.pdf"),
                         pdf + QStringLiteral(";;") + html, &filter);
    if (path.isEmpty()) return;
    const QString named =
        WithReportSuffix(path, filter == pdf ? ReportFormat::Pdf : ReportFormat::Html);
    if (QString why; !SaveTo(named, &why)) {
        QMessageBox::warning(
            this, QStringLiteral("保存规格书"),
            QStringLiteral("无法写入“%1”：%2。原有文件未被改动。").arg(named, why));
    }
}

void BuildSheetTab::PrintWithDialog() {
    const QString html = Html();
    if (html.isEmpty()) return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted && !PrintHtmlDocument(html, printer))
        QMessageBox::warning(this, QStringLiteral("打印规格书"), QStringLiteral("无法打印。"));
}

void BuildSheetTab::Show(const winding::PlanOutcome& outcome, bool inputsChanged) {
    outcome_ = outcome;
    grey_ = inputsChanged;
    Render();
}

void BuildSheetTab::Render() {
    const bool planned = outcome_ && outcome_->plan;
    const build_sheet::PinsClash clash =
        planned ? build_sheet::CheckPins(*outcome_->plan, pins_) : build_sheet::PinsClash{};
    problem_->setText(FromUtf8(build_sheet::PinsClashCaption(clash)));
    problem_->setVisible(static_cast<bool>(clash));
    schematic_->load(planned && !clash
                         ? QByteArray::fromStdString(build_sheet::Schematic(*outcome_->plan, pins_))
                         : QByteArray());
    schematic_->setFixedSize(schematic_->renderer()->defaultSize());
    auto* fade = new QGraphicsOpacityEffect(schematic_);  // grey as the tables, for the last press
    fade->setOpacity(grey_ ? 0.6 : 1);
    schematic_->setGraphicsEffect(fade);
    sheet_->setHtml(outcome_ ? FromUtf8(build_sheet::HtmlSection(*outcome_, pins_, false))
                             : QString());
    // Of the last press: grey and italic as the tables, still readable (a
    // disabled browser's text was 1.8:1 on white).
    ShowOutOfDate(sheet_, grey_, QApplication::palette(sheet_).color(QPalette::Text));
}

}  // namespace flyback::window
