#include "app/help_window.h"

#include <QFont>
#include <QStringList>
#include <QVBoxLayout>

namespace keldaro::app {

const QStringList& HelpLines() {
  static const QStringList lines{
      "             VUN KELDARO PC PROGRAM",
      "---------------------------------------------------------------------------------",
      "Bu programla PLU dosyaları oluşturabilir ,",
      "bilgisayara kaydedebilir ve teraziye gönderebilirsiniz.",
      "Bu programdan terazi ayarlarını, RS haberleşme hızı,",
      " başlık/mesaj metinleri, otomatik kapanma,",
      " tarih/saat ayarları ve bir çok diğer ayarları,  ",
      "düzenleyebilirsiniz.",
      "TERMİNAL kısmından direkt olarak teraziyi bilgisayardan",
      " kontrol edebilirsiniz.",
      "İlk olarak bilgisayar portlarından birine teraziyi ",
      "bağlamalısınız.",
      "Daha sonra bağlanan port numarasını ve haberleşme",
      " hızını uygun şekilde seçin BAĞLAN tuşuna basın.",
      "Eğer herşey doğru ise BAĞLAN butonu üzerindeki yazı",
      "BAĞLANTIYI KES olarak değişecek ve sağındaki dairesel",
      "alan yeşil renk olacaktır.",
      "Bu durumda programın tüm özelliklerini kullanabilirsiniz.",
      "",
      "BAŞARILAR !",
  };
  return lines;
}

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent) {
  setObjectName("Form5");
  setWindowTitle("Yardım");
  setFixedSize(445, 285);

  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName("Memo1");
  Memo1->setReadOnly(true);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
  QFont font = Memo1->font();
  font.setPointSize(12);
  Memo1->setFont(font);
  Memo1->setPlainText(HelpLines().join('\n'));

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Memo1);
}

}  // namespace keldaro::app
