// The main window as a user meets it: typing rules, focus, the enabling rule, the date
// commands, settings files through the File menu, the start-up file and the placement.
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "store/atomic_file.h"
#include "store/settings_file.h"
#include "store/startup_file.h"
#include "window/window_look.h"
#include "window_fixture.h"

using namespace tarnwick;

class MainWindowTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TestWorld> world_;
  std::unique_ptr<MainWindow> window_;

  // A window started on world_, shown and active so that shortcuts and focus work.
  MainWindow& Open() {
    window_ = std::make_unique<MainWindow>(world_->world());
    window_->show();
    window_->activateWindow();
    [&] { QVERIFY(QTest::qWaitForWindowActive(window_.get())); }();
    return *window_;
  }
  template <typename T = QLineEdit>
  T* Find(const char* name) {
    T* found = window_->findChild<T*>(QString::fromLatin1(name));
    if (!found) qFatal("no control %s", name);
    return found;
  }
  QString Status() { return Find<QLabel>("lblStatus")->text(); }
  // Clicks into a box, as a user does before typing; entering the box selects its whole
  // text. A box that has the focus already (the first one does at start) keeps the caret
  // where the click put it, so the user selects all with Ctrl+A.
  void ClickInto(QLineEdit* box) {
    const bool had_focus = box->hasFocus();
    QTest::mouseClick(box, Qt::LeftButton);
    if (had_focus) QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTRY_COMPARE(box->selectedText(), box->text());
  }
  void Write(const QString& path, const std::string& bytes) {
    QVERIFY(WriteFileAtomically(path.toStdString(), bytes));
  }

 private slots:
  void init() { world_ = std::make_unique<TestWorld>(); }
  void cleanup() {
    window_.reset();
    world_.reset();
  }

  void typing_rules_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("paste");
    QTest::addColumn<QString>("shown");
    QTest::newRow("colon in a time box does nothing") << "txtStartTime" << "10:30" << false << "1030";
    QTest::newRow("minus stays in the time zone") << "txtTZ" << "-5.5" << false << "-5.5";
    QTest::newRow("minus dropped in an orb") << "txtAspectOrb1" << "-2.5" << false << "2.5";
    QTest::newRow("letters and blanks dropped in an orb") << "txtAspectOrb2" << "1 2a" << false << "12";
    QTest::newRow("sixth character in a time box refused") << "txtEndTime" << "123456" << false << "12345";
    QTest::newRow("seventh character in the time zone refused") << "txtTZ" << "-12.345" << false << "-12.34";
    QTest::newRow("date boxes take anything, up to 12") << "txtStartDate" << "Dec 1st, 2007" << false << "Dec 1st, 200";
    QTest::newRow("paste is typed through the rules") << "txtStartTime" << "09:45 pm" << true << "0945";
    QTest::newRow("paste cut to the room left") << "txtAspectOrb1" << "1234567" << true << "123456";
  }
  void typing_rules() {
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(bool, paste);
    QFETCH(QString, shown);
    Open();
    QLineEdit* edit = Find(box.toLatin1().constData());
    ClickInto(edit);
    if (paste) {
      QGuiApplication::clipboard()->setText(typed);
      QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    } else {
      QTest::keyClicks(edit, typed);
    }
    QCOMPARE(edit->text(), shown);
    for (const TextField& f : kTextFields) {  // the run settings follow the box
      if (box == QLatin1String(f.name.data(), f.name.size())) {
        QCOMPARE(QString::fromStdString(window_->ControlsToSettings().*f.member), shown);
      }
    }
  }

  // A settings file may place texts that typing could not produce; they are shown whole, and
  // typing then follows the rules again.
  void placed_text_is_neither_filtered_nor_cut() {
    RunSettings placed;
    placed.txtStartTime = "10:00:00";
    placed.txtAspectOrb1 = "-2.5 deg";
    const QString file = world_->file("placed.opt");
    Write(file, SettingsFileText(placed));
    world_->chooser->answers = {file};
    Open();
    QTest::keyClick(window_.get(), Qt::Key_O, Qt::ControlModifier);
    QLineEdit* time = Find("txtStartTime");
    QCOMPARE(time->text(), QString("10:00:00"));
    QCOMPARE(Find("txtAspectOrb1")->text(), QString("-2.5 deg"));
    QCOMPARE(window_->ControlsToSettings().txtStartTime, std::string("10:00:00"));

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
  }

  void focus_entering_a_box_selects_it_all_data() {
    QTest::addColumn<bool>("by_tab");
    QTest::newRow("tab from orb 1 into orb 2") << true;
    QTest::newRow("click into orb 2") << false;
  }
  void focus_entering_a_box_selects_it_all() {
    QFETCH(bool, by_tab);
    Open();
    QLineEdit* orb2 = Find("txtAspectOrb2");
    if (by_tab) {
      ClickInto(Find("txtAspectOrb1"));
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QTRY_VERIFY(orb2->hasFocus());
    } else {
      QTest::mouseClick(orb2, Qt::LeftButton, {}, QPoint(4, orb2->height() / 2));
    }
    QTRY_COMPARE(orb2->selectedText(), QString("15.0"));
    QTest::keyClick(orb2, Qt::Key_7);  // typing replaces the whole text
    QCOMPARE(orb2->text(), QString("7"));
  }

  void near_and_far_follows_midpoints() {
    Open();
    auto* midpoints = Find<QCheckBox>("chkUseMidpoints");
    auto* near_far = Find<QCheckBox>("chkUseNear_and_Far");
    QVERIFY(midpoints->isChecked());
    QVERIFY(!near_far->isEnabled());
    QVERIFY(near_far->isChecked());

    QTest::mouseClick(midpoints, Qt::LeftButton);
    QVERIFY(near_far->isEnabled());
    QTest::mouseClick(near_far, Qt::LeftButton);
    QVERIFY(!near_far->isChecked());
    QTest::mouseClick(midpoints, Qt::LeftButton);
    QVERIFY(!near_far->isEnabled());
    QVERIFY(!near_far->isChecked());  // the mark is kept
    QVERIFY(!window_->ControlsToSettings().chkUseNear_and_Far);

    // A settings file with midpoints off enables it too.
    RunSettings mid_degrees;
    mid_degrees.chkUseMidpoints = false;
    const QString file = world_->file("md.opt");
    Write(file, SettingsFileText(mid_degrees));
    world_->chooser->answers = {file};
    QTest::keyClick(window_.get(), Qt::Key_O, Qt::ControlModifier);
    QVERIFY(!midpoints->isChecked());
    QVERIFY(near_far->isEnabled());
    QVERIFY(near_far->isChecked());
  }

  void date_commands_data() {
    QTest::addColumn<int>("order");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<int>("key");  // 0: the button cmdEndDateSameAsStartDate
    QTest::addColumn<QString>("new_start");
    QTest::addColumn<QString>("new_end");
    QTest::newRow("next month over the year end, m/d/y")
        << 0 << "12/15/2007" << "12/20/2007" << int(Qt::Key_F6) << "01/01/2008" << "01/31/2008";
    QTest::newRow("next month into a leap February, m/d/y")
        << 0 << "01/31/2008" << "x" << int(Qt::Key_F6) << "02/01/2008" << "02/29/2008";
    QTest::newRow("next month over the year end, d/m/y")
        << 1 << "15/12/2007" << "" << int(Qt::Key_F6) << "01/01/2008" << "31/01/2008";
    QTest::newRow("previous month over the year start, y/m/d")
        << 2 << "2008/01/10" << "" << int(Qt::Key_F5) << "2007/12/01" << "2007/12/31";
    QTest::newRow("next start date over the year end")
        << 0 << "12/31/2007" << "01/05/2008" << int(Qt::Key_F2) << "01/01/2008" << "01/05/2008";
    QTest::newRow("previous end date into a leap day")
        << 0 << "02/01/2008" << "03/01/2008" << int(Qt::Key_F3) << "02/01/2008" << "02/29/2008";
    QTest::newRow("end date copies even a text that is no date")
        << 0 << "next week" << "12/31/2007" << 0 << "next week" << "next week";
  }
  void date_commands() {
    QFETCH(int, order);
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(int, key);
    QFETCH(QString, new_start);
    QFETCH(QString, new_end);
    world_->regional.order = static_cast<DateOrder>(order);
    Open();
    QLineEdit* start_box = Find("txtStartDate");
    QLineEdit* end_box = Find("txtEndDate");
    ClickInto(start_box);
    QTest::keyClicks(start_box, start);
    ClickInto(end_box);
    if (end.isEmpty()) QTest::keyClick(end_box, Qt::Key_Delete);
    QTest::keyClicks(end_box, end);
    if (key == 0) {
      QTest::mouseClick(Find<QPushButton>("cmdEndDateSameAsStartDate"), Qt::LeftButton);
    } else {
      QTest::keyClick(window_.get(), static_cast<Qt::Key>(key));
    }
    QCOMPARE(start_box->text(), new_start);
    QCOMPARE(end_box->text(), new_end);
    QCOMPARE(Status(), QString());
  }

  void date_command_on_an_invalid_date_changes_nothing() {
    Open();
    QLineEdit* start_box = Find("txtStartDate");
    ClickInto(start_box);
    QTest::keyClicks(start_box, "13/45/2007");
    const QString end_before = Find("txtEndDate")->text();
    for (const Qt::Key key : {Qt::Key_F2, Qt::Key_F6}) {
      QTest::keyClick(window_.get(), key);
      QCOMPARE(start_box->text(), QString("13/45/2007"));
      QCOMPARE(Find("txtEndDate")->text(), end_before);
      QVERIFY2(Status().contains("Start Date") && Status().contains("13/45/2007"), qPrintable(Status()));
    }
  }

  void settings_file_round_trip() {
    QVERIFY(QDir(world_->folder.path()).mkdir("sets"));
    const QString file = world_->file("sets/mine.opt");
    Open();
    // The user sets up a run...
    QLineEdit* start_box = Find("txtStartDate");
    ClickInto(start_box);
    QTest::keyClicks(start_box, "03/04/2005");
    ClickInto(Find("txtTZ"));
    QTest::keyClicks(Find("txtTZ"), "-3.5");
    QTest::mouseClick(Find<QCheckBox>("chkP1Planets_0"), Qt::LeftButton);
    QTest::mouseClick(Find<QCheckBox>("chkP3Planets_25"), Qt::LeftButton);
    QTest::mouseClick(Find<QCheckBox>("chkUse_RA"), Qt::LeftButton);
    QTest::mouseClick(Find<QCheckBox>("chkUseP3"), Qt::LeftButton);
    const RunSettings saved = window_->ControlsToSettings();
    QVERIFY(saved.chkP1Planets[0] && saved.chkP3Planets[25] && saved.chkUse_RA && !saved.chkUseP3);

    // ...saves it,
    world_->chooser->answers = {file};
    QTest::keyClick(window_.get(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(world_->chooser->requests.size(), size_t(1));
    const FileRequest& save = world_->chooser->requests[0];
    QCOMPARE(save.mode, FileRequest::Mode::Save);
    QCOMPARE(save.title, QString("Save settings file"));
    QCOMPARE(save.filter, QString("Settings Files (*.opt)"));
    QCOMPARE(save.default_suffix, QString("opt"));
    QCOMPARE(QDir(save.start_folder), QDir(world_->folder.path()));
    QCOMPARE(save.preset_name, QString());
    QVERIFY(QFile::exists(file));

    // ...changes things, among them two the file does not hold,
    QTest::mouseClick(Find<QCheckBox>("chkP1Planets_0"), Qt::LeftButton);
    QTest::mouseClick(Find<QCheckBox>("chkUse_RA"), Qt::LeftButton);
    ClickInto(start_box);
    QTest::keyClicks(start_box, "01/01/2001");
    QTest::mouseClick(Find<QRadioButton>("opt2_ghd_1"), Qt::LeftButton);
    QTest::mouseClick(Find<QCheckBox>("chkDisplayP1_P2P3_mp_aspects"), Qt::LeftButton);

    // ...cancels a load, which changes nothing,
    const RunSettings before_cancel = window_->ControlsToSettings();
    world_->chooser->answers = {std::nullopt};
    QTest::keyClick(window_.get(), Qt::Key_O, Qt::ControlModifier);
    QVERIFY(window_->ControlsToSettings() == before_cancel);
    QCOMPARE(window_->settingsFilePath(), file.toStdString());

    // ...and loads the file again.
    world_->chooser->answers = {file};
    QTest::keyClick(window_.get(), Qt::Key_O, Qt::ControlModifier);
    const FileRequest& load = world_->chooser->requests.back();
    QCOMPARE(load.title, QString("Load settings file"));
    QCOMPARE(QDir(load.start_folder), QDir(world_->file("sets")));
    QCOMPARE(load.preset_name, file);
    RunSettings expected = saved;
    expected.opt2_ghd = Centre::Helio;               // not in the file: kept
    expected.chkDisplayP1_P2P3_mp_aspects = false;   // not in the file: kept
    QVERIFY(window_->ControlsToSettings() == expected);
    QCOMPARE(start_box->text(), QString("03/04/2005"));
    QVERIFY(Find<QCheckBox>("chkP3Planets_25")->isChecked());
  }

  void failed_settings_file_names_the_file_data() {
    QTest::addColumn<bool>("save");
    QTest::newRow("save into a missing folder") << true;
    QTest::newRow("load of a missing file") << false;
  }
  void failed_settings_file_names_the_file() {
    QFETCH(bool, save);
    const QString file = world_->file("missing/x.opt");
    world_->chooser->answers = {file};
    Open();
    const RunSettings before = window_->ControlsToSettings();
    QTest::keyClick(window_.get(), save ? Qt::Key_S : Qt::Key_O, Qt::ControlModifier);
    QMessageBox* box = OpenMessageBox(window_.get());
    QVERIFY(box);
    QVERIFY2(box->text().contains(file), qPrintable(box->text()));
    box->accept();
    QVERIFY(window_->ControlsToSettings() == before);
    QVERIFY(!QFile::exists(file));
  }

  void startup_file_read_at_start_data() {
    QTest::addColumn<int>("order");
    QTest::addColumn<QString>("file");  // "-": no start-up file
    QTest::addColumn<QStringList>("texts");  // start, end, start time, end time, time zone
    QTest::addColumn<QString>("settings_file");
    const QStringList defaults{"02/01/2024", "02/29/2024", "10:00", "10:59", "5"};
    QTest::newRow("missing file, month/day/year") << 0 << "-" << defaults << "";
    QTest::newRow("missing file, day/month/year")
        << 1 << "-" << QStringList{"01/02/2024", "29/02/2024", "10:00", "10:59", "5"} << "";
    QTest::newRow("missing file, year/month/day")
        << 2 << "-" << QStringList{"2024/02/01", "2024/02/29", "10:00", "10:59", "5"} << "";
    QTest::newRow("a single value changes only its box")
        << 0 << "end_date=12/24/2009\r\n"
        << QStringList{"02/01/2024", "12/24/2009", "10:00", "10:59", "5"} << "";
    QTest::newRow("empty value ignored, key over its length, value holding =")
        << 0 << "start_date=\r\nstart_dates=1/1/2000\r\ntime_zone=-5=x\r\n"
        << QStringList{"1/1/2000", "02/29/2024", "10:00", "10:59", "-5=x"} << "";
    QTest::newRow("any order, no header, LF line ends")
        << 0 << "OutputNameFileOPTFile=/home/me/my.opt\nend_time=11:30\nstart_time=09:15\n"
        << QStringList{"02/01/2024", "02/29/2024", "09:15", "11:30", "5"} << "/home/me/my.opt";
  }
  void startup_file_read_at_start() {
    QFETCH(int, order);
    QFETCH(QString, file);
    QFETCH(QStringList, texts);
    QFETCH(QString, settings_file);
    world_->regional.order = static_cast<DateOrder>(order);
    if (file != "-") Write(world_->file("Quillmere.ini"), file.toStdString());
    Open();
    const char* boxes[] = {"txtStartDate", "txtEndDate", "txtStartTime", "txtEndTime", "txtTZ"};
    for (int i = 0; i < 5; ++i) QCOMPARE(Find(boxes[i])->text(), texts[i]);
    QVERIFY(QDir(world_->file("data")).exists());  // the data folder is made at start
    // The remembered settings file is offered by the next dialog.
    world_->chooser->answers = {std::nullopt};
    QTest::keyClick(window_.get(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(world_->chooser->requests.back().preset_name, settings_file);
  }

  void startup_file_written_at_exit() {
    Open();
    QLineEdit* tz = Find("txtTZ");
    ClickInto(tz);
    QTest::keyClicks(tz, "-3");
    QVERIFY(window_->close());
    QVERIFY(window_->shutdownProblem().isEmpty());
    const FileRead read = ReadWholeFile(world_->path() / "Quillmere.ini");
    QVERIFY(read.ok);
    QCOMPARE(QString::fromStdString(read.bytes),
             QString("[Quillmere] - Do NOT change the order of these variables.\r\n"
                     "start_date=02/01/2024\r\nend_date=02/29/2024\r\nstart_time=10:00\r\n"
                     "end_time=10:59\r\ntime_zone=-3\r\nOutputNameFileOPTFile=\r\n"));
  }

  void failed_startup_file_is_reported_and_the_window_closes() {
    // A folder where the file should be: it cannot be replaced.
    QVERIFY(QDir(world_->folder.path()).mkdir("Quillmere.ini"));
    Open();
    QVERIFY(window_->close());
    QVERIFY2(window_->shutdownProblem().contains(world_->file("Quillmere.ini")),
             qPrintable(window_->shutdownProblem()));
  }

  void placement_keeps_the_top_edge_on_the_screen_data() {
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QSize>("frame");
    QTest::addColumn<QPoint>("top_left");
    QTest::newRow("tall screen: bottom on the bottom") << QRect(0, 0, 1920, 1080) << QSize(760, 950) << QPoint(57, 130);
    QTest::newRow("short screen: top on the top") << QRect(0, 0, 1366, 768) << QSize(760, 950) << QPoint(57, 0);
    QTest::newRow("panel above the available area") << QRect(0, 30, 1280, 994) << QSize(760, 950) << QPoint(57, 74);
    QTest::newRow("narrow screen: left edge stays on it") << QRect(0, 0, 700, 1080) << QSize(760, 950) << QPoint(0, 130);
    QTest::newRow("second screen to the right") << QRect(1920, 0, 1280, 720) << QSize(760, 950) << QPoint(1977, 0);
  }
  void placement_keeps_the_top_edge_on_the_screen() {
    QFETCH(QRect, available);
    QFETCH(QSize, frame);
    QFETCH(QPoint, top_left);
    QCOMPARE(BottomPlacement(available, frame, TwipsToPixels(855)), top_left);
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
