// The exports of the File menu and the Time Zone box's zone names, used as a user does:
// typing, picking from the completion list, triggering menu items, answering the dialogs.
#include <QAbstractItemView>
#include <QCompleter>
#include <QPrinter>
#include <QTableView>

#include "window/run_exports.h"
#include "window_fixture.h"

using namespace tarnwick;

class ExportsTest : public WindowTest {
  Q_OBJECT

 private slots:
  // Off before a run. Then the Time Zone box: part of a name brings up the list, Down and
  // Return take the zone, and the run's report is named after it (made file-safe; its civil
  // times are tested in tests/core). The file the user names holds the format, the offered
  // name is the report's with the format's suffix (how a write fails: write_failure_test.cpp).
  // Print... hands the pages to the printer the user set up (here a PDF file printer).
  void each_export_writes_the_last_run() {
    struct Row { const char* action; QString suffix; QString begins; };
    const Row rows[] = {
        {"mnuFileExportCsv", "csv", "kind,p1,"},        // Export CSV...
        {"mnuFileExportCsvFormat", "csv", "kind,p1,"},  // CSV from the submenu
        {"mnuFileExportIcs", "ics", "BEGIN:VCALENDAR\r\n"},
        {"mnuFileExportPdfFormat", "pdf", "%PDF-"},     // PDF from the submenu
        {"mnuFileExportPdf", "pdf", "%PDF-"},           // Export PDF...
        {"mnuFileExportText", "txt", "\r\ng. Moon     g. Jupiter  12/01/2007 "},
        {"mnuFilePrint", "", ""},
    };
    Open();
    for (const Row& r : rows) QVERIFY2(!Find<QAction>(r.action)->isEnabled(), r.action);
    Load(OneDay());
    auto* completer = Find<QCompleter>("txtTZCompleter");
    Type("txtTZ", "-5");
    QVERIFY(!completer->popup()->isVisible());  // a number opens no list
    Type("txtTZ", "berl");
    QTRY_VERIFY(completer->popup()->isVisible());
    for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Return}) QTest::keyClick(completer->popup(), key);
    QCOMPARE(Find("txtTZ")->text(), QString("Europe/Berlin"));
    QVERIFY(!completer->popup()->isVisible());
    Run("cmdAspectarian");
    const QString name = "12012007_12012007_Europe-Berlin_3.0_15.0_gg_mp_15_noRA";
    QVERIFY2(Status().contains(name + ".txt"), qPrintable(Status()));

    for (const Row& r : rows) {
      if (r.suffix.isEmpty()) continue;
      const QString file = world_->file("data/" + QString(r.action) + "." + r.suffix);
      Choose(file, r.action);
      const QString preset = world_->chooser->requests.back().preset_name;
      QVERIFY2(preset.endsWith("data/" + name + "." + r.suffix), qPrintable(preset));
      QVERIFY2(Status().contains(QFileInfo(file).fileName()), qPrintable(Status()));
      QVERIFY2(Read(file).startsWith(r.begins), qPrintable(Read(file).left(60)));
    }
    const QString printed = world_->file("printed.pdf");
    window_->findChild<RunExports*>()->SetPrinterSetup([printed](QPrinter& printer, QWidget*) {
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(printed);
      return true;
    });
    Find<QAction>("mnuFilePrint")->trigger();
    QVERIFY2(Status().contains("Printed 1 page"), qPrintable(Status()));
    QVERIFY(Read(printed).startsWith("%PDF-"));
  }

  // With "Only the rows shown or selected" on, an export holds the rows the filter shows, or
  // the selected ones, each as the report writes it; off, or with the whole run shown and
  // nothing selected, the whole report.
  void export_of_the_rows_the_table_shows_or_has_selected() {
    OpenOnOneDay();
    Type("txtEndDate", "12/07/2007");  // a week of the Moon and Jupiter's partners
    Run("cmdAspectarian");
    const auto report_lines = [](const QStringList& all) { return all.filter(QRegularExpression("^g\\. ")); };
    const QStringList lines = report_lines(PaneText().split('\n', Qt::SkipEmptyParts));
    QVERIFY2(lines.size() >= 3, qPrintable(PaneText()));
    Find<QAction>("mnuFileExportTableRows")->setChecked(true);
    const auto exported = [&] {
      Choose(world_->file("part.txt"), "mnuFileExportText");
      return report_lines(Read(world_->file("part.txt")).split("\r\n", Qt::SkipEmptyParts));
    };
    QCOMPARE(exported(), lines);  // the whole run shown, nothing selected

    QTest::keyClicks(Find("txtFilter"), "Jupiter");
    const QStringList jupiter = lines.filter("Jupiter");
    QTRY_COMPARE(Table()->model()->rowCount(), int(jupiter.size()));
    QCOMPARE(exported(), jupiter);
    Table()->selectRow(1);
    QCOMPARE(exported(), QStringList{jupiter[1]});
    Find<QAction>("mnuFileExportTableRows")->setChecked(false);
    QCOMPARE(exported(), lines);
  }
};

TARNWICK_WINDOW_TEST(ExportsTest);
#include "exports_test.moc"
