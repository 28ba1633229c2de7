#include "sys/Translation.h"

#include "sys/FileIo.h"
#include "sys/HostPath.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

namespace ornibe::test {
namespace {

// The folders of src whose texts still wait for their English: their
// Japanese string literals are not yet marked. A folder leaves this list
// when its texts are marked and translated; src/ui translates through Qt's
// own files and is not read here.
const std::set<std::string> kFoldersToDo = {};

// Texts beyond ASCII that stay as they are in every language: the file
// they stand in, the text, and why.
struct KeptText {
    std::string_view file;
    std::string_view text;
    std::string_view reason;
};
const KeptText kKeptTexts[] = {
    {"src/media/IsoImport.cpp", "…", "an ellipsis for a shortened path, in every language"},
    {"src/runner/steps/HotfixStep.cpp", " → ", "an arrow from a file to its place"},
    {"src/runner/steps/HotfixStep.cpp", " → $OEM$", "an arrow from a folder to $OEM$"},
};

bool isKept(const std::string& file, const std::string& text) {
    return std::ranges::any_of(
        kKeptTexts, [&](const KeptText& kept) { return kept.file == file && kept.text == text; });
}

struct Literal {
    std::string file;
    int line = 0;
    std::string text; // adjacent literals joined, escapes resolved
    bool marked = false;
    // Written with characters beyond ASCII in the source, as a Japanese
    // text is; bytes written as escapes ("\xEF\xBF\xBD") are data.
    bool japanese = false;
};

std::string unescaped(std::string_view body) {
    std::string text;
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (body[i] != '\\' || i + 1 == body.size()) {
            text += body[i];
            continue;
        }
        const char c = body[++i];
        switch (c) {
        case 'n':
            text += '\n';
            break;
        case 't':
            text += '\t';
            break;
        case 'r':
            text += '\r';
            break;
        case '0':
            text += '\0';
            break;
        case 'x': {
            std::size_t end = i + 1;
            while (end < body.size() && std::isxdigit(static_cast<unsigned char>(body[end]))) {
                ++end;
            }
            text += static_cast<char>(
                std::stoi(std::string(body.substr(i + 1, end - i - 1)), nullptr, 16));
            i = end - 1;
            break;
        }
        default:
            text += c;
        }
    }
    return text;
}

bool holdsNonAscii(std::string_view text) {
    return std::ranges::any_of(text, [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// The string literals of a C++ source, with the comments and character
// literals skipped; each run of adjacent literals is one text, marked when
// it is the first argument of translated() or toTranslate().
std::vector<Literal> stringLiterals(const std::string& file, std::string_view code) {
    std::vector<Literal> literals;
    int line = 1;
    // What came before the current literal run: the last identifier and
    // whether a "(" directly followed it.
    std::string lastWord;
    bool afterMarkerParen = false;
    bool inRun = false;
    auto endRun = [&] { inRun = false; };
    for (std::size_t i = 0; i < code.size();) {
        const char c = code[i];
        if (c == '\n') {
            ++line;
            ++i;
            continue;
        }
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
            continue;
        }
        if (code.substr(i, 2) == "//") {
            i = code.find('\n', i);
            i = i == std::string_view::npos ? code.size() : i;
            continue;
        }
        if (code.substr(i, 2) == "/*") {
            const std::size_t end = code.find("*/", i + 2);
            const std::size_t stop = end == std::string_view::npos ? code.size() : end + 2;
            line += static_cast<int>(std::count(code.begin() + i, code.begin() + stop, '\n'));
            i = stop;
            continue;
        }
        if (c == '\'') {
            std::size_t j = i + 1;
            while (j < code.size() && code[j] != '\'') {
                j += code[j] == '\\' ? 2 : 1;
            }
            i = j + 1;
            endRun();
            lastWord.clear();
            continue;
        }
        if (c == '"' || (c == 'R' && code.substr(i, 2) == "R\"")) {
            std::string body;
            bool japanese = false;
            const int startLine = line;
            if (c == 'R') {
                const std::size_t open = code.find('(', i);
                const std::string close =
                    ")" + std::string(code.substr(i + 2, open - i - 2)) + "\"";
                const std::size_t end = code.find(close, open);
                body = std::string(code.substr(open + 1, end - open - 1));
                japanese = holdsNonAscii(body);
                line += static_cast<int>(std::count(body.begin(), body.end(), '\n'));
                i = end + close.size();
            } else {
                std::size_t j = i + 1;
                while (j < code.size() && code[j] != '"') {
                    j += code[j] == '\\' ? 2 : 1;
                }
                japanese = holdsNonAscii(code.substr(i + 1, j - i - 1));
                body = unescaped(code.substr(i + 1, j - i - 1));
                i = j + 1;
            }
            if (inRun) {
                literals.back().text += body;
                literals.back().japanese = literals.back().japanese || japanese;
            } else {
                literals.push_back({file, startLine, body, afterMarkerParen, japanese});
                inRun = true;
            }
            continue;
        }
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '_') {
            std::size_t j = i;
            while (j < code.size() &&
                   (std::isalnum(static_cast<unsigned char>(code[j])) || code[j] == '_')) {
                ++j;
            }
            // u8"", L"" and the like: the prefix belongs to the literal.
            const std::string_view word = code.substr(i, j - i);
            if (j < code.size() && code[j] == '"' &&
                (word == "u8" || word == "u" || word == "U" || word == "L")) {
                i = j;
                continue;
            }
            lastWord = word;
            afterMarkerParen = false;
            endRun();
            i = j;
            continue;
        }
        afterMarkerParen = c == '(' && (lastWord == "translated" || lastWord == "toTranslate");
        lastWord.clear();
        endRun();
        ++i;
    }
    return literals;
}

struct CatalogEntry {
    std::string translation;
    bool fuzzy = false;
};

// The entries of a .po file: msgid to msgstr, with the fuzzy flag.
std::map<std::string, CatalogEntry> poEntries(std::string_view po) {
    std::map<std::string, CatalogEntry> entries;
    std::string id;
    std::string str;
    std::string* current = nullptr;
    bool fuzzy = false;
    auto finish = [&] {
        if (current != nullptr && !id.empty()) {
            entries[id] = {str, fuzzy};
        }
        id.clear();
        str.clear();
        current = nullptr;
        fuzzy = false;
    };
    std::size_t start = 0;
    while (start <= po.size()) {
        std::size_t end = po.find('\n', start);
        end = end == std::string_view::npos ? po.size() : end;
        const std::string_view line = po.substr(start, end - start);
        start = end + 1;
        auto quoted = [&](std::string_view rest) {
            const std::size_t open = rest.find('"');
            const std::size_t close = rest.rfind('"');
            return unescaped(rest.substr(open + 1, close - open - 1));
        };
        if (line.empty()) {
            finish();
        } else if (line.starts_with("#,")) {
            fuzzy = line.find("fuzzy") != std::string_view::npos;
        } else if (line.starts_with("msgid ")) {
            id = quoted(line);
            current = &id;
        } else if (line.starts_with("msgstr ")) {
            str = quoted(line);
            current = &str;
        } else if (line.starts_with("\"") && current != nullptr) {
            *current += quoted(line);
        }
        if (end == po.size()) {
            break;
        }
    }
    finish();
    return entries;
}

std::set<std::string> placeholders(std::string_view text) {
    std::set<std::string> found;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == '%' && text[i + 1] >= '1' && text[i + 1] <= '9') {
            found.emplace(text.substr(i, 2));
        }
    }
    return found;
}

