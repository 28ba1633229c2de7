#include "answer/AnswerFileWriter.h"

#include "inf/WindowsTarget.h"

#include <cstdio>

namespace ornibe {
namespace {

// What [RegionalSettings] says for a language: the language and locales,
// the language group to install and the keyboard.
struct Regional {
    const char* locale;
    const char* languageGroup;
    const char* inputLocale;
};

Regional regionalOf(AnswerFileFields::Language language) {
    switch (language) {
    case AnswerFileFields::Language::English:
        return {"00000409", "1", "0409:00000409"};
    case AnswerFileFields::Language::Japanese:
        break;
    }
    return {"00000411", "7", "0411:e0010411"};
}

std::string threeDigits(int index) {
    char text[8];
    std::snprintf(text, sizeof text, "%03d", index);
    return text;
}

} // namespace

std::vector<AnswerEntry> answerFileEntries(const AnswerFileFields& fields, WindowsVersion version,
                                           bool driversIntegrated) {
    const bool windows2000 = version == WindowsVersion::Windows2000;
    std::vector<AnswerEntry> entries;
    auto add = [&entries](const char* section, const char* key, std::string value,
                          bool quoted = false) {
        entries.push_back({section, key, std::move(value), quoted});
    };

    // A CD boot reads [Data]; AutoPartition takes the first disk.
    if (fields.autoPartition) {
        add("Data", "AutoPartition", "1");
    }
    add("Data", "MsDosInitiated", "0", true);
    add("Data", "UnattendedInstall", "Yes", true);

    add("Unattended", "UnattendMode", "FullUnattended");
    if (fields.acceptEula) {
        add("Unattended", "OemSkipEula", "Yes");
    }
    add("Unattended", "TargetPath", windows2000 ? "\\WINNT" : "\\WINDOWS");
    if (fields.autoPartition) {
        add("Unattended", "Repartition", "Yes");
    }
    if (driversIntegrated) {
        add("Unattended", "DriverSigningPolicy", "Ignore");
        add("Unattended", "NonDriverSigningPolicy", "Ignore");
    }
    if (!windows2000) {
        add("Unattended", "UnattendSwitch", "Yes");
    }

    if (fields.adminPassword.empty()) {
        add("GuiUnattended", "AdminPassword", "*");
    } else {
        add("GuiUnattended", "AdminPassword", fields.adminPassword, true);
    }
    add("GuiUnattended", "EncryptedAdminPassword", "No");
    add("GuiUnattended", "TimeZone", threeDigits(fields.timeZone));
    add("GuiUnattended", "OEMSkipRegional", "1");
    add("GuiUnattended", "OemSkipWelcome", "1");

    add("UserData", "FullName", fields.fullName, true);
    if (!fields.organization.empty()) {
        add("UserData", "OrgName", fields.organization, true);
    }
    add("UserData", "ComputerName", fields.computerName);
    if (!fields.productKey.empty()) {
        add("UserData", windows2000 ? "ProductID" : "ProductKey", fields.productKey, true);
    }

    const Regional regional = regionalOf(fields.language);
    add("RegionalSettings", "Language", regional.locale);
    add("RegionalSettings", "LanguageGroup", regional.languageGroup);
    add("RegionalSettings", "SystemLocale", regional.locale);
    add("RegionalSettings", "UserLocale", regional.locale);
    if (!windows2000) {
        add("RegionalSettings", "UserLocale_DefaultUser", regional.locale);
    }
    add("RegionalSettings", "InputLocale", regional.inputLocale);
    if (!windows2000) {
        add("RegionalSettings", "InputLocale_DefaultUser", regional.inputLocale);
    }

    add("Identification", "JoinWorkgroup", fields.workgroup);
    add("Networking", "InstallDefaultComponents", "Yes");
    return entries;
}

std::string answerFileText(const std::vector<AnswerEntry>& entries) {
    std::string text = "; Answer file for unattended setup, written by ornibe\r\n";
    const std::string* section = nullptr;
    for (const AnswerEntry& entry : entries) {
        if (section == nullptr || *section != entry.section) {
            text += (section == nullptr ? "" : "\r\n") + ("[" + entry.section + "]\r\n");
            section = &entry.section;
        }
        text +=
            entry.key + " = " + (entry.quoted ? "\"" + entry.value + "\"" : entry.value) + "\r\n";
    }
    return text;
}

} // namespace ornibe
