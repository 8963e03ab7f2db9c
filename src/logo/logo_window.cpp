#include "logo/logo_window.h"

#include <QCoreApplication>
#include <QPainter>

#include "logo/logo_transfer.h"
#include "ui/handler_guard.h"
#include "ui/named_widgets.h"
#include "ui/outcome_text.h"
#include "ui/run_input_guard.h"
#include "ui/wait_cursor.h"

namespace keldaro::logo {
namespace {

using ui::Named;

constexpr int kClientWidth = 401;
constexpr int kClientHeight = 323;
constexpr int kTrackPageSize = 16;
constexpr int kTrackTickEvery = 32;

// Image1: the preview drawn unscaled at its top left corner, on white paper where it has no
// rows (and everywhere before the first load).
class PreviewArea : public QWidget {
 public:
  PreviewArea(const QImage& preview, QWidget* parent) : QWidget(parent), preview_(preview) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.drawImage(0, 0, preview_);
  }

 private:
  const QImage& preview_;
};

// ProgressBar1 as the transfer's progress display: shown with the row count as its maximum, at
// row y once that row went through, hidden when every row did or the send was stopped. A failure
// leaves it showing. While it runs, `stop` stands where `send` was and is the only control that
// takes input; its click ends the send after the row in hand.
class BarProgress : public transfer::TransferProgress {
 public:
  BarProgress(QProgressBar& bar, QPushButton& send, QPushButton& stop)
      : bar_(bar), send_(send), stop_(stop) {
    stopped_ = QObject::connect(&stop_, &QPushButton::clicked, [this] { running_ = false; });
  }
  ~BarProgress() override {
    QObject::disconnect(stopped_);
    ShowSendButton();
  }
  BarProgress(const BarProgress&) = delete;
  BarProgress& operator=(const BarProgress&) = delete;

  void Begin(int maximum) override {
    running_ = true;
    send_.hide();
    stop_.show();
    input_guard_.emplace(&stop_);
    bar_.setRange(0, maximum);
    bar_.setValue(0);
    bar_.show();
    ui::LetPaintThrough();
  }
  bool Running() const override { return running_; }
  void Advance(int position, const QString&) override {
    bar_.setValue(position);
    // Delivers the repaint and a pending click on the stop; other input is swallowed.
    QCoreApplication::processEvents();
  }
  void End() override {
    bar_.hide();
    ShowSendButton();
  }

 private:
  void ShowSendButton() {
    running_ = false;
    input_guard_.reset();
    stop_.hide();
    send_.show();
  }

  QProgressBar& bar_;
  QPushButton& send_;
  QPushButton& stop_;
  bool running_ = false;
  QMetaObject::Connection stopped_;
  std::optional<ui::RunInputGuard> input_guard_;
};

QSlider* TrackBar(const char* name, IntLimits limits, int start, QWidget* parent) {
  auto* bar = Named(new QSlider(Qt::Horizontal, parent), name);
  bar->setRange(limits.min, limits.max);
  bar->setValue(start);
  bar->setPageStep(kTrackPageSize);
  bar->setTickInterval(kTrackTickEvery);
  bar->setTickPosition(QSlider::TicksBelow);
  return bar;
}

}  // namespace

LogoWindow::LogoWindow(ScaleSession& session, const ui::Services& services, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint),
      session_(session),
      services_(services) {
  setObjectName("Form4");
  setWindowTitle(QStringLiteral("Logo yükle"));
  setFixedSize(kClientWidth, kClientHeight);
  BuildControls();

  Notifier& n = services_.notifier;
  ui::ConnectGuarded(n, Button1, &QPushButton::clicked, this, [this] { Button1Click(Button1); });
  ui::ConnectGuarded(n, Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
  ui::ConnectGuarded(n, TrackBar1, &QSlider::valueChanged, this, [this] { TrackBar1Change(); });
  ui::ConnectGuarded(n, TrackBar2, &QSlider::valueChanged, this, [this] { TrackBar2Change(); });
  ui::ConnectGuarded(n, CheckBox1, &QCheckBox::toggled, this, [this] { CheckBox1Click(); });
}

void LogoWindow::BuildControls() {
  Bevel1 = Named(new QFrame(this), "Bevel1");
  Bevel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Bevel1->setGeometry(7, 7, kLogoWidth + 2, kMaxLogoRows + 2);
  Image1 = Named(new PreviewArea(picture_.preview(), this), "Image1");
  Image1->setGeometry(8, 8, kLogoWidth, kMaxLogoRows);

  Button1 = Named(new QPushButton(QStringLiteral("Yükle"), this), "Button1");
  Button1->setGeometry(8, 264, 80, 25);
  Button2 = Named(new QPushButton(QStringLiteral("Terazi'ye gönder"), this), "Button2");
  Button2->setGeometry(94, 264, 120, 25);
  StopButton = Named(new QPushButton(QStringLiteral("DURDUR"), this), "StopButton");
  StopButton->setGeometry(Button2->geometry());
  StopButton->hide();
  ProgressBar1 = Named(new QProgressBar(this), "ProgressBar1");
  ProgressBar1->setGeometry(222, 267, 172, 19);
  ProgressBar1->setRange(0, 100);
  ProgressBar1->setValue(0);
  ProgressBar1->setTextVisible(false);
  ProgressBar1->hide();

  TrackBar1 = TrackBar("TrackBar1", kBrightnessLimits, kStartBrightness, this);
  TrackBar1->setToolTip(QStringLiteral("Brightness"));
  TrackBar1->setGeometry(8, 294, 126, 24);
  TrackBar2 = TrackBar("TrackBar2", kContrastLimits, kStartContrast, this);
  TrackBar2->setToolTip(QStringLiteral("Contrast"));
  TrackBar2->setGeometry(140, 294, 126, 24);
  CheckBox1 = Named(new QCheckBox(QStringLiteral("50% Threshold"), this), "CheckBox1");
  CheckBox1->setGeometry(274, 294, 124, 24);
}

Adjustment LogoWindow::CurrentAdjustment() const {
  return {TrackBar1->value(), TrackBar2->value(), CheckBox1->isChecked()};
}

void LogoWindow::Button1Click(QObject* sender) {
  if (sender != this) {
    const QString name = services_.files.OpenFileName(kPictureFileDialog);
    if (name.isEmpty()) return;
    QString reason;
    if (!picture_.Load(name, CurrentAdjustment(), reason)) {
      services_.notifier.Error(ui::kGeneralErrorTitle, kNotValidText, reason.toStdString());
      return;
    }
  } else {
    picture_.Convert(CurrentAdjustment());
  }
  Image1->update();
}

void LogoWindow::Button2Click() {
  BarProgress progress(*ProgressBar1, *Button2, *StopButton);
  const transfer::RunResult result = SendLogo(session_, picture_.preview(), progress);
  services_.outcomes.Show(ui::OutcomeText(ui::RunKind::kLogoSend, result));
}

}  // namespace keldaro::logo
