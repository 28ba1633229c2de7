<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>AnswerFileDialog</name>
    <message>
        <source>無人インストール</source>
        <translation>Unattended installation</translation>
    </message>
    <message>
        <source>使わない（セットアップが質問する）</source>
        <translation>Do not use one (setup asks)</translation>
    </message>
    <message>
        <source>次の内容で応答ファイル I386\WINNT.SIF を作る</source>
        <translation>Write the answer file I386\WINNT.SIF with these values</translation>
    </message>
    <message>
        <source>応答ファイルの内容</source>
        <translation>Answer file contents</translation>
    </message>
    <message>
        <source>フルネーム :</source>
        <translation>Full name:</translation>
    </message>
    <message>
        <source>組織名 :</source>
        <translation>Organization:</translation>
    </message>
    <message>
        <source>コンピュータ名 :</source>
        <translation>Computer name:</translation>
    </message>
    <message>
        <source>* （セットアップが決める）</source>
        <translation>* (setup chooses)</translation>
    </message>
    <message>
        <source>Administrator のパスワード :</source>
        <translation>Administrator password:</translation>
    </message>
    <message>
        <source>空けておくとパスワードなし</source>
        <translation>Leave empty for no password</translation>
    </message>
    <message>
        <source>プロダクト キー :</source>
        <translation>Product key:</translation>
    </message>
    <message>
        <source>XXXXX-XXXXX-XXXXX-XXXXX-XXXXX</source>
        <translation>XXXXX-XXXXX-XXXXX-XXXXX-XXXXX</translation>
    </message>
    <message>
        <source>タイム ゾーン :</source>
        <translation>Time zone:</translation>
    </message>
    <message>
        <source>言語 :</source>
        <translation>Language:</translation>
    </message>
    <message>
        <source>ワークグループ :</source>
        <translation>Workgroup:</translation>
    </message>
    <message>
        <source>最初のディスクに確認なしでインストールする（ディスクの中身は消えます）</source>
        <translation>Install on the first disk without asking (its contents are erased)</translation>
    </message>
    <message>
        <source>使用許諾契約に同意する（セットアップで表示しない）</source>
        <translation>Accept the license agreement (setup does not show it)</translation>
    </message>
    <message>
        <source>自分の応答ファイルをそのまま使う</source>
        <translation>Use my own answer file as it is</translation>
    </message>
    <message>
        <source>ファイル選択</source>
        <translation>Browse...</translation>
    </message>
    <message>
        <source>応答ファイルの選択</source>
        <translation>Choose an answer file</translation>
    </message>
    <message>
        <source>応答ファイル (*.sif *.SIF *.txt *.TXT);;すべてのファイル (*)</source>
        <translation>Answer files (*.sif *.SIF *.txt *.TXT);;All files (*)</translation>
    </message>
</context>
<context>
    <name>QtMessageBox</name>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>はい(&amp;Y)</source>
        <translation>&amp;Yes</translation>
    </message>
    <message>
        <source>いいえ(&amp;N)</source>
        <translation>&amp;No</translation>
    </message>
</context>
<context>
    <name>VirtioWinGroup</name>
    <message>
        <source>virtio-win のドライバ（QEMU/KVM 用）</source>
        <translation>virtio-win drivers (for QEMU/KVM)</translation>
    </message>
    <message>
        <source>使わない</source>
        <translation>Not used</translation>
    </message>
    <message>
        <source>ISO 選択</source>
        <translation>Choose ISO...</translation>
    </message>
    <message>
        <source>フォルダ選択</source>
        <translation>Choose folder...</translation>
    </message>
    <message>
        <source>virtio-win の ISO イメージファイルかフォルダ</source>
        <translation>The virtio-win ISO image file or folder</translation>
    </message>
    <message>
        <source>フォルダを選択してください</source>
        <translation>Choose a folder</translation>
    </message>
    <message>
        <source>開く</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>ISO イメージファイル (*.iso)</source>
        <translation>ISO image files (*.iso)</translation>
    </message>
    <message>
        <source>すべてのファイル (*)</source>
        <translation>All files (*)</translation>
    </message>
</context>
<context>
    <name>ornibe::AboutBox</name>
    <message>
        <source>ﾊﾞｰｼﾞｮﾝ情報 ornibe</source>
        <translation>About ornibe</translation>
    </message>
