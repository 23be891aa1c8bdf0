#include "app/outputs_panel.h"

#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

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
  column->addWidget(table_, 1);
  names_ = new QPlainTextEdit(this);
  names_->setObjectName(QStringLiteral("OutputNames"));
  names_->setPlaceholderText(QString::fromUtf8("1行に1つ: tcp-server:10110、udp:192.168.1.20:10110、mqtt://host/ais"));
  names_->setMaximumHeight(80);
  column->addWidget(names_);
  auto* apply = new QPushButton(QString::fromUtf8("出力を設定"), this);
  apply->setObjectName(QStringLiteral("ButtonApplyOutputs"));
  connect(apply, &QPushButton::clicked, this, [this] { Apply(); });
  column->addWidget(apply);
  error_ = new QLabel(this);
  error_->setObjectName(QStringLiteral("OutputsError"));
  error_->setWordWrap(true);
  error_->setStyleSheet(QStringLiteral("QLabel { color: rgb(200, 0, 0); }"));
  column->addWidget(error_);
  QStringList shown;
  for (size_t i = 0; i < hub_.Count(); ++i) shown << QString::fromStdString(hub_.Status(i).name);
  names_->setPlainText(shown.join(QLatin1Char('\n')));
  Refresh();
}

bool OutputsPanel::Apply() {
  std::vector<std::string> names;
  for (const QString& line : names_->toPlainText().split(QLatin1Char('\n'))) {
    const QString name = line.trimmed();
    if (!name.isEmpty()) names.push_back(name.toStdString());
  }
  std::string error;
  if (!hub_.SetOutputs(names, &error)) {
    error_->setText(QString::fromStdString(error));
    return false;
  }
  // Passwords stay out of the settings file unless a person writes them there by hand.
  if (!WriteOutputsSection(iniPath_, names, false)) {
    error_->setText(QString::fromUtf8("設定ファイルに書けませんでした"));
    return false;
  }
  error_->clear();
  Refresh();
  return true;
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
