#include "app/limit_spin_box.h"

#include <QToolTip>
#include <cmath>

namespace aismon {

LimitSpinBox::LimitSpinBox(QWidget* parent, QString what) : QDoubleSpinBox(parent), what_(std::move(what)) {
  connect(this, &QDoubleSpinBox::valueChanged, this, [this] { refusal_.clear(); });
  // Enter or leaving the field with a value in range (changed or not) takes it.
  connect(this, &QAbstractSpinBox::editingFinished, this, [this] {
    if (!refusedNow_) refusal_.clear();
    refusedNow_ = false;
  });
}

QValidator::State LimitSpinBox::validate(QString& text, int& pos) const {
  const QValidator::State s = QDoubleSpinBox::validate(text, pos);
  if (s != QValidator::Invalid) return s;
  // A number outside the range stays in the field until it is applied, and is refused then.
  bool ok = false;
  const double v = locale().toDouble(text.trimmed(), &ok);
  return ok && std::isfinite(v) ? QValidator::Intermediate : QValidator::Invalid;
}

void LimitSpinBox::fixup(QString& input) const {
  const QString typed = input.trimmed();
  if (!typed.isEmpty()) {
    refusedNow_ = true;
    refusal_ = QString::fromUtf8("%1 は %2 から %3 までです。「%4」は使いません。")
                   .arg(what_, textFromValue(minimum()), textFromValue(maximum()), typed);
    QToolTip::showText(mapToGlobal(QPoint(0, height())), refusal_, const_cast<LimitSpinBox*>(this));
  }
  QDoubleSpinBox::fixup(input);
}

}  // namespace aismon
