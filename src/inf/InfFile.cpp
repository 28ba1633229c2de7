#include "inf/InfFile.h"

#include "sys/CaseFold.h"
#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/TextEncoding.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <limits>
#include <unordered_map>
#include <utility>
#include <vector>

namespace ornibe {

namespace {

constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

// Files beyond this size are refused: offsets into the parsed text are 32
// bits, and no setup file comes near it.
constexpr std::size_t kMaxInputBytes = 512u << 20;

// Windows setup refuses a file with a longer section name.
constexpr std::size_t kMaxSectionName = 255;

// A value taken from the Strings section is cut to this many characters
// (512 with the terminating NUL on Windows 2000, XP and Server 2003).
constexpr std::size_t kMaxStringValue = 511;

// The same test as isCp932LeadByte, inline for the per-byte loops.
constexpr bool leadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Bytes that never mean anything to the line parser: runs of them are
// copied in one go.
// Hash and equality of section names and keys as Windows setup compares
// them: ASCII letters fold, the trail byte of a double-byte code page 932
// character does not. Both are transparent so that lookups with a
// string_view do not allocate.
struct FoldHash {
    using is_transparent = void;
    // Not noexcept, so that the tables keep each node's hash rather than
    // folding keys again while walking a bucket.
    std::size_t operator()(std::string_view text) const {
        std::uint64_t hash = 1469598103934665603ull;
        bool trail = false;
        for (unsigned char c : text) {
            unsigned char folded = c;
            if (!trail && c >= 'a' && c <= 'z')
                folded = static_cast<unsigned char>(c - 'a' + 'A');
            trail = !trail && leadByte(c);
            hash = (hash ^ folded) * 1099511628211ull;
        }
        return static_cast<std::size_t>(hash);
    }
};

struct FoldEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const noexcept {
        return a.size() == b.size() && equalsSetupNoCase(a, b);
    }
};

struct Span {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
};

struct Line {
    // Index of the key slot in Data::fields; the values follow it.
    std::uint32_t firstField = 0;
    std::uint32_t valueCount = 0;
    // The next line of the section with the same key, for
    // SetupFindNextMatchLine without a scan.
    std::uint32_t nextSameKey = kNone;
    // Whether the line can be found by its key: a line with "=", or a line
    // of one value, found under that value.
    bool findable = false;
    // A line without "=" holding one value: its key is that value.
    bool keyIsValue = false;
};

struct KeyEntry {
    std::uint32_t first = kNone;
    std::uint32_t last = kNone;
};

struct Section {
    Span name;
    std::vector<Line> lines;
    std::unordered_map<std::string_view, KeyEntry, FoldHash, FoldEqual> keys;
};

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

// Turns the file's bytes into code page 932 text: a UTF-16LE or UTF-8 file
// is recognised by its byte-order mark, anything else is taken as code page
// 932 bytes. The end-of-file byte 0x1A ends the text, as it does for
// Windows setup; a NUL byte reads as a space.
std::string decode(std::string_view bytes) {
    std::string text;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE)
        text = utf16leToCp932(bytes.substr(2));
    else if (bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xEF &&
             static_cast<unsigned char>(bytes[1]) == 0xBB &&
             static_cast<unsigned char>(bytes[2]) == 0xBF)
        text = utf8ToCp932(bytes.substr(3));
    else
        text.assign(bytes);
    if (auto end = text.find('\x1A'); end != std::string::npos)
        text.resize(end);
    std::replace(text.begin(), text.end(), '\0', ' ');
    return text;
}

