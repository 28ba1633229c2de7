#include "inf/InfParser.h"

#include "inf/InfData.h"
#include "inf/InfDirids.h"
#include "inf/InfLimits.h"

#include <array>
#include <cstring>
#include <utility>

namespace ornibe {
namespace {

using namespace inf_detail;

// Windows setup refuses a file with a longer section name.
constexpr std::size_t kMaxSectionName = 255;

// A value taken from the Strings section is cut to this many characters
// (512 with the terminating NUL on Windows 2000, XP and Server 2003).
constexpr std::size_t kMaxStringValue = 511;

// What one more line and one more section cost, their share of the
// list's blocks included.
constexpr std::size_t kLineBytes = sizeof(Line) + 1;
constexpr std::size_t kSectionBytes = sizeof(Section) + 1;

// Bytes that never mean anything to the line parser: runs of them are
// copied in one go.
constexpr std::array<bool, 256> kPlainBytes = [] {
    std::array<bool, 256> plain{};
    for (int c = 0; c < 256; ++c)
        plain[c] = !leadByte(static_cast<unsigned char>(c));
    for (unsigned char c : std::string_view("\"\\;,=%\r\n \t\v\f"))
        plain[c] = false;
    return plain;
}();

// A carriage return that is not followed by a line feed is white space:
// only LF and CR LF end a line.
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r';
}

// The length of the longest prefix of text that holds at most count
// characters, a double-byte character counting as one.
std::size_t prefixOfCharacters(std::string_view text, std::size_t count) {
    std::size_t i = 0;
    for (std::size_t n = 0; i < text.size() && n < count; ++n)
        i += leadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
    return i;
}

bool isStringsSection(std::string_view name) {
    return (name.size() == 7 && equalsSetupNoCase(name, "Strings")) ||
           (name.size() > 7 && equalsSetupNoCase(name.substr(0, 8), "Strings."));
}

// Reads INF text into Data in one pass, then replaces string keys and
// builds the lookup tables.
//
// The fields are written into the text they are read from, behind the
// reading position: a line's fields and their NUL ends are never longer
// than the line with its separators and line end, and the brackets of the
// first section header leave room for the last line of a file that ends
// without a line end. So the text is held once, and the parsed form
// costs little more than the file.
class Parser {
public:
    Parser(std::string text, std::size_t fileBytes, InfFile::Data& data, InfProblem* problem,
           InfStyle style)
        : d_(data), problem_(problem), budget_(infMemoryBudget(fileBytes)),
          quotesClose_(style == InfStyle::AnswerFile) {
        d_.text = std::move(text);
        buffer_ = d_.text.data();
        size_ = d_.text.size();
        used_ = size_;
    }

    // False when the text breaks a rule for which Windows setup refuses the
    // whole file: a section header without its closing bracket, a section
    // name longer than 255 characters, or text before the first section
    // header; or when it needs more memory than the limits allow. Lines
    // holding only white space or a comment may stand before the first
    // section.
    bool run() {
        if (!charge(IdTable::bytesFor(16)))
            return false;
        d_.sectionTable.reset(16);
        while (pos_ < size_) {
            while (pos_ < size_ && isBlank(buffer_[pos_]))
                ++pos_;
            if (pos_ >= size_)
                break;
            char c = buffer_[pos_];
            if (c == '\n') {
                ++pos_;
                ++lineNumber_;
            } else if (c == ';') {
                skipToLineEnd();
            } else if (c == '[') {
                if (!parseSectionHeader())
                    return false;
            } else {
                if (current_ == kNone)
                    return refuse("text stands before the first section header");
                if (!parseLine())
                    return false;
            }
        }
        d_.text.resize(written_);
        // The key table is counted before string keys are replaced, so
        // that replacements never take the room the table needs.
        return placeRuns() && charge(IdTable::bytesFor(findableLines())) && substituteStrings() &&
               buildKeyTable();
    }

private:
    // Records why the file is refused, on the line being read.
    bool refuse(std::string what) {
        if (problem_ != nullptr)
            *problem_ = InfProblem{InfProblem::Kind::Text, lineNumber_ + 1, std::move(what), {}};
        return false;
    }