TEST(Translation, values_fill_in_where_the_language_puts_them_and_other_percents_stay) {
    EXPECT_EQ(filledIn("%2 を %1 に", {"A", "B"}), "B を A に");
    EXPECT_EQ(filledIn("copy %1 to %2", {"A", "B"}), "copy A to B");
    // A value is put in as it is, even when it holds a placeholder itself.
    EXPECT_EQ(filledIn("%1 and %2", {"%2", "x"}), "%2 and x");
    // A per cent sign before no number, or a number without a value, stays.
    EXPECT_EQ(filledIn("100% %3 %", {"a", "b"}), "100% %3 %");
    // Without a catalog in use, a text is its own translation.
    EXPECT_EQ(translated("中止しました"), "中止しました");
    EXPECT_EQ(translated("%1 が %2", {"a", "b"}), "a が b");
}

TEST(Translation, a_compiled_catalog_is_read_and_a_damaged_one_refused) {
    const std::string moFile =
        joinPath(folderPart(ORNIBE_BUILD_TOOL_DIR), "locale/en/LC_MESSAGES/ornibe.mo");
    const std::string bytes = readFile(moFile);
    const auto catalog = MessageCatalog::parse(bytes);
    ASSERT_TRUE(catalog) << moFile;
    EXPECT_THAT(catalog->find("中止しました"), ::testing::Optional(::testing::Ne("")));
    // The header (the empty original) and texts it lacks have no translation.
    EXPECT_EQ(catalog->find(""), std::nullopt);
    EXPECT_EQ(catalog->find("カタログにない文"), std::nullopt);

    // Every cut of the file that loses a table or a text is refused, never
    // read past its end.
    for (std::size_t size :
         {std::size_t(0), std::size_t(3), std::size_t(20), bytes.size() / 2, bytes.size() - 1}) {
        EXPECT_EQ(MessageCatalog::parse(std::string_view(bytes).substr(0, size)), std::nullopt)
            << size;
    }
    // A table offset or a count pointing outside the file.
    for (std::size_t field : {8u, 12u, 16u}) {
        std::string broken = bytes;
        broken[field + 3] = '\x7f';
        EXPECT_EQ(MessageCatalog::parse(broken), std::nullopt) << field;
    }
    std::string notMo = bytes;
    notMo[0] = 'x';
    EXPECT_EQ(MessageCatalog::parse(notMo), std::nullopt);
    // The same catalog written big-endian reads the same.
    std::string bigEndian = bytes;
    const std::uint32_t count =
        static_cast<unsigned char>(bytes[8]) | static_cast<unsigned char>(bytes[9]) << 8;
    const std::uint32_t originals =
        static_cast<unsigned char>(bytes[12]) | static_cast<unsigned char>(bytes[13]) << 8;
    const std::uint32_t translations =
        static_cast<unsigned char>(bytes[16]) | static_cast<unsigned char>(bytes[17]) << 8;
    auto swapWord = [&](std::size_t at) { std::reverse(&bigEndian[at], &bigEndian[at] + 4); };
    for (std::size_t at = 0; at < 28; at += 4) {
        swapWord(at);
    }
    for (std::uint32_t i = 0; i < count * 2; ++i) {
        swapWord(originals + 4 * i);
        swapWord(translations + 4 * i);
    }
    const auto swapped = MessageCatalog::parse(bigEndian);
    ASSERT_TRUE(swapped);
    EXPECT_EQ(swapped->size(), catalog->size());
    EXPECT_EQ(swapped->find("中止しました"), catalog->find("中止しました"));
}

