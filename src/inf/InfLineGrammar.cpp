#include "inf/InfData.h"
#include "inf/InfLineBytes.h"
#include "inf/InfParseSteps.h"
#include "sys/Translation.h"

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

// The helpers of the line loop are inlined always: called, they would
// make the compiler keep the loop's state in memory, where every byte
// written into the text may change it.
#define INF_INLINE __attribute__((always_inline))

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
        // Every section takes kSectionBytes of the budget: the ids stay
        // below what it holds, and the bits above them keep the hash.
        d_.sectionTable.reset(16, memory_.budget() / kSectionBytes + 1);
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
                        return refuse(translated(kStrayText));
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
            return refuse(translated(kStrayText));
        }
        d_.text.resize(written_);
        return true;
    }

private:
    static constexpr std::string_view kStrayText =
        toTranslate("最初のセクション見出しより前に、コメントではない行があります。");

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
            return refuse(translated("セクション見出しに閉じ括弧「]」がありません。"));
        if (characters > kMaxSectionName)
            return refuse(translated("セクション名が 255 文字を超えています。"));
        const std::size_t length = close - start;
        pos_ = close + 1;
        skipToLineEnd();

        std::memmove(buffer_ + written_, buffer_ + start, length);
        std::string_view name(buffer_ + written_, length);
        auto equal = [&](std::uint32_t id) { return FoldEqual()(sectionName(id), name); };
        const std::size_t hash = FoldHash()(name);
        std::size_t slot = d_.sectionTable.slotOf(hash, equal);
        if (d_.sectionTable.at(slot) != kNone) {
            current_ = d_.sectionTable.at(slot);
            currentSection_ = &d_.sections[current_];
            return true;
        }
        if (d_.sectionTable.full()) {
            // The old slots and the new, twice as many, are held at once.
            std::size_t before = d_.sectionTable.bytes();
            if (!memory_.charge(2 * before))
                return false;
            d_.sectionTable.grow(static_cast<std::uint32_t>(d_.sections.size()),
                                 [&](std::uint32_t id) { return FoldHash()(sectionName(id)); });
            memory_.release(before);
            slot = d_.sectionTable.slotOf(hash, equal);
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
        currentSection_ = &d_.sections.back();
        d_.sectionTable.put(slot, current_, hash);
        return true;
    }

    // line    = element* [comment] line-end
    // element = quoted | "," | "=" | continuation | blank | text
    //
    // Blanks around a field are dropped; blanks inside it, and everything
    // inside double quotes, are kept. Each field ends with a NUL.
    //
    // The state of the line lives in locals, not in members, so that it
    // stays in registers: the compiler must take every byte written into
    // the text as a possible write to the grammar's members.
    bool parseLine() {
        char* const buffer = buffer_;
        const std::size_t size = size_;
        const bool oemFile = oemFile_;
        std::size_t pos = pos_;
        std::size_t written = written_;
        const std::size_t lineStart = written;
        // Where the field being read starts and where its kept text ends:
        // blanks after the text are dropped unless more text follows.
        std::size_t fieldStart = written;
        std::size_t endKept = written;
        bool kept = false;
        std::size_t fields = 0;
        // Commas separate values everywhere but in a Strings section.
        const bool splitCommas = !currentSection_->strings;
        bool hasKey = false;
        bool commaAfterStart = false; // a comma since the line or the key began
        bool content = false;
        bool inQuotes = false;
        bool percent = false;

        auto lineEnd = [&](std::size_t i) INF_INLINE {
            return buffer[i] == '\n' ||
                   (buffer[i] == '\r' && i + 1 < size && buffer[i + 1] == '\n');
        };
        auto keep = [&]() INF_INLINE {
            kept = true;
            endKept = written;
        };
        // Appends the run of plain bytes at pos, if any. Runs are short:
        // copying while scanning beats a call to memmove. The NUL at
        // buffer[size] ends the run at the end of the text.
        auto copyPlainRun = [&]() INF_INLINE {
            char* const text = buffer;
            std::size_t read = pos;
            std::size_t write = written;
            while (kPlainBytes[static_cast<unsigned char>(text[read])])
                text[write++] = text[read++];
            if (read > pos) {
                pos = read;
                written = write;
                keep();
            }
        };
        // Appends the character at pos, both bytes of a double-byte one, so
        // that a trail byte 0x5C is never taken for a backslash, and the
        // run of plain bytes after it.
        auto appendRun = [&]() INF_INLINE {
            const unsigned char c = static_cast<unsigned char>(buffer[pos++]);
            buffer[written++] = static_cast<char>(c);
            if (c == '%')
                percent = true;
            else if (leadByte(c) && pos < size && !lineEnd(pos))
                buffer[written++] = buffer[pos++];
            keep();
            copyPlainRun();
        };
        auto finishField = [&]() INF_INLINE {
            written = kept ? endKept : fieldStart;
            buffer[written++] = '\0';
            ++fields;
            fieldStart = written;
            endKept = written;
            kept = false;
        };
        auto lineFeedFrom = [&](std::size_t from) INF_INLINE {
            const void* lf = std::memchr(buffer + from, '\n', size - from);
            return lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - buffer) : size;
        };

        for (bool reading = true; reading;) {
            const unsigned char c = static_cast<unsigned char>(buffer[pos]);
            if (inQuotes) {
                // Inside double quotes everything is kept; "" stands for one
                // quote and a single quote ends the quoted run.
                if (c == '"') {
                    if (buffer[pos + 1] == '"') {
                        pos += 2;
                        buffer[written++] = '"';
                    } else {
                        inQuotes = false;
                        ++pos;
                    }
                    keep();
                } else if (pos >= size || lineEnd(pos)) {
                    reading = false;
                } else {
                    appendRun();
                }
                continue;
            }
            switch (kByteClasses[c]) {
            case ByteClass::Hash:
                if (oemFile) {
                    pos = lineFeedFrom(pos);
                    reading = false;
                    break;
                }
                [[fallthrough]];
            case ByteClass::Plain:
                content = true;
                copyPlainRun();
                break;
            case ByteClass::Quote:
                inQuotes = true;
                content = true;
                ++pos;
                keep();
                break;
            case ByteClass::Semicolon:
                pos = lineFeedFrom(pos);
                reading = false;
                break;
            case ByteClass::Comma:
                content = true;
                if (!splitCommas) {
                    appendRun();
                    break;
                }
                commaAfterStart = true;
                ++pos;
                finishField();
                break;
            case ByteClass::Equals:
                // The first "=" before any comma ends the key.
                content = true;
                if (hasKey || commaAfterStart) {
                    appendRun();
                    break;
                }
                hasKey = true;
                ++pos;
                finishField();
                break;
            case ByteClass::Backslash:
                if (oemFile || !continuesLine(pos + 1)) {
                    content = true;
                    appendRun();
                    break;
                }
                // A backslash that is the last thing on the line, blanks,
                // further backslashes and a comment aside, joins the next
                // line to this one: the blanks before it and those that
                // begin the next line are dropped, so "a \\ \n  b" reads as
                // "ab". Blanks inside quotes stay.
                written = endKept;
                pos = lineFeedFrom(pos);
                if (pos < size) {
                    ++pos;
                    ++lineNumber_;
                }
                while (pos < size && isBlank(buffer[pos]) && !lineEnd(pos))
                    ++pos;
                break;
            case ByteClass::CarriageReturn:
                if (buffer[pos + 1] == '\n') {
                    reading = false;
                    break;
                }
                [[fallthrough]];
            case ByteClass::Blank:
                ++pos;
                if (kept)
                    buffer[written++] = static_cast<char>(c);
                break;
            case ByteClass::LineFeed:
                reading = false;
                break;
            case ByteClass::Nul:
                // The NUL after the text ends it; one inside is text.
                if (pos >= size) {
                    reading = false;
                    break;
                }
                [[fallthrough]];
            case ByteClass::Other:
                content = true;
                appendRun();
                break;
            }
        }

        pos_ = pos;
        if (inQuotes && quotesClose_)
            return refuse(translated("二重引用符「\"」が行の中で閉じていません。"));
        if (pos_ < size_)
            skipLineEnd();
        if (!content) {
            // Nothing but blanks and continuations: no line.
            written_ = lineStart;
            return true;
        }
        // "key =" with nothing after it has one empty value.
        finishField();
        written_ = written;
        if (!memory_.charge(kLineBytes))
            return false;
        Line line;
        line.offset = static_cast<std::uint32_t>(lineStart);
        line.section = current_;
        line.bits = static_cast<std::uint32_t>(fields - (hasKey ? 1 : 0));
        if (hasKey)
            line.bits |= Line::kHasKey;
        if (percent)
            line.bits |= Line::kPercent;
        d_.lines.push_back(line);
        ++currentSection_->lineCount;
        return true;
    }

    // Whether only blanks and backslashes, perhaps with a comment after
    // them, follow position i on its line.
    bool continuesLine(std::size_t i) const {
        while (i < size_ && (isBlank(buffer_[i]) || buffer_[i] == '\\') && !lineEndAt(i))
            ++i;
        return i >= size_ || commentStart(buffer_[i]) || lineEndAt(i);
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
    // The section current_ names; the list's blocks never move.
    Section* currentSection_ = nullptr;
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
