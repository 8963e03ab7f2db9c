#include "settings/settings_tab.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QScopeGuard>
#include <QVBoxLayout>

#include "core/file_messages.h"
#include "core/numbers.h"
#include "settings/settings_codec.h"
#include "settings/settings_file.h"
#include "ui/checked_cell_delegate.h"
#include "ui/file_steps.h"
#include "ui/handler_guard.h"
#include "ui/memo_text.h"
#include "ui/named_widgets.h"
#include "ui/outcome_text.h"
#include "ui/run_input_guard.h"
#include "ui/spin_number.h"
#include "ui/typed_fields.h"
#include "ui/wait_cursor.h"

namespace keldaro::settings {
namespace {

const QStringList kContrasts = {"1", "2", "3", "4", "5"};
const QStringList kOperatingModeItems = {
    QStringLiteral("Toplamda fiş"), QStringLiteral("Her işlemde fiş"),
    QStringLiteral("Süper market"), QStringLiteral("Etiket-1"), QStringLiteral("Etiket-2")};
// Selections made by the window's start-up: "Toplamda fiş", "1200" and "3".
constexpr int kStartMode = 0;
constexpr int kStartLineSpeed = 0;
constexpr int kStartContrast = 2;
constexpr int kRowHeight = 18;
// Widths that let every caption and a 32-character receipt line show in full in the window's
// 8-point font.
constexpr int kFieldWidth = 92;
constexpr int kDepartmentGridWidth = 128;
constexpr int kRightColumnWidth = 178;
const char* const kOverwriteQuestion =
    "Formdaki ayarlar bu bağlantıda teraziden okunmadı. Teraziye gönderilirse kısım isimleri, "
    "vergi oranları, tezgahtarlar, başlık ve mesaj satırları ile diğer ayarlar "
    "terazidekilerin üzerine yazılacak. Devam edilsin mi?";

using ui::EditableList;
using ui::LineSpeedItems;
using ui::Named;

QLineEdit* Edit(const char* name, int max_length, QWidget* parent) {
  auto* edit = Named(new QLineEdit(parent), name);
  if (max_length > 0) edit->setMaxLength(max_length);
  return edit;
}

// The index of the item the list's text selects, or -1 when the typed text matches none.
int SelectedItem(const QComboBox* box) {
  return box->findText(box->currentText(), Qt::MatchFixedString);
}

// The memo's lines, at most `count` of them, each cut to a receipt line's width.
QStringList ReceiptLines(const QPlainTextEdit* memo, int count) {
  QStringList lines = ui::MemoText(*memo).split(QLatin1Char('\n')).mid(0, count);
  for (QString& line : lines) line.truncate(kReceiptLineWidth);
  return lines;
}

std::uint8_t BitsOf(const auto& boxes) {
  std::uint8_t bits = 0;
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    if (boxes[i]->isChecked()) bits |= static_cast<std::uint8_t>(1u << i);
  }
  return bits;
}

void ShowBits(const auto& boxes, std::uint8_t bits) {
  for (std::size_t i = 0; i < boxes.size(); ++i) boxes[i]->setChecked((bits >> i & 1u) != 0);
}

QTableWidget* Grid(const char* name, int rows, QWidget* parent) {
  auto* grid = Named(new QTableWidget(rows, 2, parent), name);
  grid->verticalHeader()->hide();
  grid->verticalHeader()->setDefaultSectionSize(kRowHeight);
  grid->verticalHeader()->setMinimumSectionSize(kRowHeight);
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  grid->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                        QAbstractItemView::EditKeyPressed);
  grid->setColumnWidth(0, 26);
  grid->horizontalHeader()->setStretchLastSection(true);
  for (int row = 0; row < rows; ++row) {
    auto* fixed = new QTableWidgetItem;
    fixed->setFlags(Qt::ItemIsEnabled);
    grid->setItem(row, 0, fixed);
    grid->setItem(row, 1, new QTableWidgetItem);
  }
  return grid;
}