    // Counts bytes of memory the parsed form takes; false, the file refused,
    // when they pass the budget.
    bool charge(std::size_t bytes) {
        used_ += bytes;
        if (used_ <= budget_)
            return true;
        if (problem_ != nullptr)
            *problem_ = infTooManyParts();
        return false;
    }

    bool lineEndAt(std::size_t i) const {
        return buffer_[i] == '\n' ||
               (buffer_[i] == '\r' && i + 1 < size_ && buffer_[i + 1] == '\n');
    }

    // Moves past the LF or CR LF at pos_.
    void skipLineEnd() {
        pos_ += buffer_[pos_] == '\r' ? 2 : 1;
        ++lineNumber_;
    }

    // Moves to the LF that ends the line, or to the end of the text.
    void skipToLineEnd() {
        const void* lf = std::memchr(buffer_ + pos_, '\n', size_ - pos_);
        pos_ = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - buffer_) : size_;
    }

    void put(char c) { buffer_[written_++] = c; }

    std::string_view sectionName(std::uint32_t id) const { return d_.name(d_.sections[id]); }

    // The name is everything between the brackets, blanks included, as
    // written; text after the closing bracket is ignored.
    bool parseSectionHeader() {
        std::size_t start = ++pos_;
        std::size_t close = std::string_view::npos;
        std::size_t characters = 0;
        for (std::size_t i = start; i < size_ && buffer_[i] != '\n'; ++i) {
            unsigned char c = static_cast<unsigned char>(buffer_[i]);
            if (c == ']') {
                close = i;
                break;
            }
            ++characters;
            // A trail byte may be 0x5D; it is not a closing bracket.
            if (leadByte(c) && i + 1 < size_ && buffer_[i + 1] != '\n')
                ++i;
        }
        if (close == std::string_view::npos)
            return refuse("the section header has no closing bracket");
        if (characters > kMaxSectionName)
            return refuse("the section name is longer than 255 characters");
        const std::size_t length = close - start;
        pos_ = close + 1;
        skipToLineEnd();

        std::memmove(buffer_ + written_, buffer_ + start, length);
        std::string_view name(buffer_ + written_, length);
        auto equal = [&](std::uint32_t id) { return FoldEqual()(sectionName(id), name); };
        std::size_t slot = d_.sectionTable.slotOf(FoldHash()(name), equal);
        if (d_.sectionTable.at(slot) != kNone) {
            current_ = d_.sectionTable.at(slot);
            return true;
        }
        if (d_.sectionTable.full()) {
            // The old slots and the new, twice as many, are held at once.
            std::size_t before = d_.sectionTable.bytes();
            if (!charge(2 * before))
                return false;
            d_.sectionTable.grow([&](std::uint32_t id) { return FoldHash()(sectionName(id)); });
            used_ -= before;
            slot = d_.sectionTable.slotOf(FoldHash()(name), equal);
        }
        if (!charge(kSectionBytes))
            return false;
        Section section;
        section.name =
            Span{static_cast<std::uint32_t>(written_), static_cast<std::uint32_t>(length)};
        section.strings = isStringsSection(name);
        written_ += length;
        current_ = static_cast<std::uint32_t>(d_.sections.size());
        d_.sections.push_back(section);
        d_.sectionTable.put(slot, current_);
        return true;
    }

    // State of the field being read: where it starts and where its kept
    // text ends.
    struct Field {
        std::size_t start = 0;
        std::size_t endKept = 0;
        bool kept = false;
    };

    void beginField(Field& f) {
        f = Field{};
        f.start = written_;
        f.endKept = written_;
    }

    void keep(Field& f) {
        f.kept = true;
        f.endKept = written_;
    }

    // Blanks around a field are dropped; blanks inside it, and everything
    // inside double quotes, are kept. The field ends with a NUL.
    void endField(Field& f) {
        written_ = f.kept ? f.endKept : f.start;
        put('\0');
    }

