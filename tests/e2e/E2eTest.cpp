#include "E2eTest.h"

namespace ornibe::test {

std::string Summary::text() const {
    const std::string indent = "\r\n      ";
    std::string out = "ターゲット：" + indent + target;
    out += "\r\n\r\nCD ドライブ：" + indent + cdDrive;
    out += "\r\n\r\nISO イメージのボリュームラベル：" + indent + (label.empty() ? "なし" : label);
    out +=
        "\r\n\r\nService Pack ファイル：" + indent + (servicePack.empty() ? "なし" : servicePack);
    out += "\r\n\r\n追加するドライバ：";
    if (devices.empty()) {
        out += indent + "なし";
    }
    for (const std::string& device : devices) {
        out += indent + device;
    }
    out += "\r\n\r\n137GB 以上のハードディスク：" + indent + (bigDrive ? "使用する" : "使用しない");
    out += "\r\n\r\n作業フォルダ：" + indent + workFolder;
    out += "\r\n\r\nISO イメージ：" + indent + (isoPath.empty() ? "作成しない" : isoPath);
    out += "\r\n\r\n";
    return out;
}

std::string sampleTxtsetupBlocks(bool windows2000) {
    std::string ids = windows2000 ? "PCI\\VEN_1B2C&DEV_0301 = \"OrScsi\"\r\n"
                                  : "PCI\\VEN_1B2C&DEV_0301&SUBSYS_00011B2C = \"OrScsi\"\r\n"
                                    "PCI\\VEN_1B2C&DEV_0302 = \"OrScsi\"\r\n";
    return "\r\n[SourceDisksFiles]\r\n"
           "ORSCSI.SYS = 1,,,,,,,4,0,0\r\n"
           "OrScsi.inf = 1,,,,,,,20,0,0\r\n"
           "\r\n[HardwareIdsDatabase]\r\n" +
           ids +
           "\r\n[SCSI.Load]\r\n"
           "OrScsi = OrScsi.sys,4\r\n"
           "\r\n[SCSI]\r\n"
           "OrScsi = \"Ornibe Sample SCSI Controller\"\r\n";
}

std::string isoLog(const std::string& label, const std::string& workFolder,
                   const std::string& isoPath, std::size_t files, std::size_t folders) {
    const std::string tool = std::string(ORNIBE_BUILD_TOOL_DIR) + "/cdimage";
    return "ISO イメージを作成しています。。。\r\n\"" + tool + "\" -l\"" + label +
           "\" -h -n -m -o -x -b\"" + workFolder + "/BOOTSECT.BIN\" \"" + workFolder + "\" \"" +
           isoPath + "\"\r\ncdimage: wrote " + isoPath + " (" + std::to_string(files) + " files, " +
           std::to_string(folders) + " folders)\n\r\n完了\r\n";
}

} // namespace ornibe::test