QLabel* Caption(const QString& text, QWidget* parent) { return new QLabel(text, parent); }

}  // namespace

SettingsTab::SettingsTab(ScaleSession& session, const ui::Services& services,
                         ui::RememberedCellText& remembered, QWidget* parent)
    : QWidget(parent), session_(session), services_(services), remembered_(remembered) {
  setObjectName("TabSheet2");
  BuildControls();
  BuildGrids();
  LayOut();
  ConnectHandlers();
  // The controls as the window is designed: the start values, but no operating mode selected
  // and the designed line speed text; FormCreate then makes its selections.
  LoadedParts designed = LoadedParts::All();
  designed.tax_rates = false;
  ShowRecord(SettingsRecord{}, designed);
  ComboBox3->setCurrentIndex(-1);
  ComboBox4->setEditText(QStringLiteral("115200"));
}

void SettingsTab::BuildControls() {
  ComboBox4 = EditableList("ComboBox4", LineSpeedItems(), this);
  SpinEdit3 = ui::SpinField("SpinEdit3", kAutoOffLimits, 20, this);
  SpinEdit4 = ui::SpinField("SpinEdit4", kLanNumberLimits, 0, this);
  SpinEdit5 = ui::SpinField("SpinEdit5", kDiscountLimits, 6, this);
  Edit1 = Edit("Edit1", 0, this);
  Edit2 = Edit("Edit2", 0, this);
  SpinEdit6 = ui::SpinField("SpinEdit6", kDrawerTimeLimits, 10, this);
  ComboBox8 = EditableList("ComboBox8", kContrasts, this);
  Edit9 = Edit("Edit9", kCurrencyWidth, this);
  ComboBox3 = EditableList("ComboBox3", kOperatingModeItems, this);
  Edit3 = Edit("Edit3", kNameWidth, this);
  Edit6 = Edit("Edit6", kNameWidth, this);
  Edit7 = Edit("Edit7", kNameWidth, this);
  Edit8 = Edit("Edit8", kNameWidth, this);
  Memo1 = Named(new QPlainTextEdit(this), "Memo1");
  Memo2 = Named(new QPlainTextEdit(this), "Memo2");
  for (QPlainTextEdit* memo : {Memo1, Memo2}) memo->setLineWrapMode(QPlainTextEdit::NoWrap);

  const auto box = [this](const char* name, const QString& caption) {
    return Named(new QCheckBox(caption, this), name);
  };
  CheckBox1 = box("CheckBox1", QStringLiteral("Fiş yaz"));
  CheckBox2 = box("CheckBox2", QStringLiteral("Çift fiş yaz"));
  CheckBox3 = box("CheckBox3", QStringLiteral("Grafik logo yaz"));
  CheckBox4 = box("CheckBox4", QStringLiteral("Ürün barkodu yaz"));
  CheckBox5 = box("CheckBox5", QStringLiteral("Tutar barkodu yaz"));
  CheckBox6 = box("CheckBox6", QStringLiteral("Zorunlu ödeme yaz"));
  CheckBox7 = box("CheckBox7", QStringLiteral("İskonto yaz"));
  CheckBox8 = box("CheckBox8", QStringLiteral("PLU kodu yaz"));
  CheckBox13 = box("CheckBox13", QStringLiteral("Tüm raporları yaz"));
  CheckBox15 = box("CheckBox15", QStringLiteral("Vergi yaz"));
  backlight = box("backlight", QStringLiteral("Back light"));
  saveplu = box("saveplu", QStringLiteral("Save plu"));

  const auto button = [this](const char* name, const QString& caption) {
    auto* b = Named(new QPushButton(caption, this), name);
    b->setAutoDefault(false);
    return b;
  };
  Button9 = button("Button9", QStringLiteral("Terazi'den yükle"));
  Button1 = button("Button1", QStringLiteral("Terazi'ye gönder"));
  Button25 = button("Button25", QStringLiteral("Fabrika ayarı"));
  SaveFileButton = button("SaveFileButton", QStringLiteral("PC'ye kaydet"));
  LoadFileButton = button("LoadFileButton", QStringLiteral("PC'den yükle"));
  Button14 = button("Button14", QStringLiteral("Grafik logo"));
  Button3 = button("Button3", QStringLiteral("PC'den"));
  Button13 = button("Button13", QStringLiteral("Terazi'ye"));
  Button4 = button("Button4", QStringLiteral("Terazi'den"));

  NotFromScaleNote =
      Named(new QLabel(QStringLiteral("Değerler teraziden okunmadı"), this), "NotFromScaleNote");
  NotFromScaleNote->setWordWrap(true);

  MaskEdit1 = Edit("MaskEdit1", 17, this);
  MaskEdit1->setInputMask(QStringLiteral("99-99-99 99:99:99;_"));
}

