#include "wizard/ServicePackCheck.h"

#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/SearchPath.h"
#include "sys/Translation.h"
#include "sys/WindowsProgram.h"

#include <cstdio>

namespace ornibe {

namespace {

std::string machineCode(std::uint16_t machine) {
    char code[8];
    std::snprintf(code, sizeof code, "0x%04X", machine);
    return code;
}

// An x64 tree takes only the x64 Service Pack (SP2 for XP x64 and Server
// 2003 x64), which runs in Wine's 64-bit part.
Outcome validateX64ServicePack(const std::string& path, const ToolSearch& tools,
                               std::uint16_t machine, const std::string& cannotRun) {
    if (machine != kMachineAmd64 || !isPe32Plus(path)) {
        return Failure::refusal(
            cannotRun, path,
            translated("x64（64 ビット）用のプログラムではありません（マシン種別 "
                       "%1）。\nx64 の CD には x64 用の Service Pack（例: "
                       "WindowsServer2003.WindowsXP-KB914961-SP2-x64-JPN.exe）"
                       "を選んでください。",
                       {machineCode(machine)}));
    }
    if (tools.findProgram("wine64").empty()) {
        return Failure::refusal(
            cannotRun, path,
            translated("64 ビットの Windows のプログラムを実行するには Wine の 64 "
                       "ビット版（wine64）が必要です。\n"
                       "Debian では次のコマンドでインストールできます：\n%1",
                       {kWine64InstallCommand}));
    }
    return {};
}

} // namespace

Outcome validateServicePack(const std::string& path, const ToolSearch& tools,
                            Architecture architecture) {
    const std::string cannotRun = translated("%1 を実行できません。", {path});
    // Every Service Pack installer is a Windows program; anything else
    // (a script, a cabinet, the update CD's image) would only be found out
    // when the build runs it.
    std::string head;
    try {
        head = readFileHead(path, 2);
    } catch (const FileError& error) {
        return Failure::refusal(cannotRun, path,
                                translated("読み込めません（%1）。", {error.reason()}));
    }
    if (head != "MZ") {
        return Failure::refusal(
            cannotRun, path,
            translated("Windows のプログラム（先頭が MZ の .exe ファイル）ではありません。\n"
                       "Service Pack のインストーラ（例: "
                       "WindowsXP-KB936929-SP3-x86-JPN.exe）を選んでください。"));
    }
    std::optional<std::uint16_t> machine = peMachineType(path);
    if (!machine) {
        return Failure::refusal(cannotRun, path,
                                translated("Windows のプログラム（PE 形式）ではありません。"));
    }
    if (architecture == Architecture::Amd64) {
        return validateX64ServicePack(path, tools, *machine, cannotRun);
    }
    if (*machine != kMachineI386) {
        return Failure::refusal(
            cannotRun, path,
            translated("x86（32 ビット）用のプログラムではありません（マシン種別 "
                       "%1）。",
                       {machineCode(*machine)}));
    }
    std::string wine = tools.findProgram("wine");
    if (wine.empty()) {
        return Failure::refusal(cannotRun, path,
                                translated("Windows のプログラムを実行するには Wine が必要です。\n"
                                           "Debian では次のコマンドでインストールできます：\n%1",
                                           {kWineInstallCommand}));
    }
    if (wine32Loader(wine).empty()) {
        return Failure::refusal(
            cannotRun, path,
            translated("%1 は 64 ビットの Wine だけで、32 ビットのプログラムを実行できません。\n"
                       "Debian では次のコマンドで 32 ビットの Wine を追加できます：\n%2",
                       {wine, kWineInstallCommand}));
    }
    return {};
}

} // namespace ornibe
