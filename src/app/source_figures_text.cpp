#include "app/source_figures_text.h"

#include "input/intake.h"
#include "input/source_figures.h"

namespace aismon {

namespace {

QString Counts(const SourceSummary& s) {
  return QString::fromUtf8("文: %1  メッセージ: %2 (重複 %3)  局: %4")
      .arg(static_cast<qulonglong>(s.sentences))
      .arg(static_cast<qulonglong>(s.messages))
      .arg(static_cast<qulonglong>(s.duplicates))
      .arg(s.stationsHeard);
}

QString LastHeard(const SourceSummary& s, uint32_t now) {
  if (!s.heard) return QString::fromUtf8("最終受信: なし");
  return QString::fromUtf8("最終受信: %1 秒前").arg((now - s.lastHeardTick) / 1000);
}

}  // namespace

QString SourceFiguresText(const ShipTable& table, const Intake& intake, SourceId id, uint32_t now) {
  const SourceSummary s = SummarizeSource(table, intake, id, now);
  QString text = Counts(s);
  text += QString::fromUtf8("\n直近1分: %1 件  ").arg(s.messagesLastMinute) + LastHeard(s, now);
  if (s.farthestMmsi != 0)
    text += QString::fromUtf8("\n最遠: %1  %2 NM").arg(s.farthestMmsi, 9, 10, QLatin1Char('0')).arg(s.farthestNm, 0, 'f', 1);
  else if (!OwnShipHasFix(table, intake))
    text += QString::fromUtf8("\n最遠: 自船位置が不明です");
  else
    text += QString::fromUtf8("\n最遠: 位置のある局はありません");
  for (int i = 0; i < intake.sources.Count(); ++i) {
    const SourceId sub = static_cast<SourceId>(i);
    if (intake.sources.Parent(sub) != id) continue;
    const SourceSummary t = SummarizeSource(table, intake, sub, now);
    text += QStringLiteral("\n  ") + QString::fromUtf8(intake.sources.Name(sub)) + QStringLiteral(": ") + Counts(t);
  }
  return text;
}

}  // namespace aismon
