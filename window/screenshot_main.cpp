// tarnwick-screenshot: renders the main window after a run of the initial settings (December
// 2007, triple aspects) into a PNG for the README. Uses Qt's offscreen platform unless
// another is asked for, and a scratch program folder, so it touches no user file.
//   tarnwick-screenshot docs/screenshot.png
#include <QApplication>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <iostream>

#include "core/program_folder.h"
#include "core/swiss_ephemeris.h"
#include "window/main_window.h"

int main(int argc, char** argv) {
  using namespace tarnwick;
  if (argc != 2) {
    std::cerr << "usage: tarnwick-screenshot OUTPUT.png\n";
    return 2;
  }
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
  window.show();

  window.findChild<QPushButton*>(QStringLiteral("cmdAspectarian"))->click();
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (window.running()) return;
    poll.stop();
    const bool saved = window.grab().save(QString::fromLocal8Bit(argv[1]));
    if (!saved) std::cerr << "tarnwick-screenshot: could not write " << argv[1] << "\n";
    app.exit(saved ? 0 : 1);
  });
  poll.start(50);
  return app.exec();
}
