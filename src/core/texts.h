#pragma once

#include <array>

#include "core/version.h"

// Every text the program shows or writes on every platform, in UTF-8, in one place. Texts that
// only one front-end shows live beside it.
namespace zelvano::texts {

// Error boxes: text, then caption.
inline constexpr const char* unlockedStartText = "設定を確定してください";
inline constexpr const char* unlockedStartCaption = "設定エラー";
inline constexpr const char* invalidSettingsText
    = "Bell回数は1～5(回)で設定してください\n設定時間は1～600(分)で設定してください";
inline constexpr const char* invalidSettingsCaption = "設定値ミス";
inline constexpr const char* noSlidesText = "スライドデータがありません";
inline constexpr const char* noSlidesCaption = "スライド数エラー";
inline constexpr const char* reportNotSavedText = "レポートを保存できませんでした";
inline constexpr const char* settingsNotSavedText = "設定をファイルに保存できませんでした";
inline constexpr const char* saveFailedCaption = "保存エラー";

// The settings toggle names the action it performs next.
inline constexpr const char* settingsToggleInitial = "設定変更(&C)";
inline constexpr const char* settingsToggleUnlock = "設定変更";
inline constexpr const char* settingsToggleConfirm = "設定確定";

// Formats: display, lap line, report header (printf style).
inline constexpr const char* displayFormat = "%.3d:%.2d";
inline constexpr const char* lapLineFormat = "[Slide%.3d] %3d:%.2d  累積:%3d:%.2d";
inline constexpr const char* reportHeaderFormat = "発表日　%4d年%2d月%2d日 %02d:%02d:%02d\r\n\r\n";

// Standard error when the sound thread cannot be started: the timer runs on without sound.
inline constexpr const char* noSoundThreadMessage
    = "Zelvano: 音を鳴らせません (no sound: the sound thread could not be started)";
// Standard error when the sound server's client library cannot be loaded: the timer runs on
// without sound.
inline constexpr const char* noSoundLibraryMessage
    = "Zelvano: 音を鳴らせません (no sound: libpulse.so.0 could not be loaded)";

// Why the screen stays on while the timer runs, where the desktop lists what keeps it awake.
inline constexpr const char* screenAwakeReason = "発表中のため画面を点けたままにします";

// Developer trace when nothing on the machine can be asked to keep the screen awake while the
// timer runs: the timer runs on, and the screen may blank at the idle timeout.
inline constexpr const char* screenAwakeUnavailable
    = "Zelvano: 画面を点けたままにできません (the screen may blank: nothing keeps it awake)";

// Developer trace when the window's choices file is missing, unreadable or not understood.
inline constexpr const char* choicesNotReadTrace
    = "Zelvano: window.ini を読めません (missing, unreadable or malformed: the window's choices "
      "start from their defaults)";

// Developer traces of the sound device: one that failed or stood still while it held sound (it is
// opened anew and plays on what was not heard), and one that would not close (it is asked again,
// and at the next open once more before it is left to the system).
inline constexpr const char* soundDeviceFailed
    = "Zelvano: 音の出力が止まりました (the sound device failed or stood still: opened anew)";
inline constexpr const char* soundDeviceNotClosed
    = "Zelvano: 音の出力を閉じられません (the sound device would not close)";
// Developer trace when rings pile up for a sound thread that has been stuck for seconds.
inline constexpr const char* soundThreadStuck
    = "Zelvano: 音の処理が止まっています (the sound thread is stuck: a ring is dropped)";

// Developer trace when the screen saver or the portal refuses to let go of what it was asked to
// hold: the screen may stay on until the program ends.
inline constexpr const char* screenAwakeNotReleased
    = "Zelvano: 画面を点けたままの指定を解除できません (the screen may stay on until the program ends)";

// Developer trace for any failed file operation.
inline constexpr const char* fileIoError = "File IO Error";

// Main window.
inline constexpr const char* windowCaption = "Zelvano";
inline constexpr const char* closeButton = "閉じる";
inline constexpr const char* startButton = "開始(&B)";
inline constexpr const char* stopButton = "停止(&E)";
inline constexpr const char* slideButton = "スライド(&C)";
inline constexpr const char* saveButton = "保存(&S)";
inline constexpr const char* testButton = "テスト(&T)";
inline constexpr const char* bellGroup = "Bell";
inline constexpr const char* timerGroup = "タイマ";
inline constexpr const char* slideGroup = "スライド";
inline constexpr const char* bell1Label = "1回目のベル";
inline constexpr const char* bell2Label = "2回目のベル";
inline constexpr const char* bell3Label = "3回目のベル";
inline constexpr const char* minutesLabel = "分後に";
inline constexpr const char* timesLabel = "回";

// What a screen reader says for the controls whose own text does not tell what they hold.
inline constexpr const char* displayAccessibleName = "経過時間";
inline constexpr const char* lapListAccessibleName = "スライド一覧";
inline constexpr const char* bell1MinutesAccessibleName = "1回目のベル 分";
inline constexpr const char* bell2MinutesAccessibleName = "2回目のベル 分";
inline constexpr const char* bell3MinutesAccessibleName = "3回目のベル 分";
inline constexpr const char* bell1CountAccessibleName = "1回目のベル 回数";
inline constexpr const char* bell2CountAccessibleName = "2回目のベル 回数";
inline constexpr const char* bell3CountAccessibleName = "3回目のベル 回数";

// Window menu and About box.
inline constexpr const char* stayOnTopMenuItem = "常に手前に表示(&W)";
inline constexpr const char* bellColoursMenuItem = "ベルの色で表示(&L)";
inline constexpr const char* speakerViewMenuItem = "発表者用の大きな表示(&F)";
inline constexpr const char* remainingLargeMenuItem = "残り時間を大きく表示(&R)";
inline constexpr const char* lapsFromSlideTurnsMenuItem = "スライド送りでラップを記録(&K)";
inline constexpr const char* aboutMenuItem = "Zelvanoのﾊﾞｰｼﾞｮﾝ情報(&A)...";
inline constexpr const char* aboutCaption = "Zelvanoのﾊﾞｰｼﾞｮﾝ情報";
inline constexpr const char* aboutVersionLine = "Zelvano Version " ZELVANO_VERSION_SHORT;
inline constexpr const char* aboutNotice = ZELVANO_NOTICE;
inline constexpr const char* okButton = "OK";

// The speaker's view: a second window with the time large, for the lectern. Its time drops the
// display's leading zeros; beneath it, the time to the next bell ("2回目のベルまで 1:35") or
// since the last ("3回目のベルから +0:42"), and with colour on, one mark per bell reached.
inline constexpr const char* speakerViewCaption = "Zelvano 発表者用表示";
inline constexpr const char* lecternTimeFormat = "%s%lld:%.2lld";
inline constexpr const char* overtimeFormat = "+%s";
inline constexpr const char* untilBellFormat = "%d回目のベルまで";
inline constexpr const char* sinceBellFormat = "%d回目のベルから";
inline constexpr const char* countdownCaptionFormat = "%s %s";
inline constexpr const char* elapsedCaptionFormat = "%s (経過 %s)";
inline constexpr const char* bellReachedMark = "●";
inline constexpr const char* bellAheadMark = "○";
// Between the marks and the caption, where both are shown.
inline constexpr const char* marksCaptionGap = "  ";

// What a screen reader adds to the display's time: how far the talk has gone by the bells, indexed
// by bell phase, since the colour of the digits is not seen by everyone.
inline constexpr std::array<const char*, 4> bellPhaseDescriptions { "ベルはまだ鳴っていません",
    "1回目のベルを過ぎました", "2回目のベルを過ぎました", "3回目のベルを過ぎました" };

// Showing the time on a phone: the window's menu item, the sharing window, the main window's sign
// while sharing is on, and the page the phones are sent.
inline constexpr const char* shareMenuItem = "スマートフォンで表示(&P)...";
inline constexpr const char* shareWindowCaption = "スマートフォンで表示";
inline constexpr const char* shareScanHint = "スマートフォンのカメラでこのコードを読み取ってください";
inline constexpr const char* shareAddressLabel = "アドレス";
inline constexpr const char* shareNetworkLabel = "ネットワーク";
inline constexpr const char* shareDevicesFormat = "表示中の端末: %d台";
inline constexpr const char* shareStopButton = "共有を停止(&S)";
inline constexpr const char* shareIndicatorFormat = "スマートフォンで表示中 (%d台)";
inline constexpr const char* shareNoNetwork
    = "使えるネットワークがありません。Wi-Fiかケーブルでネットワークにつないでください";
inline constexpr const char* shareNotStarted = "共有を開始できませんでした";
inline constexpr const char* sharePageTitle = "Zelvano";
inline constexpr const char* shareConnectionLost = "接続が切れました";
inline constexpr const char* shareFullscreenButton = "全画面";
inline constexpr const char* shareTapHint = "タップで経過時間と残り時間を切り替え";
inline constexpr const char* shareTooManyDevices
    = "表示できる端末は16台までです。ほかの端末で表示を閉じてから、もう一度開いてください";

} // namespace zelvano::texts