    // State of the line being read.
    struct LineState {
        std::size_t start = 0;
        std::size_t fields = 0;
        // Commas separate values everywhere but in a Strings section.
        bool splitCommas = true;
        bool hasKey = false;
        bool commaAfterStart = false; // a comma since the line or the key began
        bool content = false;
        bool inQuotes = false;
        bool percent = false;
        Field field;
    };

    // line    = element* [comment] line-end
    // element = quoted | "," | "=" | continuation | blank | text
    bool parseLine() {
        LineState line;
        line.start = written_;
        line.splitCommas = !d_.sections[current_].strings;
        beginField(line.field);
        while (pos_ < size_ && !lineEndAt(pos_)) {
            if (line.inQuotes) {
                readQuoted(line);
            } else if (!readElement(line)) {
                break;
            }
        }
        if (line.inQuotes && quotesClose_)
            return refuse("a double quote is left open on the line");
        if (pos_ < size_)
            skipLineEnd();
        return endLine(line);
    }

    // Inside double quotes everything is kept; "" stands for one quote and
    // a single quote ends the quoted run.
    void readQuoted(LineState& line) {
        Field& f = line.field;
        if (buffer_[pos_] != '"') {
            appendRun(line);
            return;
        }
        if (pos_ + 1 < size_ && buffer_[pos_ + 1] == '"') {
            pos_ += 2;
            put('"');
            keep(f);
            return;
        }
        line.inQuotes = false;
        keep(f);
        ++pos_;
    }

    // One element outside quotes; false at a comment, which ends the line.
    bool readElement(LineState& line) {
        char c = buffer_[pos_];
        if (c == '"') {
            openQuote(line);
        } else if (c == ';') {
            skipToLineEnd();
            return false;
        } else if (c == ',' && line.splitCommas) {
            valueSeparator(line);
        } else if (c == '=' && !line.hasKey && !line.commaAfterStart) {
            keySeparator(line);
        } else if (c == '\\' && continuesLine(pos_ + 1)) {
            joinNextLine();
        } else if (c == '\\' && pos_ + 1 < size_ && buffer_[pos_ + 1] == '\\' &&
                   continuesLine(pos_ + 2)) {
            // Of two backslashes that end a line, the first is dropped
            // and the second joins the lines.
            ++pos_;
        } else if (isBlank(c)) {
            ++pos_;
            if (line.field.kept)
                put(c);
        } else {
            line.content = true;
            appendRun(line);
        }
        return true;
    }

    void openQuote(LineState& line) {
        line.inQuotes = true;
        line.content = true;
        ++pos_;
        keep(line.field);
    }

    void valueSeparator(LineState& line) {
        line.content = true;
        line.commaAfterStart = true;
        ++pos_;
        finishField(line);
    }

    // The first "=" before any comma ends the key.
    void keySeparator(LineState& line) {
        line.content = true;
        line.hasKey = true;
        ++pos_;
        finishField(line);
    }

    void finishField(LineState& line) {
        endField(line.field);
        ++line.fields;
        beginField(line.field);
    }

    // A backslash that is the last thing on the line, blanks and a comment
    // aside, joins the next line to this one; the blanks that begin the
    // next line are dropped.
    void joinNextLine() {
        skipToLineEnd();
        if (pos_ < size_) {
            ++pos_;
            ++lineNumber_;
        }
        while (pos_ < size_ && isBlank(buffer_[pos_]) && !lineEndAt(pos_))
            ++pos_;
    }

    bool endLine(LineState& state) {
        if (!state.content) {
            // Nothing but blanks and continuations: no line.
            written_ = state.start;
            return true;
        }
        // "key =" with nothing after it has one empty value.
        endField(state.field);
        ++state.fields;
        if (!charge(kLineBytes))
            return false;
        Line line;
        line.offset = static_cast<std::uint32_t>(state.start);
        line.section = current_;
        line.bits = static_cast<std::uint32_t>(state.fields - (state.hasKey ? 1 : 0));
        if (state.hasKey)
            line.bits |= Line::kHasKey;
        if (state.percent)
            line.bits |= Line::kPercent;
        d_.lines.push_back(line);
        ++d_.sections[current_].lineCount;
        return true;
    }

