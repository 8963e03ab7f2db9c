#include "app/progress_dialog.h"

#include <QCloseEvent>
#include <QCoreApplication>

namespace keldaro::app {

ProgressDialog::ProgressDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowStaysOnTopHint) {
  setObjectName("Form2");
  setWindowTitle("WORK...");
  setFixedSize(410, 80);
  QFont small = font();
  small.setPointSize(8);
  setFont(small);
  // Shown without a nested event loop, yet the other windows take no input meanwhile: the
  // events let through between records must not start a second transfer or close the port.
  setWindowModality(Qt::ApplicationModal);

  ProgressBar1 = new QProgressBar(this);
  ProgressBar1->setObjectName("ProgressBar1");
  ProgressBar1->setGeometry(8, 16, 393, 16);
  ProgressBar1->setRange(0, 100);
  ProgressBar1->setValue(0);
  ProgressBar1->setTextVisible(false);

  Label1 = new QLabel("Label1", this);
  Label1->setObjectName("Label1");
  Label1->setGeometry(8, 48, 300, 16);

  Button1 = new QPushButton("STOP", this);
  Button1->setObjectName("Button1");
  Button1->setGeometry(328, 48, 75, 25);
  Button1->setAutoDefault(false);
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

void ProgressDialog::Button1Click() { running_ = false; }

void ProgressDialog::Begin(int maximum) {
  show();
  raise();
  ProgressBar1->setRange(0, maximum);
  ProgressBar1->setValue(0);
  running_ = true;
  input_guard_.emplace(Button1);
  repaint();  // drawn before the first transaction blocks the thread
}

void ProgressDialog::Advance(int position, const QString& label) {
  ProgressBar1->setValue(position);
  Label1->setText(label);
  // Delivers the repaint requested above and any pending click on "STOP"; other input is
  // swallowed by the guard.
  QCoreApplication::processEvents();
}

void ProgressDialog::End() {
  ProgressBar1->setValue(0);
  hide();
  running_ = false;
  input_guard_.reset();
}

void ProgressDialog::closeEvent(QCloseEvent* event) {
  if (running_) event->ignore();
}

}  // namespace keldaro::app
