// keldaro: the desktop program.
#include <QApplication>
#include <QLocale>
#include <QScreen>
#include <QStandardPaths>
#include <cstdio>
#include <cstdlib>

#include "app/program.h"
#include "app/qt_file_chooser.h"
#include "app/qt_notifier.h"
#include "settings/config_file.h"

namespace {

// Without a display Qt would abort with its own, less helpful message.
bool HasDisplay() {
  const auto set = [](const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
  };
  return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
}

}  // namespace

int main(int argc, char** argv) {
  if (!HasDisplay()) {
    std::fputs("keldaro: no display: run it under xvfb-run, or use keldaro-cli\n", stderr);
    return 1;
  }
  QApplication application(argc, argv);
  // The configuration folder is named after the program: ~/.config/keldaro/.
  QApplication::setApplicationName(QStringLiteral("keldaro"));

  keldaro::app::QtNotifier notifier;
  keldaro::app::QtFileChooser files;
  keldaro::ui::SystemClock clock;
  const QChar separator = QLocale::system().decimalPoint().at(0);
  keldaro::app::Program program({notifier, files, clock, separator},
                                keldaro::settings::ConfigFilePath(QStandardPaths::writableLocation(
                                    QStandardPaths::AppConfigLocation)));

  keldaro::app::MainWindow& main_window = program.form1();
  notifier.SetParent(&main_window);
  files.SetParent(&main_window);
  main_window.show();
  if (const QScreen* screen = main_window.screen()) {
    main_window.move(screen->availableGeometry().center() - main_window.rect().center());
  }
  return application.exec();
}
