#include "terminal/terminal_window.h"

#include <QApplication>
#include <QKeyEvent>

#include "terminal/keypad.h"
#include "terminal/terminal_runs.h"
#include "ui/handler_guard.h"
#include "ui/run_input_guard.h"

namespace keldaro::terminal {
namespace {

const QColor kDisplayColour(155, 154, 98);

// The digit lines and their overlays share one fixed-pitch font, so that a separator in an
// overlay shifted by half a cell falls between two digits.
QFont DigitFont() {
  QFont font;
  font.setFamilies({QStringLiteral("Lucida Console"), QStringLiteral("DejaVu Sans Mono")});
  font.setStyleHint(QFont::TypeWriter);
  font.setPointSize(28);
  font.setBold(true);
  return font;
}

// While the scale does not answer, the poll is tried this often: a silent line holds the window
// for the read time-out on every try.
constexpr std::chrono::milliseconds kLostPollInterval{1000};
const QColor kLostDisplayColour = Qt::lightGray;

QLabel* PlacedLabel(QWidget* parent, const char* name, const QString& text, int x, int y,
                    const QFont& font) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setFont(font);
  label->setContentsMargins(0, 0, 0, 0);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->move(x, y);
  label->adjustSize();
  return label;
}

}  // namespace

TerminalWindow::TerminalWindow(ScaleSession& session, QChar decimal_separator, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowStaysOnTopHint),
      session_(session),
      decimal_separator_(decimal_separator) {
  // Disabled until the window is first activated.
  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setInterval(kDisplayPollInterval);
  Timer1->setTimerType(Qt::PreciseTimer);
  connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
  setObjectName("Form3");
  setWindowTitle("TERMINAL");
  QFont window_font(QStringLiteral("MS Sans Serif"), 8);
  window_font.setStyleHint(QFont::SansSerif);
  setFont(window_font);
  setFixedSize(233, 299);
  BuildDisplay();
  BuildKeypad();
  installEventFilter(this);  // the key preview of a key sent while no button has the focus
}

void TerminalWindow::BuildDisplay() {
  Panel1 = new QFrame(this);
  Panel1->setObjectName("Panel1");
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Panel1->setGeometry(0, 0, 233, 133);
  QPalette palette = Panel1->palette();
  palette.setColor(QPalette::Window, kDisplayColour);
  palette.setColor(QPalette::WindowText, Qt::black);
  Panel1->setPalette(palette);
  Panel1->setAutoFillBackground(true);

  const QFont digits = DigitFont();
  const char* line_names[] = {"Label1", "Label2", "Label3"};
  const char* overlay_names[] = {"Label10", "Label11", "Label12"};
  for (int i = 0; i < 3; ++i) {
    lines[i] =
        PlacedLabel(Panel1, line_names[i], QStringLiteral(" 0000000"), 40, 8 + 40 * i, digits);
    // Created after the lines, so drawn over them; fixed size, so a wide font is cut off.
    QLabel* overlay =
        PlacedLabel(Panel1, overlay_names[i], QStringLiteral("........"), 52, 12 + 40 * i, digits);
    overlay->setFixedSize(157, 37);
    overlay->setAttribute(Qt::WA_TransparentForMouseEvents);
    point_overlays[i] = overlay;
  }

  QFont indicator_font = font();
  indicator_font.setBold(true);
  // In kIndicatorNames order, top to bottom.
  const char* indicator_names[] = {"Label9", "Label7",  "Label4",  "Label5", "Label6",
                                   "Label8", "Label13", "Label14", "Label15"};
  for (std::size_t i = 0; i < indicator_labels.size(); ++i) {
    indicator_labels[i] = PlacedLabel(Panel1, indicator_names[i], QLatin1String(kIndicatorNames[i]),
                                      4, 8 + 12 * static_cast<int>(i), indicator_font);
  }
  LinkLostNote = PlacedLabel(Panel1, "LinkLostNote",
                             QStringLiteral("Terazi cevap vermiyor: bağlantı yok"), 4, 116, font());
  LinkLostNote->setAutoFillBackground(true);  // drawn over the bottom line's digits
  LinkLostNote->hide();
}

void TerminalWindow::ShowLinkLost(bool lost) {
  if (LinkLostNote->isHidden() != lost) return;  // no repaint on every poll
  QPalette palette = Panel1->palette();
  palette.setColor(QPalette::Window, lost ? kLostDisplayColour : kDisplayColour);
  palette.setColor(QPalette::WindowText, lost ? Qt::darkGray : Qt::black);
  Panel1->setPalette(palette);
  LinkLostNote->setVisible(lost);
}

void TerminalWindow::BuildKeypad() {
  const auto& keys = Keypad();
  for (std::size_t i = 0; i < keys.size(); ++i) {
    auto* button = new QPushButton(QString::fromUtf8(keys[i].caption), this);
    button->setObjectName(keys[i].button);
    button->setGeometry(40 * static_cast<int>(i % 6), 144 + 32 * static_cast<int>(i / 6), 33, 25);
    ui::ConnectGuarded(session_.notifier(), button, &QPushButton::clicked, this,
                       [this, button] { ButtonXClick(button); });
    button->installEventFilter(this);  // the key preview of a key sent to the focused button
    buttons[i] = button;
  }
}

void TerminalWindow::ButtonXClick(const QPushButton* sender) {
  const ui::RunInputGuard input_guard;
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    if (buttons[i] == sender) SendKey(session_, Keypad()[i].code);
  }
}

void TerminalWindow::FormKeyDown(int virtual_key) {
  const ui::RunInputGuard input_guard;
  SendKey(session_, CodeOfVirtualKey(virtual_key));
}

void TerminalWindow::Timer1Timer() {
  // Qt delivers timer events inside a message box or the progress dialog of another command:
  // this turn is skipped and the timer keeps running.
  if (session_.Busy()) return;
  Timer1->stop();
  const std::optional<Display> display = PollDisplay(session_, PollFailure::kQuiet);
  ShowLinkLost(!display);
  if (display) Show(*display);
  Timer1->start(display ? kDisplayPollInterval : kLostPollInterval);
}

void TerminalWindow::Show(const Display& display) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    lines[i]->setText(QLatin1Char(' ') + display.lines[i]);
    lines[i]->adjustSize();
    point_overlays[i]->setText(PointOverlay(display.points[i], decimal_separator_));
  }
  for (std::size_t i = 0; i < indicator_labels.size(); ++i) {
    indicator_labels[i]->setVisible(display.indicators[i]);
  }
}

void TerminalWindow::FormActivate() { Timer1->start(); }

void TerminalWindow::FormDeactivate() { Timer1->stop(); }

bool TerminalWindow::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) FormActivate();
  if (event->type() == QEvent::WindowDeactivate || event->type() == QEvent::Hide) {
    FormDeactivate();
  }
  return QWidget::event(event);
}

bool TerminalWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || !isActiveWindow()) return false;
  // A key the focused control leaves alone travels on to its parents: only its first delivery,
  // to the focused control (or the window when none has focus), counts.
  QWidget* focused = QApplication::focusWidget();
  QWidget* first_receiver = focused != nullptr && focused->window() == this ? focused : this;
  if (watched != first_receiver) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  ui::RunGuarded(session_.notifier(), [&] {
    FormKeyDown(VirtualKeyOfKeyPress({key->key(), key->modifiers(), key->nativeScanCode()}));
  });
  return false;  // not consumed: the focused control still gets the key
}

}  // namespace keldaro::terminal
