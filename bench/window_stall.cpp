// The window's longest stall during a large run: the main window on the offscreen platform,
// a run started by its command, and a timer ticking every 5 ms on the window's own thread.
// The longest time between two ticks is the longest the window did not answer a click. Printed
// apart for the computing phase (before the progress bar reaches 100%) and after it (the
// report built, shown and saved), with the time after 100% until the run ended.
//
//   QT_QPA_PLATFORM=offscreen build/bin/tarnwick-window-stall [START END [cancel]]
//
// START, END: the span (default 01/01/2008 and 12/31/2008), triple aspects of the Moon to
// the midpoints of every pair of bodies: about 80,000 lines a year. With "cancel", Cancel is clicked as the bar reaches
// 100% and the time the window took to end the run is printed as well.
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "core/program_folder.h"
#include "core/swiss_ephemeris.h"
#include "window/main_window.h"

using namespace tarnwick;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QStringList args = app.arguments();
  QTemporaryDir folder;
  WindowWorld world;
  world.today = [] { return CalendarDate{2, 14, 2024}; };
  world.files = LocateProgramFiles(folder.path().toStdString(), true,
                                   [](std::string_view) { return std::optional<std::string>(); });
  world.chooser = nullptr;
  world.provider_factory = [] { return std::make_unique<SwissEphemeris>(EphemerisSearchPath(ProgramFolder())); };
  world.threads = 2;
  MainWindow window(world);
  window.show();

  RunSettings s;
  s.txtStartDate = args.size() > 2 ? args[1].toStdString() : "01/01/2008";
  s.txtEndDate = args.size() > 2 ? args[2].toStdString() : "12/31/2008";
  s.chkP1Planets = BodySelection{};
  s.chkP1Planets[idxMoon] = true;
  s.chkP2Planets.fill(true);
  s.chkP3Planets.fill(true);
  const bool cancel = args.size() > 3 && args[3] == "cancel";
  window.SettingsToControls(s);

  auto* bar = window.findChild<QProgressBar*>("prgRun");
  auto* cancel_button = window.findChild<QPushButton*>("cmdCancel");
  QElapsedTimer clock;
  qint64 last = 0, longest_computing = 0, longest_after = 0, at_full = -1, cancelled_at = -1;
  QString longest_after_status;  // the status line as that stall ended: the phase it was in
  QTimer tick;
  tick.setInterval(5);
  QObject::connect(&tick, &QTimer::timeout, [&] {
    const qint64 now = clock.elapsed();
    const qint64 gap = now - last;
    last = now;
    if (at_full < 0) longest_computing = std::max(longest_computing, gap);
    else if (gap > longest_after) {
      longest_after = gap;
      longest_after_status = window.findChild<QLabel*>("lblStatus")->text().left(40);
    }
    if (at_full < 0 && bar->value() >= 1000) {
      at_full = now;
      if (cancel) {
        cancelled_at = now;
        cancel_button->click();
      }
    }
    if (!window.running()) app.quit();
  });
  QTimer::singleShot(0, [&] {
    clock.start();
    tick.start();
    window.findChild<QPushButton*>("cmdAspectarian")->click();
  });
  app.exec();
  const qint64 end = clock.elapsed();
  std::printf("run %s - %s: %lld ms, 100%% after %lld ms\n", s.txtStartDate.c_str(), s.txtEndDate.c_str(),
              static_cast<long long>(end), static_cast<long long>(at_full));
  std::printf("longest stall computing: %lld ms\n", static_cast<long long>(longest_computing));
  std::printf("longest stall after 100%%: %lld ms (ending at \"%s\"); after 100%% until the end: %lld ms\n",
              static_cast<long long>(longest_after), longest_after_status.toUtf8().constData(),
              static_cast<long long>(end - at_full));
  if (cancel) std::printf("Cancel at 100%% ended the run after %lld ms\n", static_cast<long long>(end - cancelled_at));
  std::printf("pane: %d lines\n", window.findChild<QPlainTextEdit*>("txtResults")->blockCount());
  std::printf("status: %s\n", window.findChild<QLabel*>("lblStatus")->text().left(200).toUtf8().constData());
  return 0;
}
