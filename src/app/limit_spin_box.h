#pragma once
// A watch-limit field that says why it refuses a value. Qt's spin box drops a keystroke
// that would leave its range, so typing 99 into a field that ends at 20 silently gave 9.
// Here any number can be typed; on Enter or leaving the field a value out of the range is
// refused, the field goes back to its value, and the reason is shown beside it.
#include <QDoubleSpinBox>
#include <QString>

namespace aismon {

class LimitSpinBox : public QDoubleSpinBox {
 public:
  LimitSpinBox(QWidget* parent, QString what);
  // Why the last value typed was refused; empty once a value is taken.
  const QString& Refusal() const { return refusal_; }

 protected:
  QValidator::State validate(QString& text, int& pos) const override;
  void fixup(QString& input) const override;

 private:
  QString what_;
  mutable QString refusal_;
  mutable bool refusedNow_ = false;  // fixup refused what this edit typed
};

}  // namespace aismon
