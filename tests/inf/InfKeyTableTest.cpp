// The table that finds the first line of a key: the hash bits kept beside
// each line's id decide which lines are compared at all, so a wrong bit
// loses a key or finds another one. Checked on the table itself, and on
// files large enough that the table has few bits to spare.
#include "inf/InfKeyTable.h"
#include "inf/InfFile.h"

#include "InfTestText.h"

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <string>
#include <vector>

namespace ornibe {
namespace {

using inf_detail::KeyTable;

// Enters ids 0..count-1 under the given hashes, each as a key of its own
// unless another id of the same key (same keys[id]) is there already.
// Returns the ids the table ends with for each key, and counts the
// comparisons.
struct Filled {
    KeyTable table;
    std::vector<std::uint32_t> found;
    int comparisons = 0;
};

Filled fill(const std::vector<std::size_t>& hashes, const std::vector<int>& keys,
            std::size_t idLimit) {
    Filled f;
    f.table.reset(hashes.size(), idLimit);
    for (std::uint32_t id = 0; id < hashes.size(); ++id) {
        std::size_t slot = f.table.slotOf(hashes[id], [&](std::uint32_t other) {
            ++f.comparisons;
            return keys[other] == keys[id];
        });
        if (f.table.at(slot) == KeyTable::kEmpty)
            f.table.put(slot, id, hashes[id]);
    }
    for (std::uint32_t id = 0; id < hashes.size(); ++id)
        f.found.push_back(f.table.at(f.table.slotOf(
            hashes[id], [&](std::uint32_t other) { return keys[other] == keys[id]; })));
    return f;
}

TEST(InfKeyTable, hash_bits_beside_the_id_skip_other_keys_and_never_hide_one) {
    // Keys whose hashes share the slot but differ in their top bits are
    // never compared: each goes to the next free slot at once.
    const std::size_t sameSlot = 0x0000'0123'4567'89ABull;
    std::vector<std::size_t> hashes;
    std::vector<int> keys;
    for (int i = 0; i < 6; ++i) {
        hashes.push_back(sameSlot | (std::size_t(i + 1) << 58));
        keys.push_back(i);
    }
    Filled spread = fill(hashes, keys, hashes.size());
    EXPECT_EQ(spread.comparisons, 0);
    for (std::uint32_t id = 0; id < hashes.size(); ++id)
        EXPECT_EQ(spread.found[id], id);

    // Keys of one hash in full are told apart by their comparison, and a
    // key entered twice is found under its first id.
    keys = {0, 1, 2, 1, 0, 3};
    hashes.assign(keys.size(), sameSlot | (std::size_t(5) << 58));
    Filled shared = fill(hashes, keys, hashes.size());
    EXPECT_GT(shared.comparisons, 0);
    EXPECT_EQ(shared.found, (std::vector<std::uint32_t>{0, 1, 2, 1, 0, 5}));

    // The highest id with every bit of the hash set above it is still a
    // line, not an empty slot; so is id 0 of a table of one id.
    for (std::size_t idLimit :
         {std::size_t(1), std::size_t(6), std::size_t(1) << 20, std::size_t(0xFFFF'FFFEu)}) {
        KeyTable table;
        table.reset(1, idLimit);
        const std::size_t allBits = ~std::size_t(0);
        const std::uint32_t id = static_cast<std::uint32_t>(idLimit - 1);
        std::size_t slot = table.slotOf(allBits, [](std::uint32_t) { return true; });
        ASSERT_EQ(table.at(slot), KeyTable::kEmpty);
        table.put(slot, id, allBits);
        EXPECT_EQ(table.at(table.slotOf(allBits, [](std::uint32_t) { return true; })), id)
            << "ids below " << idLimit;
    }
}

std::string upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

TEST(InfKeyTable, every_key_of_a_large_file_finds_its_lines_in_order) {
    // 300,000 lines in three sections, keys repeated within a section and
    // shared between sections: the ids take 19 bits of each slot, the hash
    // the other 13. Every key is asked for in other letter case, and its
    // lines are walked with the next match; what is expected comes from a
    // map built beside the text.
    std::string text = test::kVersionSection;
    const char* const sections[] = {"Files", "Ids", "Load"};
    // Per section and upper-cased key, the line indexes in file order.
    std::map<std::string, std::map<std::string, std::vector<std::uint32_t>>> expected;
    std::map<std::string, std::uint32_t> lineCount;
    for (int block = 0; block < 30; ++block) {
        for (const char* section : sections) {
            text += std::string("[") + section + "]\r\n";
            for (int i = 0; i < 3334; ++i) {
                const int n = (block * 3334 + i) % 70001;
                const std::string key = "key" + std::to_string(n) + ".Sys";
                text += key + " = " + std::to_string(block) + ",,,,,,4_,4,1,,,1,4\r\n";
                expected[section][upper(key)].push_back(lineCount[section]++);
            }
        }
    }
    InfFile inf = InfFile::parse(text);
    ASSERT_TRUE(inf.isOpen());
    for (const auto& [section, keys] : expected) {
        for (const auto& [key, lines] : keys) {
            std::vector<std::uint32_t> walked;
            for (auto at = inf.findFirstLine(section, key); at;
                 at = inf.findNextMatchLine(*at, key))
                walked.push_back(at->line);
            ASSERT_EQ(walked, lines) << section << " " << key;
        }
        EXPECT_FALSE(inf.findFirstLine(section, "key70001.sys")) << section;
        EXPECT_FALSE(inf.findFirstLine(section, "key1.sy")) << section;
    }
}

} // namespace
} // namespace ornibe
