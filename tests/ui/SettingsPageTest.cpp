#include "ui/SettingsPage.h"

#include "PageDriver.h"
#include "support/BuildTreeTools.h"
#include "support/FakeDriveSource.h"
#include "support/IsoFixtures.h"
#include "support/ScriptedMessages.h"
#include "support/TempDir.h"
#include "ui/PageLook.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QtTest>

#include <filesystem>

using namespace ornibe;
using ornibe::test::child;
using ornibe::test::execDriven;

namespace {

const QString kPickImage = QStringLiteral("ISO イメージファイル…");
const QString kPickFolder = QStringLiteral("CD のファイルがあるフォルダ…");
const MessageStyle kQuitStyle{MessageButtons::OkCancel, MessageIcon::Information, true};

// One page over fresh settings, fake drives and scripted message boxes.
struct Page {
    test::TempDir dir;
    BuildSettings settings;
    test::FakeDriveSource drives;
    test::ScriptedMessages messages;
    SettingsPage page{settings, drives, messages, test::buildTreeTools(dir.path())};

    Page() {
        page.setFreeSpaceQuery([](const std::string&) { return std::uint64_t(2048) * 1048576; });
    }

    QComboBox* driveList() { return child<QComboBox>(page, "cdDriveList"); }
    QLineEdit* edit(const char* name) { return child<QLineEdit>(page, name); }
    QPushButton* button(const char* name) { return child<QPushButton>(page, name); }
    QListWidget* infList() { return child<QListWidget>(page, "infList"); }
    QStringList infs() {
        QStringList out;
        for (int i = 0; i < infList()->count(); ++i) {
            out << infList()->item(i)->text();
        }
        return out;
    }
    QStringList driveEntries() {
        QStringList out;
        for (int i = 0; i < driveList()->count(); ++i) {
            out << driveList()->itemText(i);
        }
        return out;
    }
    // A work folder that holds an installation tree, for going on with no CD.
    QString installedTree() {
        dir.write("work/I386/TXTSETUP.SIF", "x");
        return QString::fromStdString(dir / "work");
    }
    void quitWithOk() {
        messages.answer(MessageAnswer::Ok);
        QTest::mouseClick(button("quitButton"), Qt::LeftButton);
    }
};

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

class SettingsPageTest : public QObject {
    Q_OBJECT

private slots:
    void first_start_shows_the_defaults_and_next_follows_the_work_folder() {
        Page p;
        p.drives.drives = {{"/dev/sr0", "/dev/sr0", std::nullopt}};
        int code = execDriven(p.page, [&] {
            QCOMPARE(p.page.windowTitle(), QStringLiteral("ornibe"));
            QCOMPARE(p.driveEntries(),
                     (QStringList{"読み込みしない", "/dev/sr0 [ CD がありません ]", kPickImage,
                                  kPickFolder}));
            QCOMPARE(p.driveList()->currentIndex(), 0);
            QVERIFY(child<QCheckBox>(p.page, "bigDriveCheck")->isChecked());
            for (const char* name : {"volumeLabelEdit", "servicePackEdit", "infEdit",
                                     "workFolderEdit", "isoPathEdit"}) {
                QVERIFY2(p.edit(name)->text().isEmpty(), name);
            }
            QCOMPARE(p.infList()->count(), 0);
            QPushButton* next = p.button("nextButton");
            QVERIFY(!next->isEnabled());
            QVERIFY(next->isDefault());

            QTest::keyClicks(p.edit("workFolderEdit"), "w");
            QVERIFY(next->isEnabled());
            QTest::keyClick(p.edit("workFolderEdit"), Qt::Key_Backspace);
            QVERIFY(!next->isEnabled());
            // Other fields do not enable it.
            QTest::keyClicks(p.edit("isoPathEdit"), "x.iso");
            QVERIFY(!next->isEnabled());
            p.quitWithOk();
        });
        QCOMPARE(code, 0);
        QCOMPARE(p.messages.shown.size(), size_t(1));
        QCOMPARE(p.messages.shown[0].text, std::string("終了します。"));
        QVERIFY(p.messages.shown[0].style == kQuitStyle);
    }

    void target_hardware_lists_the_qemu_machines_and_takes_a_picked_listing() {
        Page p;
        p.settings.setTargetHardware("qemu-nvme");
        QStringList filters;
        p.page.setDialogRunner([&](QFileDialog& dialog) {
            filters = dialog.nameFilters();
            return QStringLiteral("/m/lspci.txt");
        });
        execDriven(p.page, [&] {
            auto* target = child<QComboBox>(p.page, "targetHardwareCombo");
            QStringList items;
            for (int i = 0; i < target->count(); ++i) {
                items << target->itemText(i);
            }
            QCOMPARE(items, (QStringList{"", "qemu-pc", "qemu-q35", "qemu-virtio-blk",
                                         "qemu-virtio-blk-modern", "qemu-nvme"}));
            QCOMPARE(target->currentText(), QStringLiteral("qemu-nvme"));
            QTest::mouseClick(p.button("targetHardwareButton"), Qt::LeftButton);
            QCOMPARE(target->currentText(), QStringLiteral("/m/lspci.txt"));
            p.quitWithOk();
        });
        QCOMPARE(filters, (QStringList{"lspci の出力 (*.txt)", "すべてのファイル (*)"}));
    }

