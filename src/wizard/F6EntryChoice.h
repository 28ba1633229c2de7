#pragma once

#include "sys/Result.h"
#include "sys/SearchPath.h"

#include <string>
#include <vector>

namespace ornibe {

// What the entry chooser shows when a driver floppy is added to the
// driver list, and what it adds back: the dialog only shows the rows and
// takes the choice.
struct F6EntryRow {
    std::string id;
    // "description（サービス: svc、ID: n 個、ファイル: あり）", or with
    // "ファイル: なし" for an entry that cannot be integrated as it stands.
    std::string text;
    bool isDefault = false;
    // Whether the entry passes the checks on "次へ >" (validateOemEntry).
    bool usable = false;
};

struct F6EntryList {
    // The source as the list will name it.
    std::string source;
    std::vector<F6EntryRow> rows;
};

// The rows for the floppy that the text names; nothing (not a failure)
// when the text is no floppy source, a failure with the reason when its
// TXTSETUP.OEM cannot be read. A floppy with both sets shows the one of
// the architecture of the tree at tree (the chosen source, or the work
// folder), when it names one (see readF6Source).
Result<F6EntryList> f6EntryRows(const std::string& text, const ToolSearch& tools,
                                const std::string& tree = {});

// The driver list's texts for the chosen IDs ("source [ ID ]"), in the
// rows' order.
std::vector<std::string> f6ListTexts(const F6EntryList& list, const std::vector<std::string>& ids);

} // namespace ornibe
