#include "inf/InfData.h"
#include "inf/InfParseSteps.h"

#include <array>
#include <cstring>
#include <string>
#include <utility>

namespace ornibe::inf_detail {
namespace {

// Windows setup refuses a file with a longer section name.
constexpr std::size_t kMaxSectionName = 255;

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

bool isStringsSection(std::string_view name) {
    return (name.size() == 7 && equalsSetupNoCase(name, "Strings")) ||
           (name.size() > 7 && equalsSetupNoCase(name.substr(0, 8), "Strings."));
}

// Reads the text in one pass into sections and lines. The fields are
// written into the text they are read from, behind the reading position
// (see parseInfText).
class LineGrammar {
public:
    LineGrammar(InfFile::Data& data, ParseMemory& memory, InfProblem* problem, InfStyle style)
        : d_(data), memory_(memory), problem_(problem), quotesClose_(style == InfStyle::AnswerFile),
          oemFile_(style == InfStyle::OemFile), strayTextAllowed_(style == InfStyle::Win4) {
        buffer_ = d_.text.data();
        size_ = d_.text.size();
    }

    // False when the text breaks a rule for which Windows setup refuses the
    // whole file: a section header without its closing bracket, a section
    // name longer than 255 characters, or text before the first section
    // header; or when it needs more memory than the limits allow. Lines
    // holding only white space or a comment may stand before the first
    // section. SETUPAPI passes over other text there when the file has a
    // [Strings] section anywhere, and refuses it on its first line when the
    // file has none; setup in text mode, which reads answer files and
    // driver floppies, always refuses it.
    bool run() {
        if (!memory_.charge(IdTable::bytesFor(16)))
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
            } else if (commentStart(c)) {
                skipToLineEnd();
            } else if (c == '[') {
                if (!parseSectionHeader())
                    return false;
            } else {
                if (current_ == kNone) {
                    if (!strayTextAllowed_)
                        return refuse(kStrayText);
                    if (strayLine_ == 0)
                        strayLine_ = lineNumber_ + 1;
                    skipToLineEnd();
                    continue;
                }
                if (!parseLine())
                    return false;
            }
        }
        if (strayLine_ != 0 && !hasPlainStringsSection()) {
            lineNumber_ = strayLine_ - 1;
            return refuse(kStrayText);
        }
        d_.text.resize(written_);
        return true;
    }

private:
    static constexpr const char* kStrayText =
        "最初のセクション見出しより前に、コメントではない行があります。";

    // Whether a section is named [Strings] (in any letter case) without a
    // locale: the one that lets text stand before the first section.
    bool hasPlainStringsSection() const {
        for (const Section& section : d_.sections)
            if (section.name.size == 7 && equalsSetupNoCase(d_.name(section), "Strings"))
                return true;
        return false;
    }

    // Records why the file is refused, on the line being read.
    bool refuse(std::string reason) {
        if (problem_ != nullptr)
            *problem_ = InfProblem{InfProblem::Kind::Text, lineNumber_ + 1, std::move(reason)};
        return false;
    }

    // A semicolon outside quotes starts a comment; in a driver floppy's
    // description file a number sign does as well.
    bool commentStart(char c) const { return c == ';' || (oemFile_ && c == '#'); }

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
            return refuse("セクション見出しに閉じ括弧「]」がありません。");
        if (characters > kMaxSectionName)
            return refuse("セクション名が 255 文字を超えています。");
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
            if (!memory_.charge(2 * before))
                return false;
            d_.sectionTable.grow([&](std::uint32_t id) { return FoldHash()(sectionName(id)); });
            memory_.release(before);
            slot = d_.sectionTable.slotOf(FoldHash()(name), equal);
        }
        if (!memory_.charge(kSectionBytes))
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
            return refuse("二重引用符「\"」が行の中で閉じていません。");
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
        // Text is the most common element: it is tested for first.
        if (kPlainBytes[static_cast<unsigned char>(c)] && !commentStart(c)) {
            line.content = true;
            copyPlainRun(line);
        } else if (c == '"') {
            openQuote(line);
        } else if (commentStart(c)) {
            skipToLineEnd();
            return false;
        } else if (c == ',' && line.splitCommas) {
            valueSeparator(line);
        } else if (c == '=' && !line.hasKey && !line.commaAfterStart) {
            keySeparator(line);
        } else if (c == '\\' && !oemFile_ && continuesLine(pos_ + 1)) {
            joinNextLine(line);
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

    // A backslash that is the last thing on the line, blanks, further
    // backslashes and a comment aside, joins the next line to this one:
    // the blanks before it and those that begin the next line are dropped,
    // so "a \\ \n  b" reads as "ab". Blanks inside quotes stay.
    void joinNextLine(LineState& line) {
        written_ = line.field.endKept;
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
        if (!memory_.charge(kLineBytes))
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

    // Whether only blanks and backslashes, perhaps with a comment after
    // them, follow position i on its line.
    bool continuesLine(std::size_t i) const {
        while (i < size_ && (isBlank(buffer_[i]) || buffer_[i] == '\\') && !lineEndAt(i))
            ++i;
        return i >= size_ || commentStart(buffer_[i]) || lineEndAt(i);
    }

    // Appends the character at pos_ and the run of plain bytes after it.
    void appendRun(LineState& line) {
        appendCharacter(line);
        copyPlainRun(line);
    }

    // Appends the run of plain bytes at pos_, if any.
    void copyPlainRun(LineState& line) {
        // Runs are short: copying while scanning beats a call to memmove.
        std::size_t read = pos_;
        std::size_t write = written_;
        while (read < size_) {
            const char c = buffer_[read];
            if (!kPlainBytes[static_cast<unsigned char>(c)])
                break;
            buffer_[write++] = c;
            ++read;
        }
        if (read > pos_) {
            pos_ = read;
            written_ = write;
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

    InfFile::Data& d_;
    ParseMemory& memory_;
    InfProblem* problem_;
    char* buffer_ = nullptr;
    std::size_t size_ = 0;
    // Where reading is, and where the next parsed byte goes: never past it.
    std::size_t pos_ = 0;
    std::size_t written_ = 0;
    int lineNumber_ = 0;
    std::uint32_t current_ = kNone;
    // Answer files: a line must close every double quote it opens.
    const bool quotesClose_;
    // TXTSETUP.OEM: "#" starts a comment, and a backslash at a line's end
    // is a path's root ("d1 = ..., \disk1, \"), never a continuation.
    const bool oemFile_;
    // SETUPAPI's files: text before the first section is refused only
    // when the file has no [Strings] section.
    const bool strayTextAllowed_;
    // The first line of such text, counted from 1; 0 while there is none.
    int strayLine_ = 0;
};

} // namespace

bool readSectionsAndLines(InfFile::Data& data, ParseMemory& memory, InfProblem* problem,
                          InfStyle style) {
    return LineGrammar(data, memory, problem, style).run();
}

} // namespace ornibe::inf_detail
