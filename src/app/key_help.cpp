#include "app/key_help.h"

#include <QMessageBox>

namespace aismon {

QString KeyHelpText() {
  return QString::fromUtf8(
      "【キー】\n"
      "  ← → ↑ ↓ : その方向を見る (海図を移動)\n"
      "  H / J / U / N : 海図を左 / 右 / 上 / 下へ移動\n"
      "  + / Page Up : 拡大 (Ctrl で 1%)\n"
      "  − / Page Down : 縮小 (Ctrl で 1%)\n"
      "  A : 警報確認\n"
      "  M : 距離と方位を測る (クリックで始点、もう一度で終点)、M または Esc で終了\n"
      "  Ctrl+C : 選択した船を一行の文字でコピー\n"
      "  F1 : この一覧\n"
      "\n"
      "【マウス】\n"
      "  左クリック : 船を選択 (海図がキーを受け取る)\n"
      "  ドラッグ : 海図を移動\n"
      "  ダブルクリック : その点を中心に\n"
      "  ホイール : ポインタの位置を中心に拡大・縮小 (Ctrl で 1%)\n"
      "  右ボタンを押したままホイール : 海図を回転\n"
      "  右上の COM 行をクリック : 受信元の設定\n"
      "  警報の行をクリック : その警報を確認\n"
      "\n"
      "【パネル】\n"
      "  全船表示 / 自船中心 / North-Up / Heading-Up : 表示の方式\n"
      "  警戒設定の欄 : Enter またはほかをクリックで適用");
}

void ShowKeyHelp(QWidget* parent) {
  auto* box = new QMessageBox(QMessageBox::Information, QString::fromUtf8("操作一覧"), KeyHelpText(), QMessageBox::Ok,
                              parent);
  box->setObjectName(QStringLiteral("KeyHelp"));
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setModal(false);
  box->show();
}

void ShowKeyHelpOnce(QWidget* parent) {
  if (parent->findChild<QWidget*>(QStringLiteral("KeyHelp")) == nullptr) ShowKeyHelp(parent);
}

}  // namespace aismon