</context>
<context>
    <name>ornibe::ConfirmPage</name>
    <message>
        <source>作業内容の確認</source>
        <translation>Confirm the work</translation>
    </message>
    <message>
        <source>&lt; 戻る</source>
        <translation>&lt; Back</translation>
    </message>
    <message>
        <source>実行！</source>
        <translation>Run!</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>ログを保存…</source>
        <translation>Save log...</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>ログを保存</source>
        <translation>Save log</translation>
    </message>
    <message>
        <source>ログ (*.log *.txt)</source>
        <translation>Logs (*.log *.txt)</translation>
    </message>
    <message>
        <source>すべてのファイル (*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <source>注意：</source>
        <translation>Note: </translation>
    </message>
    <message>
        <source>CD の内容を作業フォルダにコピーしています。。。</source>
        <translation>Copying the CD to the work folder...</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>CD の内容を作業フォルダにコピーしています。。。
%1 / %2</source>
        <translation>Copying the CD to the work folder...
%1 / %2</translation>
    </message>
    <message>
        <source>終了します。</source>
        <translation>ornibe will exit.</translation>
    </message>
</context>
<context>
    <name>ornibe::F6EntryDialog</name>
    <message>
        <source>組み込む項目を選んでください</source>
        <translation>Choose the entries to integrate</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>ornibe::SettingsPage</name>
    <message>
        <source>開く</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>ISO イメージファイル (*.iso)</source>
        <translation>ISO image files (*.iso)</translation>
    </message>
    <message>
        <source>すべてのファイル (*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <source>Service Pack ファイル (*.exe)</source>
        <translation>Service Pack files (*.exe)</translation>
    </message>
    <message>
        <source>INF ファイル (*.inf)</source>
        <translation>INF files (*.inf)</translation>
    </message>
    <message>
        <source>ドライバのフロッピー (TXTSETUP.OEM txtsetup.oem *.img *.IMG *.ima *.IMA *.vfd *.VFD *.flp *.FLP)</source>
        <translation>Driver floppies (TXTSETUP.OEM txtsetup.oem *.img *.IMG *.ima *.IMA *.vfd *.VFD *.flp *.FLP)</translation>
    </message>
    <message>
        <source>フォルダを選択してください</source>
        <translation>Choose a folder</translation>
    </message>
    <message>
        <source>名前を付けて保存</source>
        <translation>Save as</translation>
    </message>
    <message>
        <source>ディスクイメージ (*.img)</source>
        <translation>Disk images (*.img)</translation>
    </message>
    <message>
        <source>終了します。</source>
        <translation>ornibe will exit.</translation>
    </message>
    <message>
        <source>lspci の出力 (*.txt)</source>
        <translation>lspci output (*.txt)</translation>
    </message>
    <message>
        <source>読込元のCDドライブ :</source>
        <translation>Source CD drive:</translation>
    </message>
    <message>
        <source>ボリュームラベル :</source>
        <translation>Volume label:</translation>
    </message>
    <message>
        <source>Service Pack 適用済みにする</source>
        <translation>Slipstream a Service Pack</translation>
    </message>
    <message>
        <source>Service Pack ファイル :</source>
        <translation>Service Pack file:</translation>
    </message>
    <message>
        <source>ファイル選択</source>
        <translation>Browse...</translation>
    </message>
    <message>
        <source>ドライバを追加する</source>
        <translation>Add drivers</translation>
    </message>
    <message>
        <source>一覧に追加</source>
        <translation>Add to list</translation>
    </message>
    <message>
        <source>一覧から除外</source>
        <translation>Remove from list</translation>
    </message>
    <message>
        <source>ドライバの INF ファイル :</source>
        <translation>Driver INF file:</translation>
    </message>
    <message>
        <source>PnP ドライバを追加する（GUI モードセットアップ）</source>
        <translation>Add PnP drivers (GUI-mode setup)</translation>
    </message>
    <message>
        <source>一覧に追加…</source>
        <translation>Add to list...</translation>
    </message>
    <message>
        <source>PnP ドライバの INF ファイル :</source>
        <translation>PnP driver INF file:</translation>
    </message>
    <message>
        <source>137GB 以上のハードディスクに対応させる</source>
        <translation>Support hard disks of 137 GB and more</translation>
    </message>
    <message>
        <source>Windows2000 で 137GB 以上のハードディスクを使う （インストール完了後に有効）</source>
        <translation>Use hard disks of 137 GB and more with Windows 2000 (takes effect after installation)</translation>
    </message>
    <message>
        <source>作業フォルダの指定</source>
        <translation>Work folder</translation>
    </message>
    <message>
        <source>作業フォルダ :</source>
        <translation>Work folder:</translation>
    </message>
    <message>
        <source>フォルダ選択</source>
        <translation>Choose folder...</translation>
    </message>
    <message>
        <source>ISO イメージの作成</source>
        <translation>Create an ISO image</translation>
    </message>
    <message>
        <source>ISOイメージのファイル名 :</source>
        <translation>ISO image file name:</translation>
    </message>
    <message>
        <source>保存先選択</source>
        <translation>Save to...</translation>
    </message>
    <message>
        <source>対象のハードウェア :</source>
        <translation>Target hardware:</translation>
    </message>
    <message>
        <source>対象のマシンで lspci -nn（または lspci -vmmnn）が出力したファイル、または QEMU のマシン。ビルドの最後に、どのサービスがディスク コントローラを動かすかを調べます。</source>
        <translation>A file of lspci -nn (or lspci -vmmnn) output from the target machine, or a QEMU machine. At the end of the build, ornibe checks which service drives its disk controller.</translation>
    </message>
    <message>
        <source>USB メモリ用イメージ :</source>
        <translation>USB stick image:</translation>
    </message>
    <message>
        <source>USB メモリに書き込むディスクイメージ（Windows XP SP2 以降と Server 2003 の x86）。初めの起動ではメニューの 1 を選び、そのあとの起動は そのまま待つと内蔵ディスクから起動します。</source>
        <translation>A disk image to write to a USB stick (x86 Windows XP SP2 and later, and Server 2003). On the first boot choose 1 in the menu; on later boots wait, and the internal disk starts.</translation>
    </message>
    <message>
        <source>大きさ :</source>
        <translation>Size:</translation>
    </message>
    <message>
        <source>自動</source>
        <translation>Auto</translation>
    </message>
    <message>
        <source>バイト数か、K、M、G を付けた数（例: 4G）。</source>
        <translation>A number of bytes, or a number with K, M or G (for example 4G).</translation>
    </message>
    <message>
        <source>書き込む USB メモリ :</source>
        <translation>Write to USB stick:</translation>
    </message>
    <message>
        <source>なし</source>
        <translation>None</translation>
    </message>
    <message>
        <source>イメージを書き込む USB メモリのデバイス（/dev/sdb など、ディスク全体）。内容はすべて消去されます。</source>
        <translation>The USB stick device to write the image to (a whole disk, such as /dev/sdb). Everything on it is erased.</translation>
    </message>
    <message>
        <source>次へ &gt;</source>
        <translation>Next &gt;</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>無人インストール…</source>
        <translation>Unattended...</translation>
    </message>
    <message>
        <source>セットアップで実行…</source>
        <translation>Run during setup...</translation>
    </message>
    <message>
        <source>再現可能なイメージ</source>
        <translation>Reproducible image</translation>
    </message>
    <message>
        <source>同じ入力から同じ ISO イメージを作ります。イメージの日時はすべて SOURCE_DATE_EPOCH の日時（未設定なら 2000-01-01 00:00:00 UTC）です。</source>
        <translation>Makes the same ISO image from the same input. Every date in the image is the time of SOURCE_DATE_EPOCH (2000-01-01 00:00:00 UTC when it is not set).</translation>
    </message>
    <message>
        <source>ﾊﾞｰｼﾞｮﾝ情報(ornibe) (&amp;A)...</source>
        <translation>&amp;About ornibe...</translation>
    </message>
    <message>
        <source>ドライバパックのフォルダ</source>
        <translation>Driver pack folder</translation>
    </message>
    <message>
        <source>ドライバパック :</source>
        <translation>Driver pack:</translation>
    </message>
    <message>
        <source>大容量記憶装置のドライバを集めたフォルダ。対象のハードウェアがあればそのディスクコントローラに合う最良のものを、なければ読み込めるものすべてを組み込みます。</source>
        <translation>A folder of mass-storage drivers. With a target machine, the best driver for each of its disk controllers is integrated; without one, every driver that loads.</translation>
    </message>
</context>
<context>
    <name>ornibe::SetupAdditionsDialog</name>
    <message>
        <source>セットアップで実行するもの</source>
        <translation>Run during setup</translation>
    </message>
    <message>
        <source>修正プログラム（SVCPACK、セットアップの T-13 で実行）</source>
        <translation>Hotfixes (SVCPACK, run at T-13 of setup)</translation>
    </message>
    <message>
        <source>追加…</source>
        <translation>Add...</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>スイッチ：</source>
        <translation>Switches:</translation>
    </message>
    <message>
        <source>フォルダ選択</source>
        <translation>Choose folder...</translation>
    </message>
    <message>
        <source>$OEM$ に加えるフォルダ：</source>
        <translation>Folder to add to $OEM$:</translation>
    </message>
    <message>
        <source>セットアップ中に実行
（cmdlines.txt、1 行に 1 つ）：</source>
        <translation>Run during setup
(cmdlines.txt, one per line):</translation>
    </message>
    <message>
        <source>最初のログオンで実行
（[GuiRunOnce]、1 行に 1 つ）：</source>
        <translation>Run at the first logon
([GuiRunOnce], one per line):</translation>
    </message>
    <message>
        <source>$OEM$ とコマンドには無人インストールの応答ファイルが要ります。</source>
        <translation>$OEM$ and the commands need an unattended answer file.</translation>
    </message>
    <message>
        <source>開く</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>プログラム (*.exe *.EXE)</source>
        <translation>Programs (*.exe *.EXE)</translation>
    </message>
    <message>
        <source>フォルダの選択</source>
        <translation>Choose a folder</translation>
    </message>
</context>
</TS>
