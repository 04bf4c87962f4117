// A design kept: copy, save as PDF or HTML, print, and saving that fails.
#include "window_test_support.hpp"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>

#include "window/pagination.hpp"

class ReportOutputTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir settingsDir_;
    std::unique_ptr<MainWindow> window_;
    std::vector<FaultReport> reports_;

    QWidget* Child(const QString& name) const { return window_->findChild<QWidget*>(name); }
    void Press() { QTest::mouseClick(window_->Command1(), Qt::LeftButton); }

  private slots:
    void initTestCase() { PrepareWindowTests(settingsDir_); }
    void init() { OpenWindow(window_, reports_); }
    void cleanup() { window_.reset(); }

    void designActionsWaitForTheFirstPress() {
        const QStringList names = {"copyDesignAction", "saveReportAction", "printAction"};
        for (const QString& name : names) {
            const auto* action = window_->findChild<QAction*>(name);
            QVERIFY2(action && !action->isEnabled(), qPrintable(name));
        }
        QVERIFY(!window_->LastPress());
        TypeInputs(*window_, {"0", "368", "200", "20", "75", "5"});  // a fault still records
        Press();
        for (const QString& name : names) QVERIFY(window_->findChild<QAction*>(name)->isEnabled());
        QVERIFY(window_->LastPress()->outcome.error.has_value());
        QCOMPARE(window_->findChild<QAction*>("copyDesignAction")->shortcut(),
                 QKeySequence("Ctrl+Shift+C"));
    }

    void copyDesignGivesTabSeparatedTextAndHtml() {
        Press();
        QGuiApplication::clipboard()->clear();
        window_->CopyDesign();
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        QVERIFY(data->hasText() && data->hasHtml());
        QVERIFY(data->text().contains("初级电感量\t 1.75mH\t0.0017578125\tH\n"));
        QVERIFY(data->html().contains("<table"));
        QVERIFY(data->html().contains("135.41"));
    }

    void pdfReportHasTheChineseTextAndEmbeddedFonts() {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty()) QSKIP("poppler-utils missing");
        Press();
        QTemporaryDir dir;
        const QString pdf = dir.filePath("report.pdf");
        QVERIFY(flyback::window::SaveReport(*window_->LastPress(), pdf));
        QProcess text;
        text.start("pdftotext", {"-enc", "UTF-8", pdf, "-"});
        QVERIFY(text.waitForFinished());
        const QString content = QString::fromUtf8(text.readAllStandardOutput());
        for (const char* expected :
             {"磁芯型号", "初级电感量", "变压器初级匝数", "EE12", "1.75mH", "135.41", "1.758 mH"}) {
            QVERIFY2(content.contains(QString::fromUtf8(expected)), expected);
        }
        QProcess fonts;
        fonts.start("pdffonts", {pdf});
        QVERIFY(fonts.waitForFinished());
        const QStringList rows =
            QString::fromUtf8(fonts.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        QVERIFY(rows.size() > 2);  // a heading, a rule, a row for each font
        for (const QString& row : rows.mid(2)) {
            const QStringList columns = row.split(' ', Qt::SkipEmptyParts);
            QVERIFY2(columns.size() > 5 && columns[columns.size() - 5] == "yes", qPrintable(row));
        }
        QVERIFY(flyback::window::SaveReport(*window_->LastPress(), dir.filePath("report.html")));
    }

    // The PDF as an engineer's design sheet: the summary first, then the
    // inputs and the working, four digits (no long digit runs), each page
    // numbered in its foot with the program.
    void pdfReportReadsAsADesignSheet() {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty()) QSKIP("poppler-utils missing");
        TypeInputs(*window_, {"60", "373", "249", "100", "80", "24"});
        Press();
        QTemporaryDir dir;
        const QString pdf = dir.filePath("sheet.pdf");
        QVERIFY(flyback::window::SaveReport(*window_->LastPress(), pdf));
        if (qEnvironmentVariableIsSet("FLYBACK_KEEP_REPORT")) QFile::copy(pdf, "/tmp/sheet.pdf");
        QProcess text;
        text.start("pdftotext", {"-enc", "UTF-8", pdf, "-"});
        QVERIFY(text.waitForFinished());
        const QString content = QString::fromUtf8(text.readAllStandardOutput());
        const qsizetype summary = content.indexOf("设计摘要"), inputs = content.indexOf("输入参数"),
                        working = content.indexOf("计算过程");
        QVERIFY2(summary >= 0 && summary < inputs && inputs < working, qPrintable(content));
        QVERIFY(content.contains("445.2 µH"));
        QVERIFY(content.contains("第 1 页，共 "));
        QVERIFY(content.contains("flyback-designer " + flyback::window::ProgramVersion()));
        QVERIFY2(!content.contains(QRegularExpression("\\d{8}")), qPrintable(content));
        QCOMPARE(flyback::window::ProposedReportName(*window_->LastPress()),
                 QString("反激变压器_60W_24V_100kHz.pdf"));
    }

    // Copy, save and print after an edit say that they keep the last press.
    void designActionsAfterAnEditNameTheLastPress() {
        Press();
        auto* copy = window_->findChild<QAction*>("copyDesignAction");
        QCOMPARE(copy->text(), QString("复制设计"));
        window_->Text1()[0]->setText("61");
        QCOMPARE(copy->text(), QString("复制设计（上次计算）"));
        QCOMPARE(window_->findChild<QAction*>("saveReportAction")->text(),
                 QString("保存报告（上次计算）…"));
        window_->CopyDesign();
        QVERIFY(
            QGuiApplication::clipboard()->mimeData()->html().contains("本报告为上次计算的结果"));
        window_->Text1()[0]->setText("60");
        QCOMPARE(copy->text(), QString("复制设计"));
    }

    void saveAddsTheChosenFormatsSuffix_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("pdf");
        QTest::addColumn<QString>("saved");
        QTest::newRow("pdf") << "/d/设计" << true << "/d/设计.pdf";
        QTest::newRow("html") << "/d/设计" << false << "/d/设计.html";
        QTest::newRow("own suffix kept") << "/d/设计.htm" << true << "/d/设计.htm";
        QTest::newRow("dot in a folder") << "/d.x/设计" << false << "/d.x/设计.html";
    }

    void saveAddsTheChosenFormatsSuffix() {
        QFETCH(QString, typed);
        QFETCH(bool, pdf);
        QFETCH(QString, saved);
        using flyback::window::ReportFormat;
        QCOMPARE(
            flyback::window::WithReportSuffix(typed, pdf ? ReportFormat::Pdf : ReportFormat::Html),
            saved);
    }

    void printingPutsTheReportOnPages() {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty()) QSKIP("poppler-utils missing");
        Press();
        QTemporaryDir dir;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath("printed.pdf"));
        flyback::window::PrintReport(*window_->LastPress(), printer);
        QProcess text;
        text.start("pdftotext", {"-enc", "UTF-8", dir.filePath("printed.pdf"), "-"});
        QVERIFY(text.waitForFinished());
        const QString content = QString::fromUtf8(text.readAllStandardOutput());
        QVERIFY2(content.contains("初级电感量") && content.contains("1.758 mH"),
                 qPrintable(content));
    }

    // As root the file could be written all the same; a limit on the size of
    // files a process may write fails the write as a full disk does.
    void failedSaveLeavesTheOldFileAndSaysSo_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("pdf") << "report.pdf";
        QTest::newRow("html") << "report.html";
    }

    void failedSaveLeavesTheOldFileAndSaysSo() {
        QFETCH(QString, name);
        Press();
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("old design");
        }
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        const rlimit small{512, limit.rlim_max};
        setrlimit(RLIMIT_FSIZE, &small);
        const bool saved = window_->SaveReportTo(path);
        setrlimit(RLIMIT_FSIZE, &limit);
        QVERIFY(!saved);
        QCOMPARE(reports_.size(), std::size_t{1});
        QVERIFY(reports_[0].message.startsWith("无法写入“" + path + "”"));
        QFile old(path);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old design"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{name});
    }

    void saveOverAFileThatCannotBeWrittenFails() {
        if (geteuid() == 0) QSKIP("root may write any file");
        Press();
        QTemporaryDir dir;
        const QString path = dir.filePath("report.pdf");
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.close();
        old.setPermissions(QFileDevice::ReadOwner);
        QVERIFY(!flyback::window::SaveReport(*window_->LastPress(), path));
    }

    // Why a save failed, as the window says it: the reason in Chinese, not
    // a bare "无法写入".
    void aFailedSaveSaysWhy() {
        using flyback::whole_file::Why;
        const struct {
            flyback::whole_file::Written failed;
            const char* said;
        } cases[] = {
            {{"Permission denied", Why::System, EACCES}, "没有写入权限"},
            {{"Read-only file system", Why::System, EROFS}, "只读"},
            {{"No space left on device", Why::System, ENOSPC}, "磁盘空间不足"},
            {{"No such file or directory", Why::System, ENOENT}, "文件夹不存在"},
            {{"is a folder, not a regular file", Why::NotRegularFile, 0}, "不是普通文件"},
            {{"Input/output error", Why::System, EIO}, "Input/output error"},
        };
        for (const auto& c : cases) {
            const QString text = flyback::window::SaveFailureText(c.failed);
            QVERIFY2(text.contains(QString::fromUtf8(c.said)), qPrintable(text));
        }
        QTemporaryDir dir;
        QString why;
        Press();
        QVERIFY(!flyback::window::SaveReport(*window_->LastPress(), dir.filePath("no/such/r.html"),
                                             false, {}, &why));
        QVERIFY2(why.contains("文件夹不存在"), qPrintable(why));
    }

    // A table cut between pages keeps at least three rows on each side, at
    // every page height that cuts it; a table too short for that starts its
    // page whole. A paragraph is cut between its lines, never through one.
    void pagesEndBetweenRowsAndLinesWithRowsEnoughOnEachSide() {
        for (const int rowCount : {4, 12, 30}) {
            QString html = "<p>前言</p><table border=\"1\"><tr><th>项目</th><th>数值</th></tr>";
            for (int i = 0; i < rowCount; ++i)
                html += QString("<tr><td>行 %1</td><td>%1</td></tr>").arg(i);
            html += "</table>";
            QTextDocument document;
            document.setTextWidth(400);
            document.setHtml(html);
            auto* table = qobject_cast<QTextTable*>(document.rootFrame()->childFrames().front());
            QVERIFY(table != nullptr);
            std::vector<double> rowTops;
            for (int row = 1; row < table->rows(); ++row) {
                const QTextBlock cell = table->cellAt(row, 0).firstCursorPosition().block();
                rowTops.push_back(document.documentLayout()->blockBoundingRect(cell).top());
            }
            // Pages from those that hold the whole of a short table, or the
            // head and six rows of a long one (fewer cannot keep three on each
            // side of every cut), to one that holds all.
            const double row = rowTops[1] - rowTops[0];
            const double least = rowCount < 6 ? (rowCount + 2) * row : 8 * row;
            const double height = document.size().height();
            for (double page = least; page < height; page += 3) {
                const auto slices = flyback::window::Paginate(document, page);
                for (const flyback::window::Slice& slice : slices) {
                    const auto rows =
                        std::count_if(rowTops.begin(), rowTops.end(), [&](double top) {
                            return top >= slice.top - 0.5 && top < slice.bottom - 0.5;
                        });
                    QVERIFY2(rows == 0 || rows >= std::min<long>(3, rowCount),
                             qPrintable(QString("%1 rows of %2 on a page of %3 px")
                                            .arg(rows)
                                            .arg(rowCount)
                                            .arg(page)));
                }
            }
        }
        QTextDocument prose;
        prose.setTextWidth(300);
        prose.setHtml("<p>" + QString("这是一段很长的说明文字，用来检查分页。").repeated(60) +
                      "</p>");
        const QTextBlock block = prose.begin();
        std::vector<QRectF> lines;
        lines.reserve(static_cast<std::size_t>(block.layout()->lineCount()));
        const QRectF box = prose.documentLayout()->blockBoundingRect(block);
        for (int i = 0; i < block.layout()->lineCount(); ++i)
            lines.push_back(block.layout()->lineAt(i).rect().translated(box.topLeft()));
        QVERIFY(lines.size() > 20);
        for (double page = 101; page < 400; page += 37) {
            const auto slices = flyback::window::Paginate(prose, page);
            QVERIFY(slices.size() > 1);
            for (std::size_t i = 0; i + 1 < slices.size(); ++i) {
                const double cut = slices[i].bottom;
                QVERIFY2(std::none_of(lines.begin(), lines.end(),
                                      [&](const QRectF& line) {
                                          return line.top() < cut - 0.5 &&
                                                 line.bottom() > cut + 0.5;
                                      }),
                         qPrintable(QString("cut at %1 on a page of %2").arg(cut).arg(page)));
            }
        }
    }
};

QTEST_MAIN(ReportOutputTest)
#include "report_output_test.moc"
