#pragma once
// The small dialog that adds, changes and removes network sources. Every change is handed
// to `apply` at once; the dialog shows the reason when a name is not a source. Brokers'
// passwords are shown nowhere; the run remembers them by user and host, so a name changed
// as shown keeps its password.
#include <QDialog>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "net/mqtt_passwords.h"
#include "net/source_name.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace aismon {

class MqttOptionsRow;

class SourceDialog : public QDialog {
 public:
  using Apply = std::function<bool(const std::vector<std::string>& names, std::string* error)>;
  SourceDialog(QWidget* parent, Apply apply);

  void SetNames(const std::vector<std::string>& names);
  std::vector<std::string> Names() const;

  // The buttons' actions, also driven by tests.
  bool AddSource(const QString& text);
  bool ChangeSource(int row, const QString& text);
  bool RemoveSource(int row);

  QListWidget* List() { return list_; }
  QLineEdit* Edit() { return edit_; }
  QLabel* Message() { return message_; }

  // The row for the table's capacity: `stations` is what the table holds now, `setting`
  // what the next start takes; a change of the box is handed to `store` (false: not saved).
  void SetStations(int stations, int setting, std::function<bool(int)> store);
  QSpinBox* Stations() { return stations_; }

  // Where the outputs are set (the window's outputs dock); the button stays disabled
  // until it is given.
  void SetShowOutputs(std::function<void()> show);
  QPushButton* OutputsButton() { return outputs_; }

  // The settings file whose broker settings the dialog shows and changes: whether the
  // sources' passwords are kept there, and the CA file for mqtts://. A change is written
  // there and the names are applied again, so the sources and the stored list follow it.
  void SetSettingsFile(std::filesystem::path iniPath);
  MqttOptionsRow* MqttOptions() { return mqtt_; }

 private:
  bool Commit(std::vector<std::string> names);
  std::string FullName(SourceAddress& a);

  Apply apply_;
  QListWidget* list_ = nullptr;
  QLineEdit* edit_ = nullptr;
  QLabel* message_ = nullptr;
  QSpinBox* stations_ = nullptr;
  QLabel* stationsNow_ = nullptr;
  std::function<bool(int)> storeStations_;
  std::vector<std::string> full_;  // the names as applied, passwords included
  MqttPasswords passwords_;
  MqttOptionsRow* mqtt_ = nullptr;
  std::filesystem::path iniPath_;
  QPushButton* outputs_ = nullptr;
  std::function<void()> showOutputs_;
};

}  // namespace aismon
