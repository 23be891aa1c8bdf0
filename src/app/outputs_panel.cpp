#include "app/outputs_panel.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/mqtt_options_row.h"
#include "net/outputs_settings.h"
#include "net/qt/output_hub.h"

namespace aismon {

namespace {

QString StateText(OutputState s) {
  switch (s) {
    case OutputState::Open:
      return QString::fromUtf8("動作中");
    case OutputState::Starting:
      return QString::fromUtf8("開始中");
    default:
      return QString::fromUtf8("再接続待ち");
  }
}

}  // namespace

OutputsPanel::OutputsPanel(OutputHub& hub, std::filesystem::path iniPath, QWidget* parent)
    : QWidget(parent), hub_(hub), iniPath_(std::move(iniPath)) {
  setObjectName(QStringLiteral("OutputsPanel"));
  auto* column = new QVBoxLayout(this);
  table_ = new QTableWidget(0, 6, this);
  table_->setObjectName(QStringLiteral("OutputsTable"));
  table_->setHorizontalHeaderLabels({QString::fromUtf8("出力"), QString::fromUtf8("状態"), QString::fromUtf8("接続"),
                                     QString::fromUtf8("送信行"), QString::fromUtf8("破棄行"),
                                     QString::fromUtf8("エラー")});
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // A few rows are enough beside the chart on a laptop screen; the dock can be made taller.
  table_->setMinimumHeight(48);
  column->addWidget(table_, 1);
  names_ = new QPlainTextEdit(this);
  names_->setObjectName(QStringLiteral("OutputNames"));
  names_->setPlaceholderText(QString::fromUtf8("1行に1つ: tcp-server:10110、udp:192.168.1.20:10110、mqtt://host/ais"));
  names_->setMaximumHeight(80);
  names_->setMinimumHeight(40);
  column->addWidget(names_);
  auto* apply = new QPushButton(QString::fromUtf8("出力を設定"), this);
  apply->setObjectName(QStringLiteral("ButtonApplyOutputs"));
  connect(apply, &QPushButton::clicked, this, [this] { Apply(); });
  column->addWidget(apply);
  // One choice for the panel: the names are one text, and whether passwords may sit in the
  // settings file is a question about that file, the same for every broker.
  mqtt_ = new MqttOptionsRow(ReadKeepPasswords(iniPath_, PasswordList::Outputs),
                             QString::fromStdString(ReadMqttCaFile(iniPath_)), this);
  mqtt_->onKeepChanged = [this](bool keep) {
    if (!WriteKeepPasswords(iniPath_, PasswordList::Outputs, keep) || !Store())
      error_->setText(QString::fromUtf8("設定ファイルに書けませんでした"));
  };
  mqtt_->onCaFileChanged = [this](const QString& file) { CaFileChanged(file.toStdString()); };
  column->addWidget(mqtt_);
  error_ = new QLabel(this);
  error_->setObjectName(QStringLiteral("OutputsError"));
  error_->setWordWrap(true);
  error_->setStyleSheet(QStringLiteral("QLabel { color: rgb(200, 0, 0); }"));
  column->addWidget(error_);
  QStringList shown;
  for (size_t i = 0; i < hub_.Count(); ++i) {
    shown << QString::fromStdString(hub_.Status(i).name);
    passwords_.Learn(hub_.Address(i).mqtt);
  }
  names_->setPlainText(shown.join(QLatin1Char('\n')));
  Refresh();
}

bool OutputsPanel::Apply() {
  std::vector<std::string> names;
  for (const QString& line : names_->toPlainText().split(QLatin1Char('\n'))) {
    const QString name = line.trimmed();
    // The box shows names without passwords: one the run holds for that user and host
    // goes back in.
    if (!name.isEmpty()) names.push_back(passwords_.Complete(name.toStdString()));
  }
  std::string error;
  if (!hub_.SetOutputs(names, &error)) {
    error_->setText(QString::fromStdString(error));
    return false;
  }
  if (!Store()) {
    error_->setText(QString::fromUtf8("設定ファイルに書けませんでした"));
    return false;
  }
  error_->clear();
  Refresh();
  return true;
}

std::vector<std::string> OutputsPanel::RunningNames() const {
  std::vector<std::string> names;
  for (size_t i = 0; i < hub_.Count(); ++i) names.push_back(OutputName(hub_.Address(i), true));
  return names;
}

bool OutputsPanel::Store() {
  return WriteOutputsSection(iniPath_, RunningNames(), mqtt_->KeepPasswords()->isChecked());
}

void OutputsPanel::CaFileChanged(const std::string& caFile) {
  if (!WriteMqttCaFile(iniPath_, caFile)) error_->setText(QString::fromUtf8("設定ファイルに書けませんでした"));
  // The mqtts:// outputs connect again, trusting the new file.
  hub_.SetCaFile(caFile);
  std::string error;
  if (!hub_.SetOutputs(RunningNames(), &error)) error_->setText(QString::fromStdString(error));
  Refresh();
}

void OutputsPanel::Refresh() {
  const int rows = static_cast<int>(hub_.Count());
  if (table_->rowCount() != rows) table_->setRowCount(rows);
  for (int r = 0; r < rows; ++r) {
    const OutputStatus s = hub_.Status(static_cast<size_t>(r));
    const QString cells[6] = {QString::fromStdString(s.name), StateText(s.state), QString::number(s.clients),
                              QString::number(s.linesSent), QString::number(s.linesDropped),
                              QString::fromStdString(s.lastError)};
    for (int c = 0; c < 6; ++c) {
      QTableWidgetItem* it = table_->item(r, c);
      if (it == nullptr) table_->setItem(r, c, it = new QTableWidgetItem);
      if (it->text() != cells[c]) it->setText(cells[c]);
    }
  }
}

}  // namespace aismon
