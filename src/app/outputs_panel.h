#pragma once
// The outputs in a dock: each output's state, clients, lines sent and dropped and its last
// error, and the list of outputs set from here (one name a line), kept in the settings
// file. Errors show in the panel, never in a box. A broker's password is shown nowhere
// and kept in the settings file only when the box below the list asks for it; the run
// remembers it by user and host, so applying the names as shown never loses it.
#include <QWidget>
#include <filesystem>
#include <string>
#include <vector>

#include "net/mqtt_passwords.h"

class QLabel;
class QPlainTextEdit;
class QTableWidget;

namespace aismon {

class MqttOptionsRow;
class OutputHub;

class OutputsPanel : public QWidget {
 public:
  OutputsPanel(OutputHub& hub, std::filesystem::path iniPath, QWidget* parent = nullptr);

  void Refresh();
  // Applies the names in the edit box; false with the reason shown when one is bad.
  bool Apply();

  QPlainTextEdit* NamesBox() { return names_; }
  QTableWidget* Table() { return table_; }
  QLabel* ErrorLabel() { return error_; }
  MqttOptionsRow* MqttOptions() { return mqtt_; }

 private:
  // The running outputs' names, passwords included, for the hub and the settings file.
  std::vector<std::string> RunningNames() const;
  bool Store();
  void CaFileChanged(const std::string& caFile);

  OutputHub& hub_;
  std::filesystem::path iniPath_;
  QTableWidget* table_;
  QPlainTextEdit* names_;
  QLabel* error_;
  MqttOptionsRow* mqtt_;
  MqttPasswords passwords_;
};

}  // namespace aismon
