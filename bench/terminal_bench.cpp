// Times the terminal window against a virtual scale paced at 9600 baud: the display poll's own
// exchange, the interval between polls while the window is active, and how long a key pressed
// at a random moment waits before its command is done (at most the poll in hand, then its own
// exchange).
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>
#include <vector>

#include "app/program.h"
#include "bench_support.h"
#include "link/commands.h"
#include "sim/virtual_scale.h"
#include "terminal/terminal_runs.h"

namespace {

class NoFiles : public keldaro::ui::FileChooser {
 public:
  QString OpenFileName(const keldaro::ui::FileDialogOptions&) override { return {}; }
  QString SaveFileName(const keldaro::ui::FileDialogOptions&) override { return {}; }
};

double Ms(const QElapsedTimer& timer) { return static_cast<double>(timer.nsecsElapsed()) / 1e6; }

void RunEventsFor(int ms) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

double Percentile(std::vector<double> values, double p) {
  std::sort(values.begin(), values.end());
  return values[static_cast<std::size_t>(p * static_cast<double>(values.size() - 1))];
}

constexpr int kPollSeconds = 5;
constexpr int kKeys = 40;

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);

  const std::unique_ptr<keldaro::sim::VirtualScale> scale = keldaro::bench::StartPacedScale();
  if (!scale) return 1;
  qputenv("KELDARO_COM1", QByteArray::fromStdString(scale->SlavePath()));

  keldaro::bench::StderrNotifier notifier;
  NoFiles files;
  keldaro::ui::SystemClock clock;
  keldaro::ui::OutcomeRelay outcomes;  // attached to nothing: the outcomes go unseen
  const QTemporaryDir config_dir;
  keldaro::app::Program program({notifier, files, clock, '.', outcomes},
                                config_dir.filePath(QStringLiteral("keldaro.CFG")));
  keldaro::app::MainWindow& window = program.form1();
  window.show();
  window.ComboBox1->setCurrentText("9600");
  window.Button11Click();
  if (!program.session().IsConnected()) return 1;

  // One poll's exchange on its own.
  std::vector<double> exchange_ms;
  for (int i = 0; i < 10; ++i) {
    QElapsedTimer timer;
    timer.start();
    program.session().packet().Clear();
    if (!program.session().ExecuteQuietly(keldaro::cmd::kDisplayPoll)) return 1;
    exchange_ms.push_back(Ms(timer));
  }

  std::vector<double> key_exchange_ms;
  for (int i = 0; i < 10; ++i) {
    QElapsedTimer timer;
    timer.start();
    if (!keldaro::terminal::SendKey(program.session(), 0x43)) return 1;
    key_exchange_ms.push_back(Ms(timer));
  }

  keldaro::terminal::TerminalWindow& terminal = program.form3();
  window.Button16Click();
  QElapsedTimer wait;
  wait.start();
  while (!terminal.isActiveWindow() && wait.elapsed() < 5000) {
    QCoreApplication::processEvents();
  }
  if (!terminal.Timer1->isActive()) {
    std::fprintf(stderr, "the terminal window did not start polling\n");
    return 1;
  }

  // Polls counted from the scale's side over a few seconds of an idle, active window.
  scale->ClearLog();
  RunEventsFor(kPollSeconds * 1000);
  const int polls = static_cast<int>(scale->Requests().size());
  const double interval_ms = kPollSeconds * 1000.0 / polls;

  // Keys pressed at random moments while the window polls: from the moment the key was due to
  // the end of its command.
  std::mt19937 random(7);
  std::uniform_int_distribution<int> offset_ms(0, 150);
  std::vector<double> key_ms;
  for (int i = 0; i < kKeys; ++i) {
    const int offset = offset_ms(random);
    QElapsedTimer started;
    bool done = false;
    QTimer::singleShot(offset, Qt::PreciseTimer, &terminal, [&] {
      terminal.FormKeyDown(0x43);  // "C": clears the entry, harmless
      key_ms.push_back(Ms(started) - offset);
      done = true;
    });
    started.start();
    while (!done) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  if (notifier.errors > 0) return 1;

  const double exchange = Percentile(exchange_ms, 0.5);
  std::printf("terminal window against the virtual scale paced at 9600 baud\n");
  std::printf("  one display poll's exchange (median of 10): %.1f ms\n", exchange);
  std::printf("  one key command's exchange (median of 10): %.1f ms\n",
              Percentile(key_exchange_ms, 0.5));
  std::printf("  polls while active: %d in %d s, one every %.1f ms (timer 100 ms + exchange)\n",
              polls, kPollSeconds, interval_ms);
  std::printf("  key latency over %d keys at random moments: median %.1f ms, max %.1f ms\n", kKeys,
              Percentile(key_ms, 0.5), Percentile(key_ms, 1.0));
  return 0;
}
