// tarnwick: the desktop program. Reads the world once (the clock, the regional format, where
// the program's files live), opens the main window and, at the end, tells the user if the
// start-up file could not be saved (or, read-only, was left as it was).
#include <QApplication>
#include <QDate>
#include <QMessageBox>
#include <clocale>
#include <iostream>
#include <thread>

#include "core/program_folder.h"
#include "core/swiss_ephemeris.h"
#include "store/atomic_file.h"
#include "store/program_files.h"
#include "store/regional_settings.h"
#include "window/main_window.h"

int main(int argc, char** argv) {
  using namespace tarnwick;
  RemoveTemporaryFilesOnSignals();  // Ctrl+C in the terminal or a log-out during a save
  QApplication app(argc, argv);
  // QApplication has set the C locale from the environment. Our own conversions ignore it,
  // but the Swiss Ephemeris writes numbers into its messages with printf: under a decimal
  // comma they would read "2817000,5". Dates and the decimal sign a box accepts come from
  // the environment through Get_Regional_Settings, which does not use the global locale.
  std::setlocale(LC_NUMERIC, "C");
  QApplication::setApplicationName(QStringLiteral("Tarnwick"));

  const std::filesystem::path program_folder = ProgramFolder();
  WindowWorld world;
  world.today = [] {
    const QDate d = QDate::currentDate();
    return CalendarDate{d.month(), d.day(), d.year()};
  };
  world.regional = Get_Regional_Settings();
  world.files = LocateProgramFiles(program_folder, IsWritableFolder(program_folder), ProcessEnvironment());
  world.chooser = std::make_shared<DialogFileChooser>();
  world.provider_factory = [path = world.files.ephemeris_path] {
    return std::make_unique<SwissEphemeris>(path);
  };
  world.threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));

  MainWindow window(std::move(world));
  window.ShowPlaced();
  const int status = app.exec();

  if (!window.shutdownNotice().isEmpty()) {
    std::cerr << "tarnwick: " << window.shutdownNotice().toStdString() << "\n";
  }
  if (!window.shutdownProblem().isEmpty()) {
    std::cerr << "tarnwick: " << window.shutdownProblem().toStdString() << "\n";
    QMessageBox::warning(nullptr, QStringLiteral("Tarnwick"),
                         QStringLiteral("The start-up file was not saved; the span, times and time "
                                        "zone of this session will not be offered next time.\n\n") +
                             window.shutdownProblem());
  }
  return status;
}
