// The main window as a user meets it: typing rules, focus, the enabling rule, the date
// commands, settings files through the File menu, the start-up file and the placement. What
// the files hold line by line is tested in tests/store; here, that the window goes through
// them and shows the result.
#include "window/window_look.h"
#include "window_fixture.h"

using namespace tarnwick;

class MainWindowTest : public WindowTest {
  Q_OBJECT

 private slots:
  // What each box lets through, typed or pasted, in a locale whose decimal sign is the point
  // and in one where it is the comma.
  void typing_rules() {
    struct Row { const char* box; QString typed; bool paste; QString shown; char sign; };
    const Row rows[] = {
        {"txtAspectOrb1", "-2.5", false, "2.5", '.'},                                // minus dropped in an orb
        {"txtTZ", "America/New_York x", false, "America/New_Yorkx", '.'},            // a zone name, no blanks
        {"txtTZ", QString(45, 'a'), false, QString(40, 'a'), '.'},                   // 41st character refused
        {"txtStartTime", "09:45 pm", true, "09:45", '.'},                            // paste typed through the rules
        {"txtAspectOrb1", "1234567", true, "123456", '.'},                           // paste cut to the room left
        {"txtTZ", "-5,5", false, "-55", '.'},                                        // comma dropped, minus kept
        {"txtTZ", "-5,5", false, "-5,5", ','},                                       // comma locale: in the zone
        {"txtAspectOrb2", "0,9.1", false, "0,9.1", ','},                             // comma or point in an orb
        {"txtEndTime", "10,59", false, "10,59", ','},                                // comma in a time box
    };
    for (const Row& r : rows) {
      Afresh();
      world_->regional.decimal_separator = r.sign;
      Open();
      QLineEdit* edit = Find(r.box);
      ClickInto(edit);
      QGuiApplication::clipboard()->setText(r.typed);
      if (r.paste) QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
      else QTest::keyClicks(edit, r.typed);
      QCOMPARE(edit->text(), r.shown);
    }
  }

  // A settings file may place texts that typing could not produce; they are shown whole, and
  // typing then follows the rules again.
  void placed_text_is_neither_filtered_nor_cut_and_near_and_far_follows_midpoints() {
    RunSettings placed;
    placed.txtStartTime = "10:00:00";
    placed.txtAspectOrb1 = "-2.5 deg";
    Open();
    Load(placed);
    QLineEdit* time = Find("txtStartTime");
    QCOMPARE(time->text() + " | " + Find("txtAspectOrb1")->text(), QString("10:00:00 | -2.5 deg"));

    ClickInto(time);
    QTest::keyClick(time, Qt::Key_End);
    QTest::keyClick(time, Qt::Key_5);  // the box is over its limit: refused
    QCOMPARE(time->text(), QString("10:00:00"));
    QTest::keyClick(time, Qt::Key_Backspace);
    QCOMPARE(time->text(), QString("10:00:0"));
    QTest::keyClick(time, Qt::Key_Home);
    QTest::keyClick(time, Qt::Key_End, Qt::ShiftModifier);
    QTest::keyClicks(time, "11.15");  // a selection counts as room
    QCOMPARE(time->text(), QString("11.15"));

    // Near and far follows the midpoints switch, by a click or a settings file.
    auto* midpoints = Find<QCheckBox>("chkUseMidpoints");
    auto* near_far = Find<QCheckBox>("chkUseNear_and_Far");
    QVERIFY(midpoints->isChecked() && !near_far->isEnabled() && near_far->isChecked());
    QTest::mouseClick(midpoints, Qt::LeftButton);
    QVERIFY(near_far->isEnabled());
    for (QCheckBox* box : {near_far, midpoints}) QTest::mouseClick(box, Qt::LeftButton);
    QVERIFY(!near_far->isEnabled() && !near_far->isChecked());  // the mark is kept

    // A settings file with midpoints off enables it too.
    RunSettings mid_degrees;
    mid_degrees.chkUseMidpoints = false;
    Load(mid_degrees);
    QVERIFY(!midpoints->isChecked() && near_far->isEnabled() && near_far->isChecked());
  }

