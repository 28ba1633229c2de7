#include "sys/Translation.h"

#include "sys/FileError.h"
#include "sys/FileIo.h"
#include "sys/ToolFolder.h"

#include <cstdint>

namespace ornibe {
namespace {

// A .mo file: its magic number in the byte order it was written in, the
// revision, the number of texts, the offsets of the table of originals
// and of translations (each entry a length and an offset), and a hash
// table this reader does not need.
constexpr std::uint32_t kMagic = 0x950412de;
constexpr std::uint32_t kMagicSwapped = 0xde120495;

class MoBytes {
public:
    explicit MoBytes(std::string_view bytes) : bytes_(bytes) {}

    bool swapped = false;

    std::optional<std::uint32_t> word(std::uint64_t offset) const {
        if (offset > bytes_.size() || bytes_.size() - offset < 4) {
            return std::nullopt;
        }
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const auto byte = static_cast<std::uint8_t>(bytes_[offset + i]);
            value |= std::uint32_t(byte) << (swapped ? 8 * (3 - i) : 8 * i);
        }
        return value;
    }

    // The text that the table entry at offset names; it must end with the
    // NUL that the format puts after every text.
    std::optional<std::string_view> text(std::uint64_t entry) const {
        const auto length = word(entry);
        const auto start = word(entry + 4);
        if (!length || !start || *start > bytes_.size() ||
            bytes_.size() - *start < std::uint64_t(*length) + 1 ||
            bytes_[*start + *length] != '\0') {
            return std::nullopt;
        }
        return bytes_.substr(*start, *length);
    }

private:
    std::string_view bytes_;
};

// The catalog in use: none for Japanese. Set once by main before other
// threads start, read only afterwards.
std::optional<MessageCatalog>& catalogInUse() {
    static std::optional<MessageCatalog> catalog;
    return catalog;
}

} // namespace

std::optional<MessageCatalog> MessageCatalog::parse(std::string_view bytes) {
    if (bytes.size() > kMaxBytes) {
        return std::nullopt;
    }
    MoBytes mo(bytes);
    const auto magic = mo.word(0);
    if (!magic || (*magic != kMagic && *magic != kMagicSwapped)) {
        return std::nullopt;
    }
    mo.swapped = *magic == kMagicSwapped;
    const auto revision = mo.word(4);
    const auto count = mo.word(8);
    const auto originals = mo.word(12);
    const auto translations = mo.word(16);
    // Major revisions 0 and 1 share the tables read here.
    if (!revision || (*revision >> 16) > 1 || !count || !originals || !translations ||
        std::uint64_t(*count) * 8 > bytes.size()) {
        return std::nullopt;
    }
    MessageCatalog catalog;
    for (std::uint32_t i = 0; i < *count; ++i) {
        const auto original = mo.text(*originals + std::uint64_t(i) * 8);
        const auto translation = mo.text(*translations + std::uint64_t(i) * 8);
        if (!original || !translation) {
            return std::nullopt;
        }
        // The empty original is the catalog's header. A plural entry holds
        // its forms after NULs; the first form is the text.
        const std::string_view key = original->substr(0, original->find('\0'));
        const std::string_view value = translation->substr(0, translation->find('\0'));
        if (!key.empty() && !value.empty()) {
            catalog.texts_.emplace(key, value);
        }
    }
    return catalog;
}

std::optional<MessageCatalog> MessageCatalog::read(const std::string& path) {
    try {
        if (const auto bytes = readFileAtMost(path, kMaxBytes)) {
            return parse(*bytes);
        }
    } catch (const FileError&) {
        // Not there or not readable: no catalog, as for a file that is not one.
    }
    return std::nullopt;
}

std::optional<std::string_view> MessageCatalog::find(std::string_view text) const {
    const auto found = texts_.find(text);
    if (found == texts_.end()) {
        return std::nullopt;
    }
    return found->second;
}

std::string translated(std::string_view text) {
    if (const auto& catalog = catalogInUse()) {
        if (const auto found = catalog->find(text)) {
            return std::string(*found);
        }
    }
    return std::string(text);
}

std::string translated(std::string_view text, std::initializer_list<std::string_view> values) {
    return filledIn(translated(text), values);
}

std::string filledIn(std::string_view form, std::initializer_list<std::string_view> values) {
    std::string text;
    text.reserve(form.size());
    for (std::size_t i = 0; i < form.size(); ++i) {
        const char next = i + 1 < form.size() ? form[i + 1] : '\0';
        const std::size_t index = next >= '1' && next <= '9' ? std::size_t(next - '1') : 9;
        if (form[i] == '%' && index < values.size()) {
            text += values.begin()[index];
            ++i;
        } else {
            text += form[i];
        }
    }
    return text;
}

std::optional<std::string> speakLanguage(UserLanguage language) {
    std::optional<MessageCatalog>& catalog = catalogInUse();
    catalog.reset();
    if (language == UserLanguage::Japanese) {
        return std::nullopt;
    }
    const std::string file = ownCatalogFile("en");
    catalog = MessageCatalog::read(file);
    return catalog ? std::nullopt : std::optional<std::string>(file);
}

} // namespace ornibe
