#include "app/source_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <utility>

#include "app/mqtt_options_row.h"
#include "net/mqtt_name.h"
#include "net/outputs_settings.h"
#include "net/source_name.h"
#include "shipdb/ship_records.h"

namespace aismon {

SourceDialog::SourceDialog(QWidget* parent, Apply apply) : QDialog(parent), apply_(std::move(apply)) {
  setObjectName(QStringLiteral("SourceDialog"));
  setWindowTitle(QString::fromUtf8("受信元の設定"));
  list_ = new QListWidget(this);
  edit_ = new QLineEdit(this);
  edit_->setPlaceholderText(QStringLiteral("udp:10110"));
  auto* hint = new QLabel(QString::fromUtf8(
                              "例: udp:10110 (このポートで待ち受け)、udp:239.192.0.1@60001 (マルチキャスト)、\n"
                              "tcp:192.168.1.10:10110 (受信機のサーバーに接続)、\n"
                              "mqtt://ユーザー@ブローカー/ais/+/nmea (ブローカーから購読)。8 個まで。"),
                          this);
  message_ = new QLabel(this);
  message_->setStyleSheet(QStringLiteral("color: #c00000"));
  auto* add = new QPushButton(QString::fromUtf8("追加"), this);
  auto* change = new QPushButton(QString::fromUtf8("変更"), this);
  auto* remove = new QPushButton(QString::fromUtf8("削除"), this);
  auto* close = new QPushButton(QString::fromUtf8("閉じる"), this);
  add->setObjectName(QStringLiteral("SourceAdd"));
  change->setObjectName(QStringLiteral("SourceChange"));
  remove->setObjectName(QStringLiteral("SourceRemove"));
  // What the monitor sends on is set beside what it hears.
  outputs_ = new QPushButton(QString::fromUtf8("出力の設定…"), this);
  outputs_->setObjectName(QStringLiteral("SourceOutputs"));
  outputs_->setEnabled(false);
  auto* grid = new QGridLayout(this);
  grid->addWidget(list_, 0, 0, 4, 1);
  grid->addWidget(add, 0, 1);
  grid->addWidget(change, 1, 1);
  grid->addWidget(remove, 2, 1);
  grid->addWidget(outputs_, 3, 1);
  grid->addWidget(edit_, 4, 0);
  grid->addWidget(close, 4, 1);
  grid->addWidget(message_, 5, 0, 1, 2);
  grid->addWidget(hint, 6, 0, 1, 2);
  // Several receivers, or a network feed, hear more stations than one receiver.
  stations_ = new QSpinBox(this);
  stations_->setObjectName(QStringLiteral("Stations"));
  stations_->setRange(kMinStations, kMaxStations);
  stations_->setSingleStep(1024);
  stations_->setSuffix(QString::fromUtf8(" 局"));
  stations_->setKeyboardTracking(false);
  stationsNow_ = new QLabel(this);
  auto* stationsRow = new QHBoxLayout;
  stationsRow->addWidget(new QLabel(QString::fromUtf8("同時に追跡する最大局数:"), this));
  stationsRow->addWidget(stations_);
  stationsRow->addWidget(stationsNow_, 1);
  grid->addLayout(stationsRow, 7, 0, 1, 2);
  // The choice is the dialog's, not each row's: whether passwords may sit in the settings
  // file is a question about that file, the same for every broker.
  mqtt_ = new MqttOptionsRow(false, QString(), this);
  mqtt_->setEnabled(false);  // until there is a settings file to keep the choice in
  mqtt_->onKeepChanged = [this](bool keep) {
    if (!WriteKeepPasswords(iniPath_, PasswordList::Sources, keep))
      message_->setText(QString::fromUtf8("設定ファイルに書けませんでした"));
    Commit(full_);  // the stored list with or without the passwords
  };
  mqtt_->onCaFileChanged = [this](const QString& file) {
    if (!WriteMqttCaFile(iniPath_, file.toStdString()))
      message_->setText(QString::fromUtf8("設定ファイルに書けませんでした"));
    Commit(full_);  // the mqtts:// sources connect again with it
  };
  grid->addWidget(mqtt_, 8, 0, 1, 2);
  connect(stations_, &QSpinBox::valueChanged, this, [this](int n) {
    if (storeStations_ && !storeStations_(n)) message_->setText(QString::fromUtf8("最大局数を設定ファイルに保存できません"));
  });
  connect(add, &QPushButton::clicked, this, [this] { AddSource(edit_->text()); });
  connect(change, &QPushButton::clicked, this, [this] { ChangeSource(list_->currentRow(), edit_->text()); });
  connect(remove, &QPushButton::clicked, this, [this] { RemoveSource(list_->currentRow()); });
  connect(close, &QPushButton::clicked, this, &QDialog::close);
  connect(outputs_, &QPushButton::clicked, this, [this] {
    if (showOutputs_) showOutputs_();
  });
  connect(edit_, &QLineEdit::returnPressed, this, [this] { AddSource(edit_->text()); });
  connect(list_, &QListWidget::currentTextChanged, this, [this](const QString& t) { edit_->setText(t); });
}

void SourceDialog::SetStations(int stations, int setting, std::function<bool(int)> store) {
  storeStations_ = nullptr;  // showing the setting is not a change
  stations_->setValue(setting);
  storeStations_ = std::move(store);
  stationsNow_->setText(QString::fromUtf8("（現在 %1 局。変更は次回の起動から）").arg(stations));
}

void SourceDialog::SetSettingsFile(std::filesystem::path iniPath) {
  iniPath_ = std::move(iniPath);
  // Showing the file's settings is not a change.
  auto keepHook = std::exchange(mqtt_->onKeepChanged, nullptr);
  auto caHook = std::exchange(mqtt_->onCaFileChanged, nullptr);
  mqtt_->KeepPasswords()->setChecked(ReadKeepPasswords(iniPath_, PasswordList::Sources));
  mqtt_->CaFile()->setText(QString::fromStdString(ReadMqttCaFile(iniPath_)));
  mqtt_->CaFileEdited();
  mqtt_->onKeepChanged = std::move(keepHook);
  mqtt_->onCaFileChanged = std::move(caHook);
  mqtt_->setEnabled(true);
}

void SourceDialog::SetNames(const std::vector<std::string>& names) {
  // The list shows each name without a password; the names applied keep it.
  full_ = names;
  list_->clear();
  for (const std::string& n : names) {
    passwords_.Complete(n);  // learns the passwords the run was given
    SourceAddress a;
    list_->addItem(QString::fromStdString(ParseSourceName(n, a) ? SourceName(a) : n));
  }
}

std::vector<std::string> SourceDialog::Names() const { return full_; }

std::string SourceDialog::FullName(SourceAddress& a) {
  if (a.kind != SourceKind::Mqtt) return SourceName(a);
  // What the source runs with: its user's password, given now or earlier in this run.
  passwords_.Learn(a.mqtt);
  passwords_.Fill(a.mqtt);
  return MqttName(a.mqtt);
}

bool SourceDialog::Commit(std::vector<std::string> names) {
  std::string error;
  if (!apply_(names, &error)) {
    message_->setText(QString::fromStdString(error));
    return false;
  }
  message_->clear();
  const int row = list_->currentRow();
  SetNames(names);
  list_->setCurrentRow(row < list_->count() ? row : list_->count() - 1);
  return true;
}

bool SourceDialog::AddSource(const QString& text) {
  SourceAddress a;
  std::string error;
  if (!ParseSourceName(text.toStdString(), a, &error)) {
    message_->setText(QString::fromStdString(error));
    return false;
  }
  const std::string full = FullName(a);
  std::vector<std::string> names = Names();
  for (const std::string& n : names) {
    SourceAddress b;
    if (ParseSourceName(n, b) && b == a) {
      message_->setText(QString::fromUtf8("同じ受信元がすでにあります"));
      return false;
    }
  }
  if (names.size() >= static_cast<size_t>(kMaxNetworkSources)) {
    message_->setText(QString::fromUtf8("受信元は 8 個までです"));
    return false;
  }
  names.push_back(full);
  return Commit(std::move(names));
}

bool SourceDialog::ChangeSource(int row, const QString& text) {
  std::vector<std::string> names = Names();
  if (row < 0 || row >= static_cast<int>(names.size())) {
    message_->setText(QString::fromUtf8("変更する受信元を選んでください"));
    return false;
  }
  SourceAddress a;
  std::string error;
  if (!ParseSourceName(text.toStdString(), a, &error)) {
    message_->setText(QString::fromStdString(error));
    return false;
  }
  names[static_cast<size_t>(row)] = FullName(a);
  return Commit(std::move(names));
}

bool SourceDialog::RemoveSource(int row) {
  std::vector<std::string> names = Names();
  if (row < 0 || row >= static_cast<int>(names.size())) {
    message_->setText(QString::fromUtf8("削除する受信元を選んでください"));
    return false;
  }
  names.erase(names.begin() + row);
  return Commit(std::move(names));
}

void SourceDialog::SetShowOutputs(std::function<void()> show) {
  showOutputs_ = std::move(show);
  outputs_->setEnabled(static_cast<bool>(showOutputs_));
}

}  // namespace aismon
