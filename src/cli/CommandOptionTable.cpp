#include "cli/CommandOptionTable.h"

#include "sys/Translation.h"

#include <algorithm>

namespace ornibe {
namespace {

using Options = CommandOptions;

// One row per option; a new option is one more row here, a field in
// CommandOptions and its entry in the manual page.
constexpr OptionRow kRows[] = {
    {.name = "--work",
     .valueName = "DIR",
     .target = &Options::workFolder,
     .help = toTranslate("作業フォルダ。必ず指定します"),
     .required = true},
    {.name = "--source",
     .valueName = "SOURCE",
     .target = &Options::source,
     .help = toTranslate("読込元のCDドライブ：none（既定、読み込みしない）は DIR に\n"
                         "CD のファイルがあるとき。CD の ISO イメージファイルか\n"
                         "ディスクのデバイス（/dev/sr0）はそのまま読みます。CD の\n"
                         "ファイルのあるフォルダ（マウントした CD やイメージ、展開\n"
                         "したコピー）も使えます。El Torito のカタログがあれば、\n"
                         "CD のブートイメージをそこから取ります")},
    {.name = "--label",
     .valueName = "TEXT",
     .target = &Options::label,
     .help = toTranslate("ボリュームラベル（イメージのラベル）。指定しなければ、\n"
                         "読込元にラベルがあればそれ")},
    {.name = "--service-pack",
     .valueName = "FILE",
     .target = &Options::servicePack,
     .help = toTranslate("Service Pack ファイル（統合モードで実行するインストーラ）")},
    {.name = "--driver",
     .valueName = "SOURCE",
     .target = &Options::drivers,
     .help = toTranslate("ドライバ：INF ファイルか、ドライバのフロッピー（F6）。\n"
                         "フロッピーはその TXTSETUP.OEM、それのあるフォルダ（直下か\n"
                         "i386、amd64 の中）、またはフロッピー イメージ（拡張子\n"
                         "img、ima、vfd、flp か、FAT12/16 のイメージ）。繰り返すと\n"
                         "その順にいくつでも")},
    {.name = "--driver-entry",
     .valueName = "ID",
     .target = &Options::driverEntries,
     .help = toTranslate("ドライバのフロッピーから組み込むエントリ（TXTSETUP.OEM\n"
                         "の ID）。繰り返すといくつでも。指定しなければ、それぞれ\n"
                         "のフロッピーの既定のエントリ")},
    {.name = "--list-entries",
     .valueName = "SOURCE",
     .target = &Options::listEntries,
     .help = toTranslate("ドライバのフロッピーのエントリ（ID、説明、サービス、\n"
                         "ハードウェア ID、ファイルがそろっているか）を表示して\n"
                         "終了します。--work は要りません。両方の組を持つ\n"
                         "フロッピーは、--source（または --work）が x64 の\n"
                         "ツリーなら amd64 の組を表示します")},
    {.name = "--pnp-driver",
     .valueName = "INF",
     .target = &Options::pnpDrivers,
     .help = toTranslate("PnP ドライバの INF ファイル（どのデバイス クラスでも）。\n"
                         "ファイルごと $OEM$/$1/Drivers/NNN にコピーし、\n"
                         "OemPnPDriversPath に書きます。繰り返すとその順に\n"
                         "いくつでも。--unattended か --answer-file が要ります")},
    {.name = "--virtio-win",
     .valueName = "SOURCE",
     .target = &Options::virtioWin,
     .help = toTranslate("virtio-win の ISO イメージファイル（そのまま読みます）か\n"
                         "そのファイルのあるフォルダ。CD のシステム用のフォルダ\n"
                         "（xp\\x86、2k3\\x86、2k3\\amd64、xp\\amd64）のドライバを\n"
                         "組み込みます：viostor はテキストモードのドライバ、NetKVM、\n"
                         "Balloon、vioserial、qxl は PnP ドライバ（--unattended か\n"
                         "--answer-file が要ります）。ログの最後に合う QEMU の\n"
                         "オプションを書きます。Windows 2000 には使えません")},
    {.name = "--virtio-win-only",
     .valueName = "LIST",
     .target = &Options::virtioWinOnly,
     .help = toTranslate("--virtio-win から取るドライバ。viostor、netkvm、balloon、\n"
                         "vioserial、qxl からコンマ区切りで。指定しなければ、媒体に\n"
                         "そのシステム用のあるものすべて（viostor は必須）")},
    {.name = "--driver-pack",
     .valueName = "FOLDER",
     .target = &Options::driverPack,
     .help = toTranslate("大容量記憶装置のドライバパックのフォルダ（メーカー、\n"
                         "チップ、OS ごとのフォルダに TXTSETUP.OEM や INF を置いた\n"
                         "もの）。CD のシステム用のドライバのうち、--target-hardware\n"
                         "か --machine があればそのディスクコントローラに合う最良の\n"
                         "もの（ID が具体的、読み込める、DriverVer が新しい順）、\n"
                         "なければ読み込めるものすべてをテキストモードに組み込み、\n"
                         "選んだ理由と外した理由を表にします。--driver が優先します。\n"
                         "--check と使うと、そのツリーにパックから選ぶものを表に\n"
                         "します（--json にも）")},
    {.name = "--hotfix",
     .valueName = "FILE",
     .target = &Options::hotfixes,
     .help = toTranslate("修正プログラムのパッケージ（ツリーと同じアーキテクチャの\n"
                         "Windows のプログラム）。I386/SVCPACK（x64 は AMD64/SVCPACK）\n"
                         "に 8.3 の名前でコピーし、SVCPACK.INF の\n"
                         "[SetupHotfixesToRun] に CD の行の後に載せます。セット\n"
                         "アップが T-13 で実行します。繰り返すとその順にいくつでも")},
    {.name = "--hotfix-switches",
     .valueName = "TEXT",
     .target = &Options::hotfixSwitches,
     .help = toTranslate("すぐ前の --hotfix のスイッチ。指定しなければ /q /n /z\n"
                         "（古いパッケージには \"/Q:A /R:N\" など）")},
    {.name = "--oem-files",
     .valueName = "DIR",
     .target = &Options::oemFiles,
     .help = toTranslate("DIR の中身を I386 の横の $OEM$ に加えます（$1 はシステム\n"
                         "ドライブ、$$ は Windows フォルダにコピーされます）。\n"
                         "そこにあるファイルは置き換えません。--unattended か\n"
                         "--answer-file が要ります")},
    {.name = "--run-at-setup",
     .valueName = "COMMAND",
     .target = &Options::runAtSetup,
     .help = toTranslate("セットアップ中（T-12）に実行するコマンド。\n"
                         "$OEM$/cmdlines.txt の [Commands] に書きます。繰り返すと\n"
                         "その順に。--unattended か --answer-file が要ります")},
    {.name = "--run-at-first-logon",
     .valueName = "COMMAND",
     .target = &Options::runAtFirstLogon,
     .help = toTranslate("最初のログオンで実行するコマンド。WINNT.SIF の\n"
                         "[GuiRunOnce] に書きます。繰り返すとその順に。\n"
                         "--unattended か --answer-file が要ります")},
    {.name = "--big-drive",
     .target = &Options::bigDrive,
     .help = toTranslate("137GB 以上のハードディスク：オン（既定）"),
     .offHelp = toTranslate("137GB 以上のハードディスク：オフ")},
    {.name = "--iso",
     .valueName = "FILE",
     .target = &Options::isoPath,
     .help = toTranslate("ISOイメージのファイル名（指定しなければイメージは作り\n"
                         "ません）。相対パスは --log と同じく今のフォルダから")},
    {.name = "--usb-image",
     .valueName = "FILE",
     .target = &Options::usbImage,
     .help = toTranslate("USB メモリ用イメージ（ディスク全体の raw イメージ）の\n"
                         "ファイル名。ツリーを FAT32 の区画に入れ、syslinux で\n"
                         "起動します。Windows XP SP2 以降と Server 2003 の x86\n"
                         "だけ。dd などで USB メモリに書き込んで使います")},
    {.name = "--usb-image-size",
     .valueName = "SIZE",
     .target = &Options::usbImageSize,
     .help = toTranslate("--usb-image の大きさ（バイト。K、M、G を付けると KiB、\n"
                         "MiB、GiB）。指定しなければツリーに余裕を足した大きさ")},
    {.name = "--usb-device",
     .valueName = "DEVICE",
     .target = &Options::usbDevice,
     .help = toTranslate("--usb-image のイメージを、でき上がって確かめたあとで\n"
                         "この USB メモリ（/dev/sdb など、ディスク全体）に書き込み\n"
                         "ます。内容はすべて消去されるので --yes が必要です。root\n"
                         "か disk グループのユーザーだけ。取り外せないディスク、\n"
                         "マウント中のもの、読込元や作業フォルダのあるもの、\n"
                         "イメージより小さいものは断ります")},
    {.name = "--yes",
     .target = &Options::yes,
     .help = toTranslate("ウィザードの問い（空でない作業フォルダ、作るフォルダ）\n"
                         "に「はい」と答えます。指定しなければ「いいえ」と答え、\n"
                         "何も作りません。空き容量は表示するだけで、読込元が\n"
                         "それより大きければ断ります")},
    {.name = "--log",
     .valueName = "FILE",
     .target = &Options::logFile,
     .help = toTranslate("ログ全体をウィザードと同じ形（UTF-8、改行は CR LF）で\n"
                         "FILE にも書きます")},
    {.name = "--quiet",
     .target = &Options::quiet,
     .help = toTranslate("標準エラーに進み具合のバーを出しません")},
    {.name = "--reproducible",
     .target = &Options::reproducible,
     .help = toTranslate("同じ入力から同じイメージを作ります：イメージの日時は\n"
                         "すべて SOURCE_DATE_EPOCH、それがなければ 2000-01-01\n"
                         "00:00:00 UTC（SOURCE_DATE_EPOCH だけでも同じです）")},
    {.name = "--check",
     .target = &Options::check,
     .help = toTranslate("できあがった作業フォルダ DIR（と --iso のイメージ）を\n"
                         "検証するだけで、何も変えません：セットアップファイルが\n"
                         "開けること、大容量記憶装置のドライバのファイルがすべて\n"
                         "記載されてそろっていること、応答ファイルが読めること、\n"
                         "イメージにツリーがあること。標準出力に表を出し、問題が\n"
                         "なければ 0、見つかれば 1 で終了します")},
    {.name = "--check-driver",
     .valueName = "SOURCE",
     .target = &Options::checkDriver,
     .help = toTranslate("ドライバ（INF ファイルかフロッピー）が DIR のツリーの CD で\n"
                         "読み込めるかだけを検証し、何も変えません：作られた\n"
                         "マシン、Windows のバージョン、取り込むモジュールが CD に\n"
                         "あってテキストモードで読み込まれるか、取り込む関数が\n"
                         "CD のモジュールにあるか。読み込めれば 0、読み込めない\n"
                         "ドライバがあれば 1 で終了します")},
    {.name = "--allow-unloadable-driver",
     .target = &Options::allowUnloadableDriver,
     .help = toTranslate("CD で読み込めないドライバ（CD にないモジュールや関数を\n"
                         "取り込む、別のマシン用）でも断らずに組み込みます。\n"
                         "あとで CD を補うときに")},
    {.name = "--json",
     .target = &Options::json,
     .help = toTranslate("--check か --check-driver の結果を JSON で標準出力に\n"
                         "出します")},
    {.name = "--target-hardware",
     .valueName = "FILE",
     .target = &Options::targetHardware,
     .help = toTranslate("対象のハードウェア：対象のマシンで lspci -nn か\n"
                         "lspci -vmmnn が出したものを入れた FILE。検証（--check\n"
                         "とビルドの）で、ディスク コントローラごとにどのサービス\n"
                         "が引き受けるか、どれも引き受けないかを示します")},
    {.name = "--machine",
     .valueName = "NAME",
     .target = &Options::machine,
     .help = toTranslate("対象のハードウェアを QEMU のマシンで：qemu-pc、\n"
                         "qemu-q35、qemu-virtio-blk、qemu-virtio-blk-modern、\n"
                         "qemu-nvme")},
    {.name = "--unattended",
     .target = &Options::unattended,
     .help = toTranslate("無人インストール：下のオプションから I386/WINNT.SIF を\n"
                         "書きます。指定しなかったものは既定の値")},
    {.name = "--answer-file",
     .valueName = "FILE",
     .target = &Options::answerFile,
     .help = toTranslate("代わりに FILE を I386/WINNT.SIF にします。確認を通れば\n"
                         "そのまま（改行は CR LF にします）")},
    {.name = "--product-key",
     .valueName = "KEY",
     .target = &Options::productKey,
     .help = toTranslate("プロダクト キー XXXXX-XXXXX-XXXXX-XXXXX-XXXXX。\n"
                         "指定しなければセットアップが尋ねます。コマンド行は\n"
                         "ほかの利用者にも見える（ps）ので --product-key-file\n"
                         "を使ってください")},
    {.name = "--product-key-file",
     .valueName = "FILE|-",
     .target = &Options::productKeyFile,
     .help = toTranslate("プロダクト キーを FILE から（- なら標準入力から）\n"
                         "読みます。最後の改行ひとつは除きます")},
    {.name = "--full-name",
     .valueName = "TEXT",
     .target = &Options::fullName,
     .help = toTranslate("フルネーム（使う人の名前）。--unattended では必須")},
    {.name = "--organization",
     .valueName = "TEXT",
     .target = &Options::organization,
     .help = toTranslate("組織名（指定しなければなし）")},
    {.name = "--computer-name",
     .valueName = "NAME",
     .target = &Options::computerName,
     .help = toTranslate("コンピュータ名。英字、数字、ハイフンで 15 文字まで。\n"
                         "*（既定）ならセットアップが名前を作ります")},
    {.name = "--admin-password",
     .valueName = "TEXT",
     .target = &Options::adminPassword,
     .help = toTranslate("Administrator のパスワード（指定しなければなし）。\n"
                         "表示もログへの記録もしません。コマンド行はほかの\n"
                         "利用者にも見える（ps）ので --admin-password-file\n"
                         "を使ってください")},
    {.name = "--admin-password-file",
     .valueName = "FILE|-",
     .target = &Options::adminPasswordFile,
     .help = toTranslate("Administrator のパスワードを FILE から（- なら標準\n"
                         "入力から）読みます。最後の改行ひとつは除きます")},
    {.name = "--time-zone",
     .valueName = "N",
     .target = &Options::timeZone,
     .help = toTranslate("タイム ゾーン：Microsoft の Time Zone Index Values の\n"
                         "番号。既定は 235（東京）")},
    {.name = "--language",
     .valueName = "ja|en",
     .target = &Options::language,
     .help = toTranslate("地域の設定の言語：ja（既定）か en")},
    {.name = "--workgroup",
     .valueName = "NAME",
     .target = &Options::workgroup,
     .help = toTranslate("参加するワークグループ。既定は WORKGROUP")},
    {.name = "--auto-partition",
     .target = &Options::autoPartition,
     .help = toTranslate("尋ねずに最初のディスクにインストールします（ディスクの\n"
                         "中身は消えます）")},
    {.name = "--accept-eula",
     .target = &Options::acceptEula,
     .help = toTranslate("使用許諾契約に同意し、セットアップが表示しないように\n"
                         "します")},
    {.name = "--help", .target = CommandAction::Help, .help = toTranslate("この説明を表示します")},
    {.name = "--version",
     .target = CommandAction::Version,
     .help = toTranslate("バージョンを表示します")},
};

// A row's parts agree with what it sets: a value name exactly for a text
// or a list, off lines exactly for an on/off switch, and only a plain text
// required (the parser checks that it is not empty).
constexpr bool isConsistent(const OptionRow& row) {
    bool plainText = std::holds_alternative<std::string Options::*>(row.target);
    bool text =
        plainText || std::holds_alternative<std::optional<std::string> Options::*>(row.target);
    return row.name.starts_with("--") && row.takesValue() == (text || row.isList()) &&
           row.offHelp.empty() != row.isOnOff() && (!row.required || plainText);
}
static_assert(std::ranges::all_of(kRows, isConsistent));

} // namespace

std::string OptionRow::offName() const {
    return isOnOff() ? "--no-" + std::string(name.substr(2)) : std::string();
}

std::vector<std::string> OptionRow::names() const {
    std::vector<std::string> all{std::string(name)};
    if (isOnOff()) {
        all.push_back(offName());
    }
    return all;
}

std::span<const OptionRow> commandOptionTable() {
    return kRows;
}

} // namespace ornibe
