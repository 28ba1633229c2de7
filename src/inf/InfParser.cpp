#include "inf/InfParser.h"

#include "inf/InfData.h"
#include "inf/InfDirids.h"

#include <algorithm>
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

// Reads INF text into Data in one pass, then replaces string keys and
// builds the lookup index.
class Parser {
public:
    Parser(std::string_view in, InfFile::Data& data, InfProblem* problem)
        : in_(in), d_(data), problem_(problem) {}

    // False when the text breaks a rule for which Windows setup refuses the
    // whole file: a section header without its closing bracket, a section
    // name longer than 255 characters, or text before the first section
    // header. Lines holding only white space or a comment may stand before
    // the first section.
    bool run() {
        d_.text.reserve(in_.size() + in_.size() / 8);
        while (pos_ < in_.size()) {
            while (pos_ < in_.size() && isBlank(in_[pos_]))
                ++pos_;
            if (pos_ >= in_.size())
                break;
            char c = in_[pos_];
            if (c == '\n') {
                ++pos_;
            } else if (c == ';') {
                skipToLineEnd();
            } else if (c == '[') {
                if (!parseSectionHeader())
                    return false;
            } else {
                if (current_ == kNone)
                    return refuse("text stands before the first section header");
                parseLine();
            }
        }
        substituteStrings();
        buildIndex();
        return true;
    }

private:
    // Records why the file is refused, on the line that holds pos_.
    bool refuse(std::string what) {
        if (problem_ != nullptr) {
            std::size_t before = std::count(in_.begin(), in_.begin() + pos_, '\n');
            *problem_ = InfProblem{static_cast<int>(before + 1), std::move(what)};
        }
        return false;
    }

    bool lineEndAt(std::size_t i) const {
        return in_[i] == '\n' || (in_[i] == '\r' && i + 1 < in_.size() && in_[i + 1] == '\n');
    }

    // Moves past the LF or CR LF at pos_.
    void skipLineEnd() { pos_ += in_[pos_] == '\r' ? 2 : 1; }