// The folders of the DIRIDs that Windows XP and Server 2003 know, on a
// system whose Windows folder is C:\WINDOWS on the boot and system drive
// C:. A drive root keeps its backslash ("C:\"), as Windows gives it.
std::optional<std::string> diridFolder(long dirid) {
    const std::string windows(InfFile::windowsFolder);
    const std::string allUsers = "C:\\Documents and Settings\\All Users";
    switch (dirid) {
    case 10: // Windows folder
    case 25: // shared folder
        return windows;
    case 11: // system32
        return windows + "\\system32";
    case 12: // drivers
        return windows + "\\system32\\drivers";
    case 17: // INF
        return windows + "\\inf";
    case 18: // Help
        return windows + "\\help";
    case 20: // Fonts
        return windows + "\\Fonts";
    case 21: // viewers
        return windows + "\\system32\\viewers";
    case 23: // ICM colour profiles
        return windows + "\\system32\\spool\\drivers\\color";
    case 24: // root of the system drive
    case 30: // root of the boot drive
    case 54: // folder of the boot loader
        return std::string("C:\\");
    case 50: // 16-bit system folder
        return windows + "\\system";
    case 51: // spool
        return windows + "\\system32\\spool";
    case 52: // spool drivers
        return windows + "\\system32\\spool\\drivers";
    case 55: // print processors
        return windows + "\\system32\\spool\\prtprocs";
    case 16406: // shell folders of all users
        return allUsers + "\\Start Menu";
    case 16407:
        return allUsers + "\\Start Menu\\Programs";
    case 16408:
        return allUsers + "\\Start Menu\\Programs\\Startup";
    case 16409:
        return allUsers + "\\Desktop";
    case 16415:
        return allUsers + "\\Favorites";
    case 16419:
        return allUsers + "\\Application Data";
    case 16422: // Program Files
        return std::string("C:\\Program Files");
    case 16427: // Common Files
        return std::string("C:\\Program Files\\Common Files");
    case 16429:
        return allUsers + "\\Templates";
    case 16430:
        return allUsers + "\\Documents";
    default:
        return std::nullopt;
    }
}

// DIRID -1 and its synonym 65535 stand for an absolute path.
bool isAbsoluteDirid(long dirid) {
    return dirid == -1 || dirid == 65535;
}

std::optional<long> parseDirid(std::string_view text) {
    long value = 0;
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    bool negative = !text.empty() && text.front() == '-';
    if (negative)
        text.remove_prefix(1);
    if (text.empty() || text.size() > 9)
        return std::nullopt;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return negative ? -value : value;
}

// The length of the longest prefix of text that holds at most count
// characters, a double-byte character counting as one.
std::size_t prefixOfCharacters(std::string_view text, std::size_t count) {
    std::size_t i = 0;
    for (std::size_t n = 0; i < text.size() && n < count; ++n)
        i += leadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
    return i;
}

} // namespace

struct InfFile::Data {
    // Every section name and field text, one after the other.
    std::string text;
    // Per line: the key slot, then the values.
    std::vector<Span> fields;
    std::vector<Section> sections;
    std::unordered_map<std::string_view, std::uint32_t, FoldHash, FoldEqual> sectionIndex;

    std::string_view view(Span span) const { return {text.data() + span.offset, span.size}; }

    const Section* section(std::string_view name) const {
        auto it = sectionIndex.find(name);
        return it == sectionIndex.end() ? nullptr : &sections[it->second];
    }

    const Line* line(InfPosition position) const {
        if (position.section >= sections.size())
            return nullptr;
        const auto& lines = sections[position.section].lines;
        return position.line < lines.size() ? &lines[position.line] : nullptr;
    }
};

namespace {

// Reads INF text into Data in one pass, then replaces string keys and
// builds the lookup index.
class Parser {
public:
    Parser(std::string_view in, InfFile::Data& data) : in_(in), d_(data) {}

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
                    return false;
                parseLine();
            }
        }
        substituteStrings();
        buildIndex();
        return true;
    }

