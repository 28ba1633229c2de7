#include "wizard/WizardArguments.h"

#include "sys/Translation.h"

namespace ornibe {

std::optional<WizardArgumentAnswer> answerWizardArguments(const std::vector<std::string>& arguments,
                                                          const std::string& version) {
    if (arguments.empty()) {
        return std::nullopt;
    }
    if (arguments.size() == 1 && arguments[0] == "--version") {
        return WizardArgumentAnswer{0, "ornibe " + version + "\n", {}};
    }
    if (arguments.size() == 1 && arguments[0] == "--help") {
        return WizardArgumentAnswer{
            0,
            translated("使い方：ornibe [--help | --version]\n\n"
                       "ornibe ウィザードを開きます。ウィザードは、カスタマイズした\n"
                       "Windows 2000、XP、Server 2003 のインストール ツリーと、起動できる\n"
                       "ISO イメージを作ります。オプションは取らず、選ぶことはすべて\n"
                       "ページでします。スクリプトから、または画面なしでビルドするには\n"
                       "ornibe-build を使います（ornibe-build --help を見てください）。") +
                "\n",
            {}};
    }
    return WizardArgumentAnswer{
        2,
        {},
        "ornibe: " +
            translated("ウィザードは引数を取りません（指定された引数：%1）。コマンド "
                       "ラインからビルドするには ornibe-build を使います"
                       "（ornibe-build --help を見てください）",
                       {arguments[0]}) +
            "\n"};
}

} // namespace ornibe