    // Moves to the LF that ends the line, or to the end of the text.
    void skipToLineEnd() {
        const void* lf = std::memchr(in_.data() + pos_, '\n', in_.size() - pos_);
        pos_ =
            lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - in_.data()) : in_.size();
    }

    Span append(std::string_view s) {
        Span span{static_cast<std::uint32_t>(d_.text.size()), static_cast<std::uint32_t>(s.size())};
        d_.text.append(s);
        return span;
    }

    // The name is everything between the brackets, blanks included, as
    // written; text after the closing bracket is ignored.
    bool parseSectionHeader() {
        std::size_t start = ++pos_;
        std::size_t close = std::string_view::npos;
        std::size_t characters = 0;
        for (std::size_t i = start; i < in_.size() && in_[i] != '\n'; ++i) {
            unsigned char c = static_cast<unsigned char>(in_[i]);
            if (c == ']') {
                close = i;
                break;
            }
            ++characters;
            // A trail byte may be 0x5D; it is not a closing bracket.
            if (leadByte(c) && i + 1 < in_.size() && in_[i + 1] != '\n')
                ++i;
        }
        if (close == std::string_view::npos)
            return refuse("the section header has no closing bracket");
        if (characters > kMaxSectionName)
            return refuse("the section name is longer than 255 characters");
        std::string_view name = in_.substr(start, close - start);
        pos_ = close + 1;
        skipToLineEnd();

        std::string folded = foldSetupText(name);
        auto [it, added] =
            byName_.try_emplace(folded, static_cast<std::uint32_t>(d_.sections.size()));
        if (added) {
            Section section;
            section.name = append(name);
            d_.sections.push_back(std::move(section));
            // Values in a Strings section are whole texts: a comma in them
            // does not start another field.
            bool strings = folded == "STRINGS" || folded.starts_with("STRINGS.");
            stringsSection_.push_back(strings);
        }
        current_ = it->second;
        return true;
    }

    // State of the field being read.
    struct Field {
        std::uint32_t start = 0;
        std::uint32_t firstKept = kNone;
        std::uint32_t endKept = 0;
        bool percent = false;
    };

    void beginField(Field& f) {
        f = Field{};
        f.start = static_cast<std::uint32_t>(d_.text.size());
        f.endKept = f.start;
    }

    void keep(Field& f, std::uint32_t from) {
        if (f.firstKept == kNone)
            f.firstKept = from;
        f.endKept = static_cast<std::uint32_t>(d_.text.size());
    }

    // Blanks around a field are dropped; blanks inside it, and everything
    // inside double quotes, are kept.
    Span endField(Field& f) {
        if (f.firstKept == kNone) {
            d_.text.resize(f.start);
            return Span{f.start, 0};
        }
        d_.text.resize(f.endKept);
        return Span{f.firstKept, f.endKept - f.firstKept};
    }

    // State of the line being read.
    struct LineState {
        std::uint32_t keySlot = 0;
        // Commas separate values everywhere but in a Strings section.
        bool splitCommas = true;
        bool hasKey = false;
        bool commaAfterStart = false; // a comma since the line or the key began
        bool content = false;
        bool inQuotes = false;
        Field field;
    };

    // line    = element* [comment] line-end
    // element = quoted | "," | "=" | continuation | blank | text
    void parseLine() {
        LineState line;
        beginLine(line);
        while (pos_ < in_.size() && !lineEndAt(pos_)) {
            if (line.inQuotes) {
                readQuoted(line);
            } else if (!readElement(line)) {
                break;
            }
        }
        if (pos_ < in_.size())
            skipLineEnd();
        endLine(line);
    }

    void beginLine(LineState& line) {
        line.splitCommas = !stringsSection_[current_];
        line.keySlot = static_cast<std::uint32_t>(d_.fields.size());
        d_.fields.push_back(Span{});
        percent_.push_back(false);
        beginField(line.field);
    }

    // Inside double quotes everything is kept; "" stands for one quote and
    // a single quote ends the quoted run.
    void readQuoted(LineState& line) {
        Field& f = line.field;
        if (in_[pos_] != '"') {
            appendRun(f);
            return;
        }
        if (pos_ + 1 < in_.size() && in_[pos_ + 1] == '"') {
            auto from = static_cast<std::uint32_t>(d_.text.size());
            d_.text.push_back('"');
            keep(f, from);
            pos_ += 2;
            return;
        }
        line.inQuotes = false;
        keep(f, static_cast<std::uint32_t>(d_.text.size()));
        ++pos_;
    }

    // One element outside quotes; false at a comment, which ends the line.
    bool readElement(LineState& line) {
        char c = in_[pos_];
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
        } else if (c == '\\' && pos_ + 1 < in_.size() && in_[pos_ + 1] == '\\' &&
                   continuesLine(pos_ + 2)) {
            // Of two backslashes that end a line, the first is dropped
            // and the second joins the lines.
            ++pos_;
        } else if (isBlank(c)) {
            if (line.field.firstKept != kNone)
                d_.text.push_back(c);
            ++pos_;
        } else {
            line.content = true;
            appendRun(line.field);
        }
        return true;
    }

    void openQuote(LineState& line) {
        line.inQuotes = true;
        line.content = true;
        keep(line.field, static_cast<std::uint32_t>(d_.text.size()));
        ++pos_;
    }

    void valueSeparator(LineState& line) {
        line.content = true;
        line.commaAfterStart = true;
        finishValue(line.field);
        beginField(line.field);
        ++pos_;
    }

    // The first "=" before any comma ends the key.
    void keySeparator(LineState& line) {
        line.content = true;
        line.hasKey = true;
        d_.fields[line.keySlot] = endField(line.field);
        percent_[line.keySlot] = line.field.percent;
        beginField(line.field);
        ++pos_;
    }

    // A backslash that is the last thing on the line, blanks and a comment
    // aside, joins the next line to this one; the blanks that begin the
    // next line are dropped.
    void joinNextLine() {
        skipToLineEnd();
        if (pos_ < in_.size())
            ++pos_;
        while (pos_ < in_.size() && isBlank(in_[pos_]) && !lineEndAt(pos_))
            ++pos_;
    }

    void finishValue(Field& f) {
        d_.fields.push_back(endField(f));
        percent_.push_back(f.percent);
    }

    void endLine(LineState& state) {
        const std::uint32_t keySlot = state.keySlot;
        if (!state.content) {
            // Nothing but blanks and continuations: no line.
            d_.fields.resize(keySlot);
            percent_.resize(keySlot);
            d_.text.resize(state.field.start);
            return;
        }
        // "key =" with nothing after it has one empty value.
        finishValue(state.field);

        Line line;
        line.firstField = keySlot;
        line.valueCount = static_cast<std::uint32_t>(d_.fields.size() - keySlot - 1);
        if (state.hasKey) {
            line.findable = true;
        } else if (line.valueCount == 1) {
            // A line holding one value and no "=" is found under that value.
            d_.fields[keySlot] = d_.fields[keySlot + 1];
            line.findable = true;
            line.keyIsValue = true;
        }
        d_.sections[current_].lines.push_back(line);
    }

    // Whether only blanks, or blanks and a comment, follow position i on
    // its line.
    bool continuesLine(std::size_t i) const {
        while (i < in_.size() && isBlank(in_[i]) && !lineEndAt(i))
            ++i;
        return i >= in_.size() || in_[i] == ';' || lineEndAt(i);
    }

    // Appends the character at pos_ and the run of plain bytes after it.
    void appendRun(Field& f) {
        appendCharacter(f);
        std::size_t end = pos_;
        while (end < in_.size() && kPlainBytes[static_cast<unsigned char>(in_[end])])
            ++end;
        if (end > pos_) {
            d_.text.append(in_.data() + pos_, end - pos_);
            pos_ = end;
            f.endKept = static_cast<std::uint32_t>(d_.text.size());
        }
    }

    // Appends the character at pos_, both bytes of a double-byte one, so
    // that a trail byte 0x5C is never taken for a backslash.
    void appendCharacter(Field& f) {
        auto from = static_cast<std::uint32_t>(d_.text.size());
        unsigned char c = static_cast<unsigned char>(in_[pos_]);
        d_.text.push_back(static_cast<char>(c));
        ++pos_;
        if (c == '%')
            f.percent = true;
        else if (leadByte(c) && pos_ < in_.size() && !lineEndAt(pos_))
            d_.text.push_back(in_[pos_++]);
        keep(f, from);
    }

    // Replaces %strkey% tokens from one Strings section, chosen as Windows
    // chooses it for the Japanese locale of the systems served: the section
    // of the exact language and sublanguage ([Strings.0411]), else that of
    // the language with the neutral sublanguage ([Strings.0011]), else
    // [Strings]. Keys of the other sections are not used. A value is cut
    // to 511 characters. A token that names no key but a DIRID is replaced
    // by that DIRID's folder; after a folder that ends in a backslash (a
    // drive root), a backslash that follows the token is dropped. DIRID -1
    // (absolute path) is replaced by nothing. "%%" becomes one percent
    // sign. Any other token stays as written. Replacement text is not
    // searched again, so a key that refers to itself cannot loop. The total
    // growth is bounded, so that a long string used many times cannot make
    // reading worse than linear.
    void substituteStrings() {
        std::unordered_map<std::string_view, Span, FoldHash, FoldEqual> table;
        for (const char* name : {"STRINGS.0411", "STRINGS.0011", "STRINGS"}) {
            auto it = byName_.find(name);
            if (it == byName_.end())
                continue;
            for (const Line& line : d_.sections[it->second].lines) {
                if (!line.findable || line.valueCount == 0)
                    continue;
                Span value = d_.fields[line.firstField + 1];
                value.size =
                    static_cast<std::uint32_t>(prefixOfCharacters(d_.view(value), kMaxStringValue));
                table.try_emplace(d_.view(d_.fields[line.firstField]), value);
            }
            break;
        }

        const std::size_t budget =
            std::min<std::size_t>(std::max<std::size_t>(64u << 20, 4 * d_.text.size()), 3u << 30);
        std::string out;
        std::string replaced;
        std::vector<std::pair<std::size_t, Span>> moved;
        for (std::size_t i = 0; i < d_.fields.size(); ++i) {
            if (!percent_[i])
                continue;
            Span span = d_.fields[i];
            std::string_view raw = d_.view(span);
            out.clear();
            std::size_t p = 0;
            while (p < raw.size()) {
                std::size_t open = raw.find('%', p);
                if (open == std::string_view::npos) {
                    out.append(raw.substr(p));
                    break;
                }
                out.append(raw.substr(p, open - p));
                std::size_t close = raw.find('%', open + 1);
                if (close == std::string_view::npos) {
                    out.append(raw.substr(open));
                    break;
                }
                p = close + 1;
                std::string_view name = raw.substr(open + 1, close - open - 1);
                if (name.empty()) {
                    out.push_back('%');
                } else if (auto hit = table.find(name); hit != table.end()) {
                    out.append(d_.view(hit->second));
                } else if (auto dirid = parseDirid(name); dirid && isAbsoluteDirid(*dirid)) {
                    // nothing: the path that follows is absolute
                } else if (auto folder = dirid ? diridFolder(*dirid) : std::nullopt) {
                    out.append(*folder);
                    if (folder->back() == '\\' && p < raw.size() && raw[p] == '\\')
                        ++p;
                } else {
                    out.append(raw.substr(open, close - open + 1));
                }
            }
            if (d_.text.size() + replaced.size() + out.size() > budget)
                continue;
            // The table and raw view into the text; the replacements gather
            // apart and join it once all are made.
            moved.emplace_back(i, Span{static_cast<std::uint32_t>(replaced.size()),
                                       static_cast<std::uint32_t>(out.size())});
            replaced.append(out);
        }
        const auto base = static_cast<std::uint32_t>(d_.text.size());
        d_.text.append(replaced);
        for (auto [i, span] : moved)
            d_.fields[i] = Span{base + span.offset, span.size};
        for (Section& section : d_.sections)
            for (const Line& line : section.lines)
                if (line.keyIsValue)
                    d_.fields[line.firstField] = d_.fields[line.firstField + 1];
    }

    void buildIndex() {
        d_.sectionIndex.reserve(d_.sections.size());
        for (std::uint32_t s = 0; s < d_.sections.size(); ++s) {
            Section& section = d_.sections[s];
            d_.sectionIndex.emplace(d_.view(section.name), s);
            section.keys.reserve(section.lines.size());
            for (std::uint32_t l = 0; l < section.lines.size(); ++l) {
                Line& line = section.lines[l];
                if (!line.findable)
                    continue;
                auto [it, added] =
                    section.keys.try_emplace(d_.view(d_.fields[line.firstField]), KeyEntry{l, l});
                if (!added) {
                    section.lines[it->second.last].nextSameKey = l;
                    it->second.last = l;
                }
            }
        }
    }

    std::string_view in_;
    std::size_t pos_ = 0;
    InfFile::Data& d_;
    std::uint32_t current_ = kNone;
    std::unordered_map<std::string, std::uint32_t> byName_;
    std::vector<bool> stringsSection_;
    std::vector<bool> percent_;
    InfProblem* problem_;
};

} // namespace

bool parseInfText(std::string_view text, InfFile::Data& data, InfProblem* problem) {
    return Parser(text, data, problem).run();
}

} // namespace ornibe