    void controls_carry_their_texts_in_group_order() {
        Page p;
        QStringList groups;
        for (QGroupBox* group : p.page.findChildren<QGroupBox*>()) {
            groups << group->title();
        }
        QCOMPARE(groups,
                 (QStringList{"Service Pack 適用済みにする", "ドライバを追加する",
                              "PnP ドライバを追加する（GUI モードセットアップ）",
                              "137GB 以上のハードディスクに対応させる", "作業フォルダの指定",
                              "ISO イメージの作成", "virtio-win のドライバ（QEMU/KVM 用）"}));
        QStringList labels;
        for (QLabel* label : p.page.findChildren<QLabel*>()) {
            labels << label->text();
        }
        QCOMPARE(labels,
                 (QStringList{"読込元のCDドライブ :", "ボリュームラベル :",
                              "Service Pack ファイル :", "ドライバの INF ファイル :",
                              "ドライバパック :", "PnP ドライバの INF ファイル :", "作業フォルダ :",
                              "ISOイメージのファイル名 :", "対象のハードウェア :",
                              "USB メモリ用イメージ :", "大きさ :", "書き込む USB メモリ :"}));
        QCOMPARE(p.button("servicePackButton")->text(), QStringLiteral("ファイル選択"));
        QCOMPARE(p.button("pnpAddButton")->text(), QStringLiteral("一覧に追加…"));
        QCOMPARE(p.button("pnpRemoveButton")->text(), QStringLiteral("一覧から除外"));
        QCOMPARE(p.button("infPickButton")->text(), QStringLiteral("ファイル選択"));
        QCOMPARE(p.button("infAddButton")->text(), QStringLiteral("一覧に追加"));
        QCOMPARE(p.button("infRemoveButton")->text(), QStringLiteral("一覧から除外"));
        QCOMPARE(p.button("driverPackButton")->text(), QStringLiteral("フォルダ選択"));
        QCOMPARE(p.button("workFolderButton")->text(), QStringLiteral("フォルダ選択"));
        QCOMPARE(p.button("isoPathButton")->text(), QStringLiteral("保存先選択"));
        QCOMPARE(p.button("nextButton")->text(), QStringLiteral("次へ >"));
        QCOMPARE(p.button("quitButton")->text(), QStringLiteral("終了"));
        QCOMPARE(child<QCheckBox>(p.page, "bigDriveCheck")->text(),
                 QStringLiteral("Windows2000 で 137GB 以上のハードディスクを使う "
                                "（インストール完了後に有効）"));
    }