    // Whether only blanks, or blanks and a comment, follow position i on
    // its line.
    bool continuesLine(std::size_t i) const {
        while (i < size_ && isBlank(buffer_[i]) && !lineEndAt(i))
            ++i;
        return i >= size_ || buffer_[i] == ';' || lineEndAt(i);
    }

    // Appends the character at pos_ and the run of plain bytes after it.
    void appendRun(LineState& line) {
        appendCharacter(line);
        std::size_t end = pos_;
        while (end < size_ && kPlainBytes[static_cast<unsigned char>(buffer_[end])])
            ++end;
        if (end > pos_) {
            std::memmove(buffer_ + written_, buffer_ + pos_, end - pos_);
            written_ += end - pos_;
            pos_ = end;
            keep(line.field);
        }
    }

    // Appends the character at pos_, both bytes of a double-byte one, so
    // that a trail byte 0x5C is never taken for a backslash.
    void appendCharacter(LineState& line) {
        unsigned char c = static_cast<unsigned char>(buffer_[pos_++]);
        put(static_cast<char>(c));
        if (c == '%')
            line.percent = true;
        else if (leadByte(c) && pos_ < size_ && !lineEndAt(pos_))
            put(buffer_[pos_++]);
        keep(line.field);
    }

    // Every section's runs of lines, one after the other in the section's
    // order; a line's index in its section is then found from its runs.
    bool placeRuns() {
        std::uint32_t previous = kNone;
        for (const Line& line : d_.lines) {
            if (line.section != previous)
                ++d_.sections[line.section].runCount;
            previous = line.section;
        }
        std::size_t total = 0;
        for (Section& section : d_.sections) {
            section.firstRun = static_cast<std::uint32_t>(total);
            total += section.runCount;
            section.runCount = 0;
            section.lineCount = 0;
        }
        if (!charge(total * sizeof(Run)))
            return false;
        d_.runs.resize(total);
        previous = kNone;
        std::uint32_t index = 0;
        for (const Line& line : d_.lines) {
            Section& section = d_.sections[line.section];
            if (line.section != previous)
                d_.runs[section.firstRun + section.runCount++] = Run{index, section.lineCount};
            ++section.lineCount;
            previous = line.section;
            ++index;
        }
        return true;
    }

    // A key of the Strings section in use and its value, both in the text
    // as the file has it, the value already cut to its length.
    struct StringEntry {
        std::uint32_t key = 0;
        std::uint32_t value = 0;
        std::uint32_t valueSize = 0;
    };

    std::string_view stringKey(std::uint32_t id) const {
        return d_.text.data() + stringEntries_[id].key;
    }

    std::string_view stringValue(std::uint32_t id) const {
        const StringEntry& entry = stringEntries_[id];
        return {d_.text.data() + entry.value, entry.valueSize};
    }

    std::uint32_t findString(std::string_view name) const {
        std::size_t slot = strings_.slotOf(
            FoldHash()(name), [&](std::uint32_t id) { return FoldEqual()(stringKey(id), name); });
        return strings_.at(slot);
    }