void SettingsTab::BuildGrids() {
  StringGrid2 = Grid("StringGrid2", kDepartments, this);
  StringGrid2->setHorizontalHeaderLabels({QStringLiteral("N"), QStringLiteral("İsim")});
  StringGrid3 = Grid("StringGrid3", kTaxRates, this);
  StringGrid3->horizontalHeader()->hide();
  const QChar separator = services_.decimal_separator;
  StringGrid3->setItemDelegate(new ui::CheckedCellDelegate(
      remembered_, services_.notifier, separator,
      [separator](int, QStringView text) { return AcceptsTypedTaxRate(text, separator); },
      [separator](int) { return ui::DecimalField(u"Vergi oranı", kMaxTaxRate, separator); },
      ui::CheckedCellDelegate::OnAccept::kKeepRemembered, StringGrid3));
  connect(StringGrid3->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid()) StringGrid3SelectCell(current.row());
          });
}

void SettingsTab::LayOut() {
  auto* fields = new QGridLayout;
  const auto row = [&](int r, const QString& caption, QWidget* control, const QString& unit = {}) {
    fields->addWidget(Caption(caption, this), r, 0);
    control->setFixedWidth(kFieldWidth);
    fields->addWidget(control, r, 1);
    if (!unit.isEmpty()) fields->addWidget(Caption(unit, this), r, 2);
  };
  row(0, QStringLiteral("RS haberleşme hızı"), ComboBox4);
  row(1, QStringLiteral("Oto kapanma süresi"), SpinEdit3, QStringLiteral("min"));
  row(2, QStringLiteral("LAN numarası"), SpinEdit4);
  row(3, QStringLiteral("İskonto"), SpinEdit5, QStringLiteral("%"));
  row(4, QStringLiteral("Ürün barkodu"), Edit1);
  row(5, QStringLiteral("Tutar barkodu"), Edit2);
  row(6, QStringLiteral("Çekmece açma süresi"), SpinEdit6, QStringLiteral("ms"));
  row(7, QStringLiteral("Yazıcı kontrastı"), ComboBox8);
  row(8, QStringLiteral("Para birimi"), Edit9);
  row(9, QStringLiteral("Çalışma modu"), ComboBox3);
  ComboBox3->setFixedWidth(kFieldWidth + 24);  // room for "Her işlemde fiş"
  fields->addWidget(ComboBox3, 9, 1, 1, 2);
  row(10, QStringLiteral("Tezgahtar 1"), Edit3);
  row(11, QStringLiteral("Tezgahtar 2"), Edit6);
  row(12, QStringLiteral("Tezgahtar 3"), Edit7);
  row(13, QStringLiteral("Tezgahtar 4"), Edit8);
  fields->setVerticalSpacing(1);
  fields->setHorizontalSpacing(3);
  fields->setRowStretch(14, 1);

  auto* lines = new QVBoxLayout;
  lines->addWidget(Caption(QStringLiteral("Başlık/Mesaj"), this));
  lines->addWidget(Memo1, 3);
  lines->addWidget(Memo2, 1);
  auto* options = new QVBoxLayout;
  options->setSpacing(0);
  for (QCheckBox* b : {CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox5, CheckBox6, CheckBox7,
                       CheckBox8, CheckBox13, CheckBox15, backlight, saveplu}) {
    options->addWidget(b);
  }
  lines->addLayout(options);

  auto* departments = new QVBoxLayout;
  departments->addWidget(Caption(QStringLiteral("Kısım isimleri"), this));
  departments->addWidget(StringGrid2, 1);
  StringGrid2->setFixedWidth(kDepartmentGridWidth);
  StringGrid2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

  auto* clock = new QGroupBox(QStringLiteral("Tarih/Saat"), this);
  auto* clock_layout = new QGridLayout(clock);
  clock_layout->setContentsMargins(3, 3, 3, 3);
  clock_layout->setSpacing(2);
  clock_layout->addWidget(MaskEdit1, 0, 0, 1, 3);
  clock_layout->addWidget(Button3, 1, 0);
  clock_layout->addWidget(Button13, 1, 1);
  clock_layout->addWidget(Button4, 1, 2);
  auto* right = new QVBoxLayout;
  right->addWidget(clock);
  right->addWidget(Caption(QStringLiteral("Vergiler"), this));
  right->addWidget(StringGrid3);
  StringGrid3->setFixedHeight(kTaxRates * kRowHeight + 4);
  auto* files = new QHBoxLayout;
  files->addWidget(LoadFileButton);
  files->addWidget(SaveFileButton);
  right->addLayout(files);
  right->addWidget(Button25);
  right->addWidget(Button14);
  right->addStretch();
  right->addWidget(NotFromScaleNote);
  right->addWidget(Button9);
  right->addWidget(Button1);
  auto* right_column = new QWidget(this);
  right_column->setLayout(right);
  right_column->setFixedWidth(kRightColumnWidth);
  right->setContentsMargins(0, 0, 0, 0);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addLayout(fields);
  layout->addLayout(lines, 1);
  layout->addLayout(departments);
  layout->addWidget(right_column);
}

