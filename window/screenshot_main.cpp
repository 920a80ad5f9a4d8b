// tarnwick-screenshot: renders the main window after a run of the initial settings (December
// 2007, triple aspects) into a PNG for the README. Uses Qt's offscreen platform unless
// another is asked for, and a scratch program folder, so it touches no user file.
//   tarnwick-screenshot docs/screenshot.png
//   tarnwick-screenshot --screen docs/screen.png   the whole screen, the window placed as at a
//                                                  first start (for a real X server: Xvfb and
//                                                  a window manager), once it has settled
//   tarnwick-screenshot --notation text docs/t.png  the table in glyphs, text or the report's numbers
//   tarnwick-screenshot --tab graph --span 01/01/2027 12/31/2027 docs/g.png
//                                   the Graph tab after a two-body run of Sun to Pluto (but
//                                   the Moon) over that span (--declination: the declination
//                                   run, the Moon included)
#include <QAction>
#include <QApplication>
#include <QPixmap>
#include <QScreen>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <iostream>
#include <string_view>

#include "core/program_folder.h"
#include "core/swiss_ephemeris.h"
#include "window/main_window.h"

int main(int argc, char** argv) {
  using namespace tarnwick;
  // Options before the output file: --screen, and --notation glyphs|text|numbers for the
  // table's notation (View > Notation).
  bool whole_screen = false, declination = false;
  QString notation, tab, span_start, span_end;
  int i = 1;
  for (; i + 1 < argc; ++i) {
    const std::string_view arg(argv[i]);
    if (arg == "--screen") {
      whole_screen = true;
    } else if (arg == "--notation" && i + 2 < argc) {
      notation = QString::fromLocal8Bit(argv[++i]);
    } else if (arg == "--tab" && i + 2 < argc) {
      tab = QString::fromLocal8Bit(argv[++i]);
    } else if (arg == "--span" && i + 3 < argc) {
      span_start = QString::fromLocal8Bit(argv[++i]);
      span_end = QString::fromLocal8Bit(argv[++i]);
    } else if (arg == "--declination") {
      declination = true;
    } else {
      break;
    }
  }
  const QStringList tabs = {"table", "report", "notices", "graph"};
  if (i != argc - 1 || !(notation.isEmpty() || notation == "glyphs" || notation == "text" || notation == "numbers") ||
      !(tab.isEmpty() || tabs.contains(tab))) {
    std::cerr << "usage: tarnwick-screenshot [--screen] [--notation glyphs|text|numbers] "
                 "[--tab table|report|notices|graph] [--span START END] [--declination] OUTPUT.png\n";
    return 2;
  }
  const char* output = argv[argc - 1];
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QTemporaryDir folder;
  const std::filesystem::path scratch = folder.path().toStdString();

  WindowWorld world;
  world.today = [] { return CalendarDate{12, 15, 2007}; };  // the span of the initial settings
  world.files = LocateProgramFiles(scratch, true, [](std::string_view) { return std::optional<std::string>(); });
  world.chooser = std::make_shared<DialogFileChooser>();
  world.provider_factory = [path = EphemerisSearchPath(ProgramFolder())] {
    return std::make_unique<SwissEphemeris>(path);
  };
  world.threads = 2;
  MainWindow window(std::move(world));
  window.ShowPlaced();
  if (!notation.isEmpty()) {
    const QString name = notation == "glyphs" ? "mnuNotationGlyphs" : notation == "text" ? "mnuNotationText" : "mnuNotationNumbers";
    window.findChild<QAction*>(name)->trigger();
  }

  if (!span_start.isEmpty()) {
    RunSettings settings = window.ControlsToSettings();
    settings.txtStartDate = span_start.toStdString();
    settings.txtEndDate = span_end.toStdString();
    settings.chkUseP3 = false;
    for (int b = 0; b < BodyCount; ++b) {
      const auto at = static_cast<size_t>(b);
      // Sun to Pluto; in longitude without the Moon, whose year of lines is a solid band.
      settings.chkP1Planets[at] = settings.chkP2Planets[at] = b <= 9 && (declination || b != 1);
    }
    window.SettingsToControls(settings);
  }
  if (!tab.isEmpty()) {
    const char* names[] = {"mnuViewTable", "mnuViewReport", "mnuViewNotices", "mnuViewGraph"};
    window.findChild<QAction*>(QString::fromLatin1(names[tabs.indexOf(tab)]))->trigger();
  }
  window.findChild<QPushButton*>(declination ? QStringLiteral("cmdAspectarian_declination")
                                             : QStringLiteral("cmdAspectarian"))->click();
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (window.running()) return;
    poll.stop();
    // A moment for the window manager to frame and place the window.
    QTimer::singleShot(whole_screen ? 1500 : 0, [&] {
      const QPixmap picture = whole_screen ? window.screen()->grabWindow(0) : window.grab();
      const bool saved = picture.save(QString::fromLocal8Bit(output));
      if (!saved) std::cerr << "tarnwick-screenshot: could not write " << output << "\n";
      const QRect frame = window.frameGeometry(), screen = window.screen()->availableGeometry();
      std::cout << "window frame " << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height()
                << ", available " << screen.width() << "x" << screen.height() << " at " << screen.x() << "," << screen.y()
                << ", device pixel ratio " << window.devicePixelRatioF()
                << (screen.contains(frame) ? ": fits\n" : ": DOES NOT FIT\n");
      app.exit(saved ? 0 : 1);
    });
  });
  poll.start(50);
  return app.exec();
}