  // Each key and the button reach their command, in the regional date order; a date that
  // is none changes no box and is named in the status line. The date arithmetic itself is
  // tested in tests/store/date_commands_test.cpp.
  void date_commands() {
    struct Row { DateOrder order; const char *start, *end, *key, *new_start, *new_end; QString status; };
    const QString invalid = "Start Date \"13/45/2007\"";
    const Row rows[] = {  // key "": the button cmdEndDateSameAsStartDate
        {DateOrder::MonthDayYear, "12/15/2007", "12/20/2007", "F6", "01/01/2008", "01/31/2008", ""},
        {DateOrder::YearMonthDay, "2008/01/10", "", "F5", "2007/12/01", "2007/12/31", ""},
        {DateOrder::MonthDayYear, "12/31/2007", "01/05/2008", "F2", "01/01/2008", "01/05/2008", ""},
        {DateOrder::MonthDayYear, "02/01/2008", "03/01/2008", "F3", "02/01/2008", "02/29/2008", ""},
        {DateOrder::MonthDayYear, "next week", "12/31/2007", "", "next week", "next week", ""},
        {DateOrder::MonthDayYear, "13/45/2007", "", "F2", "13/45/2007", "", invalid},
    };
    for (const Row& r : rows) {
      Afresh();
      world_->regional.order = r.order;
      Open();
      Type("txtStartDate", r.start);
      Type("txtEndDate", r.end);
      if (!*r.key) Click("cmdEndDateSameAsStartDate");
      else QTest::keyClick(window_.get(), QKeySequence(r.key)[0].key());
      QCOMPARE(Find("txtStartDate")->text() + " " + Find("txtEndDate")->text(), QString(r.new_start) + " " + r.new_end);
      QCOMPARE(Status().isEmpty(), r.status.isEmpty());
      QVERIFY2(Status().contains(r.status), qPrintable(Status()));
    }
  }

  // Save writes the controls through the dialog; Load puts the file back into them, keeping
  // what the file does not hold; a cancelled dialog changes nothing; only a file saved or
  // loaded is remembered. Field by field the file is tested in tests/store/settings_file_test.cpp.
  void settings_file_save_and_load() {
    QVERIFY(QDir(world_->folder.path()).mkdir("sets"));
    const QString file = world_->file("sets/mine.opt");
    Open();
    Type("txtStartDate", "03/04/2005");
    for (const char* box : {"chkP1Planets_0", "chkP3Planets_25", "chkUse_RA", "chkUseP3"}) QTest::mouseClick(Find<QCheckBox>(box), Qt::LeftButton);
    const RunSettings saved = window_->ControlsToSettings();
    QVERIFY(saved.chkP1Planets[0] && saved.chkP3Planets[25] && saved.chkUse_RA && !saved.chkUseP3);
    Choose(file, Qt::Key_S);
    QCOMPARE(Fields(world_->chooser->requests.at(0)),
             (QStringList{"Save", "Save settings file", "Settings Files (*.opt)", "opt", world_->folder.path(), ""}));
    QCOMPARE(Read(file), QString::fromStdString(SettingsFileText(saved)));

    Type("txtStartDate", "01/01/2001");
    for (const char* control : {"chkP1Planets_0", "opt2_ghd_1"}) QTest::mouseClick(Find<QAbstractButton>(control), Qt::LeftButton);
    const RunSettings changed = window_->ControlsToSettings();
    Choose(std::nullopt, Qt::Key_O);
    QVERIFY(window_->ControlsToSettings() == changed);

    Choose(file, Qt::Key_O);
    QCOMPARE(Fields(world_->chooser->requests.back()),
             (QStringList{"Load", "Load settings file", "Settings Files (*.opt)", "opt", world_->file("sets"), file}));
    RunSettings expected = saved;
    expected.opt2_ghd = Centre::Helio;  // not in the file: kept
    QVERIFY(window_->ControlsToSettings() == expected);  // read from the controls themselves

    // A save into a missing folder and a load of a missing file name the file and change
    // nothing: the dialog, and the next start, still offer the file last saved or loaded.
    for (const auto& [key, chosen] : {std::pair<Qt::Key, QString>{Qt::Key_S, "no such folder/mine.opt"}, {Qt::Key_O, "missing.opt"}}) {
      Choose(world_->file(chosen), key);
      ExpectMessage(window_.get(), {world_->file(chosen)});
      QCOMPARE(window_->settingsFilePath(), file.toStdString());
    }
    QVERIFY(window_->ControlsToSettings() == expected);
    QVERIFY(window_->close());
    Open();
    Choose(std::nullopt, Qt::Key_S);
    QCOMPARE(world_->chooser->requests.back().preset_name, file);
  }

