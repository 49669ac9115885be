// main() for tests that need real widgets or the WebEngine browser (offscreen platform).

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>

// Under AddressSanitizer: the Chromium inside Qt WebEngine frees some of its own objects with
// a sized delete of a base type, and it, fontconfig and udev keep allocations for the life of
// the process. None of it is ours; reported, it would fail every browser test.
extern "C" const char* __asan_default_options() { return "new_delete_type_mismatch=0"; }
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libQt6WebEngineCore.so\nleak:libfontconfig.so\nleak:libudev.so\n";
}

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
