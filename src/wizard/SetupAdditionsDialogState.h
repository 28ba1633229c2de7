#pragma once

#include "settings/SetupAdditions.h"

#include <string>
#include <vector>

namespace ornibe {

// "セットアップで実行…": the dialog of hotfixes, the $OEM$ folder and the
// commands, as its controls hold them. The checks on "次へ >" judge the
// values.
struct SetupAdditionsDialogState {
    std::vector<HotfixChoice> hotfixes;
    std::string oemFolder;
    // One command a line, as typed.
    std::string setupCommands;
    std::string firstLogonCommands;

    bool operator==(const SetupAdditionsDialogState&) const = default;
};

SetupAdditionsDialogState dialogStateOf(const SetupAdditions& additions);
// The settings' values: each line of a command box with text on it is one
// command (blanks around it taken off), in order.
SetupAdditions additionsOf(const SetupAdditionsDialogState& state);

// The list with the package added (with its switches; empty for the
// default), unless the path is empty or listed already.
std::vector<HotfixChoice> hotfixListWith(std::vector<HotfixChoice> list, const std::string& path,
                                         const std::string& switches);
// The list without the entry at row; unchanged when row is no entry.
std::vector<HotfixChoice> hotfixListWithout(std::vector<HotfixChoice> list, int row);
// An entry as the list shows it: the path, then its switches.
std::string hotfixListText(const HotfixChoice& hotfix);

} // namespace ornibe
