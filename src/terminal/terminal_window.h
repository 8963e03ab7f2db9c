// The terminal window (Form3, "TERMINAL"): a copy of the scale's keypad whose thirty buttons and
// the PC keyboard send key codes (command 64), and a mirror of the scale's display that a 100 ms
// poll (command 66) keeps current while the window is the active one.
#pragma once

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>

#include "link/scale_session.h"
#include "terminal/display.h"

namespace keldaro::terminal {

class TerminalWindow : public QWidget {
  Q_OBJECT
 public:
  TerminalWindow(ScaleSession& session, QChar decimal_separator, QWidget* parent = nullptr);

  // Any keypad button: sends the code of the button that was clicked.
  void ButtonXClick(const QPushButton* sender);
  // Every key-down in the window, before the focused control sees it, by virtual-key code.
  void FormKeyDown(int virtual_key);
  // One display poll. A failed poll greys the display, says the link is gone and tries again at
  // a slower pace; the next poll that succeeds brings the display back.
  void Timer1Timer();
  // The poll and the key preview run only while the window is the active one.
  void FormActivate();
  void FormDeactivate();

  QFrame* Panel1;                           // the display
  std::array<QLabel*, 3> lines;             // Label1..Label3
  std::array<QLabel*, 3> point_overlays;    // Label10..Label12
  std::array<QLabel*, 9> indicator_labels;  // in kIndicatorNames order
  std::array<QPushButton*, 30> buttons;     // Button1..Button30, as Keypad() lists them
  QTimer* Timer1;
  QLabel* LinkLostNote;  // over the display while the scale does not answer the poll

 protected:
  bool event(QEvent* event) override;
  // Key preview: the window's key-downs while it is active, seen once each, before the focused
  // control. Installed on the window and on each button, where a key goes first, not on the
  // application: a run's input guard, which is, then swallows a key typed during a send.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildDisplay();
  void BuildKeypad();
  void Show(const Display& display);
  void ShowLinkLost(bool lost);

  ScaleSession& session_;
  QChar decimal_separator_;
};

}  // namespace keldaro::terminal
