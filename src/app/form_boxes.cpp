// The form's message boxes: the receive log's write error (never modal) and the
// ships-of-interest boxes, raised one at a time outside decoding.
#include <QMessageBox>
#include <QTimer>
#include <cstdio>

#include "app/main_window.h"

namespace aismon {

void TForm1::ReportFlushError(const std::string& error) {
  if (error.empty()) return;
  const QString text = FromShiftJis(error);
  std::fprintf(stderr, "aismon: %s\n", text.toLocal8Bit().constData());
  // Not modal: neither the polling nor a close waits for the user. The log keeps the
  // error to the first of a run of failures, so this appears once.
  auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
  box->setObjectName(QStringLiteral("ReceiveLogError"));
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setModal(false);
  box->show();
}

void TForm1::ShowWatchBox(std::string_view caption, std::string_view text) {
  if (closed_) return;  // decoding what was read at close: nobody is there to answer a box
  // Raised after decoding has returned, never from inside it: a modal loop started here
  // would stop the reading of every source for as long as the box stays open.
  watchBoxes_.push_back({FromShiftJis(caption), FromShiftJis(text)});
  QTimer::singleShot(0, this, [this] { RaiseWatchBoxes(); });
}

void TForm1::RaiseWatchBoxes() {
  if (watchBoxOpen_) return;  // the open box's loop raises the rest when it is closed
  watchBoxOpen_ = true;
  while (!watchBoxes_.empty() && !closed_) {
    const auto [caption, text] = watchBoxes_.front();
    watchBoxes_.pop_front();
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, this);
    box.exec();
  }
  watchBoxOpen_ = false;
}

}  // namespace aismon