    // The Strings section chosen as Windows chooses it for the Japanese
    // locale of the systems served: the section of the exact language and
    // sublanguage ([Strings.0411]), else that of the language with the
    // neutral sublanguage ([Strings.0011]), else [Strings]. Keys of the
    // other sections are not used.
    bool collectStrings() {
        std::uint32_t chosen = kNone;
        for (const char* name : {"Strings.0411", "Strings.0011", "Strings"}) {
            chosen = d_.findSection(name);
            if (chosen != kNone)
                break;
        }
        std::size_t count = chosen == kNone ? 0 : d_.sections[chosen].lineCount;
        if (!charge(IdTable::bytesFor(count) + count * sizeof(StringEntry)))
            return false;
        strings_.reset(count);
        stringEntries_.reserve(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            const Line& line = d_.lines[d_.lineAt(InfPosition{chosen, i})];
            if (!line.findable())
                continue;
            std::string_view key = d_.text.data() + line.offset;
            std::size_t slot = strings_.slotOf(
                FoldHash()(key), [&](std::uint32_t id) { return FoldEqual()(stringKey(id), key); });
            if (strings_.at(slot) != kNone)
                continue;
            std::string_view value = line.hasKey() ? key.data() + key.size() + 1 : key;
            stringEntries_.push_back(StringEntry{
                line.offset, static_cast<std::uint32_t>(value.data() - d_.text.data()),
                static_cast<std::uint32_t>(prefixOfCharacters(value, kMaxStringValue))});
            strings_.put(slot, static_cast<std::uint32_t>(stringEntries_.size() - 1));
        }
        return true;
    }

    // Writes the field with its tokens replaced through out (a function
    // taking a string_view); true when a token was replaced. A value is cut
    // to 511 characters. A token that names no key but a DIRID is replaced
    // by that DIRID's folder; after a folder that ends in a backslash (a
    // drive root), a backslash that follows the token is dropped. DIRID -1
    // (absolute path) is replaced by nothing. "%%" becomes one percent
    // sign. Any other token stays as written. Replacement text is not
    // searched again, so a key that refers to itself cannot loop.
    template <typename Out> bool expand(std::string_view raw, Out&& out) const {
        bool replaced = false;
        std::size_t p = 0;
        while (p < raw.size()) {
            std::size_t open = raw.find('%', p);
            if (open == std::string_view::npos) {
                out(raw.substr(p));
                break;
            }
            out(raw.substr(p, open - p));
            std::size_t close = raw.find('%', open + 1);
            if (close == std::string_view::npos) {
                out(raw.substr(open));
                break;
            }
            p = close + 1;
            std::string_view name = raw.substr(open + 1, close - open - 1);
            std::uint32_t hit = name.empty() ? kNone : findString(name);
            std::optional<long> dirid;
            if (name.empty()) {
                out("%");
            } else if (hit != kNone) {
                out(stringValue(hit));
            } else if (dirid = parseDirid(name); dirid && isAbsoluteDirid(*dirid)) {
                // nothing: the path that follows is absolute
            } else if (auto folder = dirid ? diridFolder(*dirid) : std::nullopt) {
                out(*folder);
                if (folder->back() == '\\' && p < raw.size() && raw[p] == '\\')
                    ++p;
            } else {
                out(raw.substr(open, close - open + 1));
                continue;
            }
            replaced = true;
        }
        return replaced;
    }

    // The size of the field with its tokens replaced, when a token is
    // replaced at all.
    std::optional<std::size_t> expandedSize(std::string_view raw) const {
        std::size_t size = 0;
        bool replaced = expand(raw, [&](std::string_view part) { size += part.size(); });
        return replaced ? std::optional<std::size_t>(size) : std::nullopt;
    }

    // Walks the fields of a line whose tokens may be replaced, deciding
    // for each field in order whether its replaced text is used: a field
    // is, unless it would make the line longer than the longer of the line
    // as written and kInfMaxReplacedLineBytes. use(field, replacedSize or
    // nothing) is called for every field; the size of the line as it will
    // be is returned, or nothing when no field changes.
    template <typename Use> std::optional<std::size_t> decide(const Line& line, Use&& use) const {
        const std::size_t stored = line.valueCount() + (line.hasKey() ? 1 : 0);
        const char* fields = d_.text.data() + line.offset;
        std::size_t rawSize = 0;
        const char* at = fields;
        for (std::size_t i = 0; i < stored; ++i) {
            std::size_t length = std::strlen(at);
            rawSize += length + 1;
            at += length + 1;
        }
        const std::size_t limit = std::max(rawSize, kInfMaxReplacedLineBytes);
        std::size_t size = rawSize;
        bool changed = false;
        at = fields;
        for (std::size_t i = 0; i < stored; ++i) {
            std::string_view raw(at);
            at += raw.size() + 1;
            std::optional<std::size_t> expanded;
            if (raw.find('%') != std::string_view::npos)
                expanded = expandedSize(raw);
            if (expanded && size - raw.size() + *expanded <= limit) {
                size = size - raw.size() + *expanded;
                changed = true;
            } else {
                expanded.reset();
            }
            use(raw, expanded);
        }
        return changed ? std::optional<std::size_t>(size) : std::nullopt;
    }

