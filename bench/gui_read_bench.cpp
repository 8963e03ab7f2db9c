// Times the desktop program: start-up to the shown main window, and a full PLU read (PLU 0,
// PLU 1800 and the range 1..1799, 1801 transactions) through "Terazi'den yükle" against an
// unpaced virtual scale, beside the same read with no window at all.
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/program.h"
#include "bench_support.h"
#include "sim/virtual_scale.h"

namespace {

class NoFiles : public keldaro::ui::FileChooser {
 public:
  QString OpenFileName(const keldaro::ui::FileDialogOptions&) override { return {}; }
  QString SaveFileName(const keldaro::ui::FileDialogOptions&) override { return {}; }
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

constexpr int kRuns = 5;

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QElapsedTimer startup;
  startup.start();
  QApplication application(argc, argv);

  keldaro::sim::VirtualScale scale;
  std::string error;
  if (!scale.Start(&error)) {
    std::fprintf(stderr, "virtual scale: %s\n", error.c_str());
    return 1;
  }
  keldaro::bench::FillEveryPlu(scale, [](int n) { return 100 + n; });
  qputenv("KELDARO_COM1", QByteArray::fromStdString(scale.SlavePath()));

  keldaro::bench::StderrNotifier notifier;
  NoFiles files;
  keldaro::ui::SystemClock clock;
  keldaro::ui::OutcomeRelay outcomes;  // attached to nothing: the outcomes go unseen
  const QTemporaryDir config_dir;      // the bench leaves the user's configuration alone
  keldaro::app::Program program({notifier, files, clock, '.', outcomes},
                                config_dir.filePath(QStringLiteral("keldaro.CFG")));
  keldaro::app::MainWindow& window = program.form1();
  window.show();
  while (window.windowHandle() == nullptr || !window.windowHandle()->isExposed()) {
    QCoreApplication::processEvents();
  }
  const double startup_ms = static_cast<double>(startup.nsecsElapsed()) / 1e6;

  window.ComboBox1->setCurrentText("115200");
  window.Button11Click();
  if (!program.session().IsConnected()) return 1;

  keldaro::plu::PluTab& tab = *window.TabSheet1;
  tab.Button12Click();
  std::vector<double> gui_ms;
  std::vector<double> bare_ms;
  for (int run = 0; run < kRuns; ++run) {
    tab.Button17Click();
    QElapsedTimer timer;
    timer.start();
    tab.Button7Click();
    gui_ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);

    keldaro::plu::PluSheet sheet;
    keldaro::transfer::SilentProgress progress;
    timer.restart();
    keldaro::plu::ReadRange(program.session(), sheet, {1, 1799}, progress, '.', false);
    bare_ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
  }
  if (notifier.errors > 0 || tab.sheet().Cell(1801, keldaro::plu::kNo) != "1799") {
    std::fprintf(stderr, "the read did not fill the grid\n");
    return 1;
  }

  const double gui = Median(gui_ms);
  const double bare = Median(bare_ms);
  std::printf("start-up to shown main window: %.1f ms\n", startup_ms);
  std::printf("full PLU read, 1801 records, median of %d runs:\n", kRuns);
  std::printf("  GUI (Button7Click, dialog and grid): %.1f ms (%.1f us per record)\n", gui,
              gui * 1000 / 1801);
  std::printf("  no window (ReadRange alone):         %.1f ms (%.1f us per record)\n", bare,
              bare * 1000 / 1801);
  std::printf("  GUI / no window: %.2f\n", gui / bare);
  return 0;
}
