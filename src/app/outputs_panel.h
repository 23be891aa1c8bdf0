#pragma once
// The outputs in a dock: each output's state, clients, lines sent and dropped and its last
// error, and the list of outputs set from here (one name a line), kept in the settings
// file. Errors show in the panel, never in a box.
#include <QWidget>
#include <filesystem>

class QLabel;
class QPlainTextEdit;
class QTableWidget;

namespace aismon {

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

 private:
  OutputHub& hub_;
  std::filesystem::path iniPath_;
  QTableWidget* table_;
  QPlainTextEdit* names_;
  QLabel* error_;
};

}  // namespace aismon
