#pragma once
// Text and fonts need a Qt application; the tests draw on the offscreen platform.
#include <QGuiApplication>
#include <cstdlib>

namespace aismon {

inline void EnsureGuiApp() {
  if (QGuiApplication::instance() != nullptr) return;
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "aismon_tests";
  static char* argv[] = {name, nullptr};
  static QGuiApplication app(argc, argv);
}

}  // namespace aismon
