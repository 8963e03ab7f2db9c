// keldaro: the desktop program.
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QScreen>
#include <QStandardPaths>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "app/config_file.h"
#include "app/program.h"
#include "app/qt_file_chooser.h"
#include "app/qt_notifier.h"

namespace {

constexpr const char* kUsage =
    "Usage: keldaro [--help] [--version]\n"
    "Keldaro Utility: configure and service a price-computing scale with a receipt printer over\n"
    "a serial port: its PLU table, settings, clock, sales report, receipt logo and metrology\n"
    "parameters, and its keypad and display from the PC.\n"
    "\n"
    "  --help       show this text\n"
    "  --version    show the version\n"
    "\n"
    "Environment:\n"
    "  KELDARO_COMn   the device of port \"COM\"n (for example KELDARO_COM1=/dev/ttyUSB0);\n"
    "                 without it COMn is /dev/ttyS<n-1>\n"
    "\n"
    "Files:\n"
    "  ~/.config/keldaro/keldaro.CFG   the port, line speed and settings last used\n"
    "\n"
    "Serial ports need membership of the dialout group. keldaro-cli does every scale operation\n"
    "from a shell; keldaro-sim is a virtual scale to try the program without one.\n";

// --help and --version are answered before Qt starts, so they need no display.
bool AnsweredFromTheCommandLine(int argc, char** argv, int& exit_code) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      exit_code = 0;
      return true;
    }
    if (arg == "--version") {
      std::printf("keldaro %s\n", KELDARO_VERSION);
      exit_code = 0;
      return true;
    }
  }
  return false;
}

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
  if (int exit_code = 0; AnsweredFromTheCommandLine(argc, argv, exit_code)) return exit_code;
  if (!HasDisplay()) {
    std::fputs("keldaro: no display: run it under xvfb-run, or use keldaro-cli\n", stderr);
    return 1;
  }
  QApplication application(argc, argv);
  // The configuration folder is named after the program: ~/.config/keldaro/.
  QApplication::setApplicationName(QStringLiteral("keldaro"));
  // Qt's own dialog texts (file chooser, message box buttons) in the user's language, from the
  // translations the system ships for Qt; without them they stay in English.
  QTranslator qt_texts;
  if (qt_texts.load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(&qt_texts);
  }

  keldaro::app::QtNotifier notifier;
  keldaro::app::QtFileChooser files;
  keldaro::ui::SystemClock clock;
  const QChar separator = QLocale::system().decimalPoint().at(0);
  keldaro::ui::OutcomeRelay outcomes;
  keldaro::app::Program program({notifier, files, clock, separator, outcomes},
                                keldaro::app::ConfigFilePath(QStandardPaths::writableLocation(
                                    QStandardPaths::AppConfigLocation)));

  keldaro::app::MainWindow& main_window = program.form1();
  notifier.SetParent(&main_window);
  files.SetParent(&main_window);
  outcomes.Attach(&main_window);
  main_window.show();
  if (const QScreen* screen = main_window.screen()) {
    main_window.move(screen->availableGeometry().center() - main_window.rect().center());
  }
  return application.exec();
}
