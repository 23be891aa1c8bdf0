#pragma once
// The two broker settings beside a list of names: whether brokers' passwords are kept in
// the settings file (otherwise they live in memory for this run only), and the CA file
// that mqtts:// trusts instead of the system's store, typed or chosen with the button.
#include <QWidget>
#include <functional>

class QCheckBox;
class QLineEdit;
class QToolButton;

namespace aismon {

class MqttOptionsRow : public QWidget {
 public:
  MqttOptionsRow(bool keepPasswords, const QString& caFile, QWidget* parent = nullptr);

  // Told on a person's change only, never for the values given.
  std::function<void(bool keep)> onKeepChanged;
  std::function<void(const QString& caFile)> onCaFileChanged;

  QCheckBox* KeepPasswords() { return keep_; }
  QLineEdit* CaFile() { return caFile_; }
  // Takes the text of the CA field as set (the end of typing, or the file chosen).
  void CaFileEdited();

 private:
  QCheckBox* keep_;
  QLineEdit* caFile_;
  QString lastCaFile_;
};

}  // namespace aismon
