#include "app/main_window.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QShortcut>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QVBoxLayout>

#include "app/config_binding.h"
#include "app/progress_dialog.h"
#include "core/cp1254.h"
#include "core/file_messages.h"
#include "core/numbers.h"
#include "link/port_name.h"
#include "link/wire.h"
#include "ports/port_list.h"
#include "ui/drop_down_width.h"
#include "ui/file_steps.h"
#include "ui/handler_guard.h"
#include "ui/named_widgets.h"
#include "ui/run_input_guard.h"

namespace keldaro::app {
namespace {

using ui::Named;

const QStringList kPorts = {"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8"};
constexpr int kDefaultSpeedIndex = 3;  // 9600
constexpr int kDefaultPortIndex = 0;   // COM1
// Long enough to be read after a run, short enough not to describe the next one.
constexpr int kOutcomeShownMs = 8000;
// Room for how a run ended beside the tab row's identity text: "Durduruldu: 2 / 10 PLU
// gönderildi" fits whole in the window's 8-point font.
constexpr int kOutcomeWidth = 200;
// The closed port box holds a usual device path whole; a longer one shows its end.
const QString kUsualPortPath = QStringLiteral("/dev/ttyUSB0");

QFrame* Separator(QFrame::Shape shape, QWidget* parent) {
  auto* line = new QFrame(parent);
  line->setFrameShape(shape);
  line->setFrameShadow(QFrame::Sunken);
  return line;
}

// The width of `box` closed when its text is `text`.
int ComboBoxWidthFor(const QComboBox& box, const QString& text) {
  QStyleOptionComboBox option;
  option.initFrom(&box);
  option.editable = box.isEditable();
  const QFontMetrics metrics(box.font());
  const QSize contents(metrics.horizontalAdvance(text), metrics.height());
  return box.style()->sizeFromContents(QStyle::CT_ComboBox, &option, contents, &box).width();
}

}  // namespace

MainWindow::MainWindow(ScaleSession& session, const ui::Services& services, QString config_file,
                       QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      session_(session),
      services_(services),
      config_file_(std::move(config_file)) {
  setObjectName("Form1");
  setWindowTitle("VUN KELDARO UTILITY ZIR1.70");
  setFixedSize(785, 470);
  // The grid's column widths are laid out for an 8-point font.
  QFont small = font();
  small.setPointSize(8);
  setFont(small);

  BuildTopBar();
  BuildTabs();
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  auto* bar = new QHBoxLayout;
  bar->addWidget(ComboBox2);
  bar->addWidget(ComboBox1);
  bar->addWidget(Edit5);
  bar->addWidget(Separator(QFrame::VLine, this));
  bar->addWidget(Button11);
  bar->addWidget(Shape1);
  bar->addWidget(Separator(QFrame::VLine, this));
  bar->addWidget(Button16);
  bar->addWidget(Separator(QFrame::VLine, this));
  bar->addWidget(Label4, 1);
  bar->addWidget(Separator(QFrame::VLine, this));
  bar->addWidget(Button15);
  bar->addWidget(Button10);
  layout->addLayout(bar);
  layout->addWidget(Separator(QFrame::HLine, this));
  layout->addWidget(PageControl1, 1);

  session_.SetStatusCallback([this](std::uint8_t status) { ShowStatus(status); });
  // An unplugged adapter: the session has shown the box and closed the port; the window takes
  // its disconnected look rather than a live lamp over a dead line.
  session_.SetLinkLostCallback([this] { Disconnect(); });
  Notifier& notifier = services_.notifier;
  ui::ConnectGuarded(notifier, Button11, &QPushButton::clicked, this, [this] { Button11Click(); });
  ui::ConnectGuarded(notifier, Button10, &QPushButton::clicked, this, [this] { Button10Click(); });
  ui::ConnectGuarded(notifier, Button15, &QPushButton::clicked, this, [this] { Button15Click(); });
  // F1 opens the help as "Yardım" does.
  auto* help_key = new QShortcut(QKeySequence::HelpContents, this);
  ui::ConnectGuarded(notifier, help_key, &QShortcut::activated, this, [this] { Button15Click(); });
  ui::ConnectGuarded(notifier, Button16, &QPushButton::clicked, this, [this] { Button16Click(); });

  FormCreate();
}

void MainWindow::BuildTopBar() {
  ComboBox2 = ui::EditableList("ComboBox2", kPorts, this);
  ComboBox2->setToolTip("choice the comport");
  // The machine's ports follow COM1 .. COM8 (whose indices stay the port numbers), by their
  // stable by-id name where they have one.
  for (const ports::PortInfo& port : ports::ListPorts(ports::MachinePortSources())) {
    ComboBox2->addItem(QString::fromStdString(ports::PreferredName(port)));
  }
  ui::FitDropDownToItems(*ComboBox2);
  ui::ShowEndOfText(*ComboBox2);
  ComboBox1 = ui::EditableList("ComboBox1", ui::LineSpeedItems(), this);
  ComboBox1->setToolTip("choice the baudrate");
  ComboBox2->setFixedWidth(ComboBoxWidthFor(*ComboBox2, kUsualPortPath));
  ComboBox1->setFixedWidth(80);
  Edit5 = Named(new QLineEdit("0", this), "Edit5");
  Edit5->setEnabled(false);
  Edit5->setFixedWidth(30);
  Button11 =
      Named(new QPushButton(kConnectCaption, this), "Button11", "connect/disconnect to the scale");
  Button11->setMinimumWidth(100);
  Shape1 = Named(new Lamp(this), "Shape1", "indicator, light-green if connect");
  Button16 = Named(new QPushButton("TERMINAL", this), "Button16", "scale terminal");
  Label4 = Named(new QLabel("Son durum: ", this), "Label4", "last transmision status");
  OutcomeLabel = Named(new QLabel(this), "OutcomeLabel");
  outcome_timer_ = new QTimer(this);
  outcome_timer_->setSingleShot(true);
  outcome_timer_->setInterval(kOutcomeShownMs);
  connect(outcome_timer_, &QTimer::timeout, OutcomeLabel, [this] {
    OutcomeLabel->clear();
    OutcomeLabel->setToolTip({});
  });
  Button15 = Named(new QPushButton("Yardım", this), "Button15");
  Button10 = Named(new QPushButton("Kapat", this), "Button10");
}

void MainWindow::BuildTabs() {
  PageControl1 = Named(new QTabWidget(this), "PageControl1");
  TabSheet1 = new plu::PluTab(session_, services_, remembered_, PageControl1);
  TabSheet2 = new settings::SettingsTab(session_, services_, remembered_, PageControl1);
  TabSheet3 = new reports::ReportsTab(session_, services_, PageControl1);
  TabSheet4 = new metrology::MetrologyTab(session_, services_, PageControl1);
  PageControl1->addTab(TabSheet1, "PLU");
  PageControl1->addTab(TabSheet2, "Ayarlar");
  PageControl1->addTab(TabSheet3, "Raporlar");
  PageControl1->addTab(TabSheet4, "SYSTEM");

  // The tab row's free room holds how the latest run ended, then the scale's identity: the top
  // bar has no room left for a sentence.
  auto* corner = new QWidget(PageControl1);
  auto* row = new QHBoxLayout(corner);
  row->setContentsMargins(0, 0, 0, 0);
  OutcomeLabel->setParent(corner);
  OutcomeLabel->setFixedWidth(kOutcomeWidth);  // the tab row places its corner by size hint
  row->addWidget(OutcomeLabel);
  StaticText1 = Named(new QLabel(corner), "StaticText1");
  StaticText1->setFixedWidth(309);
  StaticText1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  row->addWidget(StaticText1);
  PageControl1->setCornerWidget(corner, Qt::TopRightCorner);
}

void MainWindow::AttachWindows(ProgressDialog& progress, QWidget& terminal, QWidget& logo,
                               QWidget& help) {
  TabSheet1->SetProgress(progress);
  TabSheet2->SetProgress(progress);
  TabSheet2->SetLogoWindow(logo);
  terminal_ = &terminal;
  help_ = &help;
}

void MainWindow::FormCreate() {
  PageControl1->setCurrentIndex(kPluTab);
  PageControl1->setTabVisible(kSystemTab, false);
  ComboBox1->setCurrentIndex(kDefaultSpeedIndex);
  ComboBox2->setCurrentIndex(kDefaultPortIndex);
  TabSheet2->FormCreate();
  TabSheet4->FormCreate();
  restoreall();
  TabSheet1->Button12Click();
  TabSheet2->Button3Click();
}

void MainWindow::ShowStatus(std::uint8_t status) {
  // This runs after every command, 1801 times in a PLU read: setting a tab's visibility relays
  // out and repaints the whole tab set even when nothing changes, so only changes are made.
  const QString text = QString::fromStdString(StatusText(status));
  if (Label4->text() != text) Label4->setText(text);
  const bool system_visible = (status & wire::kStatusSystemTabBit) != 0;
  if (PageControl1->isTabVisible(kSystemTab) != system_visible) {
    PageControl1->setTabVisible(kSystemTab, system_visible);
  }
}

void MainWindow::Show(const QString& text) {
  // A sentence longer than the room ends in an ellipsis; the whole of it is the tool tip.
  OutcomeLabel->setText(
      OutcomeLabel->fontMetrics().elidedText(text, Qt::ElideRight, OutcomeLabel->width()));
  OutcomeLabel->setToolTip(text);
  outcome_timer_->start();
}

void MainWindow::Button11Click() {
  // Opening the port and asking the identity hold the window: nothing clicked meanwhile acts.
  const ui::RunInputGuard input_guard;
  if (session_.IsConnected()) {
    Disconnect();
  } else {
    Connect();
  }
}

void MainWindow::Connect() {
  const int baud = StrToInt(ComboBox1->currentText());
  // The typed text decides, whatever item the box last showed: COMn in any case, a detected
  // port or a typed device path.
  std::string error;
  const std::optional<PortName> port =
      PortName::Parse(ComboBox2->currentText().toStdString(), &error);
  if (!port) {
    session_.notifier().Error(kLinkErrorTitle, kCannotOpenPortText, error);
    return;
  }
  std::string identity;
  const bool connected = session_.Connect(*port, baud, identity);
  if (!connected) return;
  StaticText1->setText("Terazi ID: " + FromCp1254(identity));
  Button11->setText(kDisconnectCaption);
  Shape1->SetColor(kLampOn);
}

void MainWindow::Disconnect() {
  StaticText1->clear();
  Button11->setText(kConnectCaption);
  Shape1->SetColor(kLampOff);
  PageControl1->setCurrentIndex(kPluTab);
  PageControl1->setTabVisible(kSystemTab, false);
  session_.Disconnect();
}

void MainWindow::Button10Click() { close(); }

void MainWindow::closeEvent(QCloseEvent* event) {
  saveall();
  QWidget::closeEvent(event);
}

void MainWindow::saveall() {
  if (const QString skip = ConfigFileSkipReason(config_file_); !skip.isEmpty()) {
    qWarning().noquote() << skip;
    return;
  }
  QString error;
  if (!SaveConfigFile(config_file_, ConfigBinding(*this).Collect(), windowTitle(), &error)) {
    ui::ShowFileError(services_.notifier, kIoErrorText,
                      config_file_ + QStringLiteral(": ") + error);
  }
}

void MainWindow::restoreall() {
  if (const QString skip = ConfigFileSkipReason(config_file_); !skip.isEmpty()) {
    qWarning().noquote() << skip;
    return;
  }
  ConfigBinding(*this).Apply(LoadConfigFile(config_file_, windowTitle()));
}

void MainWindow::Button15Click() {
  if (help_ != nullptr) help_->show();
}

void MainWindow::Button16Click() {
  if (terminal_ == nullptr || !session_.RequireConnection()) return;
  // Shown and made the active window: its activation starts the display poll.
  terminal_->show();
  terminal_->activateWindow();
}

}  // namespace keldaro::app