private:
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
        if (close == std::string_view::npos || characters > kMaxSectionName)
            return false;
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

    void parseLine() {
        const bool splitCommas = !stringsSection_[current_];
        const std::uint32_t keySlot = static_cast<std::uint32_t>(d_.fields.size());
        d_.fields.push_back(Span{});
        percent_.push_back(false);

        bool hasKey = false;
        bool commaAfterStart = false; // a comma since the line or the key began
        bool content = false;
        bool inQuotes = false;
        std::vector<Span>& fields = d_.fields;
        Field f;
        beginField(f);

        auto finishValue = [&]() {
            fields.push_back(endField(f));
            percent_.push_back(f.percent);
        };

        while (pos_ < in_.size()) {
            char c = in_[pos_];
            if (lineEndAt(pos_))
                break;
            if (inQuotes) {
                if (c == '"') {
                    if (pos_ + 1 < in_.size() && in_[pos_ + 1] == '"') {
                        auto from = static_cast<std::uint32_t>(d_.text.size());
                        d_.text.push_back('"');
                        keep(f, from);
                        pos_ += 2;
                        continue;
                    }
                    inQuotes = false;
                    keep(f, static_cast<std::uint32_t>(d_.text.size()));
                    ++pos_;
                    continue;
                }
                appendRun(f);
                continue;
            }
            if (c == '"') {
                inQuotes = true;
                content = true;
                keep(f, static_cast<std::uint32_t>(d_.text.size()));
                ++pos_;
            } else if (c == ';') {
                skipToLineEnd();
                break;
            } else if (c == ',' && splitCommas) {
                content = true;
                commaAfterStart = true;
                finishValue();
                beginField(f);
                ++pos_;
            } else if (c == '=' && !hasKey && !commaAfterStart) {
                content = true;
                hasKey = true;
                fields[keySlot] = endField(f);
                percent_[keySlot] = f.percent;
                beginField(f);
                ++pos_;
            } else if (c == '\\' && continuesLine(pos_ + 1)) {
                // A backslash that is the last thing on the line, blanks and
                // a comment aside, joins the next line to this one; the
                // blanks that begin the next line are dropped.
                skipToLineEnd();
                if (pos_ < in_.size())
                    ++pos_;
                while (pos_ < in_.size() && isBlank(in_[pos_]) && !lineEndAt(pos_))
                    ++pos_;
            } else if (c == '\\' && pos_ + 1 < in_.size() && in_[pos_ + 1] == '\\' &&
                       continuesLine(pos_ + 2)) {
                // Of two backslashes that end a line, the first is dropped
                // and the second joins the lines.
                ++pos_;
            } else if (isBlank(c)) {
                if (f.firstKept != kNone)
                    d_.text.push_back(c);
                ++pos_;
            } else {
                content = true;
                appendRun(f);
            }
        }
        if (pos_ < in_.size())
            skipLineEnd();

        if (!content) {
            // Nothing but blanks and continuations: no line.
            d_.fields.resize(keySlot);
            percent_.resize(keySlot);
            d_.text.resize(f.start);
            return;
        }
        // "key =" with nothing after it has one empty value.
        finishValue();

        Line line;
        line.firstField = keySlot;
        line.valueCount = static_cast<std::uint32_t>(d_.fields.size() - keySlot - 1);
        if (hasKey) {
            line.findable = true;
        } else if (line.valueCount == 1) {
            // A line holding one value and no "=" is found under that value.
            fields[keySlot] = fields[keySlot + 1];
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
};

} // namespace

namespace {

const char* const kSignatures[] = {"$Windows NT$", "$Chicago$", "$Windows 95$"};

} // namespace

InfFile::InfFile() = default;

InfFile::InfFile(std::shared_ptr<const Data> data) : data_(std::move(data)) {}

InfFile InfFile::open(const std::string& path) {
    std::string bytes;
    try {
        bytes = readFile(path);
    } catch (const FileError&) {
        return InfFile();
    }
    return parse(bytes);
}

InfFile InfFile::parse(std::string_view bytes) {
    if (bytes.size() > kMaxInputBytes)
        return InfFile();
    auto data = std::make_shared<Data>();
    std::string text = decode(bytes);
    if (!Parser(text, *data).run())
        return InfFile();
    InfFile file(std::move(data));
    // SetupOpenInfFileA with INF_STYLE_WIN4 takes only files that declare
    // themselves Windows INFs in their Version section.
    auto signature = file.findFirstLine("Version", "Signature");
    if (!signature)
        return InfFile();
    auto value = file.stringField(*signature, 1);
    if (!value || std::none_of(std::begin(kSignatures), std::end(kSignatures),
                               [&](const char* s) { return equalsSetupNoCase(*value, s); }))
        return InfFile();
    return file;
}

bool InfFile::isOpen() const {
    return data_ != nullptr;
}

int InfFile::lineCount(std::string_view section) const {
    if (!data_)
        return -1;
    const Section* s = data_->section(section);
    if (!s)
        return -1;
    return static_cast<int>(
        std::min<std::size_t>(s->lines.size(), std::numeric_limits<int>::max()));
}

std::optional<InfPosition> InfFile::findFirstLine(std::string_view section) const {
    return lineByIndex(section, 0);
}