  // A short file whose first two lines are no dates (notes chosen by mistake) is loaded only
  // when the user says so; the question's default is No. A short file of settings, or a whole
  // one, loads without a question.
  void plainly_no_settings_file_is_loaded_only_when_confirmed() {
    RunSettings dates, words;
    dates.txtStartDate = "03/04/2005";
    dates.txtEndDate = "03/09/2005";
    words.txtStartDate = "next week";
    const std::string notes = "Some other notes\r\nabout the Moon\r\n";
    // answer NoButton: Return, the default; start_date afterwards, "" for unchanged.
    struct Row { std::string bytes; QMessageBox::StandardButton answer; bool asked; QString start_date; };
    const Row rows[] = {
        {notes, QMessageBox::NoButton, true, ""},
        {notes, QMessageBox::Yes, true, "Some other notes"},
        {"03/04/2005\r\n", QMessageBox::No, true, ""},                                 // one line of date
        {SettingsFileText(dates).substr(0, 200), QMessageBox::No, false, "03/04/2005"},  // a short file of settings
        {SettingsFileText(words), QMessageBox::No, false, "next week"},                 // all 93 lines
    };
    for (const Row& r : rows) {
      Afresh();
      const QString file = world_->file("chosen.opt");
      Write(file, r.bytes);
      Open();
      const RunSettings before = window_->ControlsToSettings();
      QString question;
      AnswerNextMessageBox(r.answer, &question, window_.get());
      Choose(file, Qt::Key_O);
      QCOMPARE(!question.isEmpty(), r.asked);
      if (r.asked) QVERIFY2(question.contains(file) && question.contains("not dates"), qPrintable(question));
      QCOMPARE(window_->settingsFilePath(), r.start_date.isEmpty() ? std::string() : file.toStdString());
      if (r.start_date.isEmpty()) {
        QVERIFY(window_->ControlsToSettings() == before);
        QVERIFY2(Status().contains("was not loaded"), qPrintable(Status()));
      } else {
        QCOMPARE(Find("txtStartDate")->text(), r.start_date);
      }
    }
  }

  void placement_keeps_the_top_edge_on_the_screen() {
    const QList<std::pair<QRect, QPoint>> rows = {  // available area, top left of a 760 x 950 frame
        {QRect(0, 0, 1920, 1080), QPoint(57, 130)},  // tall screen: bottom on the bottom
        {QRect(0, 0, 1366, 768), QPoint(57, 0)},     // short screen: top on the top
        {QRect(0, 30, 1280, 994), QPoint(57, 74)},   // panel above the available area
        {QRect(0, 0, 700, 1080), QPoint(0, 130)},    // narrow screen: left edge stays on it
        {QRect(1920, 0, 1280, 720), QPoint(1977, 0)},  // second screen to the right
    };
    for (const auto& [available, top_left] : rows)
      QCOMPARE(BottomPlacement(available, QSize(760, 950), TwipsToPixels(855)), top_left);
  }
};

TARNWICK_WINDOW_TEST(MainWindowTest);
#include "main_window_test.moc"