    void tab_walks_the_controls_in_order() {
        Page p;
        p.settings.SetWorkFolder("/w");
        QStringList seen;
        execDriven(p.page, [&] {
            p.page.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&p.page));
            QTRY_COMPARE(QApplication::focusWidget(), p.driveList());
            for (int i = 0; i < 33; ++i) {
                seen << QApplication::focusWidget()->objectName();
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            }
            p.quitWithOk();
        });
        QCOMPARE(seen, (QStringList{"cdDriveList",
                                    "volumeLabelEdit",
                                    "servicePackEdit",
                                    "servicePackButton",
                                    "driverPackEdit",
                                    "driverPackButton",
                                    "infPickButton",
                                    "infEdit",
                                    "infAddButton",
                                    "infRemoveButton",
                                    "pnpAddButton",
                                    "pnpRemoveButton",
                                    "virtioWinEdit",
                                    "virtioWinImageButton",
                                    "virtioWinFolderButton",
                                    "virtioWinCheck_viostor",
                                    "virtioWinCheck_netkvm",
                                    "virtioWinCheck_balloon",
                                    "virtioWinCheck_vioserial",
                                    "virtioWinCheck_qxl",
                                    "bigDriveCheck",
                                    "workFolderEdit",
                                    "workFolderButton",
                                    "isoPathEdit",
                                    "isoPathButton",
                                    "targetHardwareCombo",
                                    "targetHardwareButton",
                                    "usbImageEdit",
                                    "usbImageSizeEdit",
                                    "usbDeviceEdit",
                                    "usbImageButton",
                                    "nextButton",
                                    "quitButton"}));
    }

    void escape_does_nothing_and_the_close_box_asks_first() {
        Page p;
        int code = execDriven(p.page, [&] {
            QTest::keyClick(&p.page, Qt::Key_Escape);
            QTest::keyClick(p.edit("workFolderEdit"), Qt::Key_Escape);
            QVERIFY(p.page.isVisible());
            QVERIFY(p.messages.shown.empty());

            p.messages.answer(MessageAnswer::Cancel);
            p.page.close();
            QVERIFY(p.page.isVisible());
            p.messages.answer(MessageAnswer::Ok);
            p.page.close();
            QVERIFY(!p.page.isVisible());
        });
        QCOMPARE(code, 0);
        QCOMPARE(p.messages.texts(), (std::vector<std::string>{"終了します。", "終了します。"}));
    }

    void drop_down_lists_the_drives_again_and_keeps_the_position() {
        Page p;
        p.drives.drives = {{"/dev/sr0", "/dev/sr0", std::nullopt}, {"/dev/sr1", "/media/u/A", "A"}};
        p.settings.SetCdDriveIndex(2);
        execDriven(p.page, [&] {
            QCOMPARE(p.driveList()->currentIndex(), 2);
            int listed = p.drives.listCount;
            p.drives.drives[0] = {"/dev/sr0", "/media/u/XP", "WXP"};
            p.driveList()->showPopup();
            QCOMPARE(p.drives.listCount, listed + 1);
            QCOMPARE(p.driveEntries(), (QStringList{"読み込みしない", "/media/u/XP [ WXP ]",
                                                    "/media/u/A [ A ]", kPickImage, kPickFolder}));
            QCOMPARE(p.driveList()->currentIndex(), 2);
            p.driveList()->hidePopup();

            // A drive gone: the same position names nothing.
            p.drives.drives.pop_back();
            p.driveList()->showPopup();
            QCOMPARE(p.driveList()->currentIndex(), -1);
            p.driveList()->hidePopup();
            p.quitWithOk();
        });
    }

    void choosing_a_drive_proposes_its_label() {
        Page p;
        p.drives.drives = {{"/dev/sr0", "/media/u/XP", "WXPFPP_JA"},
                           {"/dev/sr1", "/dev/sr1", std::nullopt},
                           {"/dev/loop0", "/mnt/iso", ""}};
        execDriven(p.page, [&] {
            QLineEdit* label = p.edit("volumeLabelEdit");
            QTest::keyClicks(label, "MINE");
            p.driveList()->setFocus();
            QTest::keyClick(p.driveList(), Qt::Key_Down);
            QCOMPARE(p.driveList()->currentIndex(), 1);
            QCOMPARE(label->text(), QStringLiteral("WXPFPP_JA"));

            label->setText("MINE");
            QTest::keyClick(p.driveList(), Qt::Key_Down); // no disc
            QCOMPARE(label->text(), QStringLiteral("MINE"));
            QTest::keyClick(p.driveList(), Qt::Key_Down); // empty label
            QCOMPARE(p.driveList()->currentIndex(), 3);
            QCOMPARE(label->text(), QStringLiteral("MINE"));
            QTest::keyClick(p.driveList(), Qt::Key_Home); // do not read
            QCOMPARE(label->text(), QStringLiteral("MINE"));
            p.quitWithOk();
        });
    }

    void iso_image_entry_opens_a_dialog_and_lists_the_image_as_a_drive() {
        Page p;
        p.drives.drives = {{"/dev/sr0", "/dev/sr0", std::nullopt}};
        p.dir.write("cd/I386/TXTSETUP.SIF", "sif");
        std::string image = p.dir / "xp.iso";
        QVERIFY(test::makeIsoImage(p.dir / "cd", image, test::labelled("WXPFPP_JA")));
        QStringList dialogs;
        QString answer;
        p.page.setDialogRunner([&](QFileDialog& dialog) {
            dialogs << dialog.objectName();
            return answer;
        });
        execDriven(p.page, [&] {
            // Cancelled: the entry chosen before stays.
            p.driveList()->setCurrentIndex(3);
            emit p.driveList()->activated(3);
            QCOMPARE(p.driveList()->currentIndex(), 0);

            answer = QString::fromStdString(image);
            p.driveList()->setCurrentIndex(2);
            emit p.driveList()->activated(2);
            QString entry = QString::fromStdString(image + " [ WXPFPP_JA ]");
            QCOMPARE(p.driveEntries(),
                     (QStringList{"読み込みしない", "/dev/sr0 [ CD がありません ]", entry,
                                  kPickImage, kPickFolder}));
            QCOMPARE(p.driveList()->currentIndex(), 2);
            QCOMPARE(p.edit("volumeLabelEdit")->text(), QStringLiteral("WXPFPP_JA"));
            // Listed again when the list drops down.
            p.driveList()->showPopup();
            QCOMPARE(p.driveList()->currentText(), entry);
            p.driveList()->hidePopup();
            p.quitWithOk();
        });
        QCOMPARE(dialogs, (QStringList{"cdFolderDialog", "cdImageDialog"}));
    }

    void a_folder_whose_name_holds_the_entry_brackets_is_read_at_its_own_root() {
        // The entry of "cd [ sp4 ]" reads "cd [ sp4 ] [  ]"; what "次へ >"
        // stores, and keeps when the page is shown again, is the folder.
        Page p;
        const std::string folder = p.dir / "cd [ sp4 ]";
        p.dir.write("cd [ sp4 ]/I386/TXTSETUP.SIF", "sif");
        p.dir.mkdir("work");
        p.page.setDialogRunner([&](QFileDialog&) { return QString::fromStdString(folder); });
        p.messages.answer(MessageAnswer::Ok).answer(MessageAnswer::Ok);
        for (int round = 0; round < 2; ++round) {
            int code = execDriven(p.page, [&] {
                if (round == 0) {
                    p.driveList()->setCurrentIndex(2);
                    emit p.driveList()->activated(2);
                    QTest::keyClicks(p.edit("workFolderEdit"), q(p.dir / "work"));
                }
                QCOMPARE(p.driveList()->currentText(), q(folder + " [  ]"));
                QTest::mouseClick(p.button("nextButton"), Qt::LeftButton);
            });
            QCOMPARE(code, 2);
            QCOMPARE(p.settings.getCdDriveRoot(), folder);
            QCOMPARE(p.settings.GetCdDriveEntry(), folder + " [  ]");
        }
    }

    void a_chosen_folder_where_a_cd_is_mounted_is_that_drive_with_its_label() {
        // As ornibe-build names the same folder.
        Page p;
        const std::string mounted = p.dir.mkdir("XP");
        p.drives.drives = {{"/dev/sr0", mounted, "WXPFPP_JA"}};
        p.page.setDialogRunner([&](QFileDialog&) { return q(mounted); });
        execDriven(p.page, [&] {
            p.driveList()->setCurrentIndex(3);
            emit p.driveList()->activated(3);
            QCOMPARE(p.driveEntries(), (QStringList{"読み込みしない", q(mounted + " [ WXPFPP_JA ]"),
                                                    kPickImage, kPickFolder}));
            QCOMPARE(p.driveList()->currentIndex(), 1);
            QCOMPARE(p.edit("volumeLabelEdit")->text(), QStringLiteral("WXPFPP_JA"));
            p.quitWithOk();
        });
    }

    // A driver floppy added to the list opens its entries, the default
    // selected; the list then names each entry chosen, and "< 戻る" shows
    // them again from the settings.
    void a_driver_floppy_opens_its_entries_and_lists_each_chosen_one() {
        Page p;
        p.dir.write("fd/TXTSETUP.OEM",
                    "[Disks]\r\nd1 = \"Disk\", \\tag, \\\r\n[Defaults]\r\nscsi = B\r\n"
                    "[scsi]\r\nA = \"Entry A\"\r\nB = \"Entry B\"\r\nC = \"Entry C\"\r\n"
                    "[Files.scsi.A]\r\ndriver = d1, a.sys, a\r\n"
                    "[Files.scsi.B]\r\ndriver = d1, b.sys, b\r\n"
                    "[HardwareIds.scsi.B]\r\nid = \"PCI\\VEN_1&DEV_2\", \"b\"\r\n");
        p.dir.write("fd/a.sys", "a");
        p.dir.write("fd/b.sys", "b");
        const std::string floppy = p.dir / "fd";
        QStringList rows;
        QStringList selected;
        execDriven(p.page, [&] {
            test::onNextModal([&](QWidget* dialog) {
                QVERIFY(dialog);
                QCOMPARE(dialog->objectName(), QStringLiteral("f6EntryDialog"));
                auto* entries = dialog->findChild<QListWidget*>("f6Entries");
                for (int i = 0; i < entries->count(); ++i) {
                    rows << entries->item(i)->text();
                    if (entries->item(i)->isSelected()) {
                        selected << entries->item(i)->text();
                    }
                }
                entries->item(0)->setSelected(true);
                QTest::mouseClick(dialog->findChild<QPushButton*>("okButton"), Qt::LeftButton);
            });
            p.edit("infEdit")->setText(q(floppy));
            QTest::mouseClick(p.button("infAddButton"), Qt::LeftButton);
            QCOMPARE(p.infs(), (QStringList{q(floppy + " [ A ]"), q(floppy + " [ B ]")}));
            p.quitWithOk();
        });
        QCOMPARE(rows, (QStringList{"A  Entry A（サービス: a、ID: 0 個、ファイル: あり）",
                                    "B  Entry B（サービス: b、ID: 1 個、ファイル: あり）",
                                    "C  Entry C（サービス: なし、ID: 0 個、ファイル: なし）"}));
        QCOMPARE(selected, QStringList{rows[1]});

        p.settings.AddDriverInf(floppy);
        p.settings.addDriverEntry({floppy, "B"});
        execDriven(p.page, [&] {
            QCOMPARE(p.infs(), QStringList{q(floppy + " [ B ]")});
            p.quitWithOk();
        });
    }

    void inf_list_adds_typed_text_once_and_removes_the_selection() {
        Page p;
        execDriven(p.page, [&] {
            QLineEdit* edit = p.edit("infEdit");
            QPushButton* add = p.button("infAddButton");
            QTest::mouseClick(add, Qt::LeftButton);
            QCOMPARE(p.infList()->count(), 0);

            QTest::keyClicks(edit, "sub/x.inf");
            QTest::mouseClick(add, Qt::LeftButton);
            QCOMPARE(p.infs(), QStringList{"sub/x.inf"});
            QVERIFY(edit->text().isEmpty());

            QTest::keyClicks(edit, "SUB/X.INF");
            QTest::mouseClick(add, Qt::LeftButton);
            QTest::keyClicks(edit, "a.inf");
            QTest::mouseClick(add, Qt::LeftButton);
            QCOMPARE(p.infs(), (QStringList{"sub/x.inf", "a.inf"}));

            QPushButton* remove = p.button("infRemoveButton");
            QTest::mouseClick(remove, Qt::LeftButton);
            QCOMPARE(p.infList()->count(), 2);

            QListWidgetItem* first = p.infList()->item(0);
            QTest::mouseClick(p.infList()->viewport(), Qt::LeftButton, {},
                              p.infList()->visualItemRect(first).center());
            QCOMPARE(edit->text(), QStringLiteral("sub/x.inf"));
            QTest::mouseClick(remove, Qt::LeftButton);
            QCOMPARE(p.infs(), QStringList{"a.inf"});
            p.quitWithOk();
        });
    }

    // The PnP list: its add button picks an INF and lists it (not twice),
    // remove takes the selected entry, "次へ >" hands the list to the
    // checks, and a later opening shows what the settings hold.
    void pnp_list_adds_picked_infs_and_removes_the_selected_one() {
        Page p;
        QStringList answers{"/drv/net.inf", "/drv/NET.INF", "/drv/gpu.inf", ""};
        QStringList dialogs;
        p.page.setDialogRunner([&](QFileDialog& dialog) {
            dialogs << dialog.objectName();
            return answers.takeFirst();
        });
        auto* list = child<QListWidget>(p.page, "pnpList");
        auto entries = [&] {
            QStringList out;
            for (int i = 0; i < list->count(); ++i) {
                out << list->item(i)->text();
            }
            return out;
        };
        execDriven(p.page, [&] {
            for (int i = 0; i < 4; ++i) {
                QTest::mouseClick(p.button("pnpAddButton"), Qt::LeftButton);
            }
            QCOMPARE(entries(), (QStringList{"/drv/net.inf", "/drv/gpu.inf"}));
            QCOMPARE(p.infList()->count(), 0);
            QTest::mouseClick(p.button("pnpRemoveButton"), Qt::LeftButton);
            QCOMPARE(entries().size(), 2);
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->item(0)).center());
            QTest::mouseClick(p.button("pnpRemoveButton"), Qt::LeftButton);
            QCOMPARE(entries(), QStringList{"/drv/gpu.inf"});
            p.quitWithOk();
        });
        QCOMPARE(dialogs, QStringList(4, QStringLiteral("pnpInfDialog")));

        p.settings.addPnpDriverInf("/drv/kept.inf");
        execDriven(p.page, [&] {
            QCOMPARE(entries(), QStringList{"/drv/kept.inf"});
            p.quitWithOk();
        });
    }

    void pickers_use_their_filters_and_fill_only_their_field() {
        Page p;
        QStringList answers{"/cd/XPSP2.EXE", "/drv/a.inf", "/drv/A.INF", "",
                            "/out/x.iso",    "/data/work"};
        QList<QFileDialog*> opened;
        struct Seen {
            QString name, title;
            QStringList filters;
            QString suffix;
            QFileDialog::FileMode mode;
            QFileDialog::AcceptMode accept;
            QFileDialog::Options options;
        };
        QList<Seen> seen;
        p.page.setDialogRunner([&](QFileDialog& dialog) {
            seen << Seen{dialog.objectName(),    dialog.windowTitle(), dialog.nameFilters(),
                         dialog.defaultSuffix(), dialog.fileMode(),    dialog.acceptMode(),
                         dialog.options()};
            return answers.takeFirst();
        });
        execDriven(p.page, [&] {
            QTest::mouseClick(p.button("servicePackButton"), Qt::LeftButton);
            QCOMPARE(p.edit("servicePackEdit")->text(), QStringLiteral("/cd/XPSP2.EXE"));

            p.edit("infEdit")->setText("typed");
            QTest::mouseClick(p.button("infPickButton"), Qt::LeftButton);
            QTest::mouseClick(p.button("infPickButton"), Qt::LeftButton);
            QCOMPARE(p.infs(), QStringList{"/drv/a.inf"});
            QCOMPARE(p.edit("infEdit")->text(), QStringLiteral("typed"));

            // Cancelled: nothing changes.
            QTest::mouseClick(p.button("isoPathButton"), Qt::LeftButton);
            QVERIFY(p.edit("isoPathEdit")->text().isEmpty());
            QTest::mouseClick(p.button("isoPathButton"), Qt::LeftButton);
            QCOMPARE(p.edit("isoPathEdit")->text(), QStringLiteral("/out/x.iso"));

            QVERIFY(!p.button("nextButton")->isEnabled());
            QTest::mouseClick(p.button("workFolderButton"), Qt::LeftButton);
            QCOMPARE(p.edit("workFolderEdit")->text(), QStringLiteral("/data/work"));
            QVERIFY(p.button("nextButton")->isEnabled());
            QCOMPARE(p.edit("servicePackEdit")->text(), QStringLiteral("/cd/XPSP2.EXE"));
            QVERIFY(p.edit("volumeLabelEdit")->text().isEmpty());
            p.quitWithOk();
        });
        QCOMPARE(seen.size(), 6);
        QCOMPARE(seen[0].name, QStringLiteral("servicePackDialog"));
        QCOMPARE(seen[0].filters, QStringList{"Service Pack ファイル (*.exe)"});
        QCOMPARE(seen[0].suffix, QStringLiteral("exe"));
        QCOMPARE(seen[0].mode, QFileDialog::ExistingFile);
        QCOMPARE(seen[0].accept, QFileDialog::AcceptOpen);
        QCOMPARE(seen[1].filters,
                 (QStringList{"INF ファイル (*.inf)",
                              "ドライバのフロッピー (TXTSETUP.OEM txtsetup.oem *.img *.IMG *.ima "
                              "*.IMA *.vfd *.VFD *.flp *.FLP)",
                              "すべてのファイル (*)"}));
        QCOMPARE(seen[1].suffix, QStringLiteral("inf"));
        QCOMPARE(seen[1].mode, QFileDialog::ExistingFile);
        QCOMPARE(seen[3].name, QStringLiteral("isoDialog"));
        QCOMPARE(seen[3].filters,
                 (QStringList{"ISO イメージファイル (*.iso)", "すべてのファイル (*)"}));
        QCOMPARE(seen[3].suffix, QStringLiteral("iso"));
        QCOMPARE(seen[3].accept, QFileDialog::AcceptSave);
        QVERIFY(!seen[3].options.testFlag(QFileDialog::DontConfirmOverwrite));
        QCOMPARE(seen[5].name, QStringLiteral("workFolderDialog"));
        QCOMPARE(seen[5].title, QStringLiteral("フォルダを選択してください"));
        QCOMPARE(seen[5].mode, QFileDialog::Directory);
        QVERIFY(seen[5].options.testFlag(QFileDialog::ShowDirsOnly));
    }

    void enter_presses_the_focused_button_and_otherwise_next() {
        Page p;
        QStringList opened;
        p.page.setDialogRunner([&](QFileDialog& dialog) {
            opened << dialog.objectName();
            return QString();
        });
        int code = execDriven(p.page, [&] {
            p.edit("workFolderEdit")->setText(p.installedTree());
            for (const char* name :
                 {"servicePackButton", "infPickButton", "workFolderButton", "isoPathButton"}) {
                p.button(name)->setFocus();
                QTest::keyClick(p.button(name), Qt::Key_Return);
            }
            QCOMPARE(opened, (QStringList{"servicePackDialog", "infDialog", "workFolderDialog",
                                          "isoDialog"}));
            QVERIFY(p.messages.shown.empty());

            // On "終了" Enter asks to quit, and nothing else happens.
            p.button("quitButton")->setFocus();
            p.messages.answer(MessageAnswer::Cancel);
            QTest::keyClick(p.button("quitButton"), Qt::Key_Enter, Qt::KeypadModifier);
            QCOMPARE(p.messages.texts(), std::vector<std::string>{"終了します。"});
            QVERIFY(p.page.isVisible());

            // In a field Enter presses the default button, "次へ >".
            p.edit("volumeLabelEdit")->setFocus();
            QTest::keyClick(p.edit("volumeLabelEdit"), Qt::Key_Return);
        });
        QCOMPARE(code, 2);
    }

    void page_fits_a_small_screen_and_opens_at_its_full_size() {
        Page p;
        execDriven(p.page, [&] {
            auto* scroll = child<QScrollArea>(p.page, "settingsScrollArea");
            // The page asks for its full size (the window system bounds it
            // by the screen), and at that size nothing scrolls: the page
            // looks as it would without the scroll area.
            p.page.resize(p.page.sizeHint());
            QTRY_COMPARE(p.page.size(), p.page.sizeHint());
            QTRY_VERIFY(!scroll->verticalScrollBar()->isVisible());
            QTRY_VERIFY(!scroll->horizontalScrollBar()->isVisible());
            QCOMPARE(scroll->viewport()->size(), scroll->widget()->size());

            // 1280x800 at scale factor 2 leaves 640x400 of room, a title
            // bar and a panel included; 1024x600 leaves more.
            QSize least = p.page.minimumSizeHint();
            QVERIFY2(least.width() <= 600 && least.height() <= 340,
                     qPrintable(QStringLiteral("%1x%2").arg(least.width()).arg(least.height())));
            p.page.resize(600, 340);
            QTRY_COMPARE(p.page.size(), QSize(600, 340));
            for (const char* name : {"nextButton", "quitButton"}) {
                QRect shown(p.button(name)->mapTo(&p.page, QPoint(0, 0)), p.button(name)->size());
                QVERIFY2(p.page.rect().contains(shown), name);
            }
            // The lower fields can be scrolled into view and used.
            QVERIFY(scroll->verticalScrollBar()->maximum() > 0);
            scroll->ensureWidgetVisible(p.edit("isoPathEdit"));
            QRect iso(p.edit("isoPathEdit")->mapTo(scroll->viewport(), QPoint(0, 0)),
                      p.edit("isoPathEdit")->size());
            QVERIFY(scroll->viewport()->rect().intersects(iso));
            p.quitWithOk();
        });
    }

    void opens_whole_on_a_1280x800_screen_and_scrolls_only_where_the_screen_is_smaller() {
        Page p;
        p.drives.drives = {{"/dev/sr0", "/dev/sr0", std::nullopt}};
        execDriven(p.page, [&] {
            auto* scroll = child<QScrollArea>(p.page, "settingsScrollArea");
            QScrollBar* down = scroll->verticalScrollBar();
            QScrollBar* across = scroll->horizontalScrollBar();
            QCOMPARE(p.page.screen()->availableGeometry().size(), QSize(1280, 800));
            // The page leaves room for a title bar and a panel.
            QSize full = p.page.sizeHint();
            QVERIFY2(full.width() <= 1280 && full.height() <= 800 - 80,
                     qPrintable(QStringLiteral("%1x%2").arg(full.width()).arg(full.height())));
            QCOMPARE(p.page.size(), full);
            QTRY_VERIFY(!down->isVisible());
            QVERIFY(!across->isVisible());
            // Every field and button lies whole in view.
            for (QWidget* field : scroll->widget()->findChildren<QWidget*>()) {
                if (qobject_cast<QLineEdit*>(field) || qobject_cast<QPushButton*>(field) ||
                    qobject_cast<QLabel*>(field) || qobject_cast<QComboBox*>(field)) {
                    QRect shown(field->mapTo(scroll->viewport(), QPoint(0, 0)), field->size());
                    QVERIFY2(scroll->viewport()->rect().contains(shown),
                             qPrintable(field->objectName()));
                }
            }

            // On a lower screen the driver list gives up its extra lines
            // first: at the least height that shows every field nothing
            // scrolls yet.
            int bar = p.page.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &p.page);
            int whole = full.height() - scroll->sizeHint().height() +
                        scroll->widget()->minimumSizeHint().height();
            QVERIFY(whole < full.height());
            QSize least = openingSize(full, whole, QSize(1280, whole), bar);
            QCOMPARE(least, QSize(full.width(), whole));
            p.page.resize(least);
            QTRY_COMPARE(p.page.size(), least);
            QTRY_VERIFY(!down->isVisible());
            QVERIFY(!across->isVisible());
            // Lower still: the page is wider by the bar, and only the
            // vertical bar shows.
            QSize low = openingSize(full, whole, QSize(1280, whole - 60), bar);
            QCOMPARE(low, QSize(full.width() + bar, whole - 60));
            p.page.resize(low);
            QTRY_VERIFY(down->isVisible());
            QVERIFY(!across->isVisible());
            // Narrower than the page too: both bars.
            QSize small = openingSize(full, whole, QSize(full.width() - 100, whole - 60), bar);
            QCOMPARE(small, QSize(full.width() - 100, whole - 60));
            p.page.resize(small);
            QTRY_VERIFY(across->isVisible());
            QVERIFY(down->isVisible());
            QCOMPARE(openingSize(full, whole, QSize(1280, 800), bar), full);
            p.quitWithOk();
        });
        // Opened again, the page keeps the size the user left it at.
        p.page.resize(700, 600);
        execDriven(p.page, [&] {
            QCOMPARE(p.page.size(), QSize(700, 600));
            p.quitWithOk();
        });
    }

    void file_dialogs_open_at_the_folder_of_the_field() {
        Page p;
        std::string sp = p.dir.write("sp/WindowsXP-SP3.exe", "x");
        p.dir.mkdir("work/out");
        QStringList folders;
        p.page.setDialogRunner([&](QFileDialog& dialog) {
            folders << dialog.directory().absolutePath();
            return QString();
        });
        execDriven(p.page, [&] {
            p.edit("servicePackEdit")->setText(q(sp));
            p.edit("infEdit")->setText(q(p.dir / "drv/missing/a.inf"));
            p.edit("workFolderEdit")->setText(q(p.dir / "work"));
            p.edit("isoPathEdit")->setText(QStringLiteral("out/x.iso"));
            for (const char* name :
                 {"servicePackButton", "infPickButton", "workFolderButton", "isoPathButton"}) {
                QTest::mouseClick(p.button(name), Qt::LeftButton);
            }
            p.quitWithOk();
        });
        // A missing folder opens at the nearest one above it; a relative ISO
        // name is in the work folder, where the image is made.
        QCOMPARE(folders, (QStringList{q(p.dir / "sp"), q(p.dir.path()), q(p.dir / "work"),
                                       q(p.dir / "work/out")}));
    }

    void next_refuses_each_fault_in_turn_and_then_goes_on() {
        Page p;
        p.drives.drives = {{"/dev/sr0", "/media/u/XP", "WXP"}};
        p.settings.SetCdDriveIndex(5); // nothing left at that position
        std::string missingInf = p.dir / "drv/missing.inf";
        std::string inf = std::string(ORNIBE_SOURCE_DIR) + "/samples/driver/OrScsi.inf";
        int code = execDriven(p.page, [&] {
            QCOMPARE(p.driveList()->currentIndex(), -1);
            QTest::keyClicks(p.edit("workFolderEdit"), q(p.dir / "work"));
            QPushButton* next = p.button("nextButton");

            QTest::mouseClick(next, Qt::LeftButton);
            QCOMPARE(p.messages.shown.back().text, std::string("CD ドライブを選択してください。"));

            p.driveList()->setCurrentIndex(0);
            QTest::keyClicks(p.edit("servicePackEdit"), q(p.dir / "sp.exe"));
            QTest::mouseClick(next, Qt::LeftButton);
            QCOMPARE(p.messages.shown.back().text,
                     p.dir / "sp.exe" + " ファイルが見つかりませんでした。");

            p.edit("servicePackEdit")->clear();
            p.edit("infEdit")->setText(q(inf));
            QTest::mouseClick(p.button("infAddButton"), Qt::LeftButton);
            p.edit("infEdit")->setText(q(missingInf));
            QTest::mouseClick(p.button("infAddButton"), Qt::LeftButton);
            QTest::mouseClick(next, Qt::LeftButton);
            QCOMPARE(p.messages.shown.back().text,
                     missingInf + " ファイルが見つかりませんでした。");

            p.infList()->setCurrentRow(1);
            QTest::mouseClick(p.button("infRemoveButton"), Qt::LeftButton);
            QTest::mouseClick(next, Qt::LeftButton);
            QCOMPARE(p.messages.shown.back().text, "この作業フォルダは使えません。\n" +
                                                       p.dir / "work" +
                                                       " というフォルダはありません。");
            QVERIFY(p.page.isVisible());

            p.installedTree();
            QTest::keyClick(p.edit("workFolderEdit"), Qt::Key_Slash);
            QTest::keyClick(p.edit("workFolderEdit"), Qt::Key_Return);
        });
        QCOMPARE(code, 2);
        QCOMPARE(p.messages.shown.size(), size_t(4));
        QCOMPARE(p.settings.GetCdDriveEntry(), std::string("読み込みしない"));
        QCOMPARE(p.settings.GetDriverInf(0), inf);
        QCOMPARE(p.settings.GetDriverInf(1), std::string());
        QCOMPARE(p.settings.GetWorkFolder(), p.dir / "work");
        // The controls keep what was typed; only the stored copies change.
        QCOMPARE(p.edit("workFolderEdit")->text(), q(p.dir / "work/"));
    }

    void typed_inf_is_added_by_enter_and_by_next_and_enter_never_moves_on() {
        Page p;
        const std::string inf = std::string(ORNIBE_SOURCE_DIR) + "/samples/driver/OrScsi.inf";
        std::filesystem::copy(std::string(ORNIBE_SOURCE_DIR) + "/samples/driver", p.dir / "drv2",
                              std::filesystem::copy_options::recursive);
        const std::string second = p.dir / "drv2/OrScsi.inf";
        const std::string missing = p.dir / "drv/missing.inf";
        const QString work = p.installedTree();
        int code = execDriven(p.page, [&] {
            p.driveList()->setCurrentIndex(0);
            p.edit("workFolderEdit")->setText(work);
            QLineEdit* field = p.edit("infEdit");
            field->setFocus();

            // Enter adds the typed name to the list and stays on the page;
            // on an empty field it does nothing at all.
            QTest::keyClicks(field, q(inf));
            QTest::keyClick(field, Qt::Key_Return);
            QCOMPARE(p.infs(), QStringList{q(inf)});
            QCOMPARE(field->text(), QString());
            QTest::keyClick(field, Qt::Key_Enter);
            QVERIFY(p.page.isVisible());
            QCOMPARE(p.infs(), QStringList{q(inf)});
            QVERIFY(p.messages.shown.empty());

            // A name typed and not added is added by "次へ >" and checked.
            QTest::keyClicks(field, q(missing));
            QTest::mouseClick(p.button("nextButton"), Qt::LeftButton);
            QCOMPARE(p.infs(), (QStringList{q(inf), q(missing)}));
            QCOMPARE(field->text(), QString());
            QCOMPARE(p.messages.texts(),
                     std::vector<std::string>{missing + " ファイルが見つかりませんでした。"});
            QVERIFY(p.page.isVisible());

            // Clicking an entry shows it in the field; removing it clears
            // the field, so that "次へ >" does not bring it back.
            QListWidgetItem* item = p.infList()->item(1);
            QTest::mouseClick(p.infList()->viewport(), Qt::LeftButton, {},
                              p.infList()->visualItemRect(item).center());
            QCOMPARE(field->text(), q(missing));
            QTest::mouseClick(p.button("infRemoveButton"), Qt::LeftButton);
            QCOMPARE(p.infs(), QStringList{q(inf)});
            QCOMPARE(field->text(), QString());

            // The same name in another letter case is already listed.
            field->setFocus();
            QTest::keyClicks(field, q(inf).toUpper());
            QTest::keyClick(field, Qt::Key_Return);
            QCOMPARE(p.infs(), QStringList{q(inf)});
            QTest::keyClicks(field, q(second));
            QTest::mouseClick(p.button("nextButton"), Qt::LeftButton);
        });
        QCOMPARE(code, 2);
        QCOMPARE(p.messages.shown.size(), size_t(1));
        QCOMPARE(p.settings.GetDriverInf(0), inf);
        QCOMPARE(p.settings.GetDriverInf(1), second);
        QCOMPARE(p.settings.GetDriverInf(2), std::string());
    }

    void next_waits_for_a_disc_in_an_empty_drive() {
        Page p;
        p.drives.drives = {{"/dev/sr0", "/dev/sr0", std::nullopt}};
        // The disc that is put in holds a Windows setup tree.
        p.dir.write("XP/I386/TXTSETUP.SIF", "[SourceDisksNames]\r\n");
        p.drives.inserts = {{1, "/dev/sr0", {"/dev/sr0", p.dir / "XP", "WXP"}}};
        p.dir.mkdir("work");
        p.messages.answer(MessageAnswer::Ok).answer(MessageAnswer::Ok);
        int code = execDriven(p.page, [&] {
            p.driveList()->setCurrentIndex(1);
            QTest::keyClicks(p.edit("workFolderEdit"), q(p.dir / "work"));
            QTest::mouseClick(p.button("nextButton"), Qt::LeftButton);
        });
        QCOMPARE(code, 2);
        QCOMPARE(p.messages.texts(),
                 (std::vector<std::string>{" Windows の CD を /dev/sr0 にセットしてください。",
                                           "作業フォルダに使える空き容量は 2048MB です。\n"
                                           "CD の内容には約 1MB 必要です。"}));
        QCOMPARE(p.settings.GetCdDriveIndex(), 1);
        QCOMPARE(p.settings.GetCdDriveEntry(), p.dir / "XP" + " [ WXP ]");
        QCOMPARE(p.driveList()->itemText(1), QStringLiteral("/dev/sr0 [ CD がありません ]"));
    }

    void about_entry_opens_the_version_box_from_menu_and_alt_a() {
        Page p;
        QAction* about = p.page.findChild<QAction*>("aboutAction");
        QVERIFY(about);
        QCOMPARE(about->text(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(ornibe) (&A)..."));
        QVERIFY(p.page.actions().contains(about));
        QCOMPARE(p.page.contextMenuPolicy(), Qt::ActionsContextMenu);

        QStringList titles;
        QStringList texts;
        auto readAndClose = [&](QWidget* box) {
            QVERIFY(box);
            titles << box->windowTitle();
            texts << box->findChild<QLabel*>("aboutText")->text();
            QTest::mouseClick(box->findChild<QPushButton*>("okButton"), Qt::LeftButton);
        };
        execDriven(p.page, [&] {
            p.page.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&p.page));
            test::onNextModal(readAndClose);
            QTest::keyClick(&p.page, Qt::Key_A, Qt::AltModifier);
            test::onNextModal(readAndClose);
            about->trigger();
            QVERIFY(p.page.isVisible());
            p.quitWithOk();
        });
        QCOMPARE(titles, (QStringList{"ﾊﾞｰｼﾞｮﾝ情報 ornibe", "ﾊﾞｰｼﾞｮﾝ情報 ornibe"}));
        QCOMPARE(texts, (QStringList{"ornibe Version 1.0", "ornibe Version 1.0"}));
    }
};

QTEST_MAIN(SettingsPageTest)
#include "SettingsPageTest.moc"
