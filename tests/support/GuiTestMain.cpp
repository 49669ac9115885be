// main() for tests that need real widgets or the WebEngine browser (offscreen platform).

#include <unistd.h>

#include <QApplication>

#include <gtest/gtest.h>

// LeakSanitizer: WebEngine, fontconfig and udev keep process-wide allocations to the end;
// they are not ours to free.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libQt6WebEngineCore.so\n"
         "leak:libfontconfig.so\n"
         "leak:libudev.so\n";
}

// AddressSanitizer: Chromium inside WebEngine frees some objects with a sized delete of a base
// class type, which the check reports on every page's destruction; it cannot be limited to
// that library, so GUI tests go without it (logic tests keep it).
extern "C" const char* __asan_default_options() { return "new_delete_type_mismatch=0"; }

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // Test discovery runs without the test environment, so it may have no display to open.
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  // CTest's list-valued ENVIRONMENT property does not reliably carry both variables, so
  // the defaults are set here as well. WebEngine refuses to start as root with its sandbox.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX")) {
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  }
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
