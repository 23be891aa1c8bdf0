#include "app/qt_translations.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>

namespace aismon {
namespace {

bool HasJapanese(const QString& s) {
  for (const QChar c : s)
    if (c.unicode() >= 0x3000 && c.unicode() <= 0x9FFF) return true;
  return false;
}

// The log-open dialog and the message boxes, as Qt builds them, in Japanese.
TEST(QtJapanese, StandardDialogsSpeakJapanese) {
  const QLocale before;
  QTranslator* translator = InstallQtJapanese(*QCoreApplication::instance());
  ASSERT_NE(translator, nullptr) << "Qt's Japanese translations (qt6-translations-l10n) are not installed";
  {
    QFileDialog dialog(nullptr, QString(), QString(), QStringLiteral("*.txt (*.txt);;*.log (*.log)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    struct Row {
      const char* object;
      const char* english;
    };
    for (const Row& r : {Row{"lookInLabel", "Look in:"}, Row{"fileNameLabel", "File &name:"},
                         Row{"fileTypeLabel", "Files of type:"}}) {
      auto* label = dialog.findChild<QLabel*>(QString::fromLatin1(r.object));
      ASSERT_NE(label, nullptr) << r.object;
      EXPECT_NE(label->text(), QString::fromLatin1(r.english)) << r.object;
      EXPECT_TRUE(HasJapanese(label->text())) << r.object << ": " << label->text().toStdString();
    }
    auto* buttons = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    ASSERT_NE(buttons, nullptr);
    ASSERT_NE(buttons->button(QDialogButtonBox::Open), nullptr);
    EXPECT_TRUE(HasJapanese(buttons->button(QDialogButtonBox::Open)->text()))
        << buttons->button(QDialogButtonBox::Open)->text().toStdString();
    ASSERT_NE(buttons->button(QDialogButtonBox::Cancel), nullptr);
    EXPECT_EQ(buttons->button(QDialogButtonBox::Cancel)->text(), QString::fromUtf8("キャンセル"));
  }
  {
    QMessageBox box(QMessageBox::NoIcon, QString(), QString(), QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QString::fromUtf8("キャンセル"));
  }
  QCoreApplication::removeTranslator(translator);
  delete translator;
  QLocale::setDefault(before);
}

}  // namespace
}  // namespace aismon
