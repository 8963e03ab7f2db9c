#include "metrology/metrology_tab.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <cmath>
#include <limits>

#include "core/numbers.h"
#include "metrology/metrology_transfer.h"
#include "ui/decimal_mark.h"
#include "ui/handler_guard.h"
#include "ui/named_widgets.h"
#include "ui/outcome_text.h"
#include "ui/run_input_guard.h"
#include "ui/spin_number.h"

namespace keldaro::metrology {
namespace {

const QStringList kCapacities = {"6", "15", "30", "60"};
const QStringList kIntervals = {"1", "2", "5", "10", "20", "50"};
const QStringList kStableCounts = {"1", "2", "3"};
const QStringList kPriceRounds = {"1", "2", "5", "10", "20", "50", "100", "200", "500", "1000"};
// Items the window's start-up selects: "15", "2" and "1".
constexpr int kStartCapacity = 1;
constexpr int kStartInterval = 1;
constexpr int kStartPriceRound = 0;
// "Initial Zero, %" has no limits; an emptied field counts as 0.
constexpr int kInitialZeroWhenEmpty = 0;

using ui::Named;

QComboBox* List(const char* name, const QStringList& items, const QString& text, QWidget* parent) {
  QComboBox* box = ui::EditableList(name, items, parent);
  box->setEditText(text);
  return box;
}

// A maximum tare as the field shows it: whole kilograms without a decimal point.
QString MaxTareText(double kilograms, QChar separator) {
  if (kilograms == std::trunc(kilograms)) return QString::number(kilograms, 'f', 0);
  return QString::number(kilograms, 'g', 15).replace(QLatin1Char('.'), separator);
}

}  // namespace

MetrologyTab::MetrologyTab(ScaleSession& session, const ui::Services& services, QWidget* parent)
    : QWidget(parent), session_(session), services_(services) {
  setObjectName("TabSheet4");
  BuildControls();
  LayOut();
  ui::ConnectGuarded(services_.notifier, Button2, &QPushButton::clicked, this,
                     [this] { Button2Click(); });
  for (std::size_t i = 0; i < preset_buttons.size(); ++i) {
    ui::ConnectGuarded(services_.notifier, preset_buttons[i], &QPushButton::clicked, this,
                       [this, i] { PresetClick(i); });
  }
}

void MetrologyTab::BuildControls() {
  const MetrologyRecord start;
  ComboBox5 = List("ComboBox5", kCapacities, QString::number(start.capacity), this);
  ComboBox6 = List("ComboBox6", kIntervals, QString::number(start.interval), this);
  SpinEdit10 = ui::SpinField("SpinEdit10", kUnitLimits, start.unit, this);
  CheckBox9 = Named(new QCheckBox(QStringLiteral("lb"), this), "CheckBox9");
  CheckBox10 = Named(new QCheckBox(QStringLiteral("dual interval"), this), "CheckBox10");
  CheckBox11 = Named(new QCheckBox(QStringLiteral("comma"), this), "CheckBox11");
  CheckBox12 = Named(new QCheckBox(QStringLiteral("One Time Tare"), this), "CheckBox12");
  CheckBox14 = Named(new QCheckBox(QStringLiteral("Minimum Sale"), this), "CheckBox14");
  ComboBox9 = List("ComboBox9", kStableCounts, QString::number(start.stable_count), this);
  SpinEdit11 = ui::SpinField(
      "SpinEdit11", IntLimits{std::numeric_limits<int>::min(), std::numeric_limits<int>::max()},
      start.initial_zero, this);
  Edit4 = Named(new QLineEdit(QStringLiteral("6.0"), this), "Edit4");  // as designed: a point
  ui::TakeEitherDecimalMark(*Edit4, services_.decimal_separator);
  SpinEdit9 = ui::SpinField("SpinEdit9", kDigitsLimits, start.digits, this);
  ComboBox7 = List("ComboBox7", kPriceRounds, QString::number(start.price_round), this);
  SpinEdit7 = ui::SpinField("SpinEdit7", kGravityLimits, start.local_g, this);
  SpinEdit8 = ui::SpinField("SpinEdit8", kGravityLimits, start.destination_g, this);
  CheckBox10->setChecked(start.dual_interval);
  Button2 = Named(new QPushButton(QStringLiteral("SEND"), this), "Button2");
  for (const Preset& preset : Presets()) {
    auto* button = Named(new QPushButton(preset.caption, this), preset.button);
    button->setAutoDefault(false);
    preset_buttons.push_back(button);
  }
}

void MetrologyTab::LayOut() {
  auto* fields = new QGridLayout;
  int row = 0;
  const auto add = [&](const QString& caption, QWidget* control) {
    if (!caption.isEmpty()) fields->addWidget(new QLabel(caption, this), row, 0);
    fields->addWidget(control, row++, 1);
  };
  add(QStringLiteral("Capacity"), ComboBox5);
  add(QStringLiteral("e=d="), ComboBox6);
  add(QStringLiteral("Unit"), SpinEdit10);
  add({}, CheckBox9);
  add({}, CheckBox10);
  add({}, CheckBox11);
  add({}, CheckBox12);
  add({}, CheckBox14);
  add(QStringLiteral("Stbale Count"), ComboBox9);
  add(QStringLiteral("Initial Zero, %"), SpinEdit11);
  add(QStringLiteral("Max Tare"), Edit4);
  add(QStringLiteral("Digits (Weight,Price)"), SpinEdit9);
  add(QStringLiteral("price round"), ComboBox7);
  add(QStringLiteral("Local g"), SpinEdit7);
  add(QStringLiteral("Destination g"), SpinEdit8);
  fields->setVerticalSpacing(1);
  fields->setRowStretch(row, 1);
  for (QWidget* control : {static_cast<QWidget*>(ComboBox5), static_cast<QWidget*>(ComboBox6),
                           static_cast<QWidget*>(SpinEdit10), static_cast<QWidget*>(ComboBox9),
                           static_cast<QWidget*>(SpinEdit11), static_cast<QWidget*>(Edit4),
                           static_cast<QWidget*>(SpinEdit9), static_cast<QWidget*>(ComboBox7),
                           static_cast<QWidget*>(SpinEdit7), static_cast<QWidget*>(SpinEdit8)}) {
    control->setFixedWidth(100);
  }

  auto* presets = new QVBoxLayout;
  presets->setSpacing(2);
  for (QPushButton* button : preset_buttons) presets->addWidget(button);
  presets->addStretch();
  presets->addWidget(Button2);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(8, 4, 8, 4);
  layout->addLayout(fields);
  layout->addStretch();
  layout->addLayout(presets);
}

void MetrologyTab::FormCreate() {
  ComboBox5->setCurrentIndex(kStartCapacity);
  ComboBox6->setCurrentIndex(kStartInterval);
  ComboBox7->setCurrentIndex(kStartPriceRound);
}

MetrologyRecord MetrologyTab::Record() const {
  // Converted in the order the fields go out, so the first text that fails is the one named.
  MetrologyRecord r;
  r.capacity = StrToInt(ComboBox5->currentText());
  r.interval = StrToInt(ComboBox6->currentText());
  r.digits = ui::SpinNumber(*SpinEdit9);
  r.price_round = StrToInt(ComboBox7->currentText());
  r.unit = ui::SpinNumber(*SpinEdit10);
  r.lb = CheckBox9->isChecked();
  r.dual_interval = CheckBox10->isChecked();
  r.comma = CheckBox11->isChecked();
  r.one_time_tare = CheckBox12->isChecked();
  r.local_g = ui::SpinNumber(*SpinEdit7);
  r.destination_g = ui::SpinNumber(*SpinEdit8);
  r.initial_zero = ui::SpinNumber(*SpinEdit11, kInitialZeroWhenEmpty);
  r.max_tare = StrToScalableFloat(Edit4->text(), services_.decimal_separator, kGramsPerKilogram);
  r.minimum_sale = CheckBox14->isChecked();
  r.stable_count = StrToInt(ComboBox9->currentText());
  return r;
}

void MetrologyTab::ShowRecord(const MetrologyRecord& r) {
  ComboBox5->setEditText(QString::number(r.capacity));
  ComboBox6->setEditText(QString::number(r.interval));
  SpinEdit10->setValue(r.unit);
  CheckBox9->setChecked(r.lb);
  CheckBox10->setChecked(r.dual_interval);
  CheckBox11->setChecked(r.comma);
  CheckBox12->setChecked(r.one_time_tare);
  CheckBox14->setChecked(r.minimum_sale);
  ComboBox9->setEditText(QString::number(r.stable_count));
  SpinEdit11->setValue(r.initial_zero);
  Edit4->setText(MaxTareText(r.max_tare, services_.decimal_separator));
  SpinEdit9->setValue(r.digits);
  ComboBox7->setEditText(QString::number(r.price_round));
  SpinEdit7->setValue(r.local_g);
  SpinEdit8->setValue(r.destination_g);
}

void MetrologyTab::Button2Click() {
  if (!session_.RequireConnection()) return;
  const MetrologyRecord record = Record();  // every text converts before anything is sent
  // The scale's calibration is overwritten whole, and nothing here was read from it.
  if (!services_.notifier.Confirm(
          "SYSTEM",
          "Teraziye gönderilirse kapasite, bölüntü, birim ve diğer kalibrasyon değerleri "
          "terazidekilerin üzerine yazılacak. Devam edilsin mi?")) {
    return;
  }
  // After the question, which takes its answer without the guard.
  const ui::RunInputGuard input_guard;
  services_.outcomes.Show(
      ui::OutcomeText(ui::RunKind::kSystemSend, SendMetrology(session_, record)));
}

void MetrologyTab::PresetClick(std::size_t preset) { ShowRecord(Presets().at(preset).values); }

}  // namespace keldaro::metrology
