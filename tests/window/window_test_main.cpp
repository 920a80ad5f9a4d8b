// The window tests' program: `window_test <Class> [Qt Test options]` runs the test class of
// that name as QTEST_MAIN would; without a known class it lists them.
#include <cstdio>

#include "window_fixture.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  app.setAttribute(Qt::AA_Use96Dpi, true);
  const auto& classes = tarnwick::WindowTestClasses();
  const auto found = argc > 1 ? classes.find(argv[1]) : classes.end();
  if (found == classes.end()) {
    std::fprintf(stderr, "usage: %s <class> [Qt Test options]; the classes:\n", argv[0]);
    for (const auto& entry : classes) std::fprintf(stderr, "  %s\n", entry.first.c_str());
    return 2;
  }
  const std::unique_ptr<QObject> test = found->second();
  // Qt Test reads its options after the program name: the class name takes that place.
  argv[1] = argv[0];
  return QTest::qExec(test.get(), argc - 1, argv + 1);
}
