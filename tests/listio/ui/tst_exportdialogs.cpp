// The export option dialog, the export dialog in both forms, printing the lines to a PDF printer, and the
// grid's worksheet and HTML save: texts and controls, OK running the export with the ticked fields, file
// dialog set-up, visible columns in display order, and the failure message.
#include "RecordingPrintTarget.h"
#include "ScriptedPrompt.h"
#include "base/AppPaths.h"
#include "db/TdmML.h"
#include "listio/ui/GridFileExportDialog.h"
#include "listio/ui/ListExportPrinter.h"
#include "listio/ui/TdlgExport.h"
#include "listio/ui/TdlgExportOption.h"

#include <QFileDialog>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

using namespace corvane;
using namespace corvane::ui;

class TestExportDialogs : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_tmp;
    std::unique_ptr<ScriptedPrompt> m_prompt;
    std::unique_ptr<TdmML> m_dm;

    static QByteArray readAll(const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

private slots:
    void init() {
        m_tmp = std::make_unique<QTemporaryDir>();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_tmp->filePath(QStringLiteral("config")));
        AppPaths::setApplicationDirectory(m_tmp->filePath(QStringLiteral("app")));
        m_prompt = std::make_unique<ScriptedPrompt>();
        m_prompt->answer(UserPrompt::Yes);
        m_dm = std::make_unique<TdmML>(*m_prompt);
        m_dm->dmMLCreate();
        QVERIFY(m_dm->DatabaseLoaded());
        SqliteTable &table = m_dm->tblML();
        table.appendRecord({QStringLiteral("b@example.org"), QStringLiteral("Sports"), 1, QStringLiteral("x,y"),
                            QStringLiteral("Bob B"), QStringLiteral("Bob")});
        table.appendRecord({QStringLiteral("a@example.org"), QStringLiteral("News"), 0});
        table.setIndexFieldNames(QStringLiteral("Item"));
        m_prompt->shown.clear();
    }
    void cleanup() {
        m_dm.reset();
        m_prompt.reset();
        AppPaths::setApplicationDirectory(QString());
        m_tmp.reset();
    }

    void exportOptionChoices() {
        TdlgExportOption dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Export Option"));
        QCOMPARE(dialog.choice(), TdlgExportOption::Choice::Text);
        QStringList texts;
        for (const QLabel *label : dialog.findChildren<QLabel *>()) {
            texts.append(label->text());
        }
        QCOMPARE(texts.size(), 3);
        QVERIFY(texts.at(0).endsWith(QStringLiteral("be able to import the file back into Corvane")));
        QVERIFY(texts.at(1).startsWith(QStringLiteral("Your database will be exported to a spreadsheet")));
        QVERIFY(texts.at(2).startsWith(QStringLiteral("Your database will be exported to an HTML page")));
        QCOMPARE(dialog.rdbxls->text(), QStringLiteral("Export to a Excel spreadsheet"));
        dialog.rdbxls->setChecked(true);
        QCOMPARE(dialog.choice(), TdlgExportOption::Choice::Worksheet);
        dialog.rdbhtml->setChecked(true);
        QCOMPARE(dialog.choice(), TdlgExportOption::Choice::Html);
    }

    void exportDialogForms_data() {
        QTest::addColumn<int>("form");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("fileLabel");
        QTest::addColumn<QString>("fieldLabel");
        QTest::newRow("export") << int(TdlgExport::Form::Export) << "Export E-mail List"
                                << "Please choose a filename:"
                                << "What fields do you want to export:";
        QTest::newRow("print") << int(TdlgExport::Form::Print) << "Print E-mail List"
                               << "Print the e-mail list with the heading:"
                               << "What fields do you want to print:";
    }
    void exportDialogForms() {
        QFETCH(int, form);
        QFETCH(QString, title);
        QFETCH(QString, fileLabel);
        QFETCH(QString, fieldLabel);
        const bool printing = TdlgExport::Form(form) == TdlgExport::Form::Print;
        TdlgExport dialog(*m_prompt, m_dm->tblML(), TdlgExport::Form(form));
        dialog.show();
        QCOMPARE(dialog.windowTitle(), title);
        QCOMPARE(dialog.lblfilename->text(), fileLabel);
        QCOMPARE(dialog.lblfields->text(), fieldLabel);
        QVERIFY(dialog.edtfilename->isReadOnly());
        QCOMPARE(dialog.btnsave->isVisible(), !printing);
        QCOMPARE(dialog.edtseparator->isVisible(), !printing);
        QCOMPARE(dialog.lblseparator->isVisible(), !printing);
        QCOMPARE(dialog.edtfilename->text().startsWith(QStringLiteral("Mailing List Print at ")), printing);
        QCOMPARE(dialog.edtfilename->text().endsWith(QStringLiteral("/CVNExport.csv")), !printing);
        if (printing) {
            // The box is widened into the button's place.
            QVERIFY(dialog.edtfilename->geometry().right() >= dialog.btnsave->geometry().left());
        }
        QCOMPARE(dialog.edtseparator->text(), QStringLiteral(","));
        QCOMPARE(dialog.edtseparator->maxLength(), 1);
        QStringList captions;
        for (int row = 0; row < dialog.lbxfields->count(); ++row) {
            captions.append(dialog.lbxfields->item(row)->text());
            QCOMPARE(dialog.lbxfields->item(row)->checkState(), Qt::Checked);
        }
        QCOMPARE(captions, (QStringList{"E-mail", "Category", "Full Name", "First Name", "Comments", "Bounces"}));
    }

    void okRunsExportWithTickedFields() {
        TdlgExport dialog(*m_prompt, m_dm->tblML(), TdlgExport::Form::Export);
        const QString file = m_tmp->filePath(QStringLiteral("chosen.csv"));
        dialog.edtfilename->setText(file);
        dialog.edtseparator->setText(QStringLiteral(";"));
        dialog.lbxfields->item(1)->setCheckState(Qt::Unchecked);
        dialog.lbxfields->item(3)->setCheckState(Qt::Unchecked);
        dialog.lbxfields->item(5)->setCheckState(Qt::Unchecked);
        QVERIFY(dialog.btnokClick());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(readAll(file), QByteArray("a@example.org;;\r\nb@example.org;Bob B;x,y\r\n"));
    }

    // The print form prints with "," whatever the hidden separator box holds, under the heading shown.
    void okInPrintFormPrintsTickedFields() {
        TdlgExport dialog(*m_prompt, m_dm->tblML(), TdlgExport::Form::Print);
        dialog.edtseparator->setText(QStringLiteral(";"));
        dialog.lbxfields->item(0)->setCheckState(Qt::Unchecked);
        dialog.lbxfields->item(4)->setCheckState(Qt::Unchecked);
        test::RecordingPrintTarget printer;
        dialog.printTarget = &printer;
        QVERIFY(dialog.btnokClick());
        QVERIFY(dialog.printed());
        QCOMPARE(printer.jobs, QList<QStringList>{(QStringList{"News,,,0", "Sports,Bob B,Bob,1"})});
        QCOMPARE(printer.jobTitles, QStringList{dialog.edtfilename->text()});
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    // OK closes the dialog also when the export fails; the failure has been told.
    void okClosesAfterFailure() {
        TdlgExport dialog(*m_prompt, m_dm->tblML(), TdlgExport::Form::Export);
        const QString file = m_tmp->filePath(QStringLiteral("gone/chosen.csv"));
        dialog.edtfilename->setText(file);
        QVERIFY(!dialog.btnokClick());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(m_prompt->texts(), QStringList{QStringLiteral("Unable to write to the file, ") + file});
    }

    void saveDialogSetUp() {
        QFileDialog dialog;
        TdlgExport::configureSaveDialog(dialog, m_tmp->filePath(QStringLiteral("x.csv")));
        QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptSave);
        QCOMPARE(dialog.nameFilters(), (QStringList{"Comma-delimited Files (*.csv)", "Text File (*.txt)"}));
        QVERIFY(dialog.testOption(QFileDialog::DontConfirmOverwrite));
    }

    void gridFileDialogSetUp_data() {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("suffix");
        QTest::newRow("worksheet") << int(GridFileExport::Format::Worksheet) << "Microsoft Excel Worksheet (*.xls)"
                                   << "xls";
        QTest::newRow("html") << int(GridFileExport::Format::Html) << "HTML File (*.htm *.html)"
                              << "html";
    }
    void gridFileDialogSetUp() {
        QFETCH(int, format);
        QFETCH(QString, filter);
        QFETCH(QString, suffix);
        QFileDialog dialog;
        GridFileExportDialog::configureFileDialog(dialog, GridFileExport::Format(format));
        QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptSave);
        QCOMPARE(dialog.nameFilters(), QStringList{filter});
        QCOMPARE(dialog.defaultSuffix(), suffix);
        QVERIFY(!dialog.testOption(QFileDialog::DontConfirmOverwrite));
    }

    // What the grid shows: hidden columns left out, moved columns in their displayed place.
    void gridSaveWritesVisibleColumnsInDisplayOrder() {
        QStandardItemModel model(2, 4);
        model.setHorizontalHeaderLabels({"A", "B", "C", "D"});
        for (int r = 0; r < 2; ++r) {
            for (int c = 0; c < 4; ++c) {
                model.setItem(r, c, new QStandardItem(QStringLiteral("%1%2").arg(QChar(u'a' + c)).arg(r)));
            }
        }
        QTableView grid;
        grid.setModel(&model);
        grid.horizontalHeader()->moveSection(3, 0);
        grid.setColumnHidden(1, true);
        const QList<int> columns = GridFileExportDialog::visibleColumns(*grid.horizontalHeader());
        QCOMPARE(columns, (QList<int>{3, 0, 2}));
        const QString file = m_tmp->filePath(QStringLiteral("grid.html"));
        QVERIFY(GridFileExportDialog::saveTo(*m_prompt, model, columns, file, GridFileExport::Format::Html));
        QVERIFY(readAll(file).contains("<tr><th>D</th><th>A</th><th>C</th></tr>"));
        QVERIFY(readAll(file).contains("<tr><td>d1</td><td>a1</td><td>c1</td></tr>"));
        QCOMPARE(m_prompt->busyDepth, 0);

        const QString bad = m_tmp->filePath(QStringLiteral("gone/grid.xls"));
        QVERIFY(!GridFileExportDialog::saveTo(*m_prompt, model, columns, bad, GridFileExport::Format::Worksheet));
        QCOMPARE(m_prompt->texts(), QStringList{QStringLiteral("An error was encountered saving your file.")});
        QCOMPARE(m_prompt->shown.first().kind, UserPrompt::Kind::Warning);
    }

    // Pages of the PDF: as many as the wrapped lines fill, or those of the page range; the walk stops once
    // the range is printed.
    void printToPdf_data() {
        QTest::addColumn<int>("lineCount");
        QTest::addColumn<int>("copies");
        QTest::addColumn<int>("fromPage");
        QTest::addColumn<int>("toPage");
        QTest::newRow("one page") << 3 << 1 << 0 << 0;
        QTest::newRow("several pages, no copy count") << 400 << 0 << 0 << 0;
        QTest::newRow("pages 2 to 3") << 400 << 1 << 2 << 3;
    }
    void printToPdf() {
        QFETCH(int, lineCount);
        QFETCH(int, copies);
        QFETCH(int, fromPage);
        QFETCH(int, toPage);
        const QString file = m_tmp->filePath(QStringLiteral("print.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        printer.setCopyCount(copies);
        if (fromPage > 0) {
            printer.setPrintRange(QPrinter::PageRange);
            printer.setFromTo(fromPage, toPage);
        }
        QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPointSize(10);
        const QFontMetrics metrics(font, &printer);
        const int perPage = printer.height() / metrics.lineSpacing();
        // Every 50th line is wider than the page and goes on over as many rows as it needs (the font has
        // one width for every character).
        QStringList lines;
        int rows = 0;
        for (int i = 0; i < lineCount; ++i) {
            lines.append(QStringLiteral("user%1@example.org,News,").arg(i) + QString(i % 50 == 0 ? 300 : 5, u'x'));
            const int perRow = printer.width() / metrics.horizontalAdvance(QLatin1Char('x'));
            rows += static_cast<int>((lines.last().size() + perRow - 1) / perRow);
        }
        ListExportPrinter target(printer);
        const QString heading = QStringLiteral("Mailing List Print at 1/2/26 10:11:12");
        QVERIFY(target.choose(heading));
        QCOMPARE(target.copies(), 1);
        target.beginCopy(heading);
        int taken = 0;
        while (taken < lines.size() && target.addLine(lines.at(taken))) {
            ++taken;
        }
        target.endCopy();
        QCOMPARE(printer.docName(), heading);
        const QByteArray pdf = readAll(file);
        QVERIFY(pdf.startsWith("%PDF"));
        const qsizetype pages = pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page ");
        if (fromPage > 0) {
            QCOMPARE(pages, toPage - fromPage + 1);
            QVERIFY2(taken < toPage * perPage, qPrintable(QString::number(taken)));
        } else {
            QCOMPARE(pages, (rows + perPage - 1) / perPage);
            QCOMPARE(taken, lineCount);
        }
    }
};

QTEST_MAIN(TestExportDialogs)
#include "tst_exportdialogs.moc"