void SettingsTab::ConnectHandlers() {
  Notifier& n = services_.notifier;
  using ui::ConnectGuarded;
  ConnectGuarded(n, Button9, &QPushButton::clicked, this, [this] { Button9Click(); });
  ConnectGuarded(n, Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  ConnectGuarded(n, Button25, &QPushButton::clicked, this, [this] { Button25Click(); });
  ConnectGuarded(n, SaveFileButton, &QPushButton::clicked, this, [this] { SaveFileClick(); });
  ConnectGuarded(n, LoadFileButton, &QPushButton::clicked, this, [this] { LoadFileClick(); });
  ConnectGuarded(n, Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
  ConnectGuarded(n, Button13, &QPushButton::clicked, this, [this] { Button13Click(); });
  ConnectGuarded(n, Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
  ConnectGuarded(n, Button14, &QPushButton::clicked, this, [this] { Button14Click(); });
}

std::array<QCheckBox*, 8> SettingsTab::PrintOptionBoxes() const {
  return {CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox5, CheckBox6, CheckBox7, CheckBox8};
}

std::array<QCheckBox*, 4> SettingsTab::ExtraOptionBoxes() const {
  return {CheckBox13, CheckBox15, backlight, saveplu};
}

std::array<QLineEdit*, kClerks> SettingsTab::ClerkEdits() const {
  return {Edit3, Edit6, Edit7, Edit8};
}

void SettingsTab::FormCreate() {
  ComboBox3->setCurrentIndex(kStartMode);
  ComboBox4->setCurrentIndex(kStartLineSpeed);
  ComboBox8->setCurrentIndex(kStartContrast);
  for (int d = 0; d < kDepartments; ++d) StringGrid2->item(d, 0)->setText(QString::number(d));
  const QString zero = QStringLiteral("0") + services_.decimal_separator + QStringLiteral("00");
  for (int r = 0; r < kTaxRates; ++r) {
    StringGrid3->item(r, 0)->setText(QChar(u'A' + r));
    StringGrid3->item(r, 1)->setText(zero);
  }
}

SettingsRecord SettingsTab::Record() const {
  SettingsRecord r;
  r.operating_mode = SelectedItem(ComboBox3);
  r.print_options = BitsOf(PrintOptionBoxes());
  r.product_barcode_format = Edit1->text().left(kBarcodeFormatWidth);
  r.amount_barcode_format = Edit2->text().left(kBarcodeFormatWidth);
  r.line_speed = StrToInt(ComboBox4->currentText());
  r.lan_number = ui::SpinNumber(*SpinEdit4);
  r.auto_off_minutes = ui::SpinNumber(*SpinEdit3);
  r.discount_percent = ui::SpinNumber(*SpinEdit5);
  r.drawer_time = ui::SpinNumber(*SpinEdit6);
  r.printer_contrast = StrToInt(ComboBox8->currentText()) & 0xFF;  // the wire takes 8 bits
  r.currency = Edit9->text().left(kCurrencyWidth);
  const auto clerks = ClerkEdits();
  for (std::size_t i = 0; i < clerks.size(); ++i) r.clerks[i] = clerks[i]->text().left(kNameWidth);
  r.header = ReceiptLines(Memo1, kHeaderLines);
  r.footer = ReceiptLines(Memo2, kFooterLines);
  for (int d = 0; d < kDepartments; ++d) {
    r.departments[static_cast<std::size_t>(d)] = StringGrid2->item(d, 1)->text().left(kNameWidth);
  }
  for (int t = 0; t < kTaxRates; ++t) {
    r.tax_rates[static_cast<std::size_t>(t)] =
        TaxRateHundredths(StringGrid3->item(t, 1)->text(), services_.decimal_separator);
  }
  r.extra_options = BitsOf(ExtraOptionBoxes());
  return r;
}

void SettingsTab::ShowRecord(const SettingsRecord& r, const LoadedParts& parts) {
  if (parts.block) {
    ComboBox3->setCurrentIndex(r.operating_mode);
    ShowBits(PrintOptionBoxes(), r.print_options);
    Edit1->setText(r.product_barcode_format);
    Edit2->setText(r.amount_barcode_format);
    ComboBox4->setEditText(QString::number(r.line_speed));
    SpinEdit4->setValue(r.lan_number);
    SpinEdit3->setValue(r.auto_off_minutes);
    SpinEdit5->setValue(r.discount_percent);
    SpinEdit6->setValue(r.drawer_time);
    ComboBox8->setEditText(QString::number(r.printer_contrast));
    Edit9->setText(r.currency);
    ShowBits(ExtraOptionBoxes(), r.extra_options);
  }
  const auto clerks = ClerkEdits();
  for (int i = 0; i < parts.clerks; ++i) {
    clerks[static_cast<std::size_t>(i)]->setText(r.clerks[static_cast<std::size_t>(i)]);
  }
  if (parts.header) Memo1->setPlainText(r.header.join(QLatin1Char('\n')));
  if (parts.footer) Memo2->setPlainText(r.footer.join(QLatin1Char('\n')));
  for (int d = 0; d < parts.departments; ++d) {
    StringGrid2->item(d, 1)->setText(r.departments[static_cast<std::size_t>(d)]);
  }
  if (parts.tax_rates) {
    for (int t = 0; t < kTaxRates; ++t) {
      StringGrid3->item(t, 1)->setText(
          TaxRateText(r.tax_rates[static_cast<std::size_t>(t)], services_.decimal_separator));
    }
  }
}

void SettingsTab::Button9Click() {
  if (progress_ == nullptr || !session_.RequireConnection()) return;
  const ui::WaitCursor wait;
  SettingsRecord record;
  LoadedParts arrived;
  const RunResult result = LoadSettings(session_, record, *progress_, &arrived);
  ShowRecord(record, arrived);
  services_.outcomes.Show(ui::OutcomeText(ui::RunKind::kSettingsLoad, result));
  MarkHeldForScale(result.Complete());
}

void SettingsTab::Button1Click() {
  // However the send ends, a euro sign in the currency field reads "EUR" again.
  const auto euro_back = qScopeGuard([this] {
    if (Edit9->text() == kEuroSign) Edit9->setText(kEuroText);
  });
  if (progress_ == nullptr || !session_.RequireConnection()) return;
  const ui::WaitCursor wait;
  // Every control is converted before the first command, so a text that does not convert
  // sends nothing rather than half the settings.
  const SettingsRecord record = Record();
  if (!MayOverwriteScale()) return;
  if (Edit9->text() == kEuroText) Edit9->setText(kEuroSign);
  const RunResult result = SendSettings(session_, record, *progress_);
  if (result.Complete()) MarkHeldForScale(true);
  services_.outcomes.Show(ui::OutcomeText(ui::RunKind::kSettingsSend, result));
}

void SettingsTab::MarkHeldForScale(bool held) {
  held_for_connection_ = held ? session_.Connections() : -1;
  NotFromScaleNote->setVisible(!held);
}

bool SettingsTab::MayOverwriteScale() const {
  return held_for_connection_ == session_.Connections() ||
         services_.notifier.Confirm(Button1->text().toStdString(), kOverwriteQuestion);
}

void SettingsTab::Button25Click() {
  // The presets leave the operating mode, the tax rates and the backlight and "Save plu"
  // options as they are.
  SettingsRecord presets;
  presets.operating_mode = SelectedItem(ComboBox3);
  presets.extra_options = BitsOf(ExtraOptionBoxes());
  ApplyFactoryPresets(presets);
  LoadedParts parts = LoadedParts::All();
  parts.tax_rates = false;
  ShowRecord(presets, parts);
  MarkHeldForScale(false);
}

void SettingsTab::SaveFileClick() {
  const QString name = services_.files.SaveFileName(kSettingsFileDialog);
  if (name.isEmpty()) return;
  ui::WriteChosenFile(services_.notifier, name, SaveSettingsFile(Record()));
}

void SettingsTab::LoadFileClick() {
  const QString name = services_.files.OpenFileName(kSettingsFileDialog);
  if (name.isEmpty()) return;
  const std::optional<std::string> bytes = ui::ReadChosenFile(services_.notifier, name);
  if (!bytes) return;
  QString error;
  const std::optional<SettingsRecord> record =
      LoadSettingsFile(*bytes, SettingsRecord{}, true, error);
  if (!record) {
    ui::ShowFileError(services_.notifier, kInputErrorText, error);
    return;
  }
  ShowRecord(*record);
  MarkHeldForScale(true);
}

void SettingsTab::ShowClock(const ScaleClock& clock) {
  held_clock_ = clock;
  MaskEdit1->setText(clock.FieldText());
}

void SettingsTab::Button3Click() { ShowClock(ScaleClock::FromDateTime(services_.clock.Now())); }

void SettingsTab::Button13Click() {
  const ui::RunInputGuard input_guard;
  services_.outcomes.Show(ui::OutcomeText(ui::RunKind::kClockSet, SetClock(session_, held_clock_)));
}

void SettingsTab::Button4Click() {
  const ui::RunInputGuard input_guard;
  ScaleClock clock = held_clock_;
  const RunResult result = ReadClock(session_, clock);
  if (result.ok) ShowClock(clock);
  services_.outcomes.Show(ui::OutcomeText(ui::RunKind::kClockRead, result));
}

void SettingsTab::Button14Click() {
  if (logo_ != nullptr && session_.RequireConnection()) logo_->show();
}

void SettingsTab::StringGrid3SelectCell(int row) {
  remembered_.text = StringGrid3->item(row, 1)->text();
}

}  // namespace keldaro::settings
