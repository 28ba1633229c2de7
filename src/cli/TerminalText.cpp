#include "cli/TerminalText.h"

#include "sys/Translation.h"

#include <algorithm>
#include <utility>

namespace ornibe {
namespace {

using enum TerminalText;

constexpr TerminalTextRow kRows[] = {
    {UsageLead, toTranslate("%1（ornibe-build --help に使い方があります）")},
    {GivenTwice, toTranslate("%1 が 2 回以上指定されています")},
    {ExcludeEachOther, toTranslate("%1 と %2 は一緒に指定できません")},
    {BothReadStandardInput, toTranslate("%1 と %2 の両方を標準入力（-）から読むことはできません")},
    {UnexpectedArgument, toTranslate("オプションでない引数があります：%1")},
    {UnknownOption, toTranslate("知らないオプションです：%1")},
    {TakesNoValue, toTranslate("%1 は値を取りません")},
    {NeedsValue, toTranslate("%1 には値を指定してください")},
    {Required, toTranslate("%1 %2 を指定してください")},
    {NeedsOption, toTranslate("%1 は %2 と一緒に指定してください")},
    {UnknownMachine, toTranslate("知らないマシンです：%1（%2 のどれかを指定してください）")},
    {TimeZoneIndex,
     toTranslate("--time-zone：Microsoft のタイム ゾーン表の番号ではありません：%1")},
    {LanguageValue, toTranslate("--language：ja か en を指定してください（指定された値：%1）")},
    {VirtioWinNotMedium,
     toTranslate("--virtio-win：フォルダでも ISO イメージファイルでもありません：%1")},
    {VirtioWinOnlyEmpty, toTranslate("--virtio-win-only：ドライバの名前がありません")},
    {VirtioWinOnlyUnknown,
     toTranslate(
         "--virtio-win-only：知らないドライバです：%1（viostor、netkvm、balloon、vioserial、qxl "
         "のどれかを指定してください）")},
    {SourceEmpty,
     toTranslate("--source：空です。フォルダ、ISO イメージファイル、ディスクのデバイスか none "
                 "を指定してください")},
    {SourceNotUsable,
     toTranslate(
         "--source：フォルダでも ISO イメージファイルでもディスクのデバイスでもありません：%1")},
    {DriverNotUsable,
     toTranslate("--driver：読めるファイルでも、TXTSETUP.OEM のあるフォルダでもありません：%1")},
    {PnpDriverNotReadable, toTranslate("--pnp-driver：読めるファイルではありません：%1")},
    {PnpDriverNeedsAnswerFile,
     toTranslate(
         "--unattended か --answer-file を指定してください。virtio-win から取るのがブロック "
         "ドライバだけなら、--virtio-win-only viostor でも組み込めます。")},
    {HotfixSwitchesPlace,
     toTranslate(
         "--hotfix-switches は --hotfix の後に、パッケージごとに 1 回だけ、空でない値で指定して"
         "ください")},
    {SetupAdditionsNeedAnswerFile,
     toTranslate("--unattended か --answer-file を指定してください。")},
    {LogNotWritten, toTranslate("--log：ログを書き込めません：%1")},
    {WorkNotFolder, toTranslate("--work %1 はフォルダではありません")},
    {IsoNotFile, toTranslate("--iso %1 はファイルではありません")},
    {UsbImageNotFile, toTranslate("--usb-image %1 はファイルではありません")},
    {TargetUnreadable, toTranslate("対象のハードウェアを読めません")},
    {ListEntriesNotFloppy,
     toTranslate(
         "--list-entries：TXTSETUP.OEM でも、それのあるフォルダでも、フロッピー イメージでも"
         "ありません：%1")},
    {AnsweredNo, toTranslate("「いいえ」と答えました。「はい」と答えるには --yes を指定します。")},
    {Stopped, toTranslate("中止しました")},
    {HelpUsage, toTranslate("使い方：")},
    {HelpIntro, toTranslate("ornibe ウィザードと同じく、Windows 2000、XP、Server 2003 の\n"
                            "インストール ツリーをカスタマイズして作り、求められれば起動できる\n"
                            "ISO イメージを書きます。確認もビルドもログもウィザードと同じです。\n"
                            "オプションはそれぞれウィザードの設定ページの欄に当たります。")},
    {HelpEnd,
     toTranslate("ログは標準出力に出ます。Ctrl+C でビルドを止めると、動いているステップを\n"
                 "終わらせ、その一時ファイルを消します。\n"
                 "\n"
                 "終了コード：0 ビルドが完了した（完成です！）、1 ビルドが失敗で止まった、\n"
                 "止められた、または思わぬエラー（メモリ不足）で終わった、2 使い方の誤りか\n"
                 "確認で断られた（作業フォルダは何も変わっていません）。--check のとき：\n"
                 "0 問題なし、1 問題か、引き受けるサービスのないディスク コントローラが\n"
                 "見つかった、2 使い方の誤り。")},
    // The progress bar's step names and its count of files.
    {ProgressCopy, toTranslate("コピー")},
    {ProgressImage, toTranslate("イメージ")},
    {ProgressFiles, toTranslate("ファイル")},
    {DriverSourceMissing, toTranslate("--check-driver %1 はファイルでもフォルダでもありません")},
    {AllowUnloadableDriver,
     toTranslate("CD をあとで補うなら、--allow-unloadable-driver でそのまま組み込めます。")},
};

static_assert([] {
    for (std::size_t i = 0; i < std::size(kRows); ++i) {
        if (static_cast<std::size_t>(kRows[i].id) != i) {
            return false;
        }
    }
    return true;
}());

// A refusal of the wizard's checks, by a piece of its text, and the option
// that mends it.
constexpr std::pair<std::string_view, std::string_view> kHints[] = {
    {toTranslate("（FullName）"), toTranslate("--full-name で指定してください。")},
    {toTranslate("（OrgName）"), toTranslate("--organization で指定してください。")},
    {toTranslate("（ComputerName）"), toTranslate("--computer-name で指定してください。")},
    {toTranslate("（AdminPassword）"), toTranslate("--admin-password で指定してください。")},
    {toTranslate("（ProductKey）"), toTranslate("--product-key で指定してください。")},
    {toTranslate("（ProductID）"), toTranslate("--product-key で指定してください。")},
    {toTranslate("（JoinWorkgroup）"), toTranslate("--workgroup で指定してください。")},
    {toTranslate("（TimeZone）"), toTranslate("--time-zone で指定してください。")},
    {toTranslate("PnP ドライバを組み込むには、無人インストールの応答ファイルが"),
     kRows[static_cast<int>(PnpDriverNeedsAnswerFile)].text},
    {toTranslate("$OEM$ のファイルとセットアップ中・最初のログオンのコマンドには"),
     kRows[static_cast<int>(SetupAdditionsNeedAnswerFile)].text},
    {toTranslate("は、この CD では読み込めません。"),
     kRows[static_cast<int>(AllowUnloadableDriver)].text},
};

} // namespace

std::span<const TerminalTextRow> terminalTexts() {
    return kRows;
}

std::string terminalText(TerminalText id, std::initializer_list<std::string_view> values) {
    return translated(kRows[static_cast<std::size_t>(id)].text, values);
}

std::vector<std::string> optionHints(std::string_view message) {
    std::vector<std::string> hints;
    for (const auto& [piece, hint] : kHints) {
        // The message is in the language of the run, or still Japanese
        // where its text has no English yet: the piece is looked for in
        // both.
        if (message.find(piece) != std::string_view::npos ||
            message.find(translated(piece)) != std::string_view::npos) {
            hints.push_back(translated(hint));
        }
    }
    return hints;
}

std::vector<std::string> allOptionHints() {
    std::vector<std::string> hints;
    for (const auto& [piece, hint] : kHints) {
        if (std::ranges::find(hints, translated(hint)) == hints.end()) {
            hints.push_back(translated(hint));
        }
    }
    return hints;
}

} // namespace ornibe
