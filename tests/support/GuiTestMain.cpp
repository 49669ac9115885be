// main() for tests that need real widgets or the WebEngine browser (offscreen platform).

#include <QApplication>

#include <gtest/gtest.h>

// Under AddressSanitizer: the Chromium inside Qt WebEngine frees some of its own objects with
// a sized delete of a base type, and it and fontconfig keep allocations for the life of the
// process. None of it is ours; reported, it would fail every browser test.
extern "C" const char* __asan_default_options() { return "new_delete_type_mismatch=0"; }
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libQt6WebEngineCore.so\nleak:libfontconfig.so\n";
}

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // ctest lists the cases without the test environment, so default it here as well.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX")) {
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  }
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