    // Replaces %strkey% tokens from the Strings section chosen, in lines
    // in file order, as long as the memory the replaced lines take stays
    // within the budget; past it, lines keep their tokens as written. The
    // replaced lines are measured first and written into text sized for
    // them, so that nothing grows and moves while they are written.
    bool substituteStrings() {
        if (!collectStrings())
            return false;
        const std::size_t before = used_;
        const std::size_t budget = budget_;
        auto eachReplacedLine = [&](auto&& write) {
            std::size_t used = before;
            for (Line& line : d_.lines) {
                if ((line.bits & Line::kPercent) == 0)
                    continue;
                std::optional<std::size_t> size = decide(line, [](auto, auto) {});
                if (!size || used + *size > budget)
                    continue;
                used += *size;
                write(line);
            }
            return used - before;
        };
        const std::size_t total = eachReplacedLine([](Line&) {});
        used_ = before + total;
        d_.replaced.reserve(total);
        eachReplacedLine([&](Line& line) {
            const std::size_t offset = d_.replaced.size();
            decide(line, [&](std::string_view raw, std::optional<std::size_t> expanded) {
                if (expanded)
                    expand(raw, [&](std::string_view part) { d_.replaced.append(part); });
                else
                    d_.replaced.append(raw);
                d_.replaced.push_back('\0');
            });
            line.offset = static_cast<std::uint32_t>(offset);
            line.bits |= Line::kReplaced;
        });
        used_ -= strings_.bytes() + stringEntries_.capacity() * sizeof(StringEntry);
        strings_ = IdTable();
        stringEntries_ = {};
        return true;
    }

    // Lines are entered from the last to the first, so that each one's
    // slot ends holding the first line of its key and every line names
    // the next one of its key.
    std::size_t findableLines() const {
        std::size_t findable = 0;
        for (const Line& line : d_.lines)
            findable += line.findable() ? 1 : 0;
        return findable;
    }

    bool buildKeyTable() {
        d_.keyTable.reset(findableLines());
        for (std::size_t i = d_.lines.size(); i-- > 0;) {
            Line& line = d_.lines[i];
            if (!line.findable())
                continue;
            std::string_view key = d_.key(line);
            std::size_t slot = d_.keyTable.slotOf(
                InfFile::Data::keyHash(line.section, key), [&](std::uint32_t id) {
                    const Line& other = d_.lines[id];
                    return other.section == line.section && FoldEqual()(d_.key(other), key);
                });
            line.nextSameKey = d_.keyTable.at(slot);
            d_.keyTable.put(slot, static_cast<std::uint32_t>(i));
        }
        return true;
    }

    InfFile::Data& d_;
    InfProblem* problem_;
    char* buffer_ = nullptr;
    std::size_t size_ = 0;
    // Where reading is, and where the next parsed byte goes: never past it.
    std::size_t pos_ = 0;
    std::size_t written_ = 0;
    int lineNumber_ = 0;
    std::uint32_t current_ = kNone;
    const std::size_t budget_;
    std::size_t used_ = 0;
    IdTable strings_;
    std::vector<StringEntry> stringEntries_;
    // Answer files: a line must close every double quote it opens.
    const bool quotesClose_;
};

} // namespace

bool parseInfText(std::string text, std::size_t fileBytes, InfFile::Data& data, InfProblem* problem,
                  InfStyle style) {
    return Parser(std::move(text), fileBytes, data, problem, style).run();
}

} // namespace ornibe
