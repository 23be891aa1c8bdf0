#include "app/mqtt_options_row.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace aismon {

MqttOptionsRow::MqttOptionsRow(bool keepPasswords, const QString& caFile, QWidget* parent)
    : QWidget(parent), lastCaFile_(caFile) {
  setObjectName(QStringLiteral("MqttOptions"));
  keep_ = new QCheckBox(QString::fromUtf8("パスワードを保存"), this);
  keep_->setObjectName(QStringLiteral("KeepPasswords"));
  keep_->setChecked(keepPasswords);
  keep_->setToolTip(QString::fromUtf8(
      "ブローカーのパスワードを設定ファイルに書きます。\n外すと、パスワードはこの実行の間だけメモリに置かれます。"));
  caFile_ = new QLineEdit(caFile, this);
  caFile_->setObjectName(QStringLiteral("CaFile"));
  caFile_->setPlaceholderText(QString::fromUtf8("空: システムの証明書"));
  auto* choose = new QToolButton(this);
  choose->setObjectName(QStringLiteral("ChooseCaFile"));
  choose->setText(QStringLiteral("…"));
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->addWidget(keep_, 0, 0, 1, 3);
  grid->addWidget(new QLabel(QString::fromUtf8("CA証明書ファイル (mqtts://)"), this), 1, 0);
  grid->addWidget(caFile_, 1, 1);
  grid->addWidget(choose, 1, 2);
  grid->setColumnStretch(1, 1);
  connect(keep_, &QCheckBox::toggled, this, [this](bool on) {
    if (onKeepChanged) onKeepChanged(on);
  });
  connect(caFile_, &QLineEdit::editingFinished, this, [this] { CaFileEdited(); });
  connect(choose, &QToolButton::clicked, this, [this] {
    const QString file = QFileDialog::getOpenFileName(this, QString::fromUtf8("CA証明書ファイル"), caFile_->text(),
                                                      QString::fromUtf8("証明書 (*.pem *.crt *.cer);;すべて (*)"));
    if (file.isEmpty()) return;
    caFile_->setText(file);
    CaFileEdited();
  });
}

void MqttOptionsRow::CaFileEdited() {
  const QString file = caFile_->text().trimmed();
  if (file == lastCaFile_) return;
  lastCaFile_ = file;
  if (onCaFileChanged) onCaFileChanged(file);
}

}  // namespace aismon