TEST(Translation, every_japanese_text_of_a_converted_folder_is_marked_and_has_its_english) {
    // The scan itself: marked texts, joined literals, raw strings, and what
    // is no literal at all.
    const auto sample =
        stringLiterals("x.cpp", "f(translated(\"甲\" // 乙\n \"丙\"), '\"');\n"
                                "/* \"丁\" */ g(R\"(戊\n)\", toTranslate(u8\"己\"));\n"
                                "h(\"庚\", translated, \"\\xEF\\xBF\\xBD\");");
    ASSERT_EQ(sample.size(), 5u);
    EXPECT_TRUE(sample[0].marked && sample[0].text == "甲丙" && sample[0].line == 1);
    EXPECT_TRUE(!sample[1].marked && sample[1].text == "戊\n" && sample[1].line == 3);
    EXPECT_TRUE(sample[2].marked && sample[2].text == "己");
    EXPECT_TRUE(!sample[3].marked && sample[3].text == "庚" && sample[3].line == 5);
    EXPECT_TRUE(sample[3].japanese && !sample[4].japanese && sample[4].text == "\uFFFD");

    const std::string source = ORNIBE_SOURCE_DIR;
    const auto entries = poEntries(readFile(joinPath(source, "po/en.po")));
    const auto compiled = MessageCatalog::read(
        joinPath(folderPart(ORNIBE_BUILD_TOOL_DIR), "locale/en/LC_MESSAGES/ornibe.mo"));
    ASSERT_TRUE(compiled);

    std::set<std::string> folders;
    for (const auto& entry : std::filesystem::directory_iterator(joinPath(source, "src"))) {
        if (entry.is_directory() && entry.path().filename() != "ui") {
            folders.insert(entry.path().filename());
        }
    }
    for (const std::string& folder : kFoldersToDo) {
        EXPECT_TRUE(folders.contains(folder))
            << "src/" << folder << " is in the list but not there";
    }

    std::map<std::string, int> unmarkedByFolder;
    int markedCount = 0;
    for (const std::string& folder : folders) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(
                 joinPath(joinPath(source, "src"), folder))) {
            const std::string extension = entry.path().extension();
            if (extension != ".cpp" && extension != ".h") {
                continue;
            }
            const std::string relative =
                std::filesystem::relative(entry.path(), source).generic_string();
            const bool toDo = kFoldersToDo.contains(folder);
            for (const Literal& literal : stringLiterals(relative, readFile(entry.path()))) {
                if (!literal.marked) {
                    if (literal.japanese && !isKept(relative, literal.text)) {
                        ++unmarkedByFolder[folder];
                        EXPECT_TRUE(toDo)
                            << relative << ":" << literal.line
                            << ": a Japanese text outside translated(): " << literal.text;
                    }
                    continue;
                }
                ++markedCount;
                const auto found = entries.find(literal.text);
                if (found == entries.end()) {
                    ADD_FAILURE() << relative << ":" << literal.line
                                  << ": no English in po/en.po for: " << literal.text;
                    continue;
                }
                EXPECT_FALSE(found->second.fuzzy || found->second.translation.empty())
                    << relative << ":" << literal.line
                    << ": untranslated or fuzzy: " << literal.text;
                EXPECT_EQ(placeholders(found->second.translation), placeholders(literal.text))
                    << relative << ":" << literal.line
                    << ": the English puts in other values: " << found->second.translation;
                EXPECT_EQ(compiled->find(literal.text), found->second.translation)
                    << "the compiled catalog differs from po/en.po for: " << literal.text;
            }
        }
    }
    // A folder on the list still has its work; one without it leaves the list.
    for (const std::string& folder : kFoldersToDo) {
        EXPECT_GT(unmarkedByFolder[folder], 0)
            << "src/" << folder << " has no unmarked Japanese text: take it off the list";
    }
    // Where a folder is converted, the scan finds its marked texts.
    if (kFoldersToDo.size() < folders.size()) {
        EXPECT_GT(markedCount, 0);
    }
}

} // namespace
} // namespace ornibe::test
