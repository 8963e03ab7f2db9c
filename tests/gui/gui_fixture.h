// The whole program on the offscreen platform, with a virtual scale behind COM1 and recorders
// in place of message boxes, file dialogs and the clock.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <deque>
#include <memory>

#include "app/program.h"
#include "sim/virtual_scale.h"
#include "support/recording_notifier.h"
#include "support/separators.h"
#include "ui/refusal_sign.h"

namespace keldaro::gui_testing {

// Answers each dialog with the next queued name (an empty name is a cancel), and keeps the
// dialogs it was shown.
class ScriptedFileChooser : public ui::FileChooser {
 public:
  QString OpenFileName(const ui::FileDialogOptions& dialog) override { return Next(dialog); }
  QString SaveFileName(const ui::FileDialogOptions& dialog) override { return Next(dialog); }

  std::deque<QString> answers;
  std::vector<ui::FileDialogOptions> shown;

 private:
  QString Next(const ui::FileDialogOptions& dialog) {
    shown.push_back(dialog);
    if (answers.empty()) return {};
    QString name = answers.front();
    answers.pop_front();
    return name;
  }
};

class FixedClock : public ui::Clock {
 public:
  QDateTime Now() const override { return now; }
  QDateTime now{QDate(2026, 12, 7), QTime(14, 5, 9)};
};

// Keeps every outcome the windows said, in order.
class RecordingOutcomes : public ui::OutcomeNote {
 public:
  void Show(const QString& text) override { shown.push_back(text); }
  QString Last() const { return shown.empty() ? QStringLiteral("(none)") : shown.back(); }
  std::vector<QString> shown;
};

class GuiTest : public ::testing::Test {
 protected:
  // Starts the scale and points COM1 at it; the program is created by MakeProgram so a test can
  // choose the decimal separator.
  void StartScale(sim::ScaleOptions options = {}) {
    scale = std::make_unique<sim::VirtualScale>(options);
    std::string error;
    ASSERT_TRUE(scale->Start(&error)) << error;
    qputenv("KELDARO_COM1", QByteArray::fromStdString(scale->SlavePath()));
  }

  void MakeProgram(QChar separator = '.') {
    program = std::make_unique<app::Program>(
        ui::Services{notifier, files, clock, separator, outcomes}, ConfigFile());
    // A silent scale costs three of these waits; the program's own is 1100 ms.
    program->session().SetReadTimeout(std::chrono::milliseconds(100));
    program->form1().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&program->form1()));
  }

  void SetUp() override {
    StartScale();
    MakeProgram();
  }

  // Where a test of what the buttons send starts: the program built and connected to the scale,
  // whose log holds nothing yet.
  void StartConnected(QChar separator = '.') {
    StartScale();
    MakeProgram(separator);
    ConnectToScale();
    scale->ClearLog();
  }

  void TearDown() override {
    program.reset();
    scale.reset();
  }

  app::MainWindow& form1() { return program->form1(); }
  plu::PluTab& plu_tab() { return *program->form1().TabSheet1; }
  plu::PluSheet& sheet() { return plu_tab().sheet(); }
  void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }

  // Clicks `button` as soon as `shown` appears: at a run's first pause between commands, where
  // a user's click is seen.
  void ClickWhenShown(QWidget* shown, QPushButton* button) {
    click_on_show_.button = button;
    shown->installEventFilter(&click_on_show_);
  }

  // Selects the cell and opens its editor, as a double click does.
  static QLineEdit* OpenCellEditor(QAbstractItemView* grid, const QModelIndex& cell) {
    grid->setFocus();
    grid->setCurrentIndex(cell);
    grid->edit(cell);
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    EXPECT_NE(editor, nullptr);
    return editor;
  }

  // The text of the note a refused keystroke shows, or "(none)" while no note is shown.
  QString RefusalNote() {
    auto* note = form1().findChild<QLabel*>(ui::kRefusalNoteName);
    return note != nullptr && note->isVisible() ? note->text() : QStringLiteral("(none)");
  }

  void ConnectToScale() {
    Click(form1().Button11);
    ASSERT_TRUE(program->session().IsConnected()) << LastError();
  }

  std::string LastError() const {
    return notifier.errors.empty() ? "(no message)" : notifier.errors.back().text;
  }

  // How many requests of `code` the scale has received.
  int RequestCount(std::uint8_t code) const {
    int n = 0;
    for (const sim::ReceivedRequest& r : scale->Requests()) n += r.code == code ? 1 : 0;
    return n;
  }

  // The program's configuration file, in a folder of the test's own: the tests never read or
  // write the user's.
  QString ConfigFile() const { return config_dir.filePath(QStringLiteral("keldaro.CFG")); }

  QTemporaryDir config_dir;
  keldaro::testing::RecordingNotifier notifier;
  ScriptedFileChooser files;
  FixedClock clock;
  RecordingOutcomes outcomes;
  std::unique_ptr<sim::VirtualScale> scale;
  std::unique_ptr<app::Program> program;

 private:
  struct ClickOnShow : QObject {
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::Show && button != nullptr) {
        QPushButton* stop = button;
        button = nullptr;
        QTimer::singleShot(0, stop, [stop] { QTest::mouseClick(stop, Qt::LeftButton); });
      }
      return false;
    }
    QPushButton* button = nullptr;
  } click_on_show_;
};

}  // namespace keldaro::gui_testing
