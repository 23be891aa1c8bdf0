#pragma once
// The list of every key and mouse action of the chart window, in Japanese (F1).
#include <QString>

class QWidget;

namespace aismon {

QString KeyHelpText();
// Shows the list beside the chart, not modal: the watch goes on while it is open.
void ShowKeyHelp(QWidget* parent);
// The same, unless parent already shows it.
void ShowKeyHelpOnce(QWidget* parent);

}  // namespace aismon
