#include "source/EditionTags.h"

#include "source/Medium.h"
#include "sys/Translation.h"

#include <optional>
#include <string_view>

namespace ornibe {
namespace {

struct EditionTag {
    std::string_view tag;
    std::string_view edition;
};

// The tag files of the CDs of this family and the edition each names. XP
// and Server 2003 CDs carry WIN51 beside the edition's tag, and the
// edition's tag with .SP1, .SP2 or .SP3 for a CD with a Service Pack;
// Windows 2000 CDs carry CDROM_NT.5 and no Service Pack tag.
constexpr EditionTag kEditions[] = {
    {"WIN51IP", "Windows XP Professional"},
    {"WIN51IC", "Windows XP Home Edition"},
    {"WIN51AP", "Windows XP Professional x64 Edition"},
    {"WIN51IS", "Windows Server 2003, Standard Edition"},
    {"WIN51IA", "Windows Server 2003, Enterprise Edition"},
    {"WIN51ID", "Windows Server 2003, Datacenter Edition"},
    {"WIN51IB", "Windows Server 2003, Web Edition"},
    {"CDROM_IP.5", "Windows 2000 Professional"},
    {"CDROM_IS.5", "Windows 2000 Server"},
    {"CDROM_IA.5", "Windows 2000 Advanced Server"},
};

// The tags that name no edition themselves: the family's marks.
constexpr std::string_view kFamilyTags[] = {"WIN51", "CDROM_NT.5"};

std::string upper(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return result;
}

// An edition tag of the family's form that the table does not know:
// "WIN51" and two letters, or "CDROM_" two letters ".5".
bool looksLikeEditionTag(const std::string& name) {
    auto letter = [](char c) { return c >= 'A' && c <= 'Z'; };
    if (name.size() == 7 && name.starts_with("WIN51")) {
        return letter(name[5]) && letter(name[6]);
    }
    return name.size() == 10 && name.starts_with("CDROM_") && letter(name[6]) && letter(name[7]) &&
           name.ends_with(".5");
}

} // namespace

std::string editionText(const std::vector<std::string>& rootNames, Architecture architecture) {
    std::vector<std::string> names;
    for (const std::string& name : rootNames) {
        names.push_back(upper(name));
    }
    auto has = [&](std::string_view name) {
        for (const std::string& present : names) {
            if (present == name) {
                return true;
            }
        }
        return false;
    };

    std::string tag;
    std::string edition;
    for (const EditionTag& known : kEditions) {
        if (has(known.tag)) {
            tag = known.tag;
            edition = known.edition;
            break;
        }
    }
    if (tag.empty()) {
        for (const std::string& name : names) {
            bool family = false;
            for (std::string_view mark : kFamilyTags) {
                family = family || name == mark;
            }
            if (!family && looksLikeEditionTag(name)) {
                tag = edition = name;
                break;
            }
        }
    }
    if (tag.empty()) {
        return translated("不明");
    }
    std::string level;
    for (const char* sp : {".SP3", ".SP2", ".SP1"}) {
        if (has(tag + sp)) {
            level = std::string(" ") + (sp + 1);
            break;
        }
    }
    return edition + level + " (" + std::string(architectureLabel(architecture)) + ")";
}

std::string editionLine(const Medium& source, Architecture architecture) {
    return translated(
        "エディション：%1",
        {editionText(source.folderNames("").value_or(std::vector<std::string>{}), architecture)});
}

} // namespace ornibe
