#include "check/ControllerMatch.h"

#include "sys/Translation.h"

#include <charconv>
#include <cstddef>

namespace ornibe {

namespace {

// The lines of a text one after the other, each without its line end
// (LF or CR LF), read where they lie: a listing of many short lines is
// never held a second time as a list of its lines.
class Lines {
public:
    explicit Lines(std::string_view text) : rest_(text) {}

    // The next line; false after the last. A text that ends with a line
    // end has no empty line after it.
    bool next(std::string_view& line) {
        if (done_ || rest_.empty())
            return false;
        std::size_t end = rest_.find('\n');
        line = rest_.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (end == std::string_view::npos)
            done_ = true;
        else
            rest_.remove_prefix(end + 1);
        return true;
    }

private:
    std::string_view rest_;
    bool done_ = false;
};

bool isBlankChar(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlankChar(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlankChar(text.back()))
        text.remove_suffix(1);
    return text;
}

bool isBlank(std::string_view text) {
    return trimmed(text).empty();
}

// Exactly digits hexadecimal digits (digits 0: one or more).
std::optional<unsigned> hexNumber(std::string_view text, std::size_t digits) {
    if (text.empty() || (digits != 0 && text.size() != digits) || text.size() > 8)
        return std::nullopt;
    unsigned value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// A bus address: [domain:]bus:device.function, in hexadecimal.
bool isSlot(std::string_view slot) {
    std::size_t dot = slot.rfind('.');
    if (dot == std::string_view::npos || !hexNumber(slot.substr(dot + 1), 1))
        return false;
    std::string_view rest = slot.substr(0, dot);
    std::size_t colon = rest.rfind(':');
    if (colon == std::string_view::npos || !hexNumber(rest.substr(colon + 1), 2))
        return false;
    rest = rest.substr(0, colon);
    colon = rest.rfind(':');
    if (colon == std::string_view::npos)
        return hexNumber(rest, 2).has_value();
    std::string_view domain = rest.substr(0, colon);
    return hexNumber(rest.substr(colon + 1), 2) && domain.size() >= 4 && hexNumber(domain, 0);
}

// "text [code]": the text before the last bracket pair and the code in it.
struct Coded {
    std::string_view text;
    unsigned code = 0;
};
std::optional<Coded> codedValue(std::string_view value, std::size_t digits) {
    value = trimmed(value);
    if (value.empty() || value.back() != ']')
        return std::nullopt;
    std::size_t open = value.rfind('[');
    if (open == std::string_view::npos)
        return std::nullopt;
    auto code = hexNumber(value.substr(open + 1, value.size() - open - 2), digits);
    if (!code)
        return std::nullopt;
    return Coded{trimmed(value.substr(0, open)), *code};
}

// "text [vvvv:dddd]": the text before the bracket pair and the two codes.
struct CodedPair {
    std::string_view text;
    unsigned first = 0, second = 0;
};
std::optional<CodedPair> codedPair(std::string_view value) {
    value = trimmed(value);
    if (value.size() < 11 || value.back() != ']' || value[value.size() - 11] != '[' ||
        value[value.size() - 6] != ':')
        return std::nullopt;
    auto first = hexNumber(value.substr(value.size() - 10, 4), 4);
    auto second = hexNumber(value.substr(value.size() - 5, 4), 4);
    if (!first || !second)
        return std::nullopt;
    return CodedPair{trimmed(value.substr(0, value.size() - 11)), *first, *second};
}

// Takes " (word xx...)" off the end of text when it is there; the two hex
// digits after the word. Nothing when the text does not end so; a failure
// flag when it does but the digits are not two hex digits.
struct Suffix {
    bool present = false;
    std::optional<unsigned> value;
};
Suffix takeSuffix(std::string_view& text, std::string_view word) {
    if (text.empty() || text.back() != ')')
        return {};
    std::size_t at = text.rfind(word);
    if (at == std::string_view::npos)
        return {};
    std::string_view inside = text.substr(at + word.size());
    Suffix suffix{true, hexNumber(inside.substr(0, 2), 2)};
    if (inside.size() < 3 || (inside[2] != ')' && inside[2] != ' '))
        suffix.value.reset();
    text = text.substr(0, at);
    return suffix;
}

// One device line of lspci -nn:
//   SLOT CLASS [ccss]: NAME [vvvv:dddd] (rev rr) (prog-if pp [NAME])
std::optional<PciDevice> deviceLine(std::string_view text) {
    std::size_t space = text.find(' ');
    if (space == std::string_view::npos || !isSlot(text.substr(0, space)))
        return std::nullopt;
    PciDevice device;
    device.slot = std::string(text.substr(0, space));
    std::string_view rest = text.substr(space + 1);
    std::size_t classEnd = rest.find("]: ");
    if (classEnd == std::string_view::npos)
        return std::nullopt;
    auto classCode = codedValue(rest.substr(0, classEnd + 1), 4);
    if (!classCode)
        return std::nullopt;
    device.classCode = classCode->code;
    rest = trimmed(rest.substr(classEnd + 3));

    Suffix progIf = takeSuffix(rest, " (prog-if ");
    if (progIf.present && !progIf.value)
        return std::nullopt;
    device.hasProgIf = progIf.present;
    device.progIf = progIf.value.value_or(0);
    Suffix revision = takeSuffix(rest, " (rev ");
    if (revision.present && !revision.value)
        return std::nullopt;
    // lspci leaves out a revision of 00.
    device.revision = revision.value.value_or(0);

    auto ids = codedPair(rest);
    if (!ids)
        return std::nullopt;
    device.vendor = ids->first;
    device.device = ids->second;
    device.name = std::string(ids->text);
    return device;
}

// lspci -nn, or lspci -vnn with its indented detail lines. A line that
// is no device line (a config-space dump line of -xxx, the user's own
// words around the listing) is passed over and counted, and so are the
// indented lines that follow it.
PciListing parseTerse(std::string_view text) {
    PciListing listing;
    bool inDevice = false;
    Lines lines(text);
    for (std::string_view line; lines.next(line);) {
        if (isBlank(line))
            continue;
        if (isBlankChar(line.front())) {
            if (!inDevice) {
                ++listing.passedOver;
                continue;
            }
            // Detail lines come with -v or -k, which show a subsystem
            // other than 0000:0000; -v (its Flags: or Control: line) also
            // shows a programming interface other than 00.
            PciDevice& device = listing.devices.back();
            device.hasSubsystem = true;
            std::string_view detail = trimmed(line);
            if (detail.starts_with("Flags:") || detail.starts_with("Control:"))
                device.hasProgIf = true;
            if (detail.starts_with("Subsystem:")) {
                if (auto ids = codedPair(detail)) {
                    device.subVendor = ids->first;
                    device.subDevice = ids->second;
                } else {
                    ++listing.passedOver;
                }
            }
            continue;
        }
        auto device = deviceLine(line);
        inDevice = device.has_value();
        if (!device) {
            ++listing.passedOver;
            continue;
        }
        listing.devices.push_back(std::move(*device));
    }
    return listing;
}

// One record of lspci -vmmnn, from its first line.
struct Record {
    bool started = false;
    int lines = 0;
    bool repeated = false;
    std::optional<std::string_view> slot, className, vendor, device, subVendor, subDevice, revision,
        progIf;
};

std::optional<PciDevice> recordDevice(const Record& record) {
    if (!record.slot || !record.className || !record.vendor || !record.device || record.repeated ||
        record.subVendor.has_value() != record.subDevice.has_value())
        return std::nullopt;
    PciDevice device;
    device.slot = std::string(trimmed(*record.slot));
    auto classCode = codedValue(*record.className, 4);
    auto vendor = codedValue(*record.vendor, 4);
    auto id = codedValue(*record.device, 4);
    if (!isSlot(device.slot) || !classCode || !vendor || !id)
        return std::nullopt;
    device.classCode = classCode->code;
    device.vendor = vendor->code;
    device.device = id->code;
    device.name = std::string(vendor->text);
    if (!id->text.empty())
        device.name += (device.name.empty() ? "" : " ") + std::string(id->text);
    // lspci -vmm shows a subsystem only when it is not 0000:0000, and a
    // revision and a programming interface only when they are not 00.
    device.hasSubsystem = true;
    device.hasProgIf = true;
    if (record.subVendor) {
        auto subVendor = codedValue(*record.subVendor, 4);
        auto subDevice = codedValue(*record.subDevice, 4);
        if (!subVendor || !subDevice)
            return std::nullopt;
        device.subVendor = subVendor->code;
        device.subDevice = subDevice->code;
    }
    auto revision = record.revision ? hexNumber(trimmed(*record.revision), 2) : 0u;
    auto progIf = record.progIf ? hexNumber(trimmed(*record.progIf), 2) : 0u;
    if (!revision || !progIf)
        return std::nullopt;
    device.revision = *revision;
    device.progIf = *progIf;
    return device;
}

// lspci -vmmnn: records of "Tag:<TAB>value" lines, separated by blank
// lines. Tags the match does not need (PhySlot, NUMANode, Driver,
// Module...) are passed over; so is a line that is no tag line, and a
// record that is no device's (every line of it counted).
PciListing parseMachine(std::string_view text) {
    PciListing listing;
    Record record;
    auto close = [&] {
        if (!record.started)
            return;
        if (std::optional<PciDevice> device = recordDevice(record))
            listing.devices.push_back(std::move(*device));
        else
            listing.passedOver += record.lines;
        record = Record();
    };
    Lines lines(text);
    for (std::string_view line; lines.next(line);) {
        if (isBlank(line)) {
            close();
            continue;
        }
        // lspci's tags are single words: "my listing:" is the user's.
        std::size_t colon = line.find(':');
        std::string_view tag = line.substr(0, colon);
        if (colon == std::string_view::npos || colon == 0 ||
            tag.find_first_of(" \t") != std::string_view::npos) {
            ++listing.passedOver;
            continue;
        }
        std::string_view value = line.substr(colon + 1);
        record.started = true;
        ++record.lines;
        std::optional<std::string_view>* field = nullptr;
        if (tag == "Slot")
            field = &record.slot;
        else if (tag == "Class")
            field = &record.className;
        else if (tag == "Vendor")
            field = &record.vendor;
        else if (tag == "Device")
            field = &record.device;
        else if (tag == "SVendor")
            field = &record.subVendor;
        else if (tag == "SDevice")
            field = &record.subDevice;
        else if (tag == "Rev")
            field = &record.revision;
        else if (tag == "ProgIf")
            field = &record.progIf;
        if (!field)
            continue;
        // Two records without a blank line between them are no record.
        record.repeated = record.repeated || field->has_value();
        *field = value;
    }
    close();
    return listing;
}

// Text pasted from a web page holds NO-BREAK SPACE (U+00A0) where lspci
// printed a blank. The text with a blank for each, in plain; the text
// itself when it holds none.
std::string_view withPlainBlanks(std::string_view text, std::string& plain) {
    constexpr std::string_view kNoBreakSpace = "\xC2\xA0";
    std::size_t at = text.find(kNoBreakSpace);
    if (at == std::string_view::npos)
        return text;
    plain.reserve(text.size());
    std::size_t from = 0;
    for (; at != std::string_view::npos; at = text.find(kNoBreakSpace, from)) {
        plain.append(text, from, at - from);
        plain += ' ';
        from = at + kNoBreakSpace.size();
    }
    plain.append(text, from);
    return plain;
}

} // namespace

Result<PciListing> parseLspciListing(std::string_view text) {
    std::string copy;
    const std::string_view plain = withPlainBlanks(text, copy);
    // A listing of either form; the one that finds devices is the one it is.
    PciListing listing = parseTerse(plain);
    if (listing.devices.empty())
        listing = parseMachine(plain);
    if (listing.devices.empty())
        return Failure{"read", "",
                       translated("[vvvv:dddd] の番号のある PCI デバイスの記録がありません。番号は "
                                  "lspci に -nn を付けると出ます。対象のマシンで lspci -nn か "
                                  "lspci -vmmnn の出力を保存して指定してください。")};
    return listing;
}

Result<std::vector<PciDevice>> parseLspci(std::string_view text) {
    Result<PciListing> listing = parseLspciListing(text);
    if (!listing)
        return listing.failure();
    return std::move(listing->devices);
}

} // namespace ornibe