std::optional<InfPosition> InfFile::findFirstLine(std::string_view section,
                                                  std::string_view key) const {
    if (!data_)
        return std::nullopt;
    auto it = data_->sectionIndex.find(section);
    if (it == data_->sectionIndex.end())
        return std::nullopt;
    const Section& s = data_->sections[it->second];
    auto k = s.keys.find(key);
    if (k == s.keys.end())
        return std::nullopt;
    return InfPosition{it->second, k->second.first};
}

std::optional<InfPosition> InfFile::findNextLine(InfPosition position) const {
    if (!data_ || !data_->line(position))
        return std::nullopt;
    InfPosition next{position.section, position.line + 1};
    if (!data_->line(next))
        return std::nullopt;
    return next;
}

std::optional<InfPosition> InfFile::findNextMatchLine(InfPosition position,
                                                      std::string_view key) const {
    if (!data_)
        return std::nullopt;
    const Line* line = data_->line(position);
    if (!line)
        return std::nullopt;
    const Section& s = data_->sections[position.section];
    // When the line has this key, its chain gives the next one directly;
    // otherwise the first line with the key after this one.
    if (line->findable && FoldEqual()(data_->view(data_->fields[line->firstField]), key)) {
        if (line->nextSameKey == kNone)
            return std::nullopt;
        return InfPosition{position.section, line->nextSameKey};
    }
    auto k = s.keys.find(key);
    if (k == s.keys.end())
        return std::nullopt;
    for (std::uint32_t l = k->second.first; l != kNone; l = s.lines[l].nextSameKey)
        if (l > position.line)
            return InfPosition{position.section, l};
    return std::nullopt;
}

std::optional<InfPosition> InfFile::lineByIndex(std::string_view section, std::size_t index) const {
    if (!data_)
        return std::nullopt;
    auto it = data_->sectionIndex.find(section);
    if (it == data_->sectionIndex.end() || index >= data_->sections[it->second].lines.size())
        return std::nullopt;
    return InfPosition{it->second, static_cast<std::uint32_t>(index)};
}

std::size_t InfFile::fieldCount(InfPosition position) const {
    const Line* line = data_ ? data_->line(position) : nullptr;
    return line ? line->valueCount : 0;
}

std::optional<std::string> InfFile::stringField(InfPosition position, std::size_t index) const {
    const Line* line = data_ ? data_->line(position) : nullptr;
    if (!line || index > line->valueCount || (index == 0 && !line->findable))
        return std::nullopt;
    return std::string(data_->view(data_->fields[line->firstField + index]));
}

std::optional<std::string> InfFile::lineText(InfPosition position) const {
    const Line* line = data_ ? data_->line(position) : nullptr;
    if (!line)
        return std::nullopt;
    std::string text;
    for (std::uint32_t i = 1; i <= line->valueCount; ++i) {
        if (i > 1)
            text.push_back(',');
        text.append(data_->view(data_->fields[line->firstField + i]));
    }
    return text;
}

std::optional<std::string> InfFile::targetPath(std::optional<std::string_view> section) const {
    if (!data_)
        return std::nullopt;
    std::optional<InfPosition> entry;
    if (section)
        entry = findFirstLine("DestinationDirs", *section);
    if (!entry)
        entry = findFirstLine("DestinationDirs", "DefaultDestDir");
    // Without an entry Windows setup copies to DIRID 11, the system folder.
    long dirid = 11;
    std::string subdir;
    if (entry) {
        auto id = parseDirid(stringField(*entry, 1).value_or(""));
        if (!id)
            return std::nullopt;
        dirid = *id;
        subdir = stringField(*entry, 2).value_or("");
    }
    if (isAbsoluteDirid(dirid)) // an absolute path in place of the subfolder
        return subdir.empty() ? std::nullopt : std::optional<std::string>(subdir);
    auto folder = diridFolder(dirid);
    if (!folder)
        return std::nullopt;
    // The folder never ends in a backslash: a drive root is "C:".
    if (folder->back() == '\\')
        folder->pop_back();
    std::size_t skip = 0;
    while (skip < subdir.size() && subdir[skip] == '\\')
        ++skip;
    if (skip < subdir.size()) {
        *folder += '\\';
        folder->append(subdir, skip);
    }
    return folder;
}

} // namespace ornibe
