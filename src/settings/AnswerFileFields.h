#pragma once

#include <string>

namespace ornibe {

// Unattended installation: whether the build puts an answer file
// (I386\WINNT.SIF) into the tree, and what it holds. Texts are as the
// user typed them (host text); the checks on "次へ >" hold them to what
// setup accepts.
struct AnswerFileFields {
    enum class Mode {
        // No answer file: the tree keeps what it has.
        None,
        // An answer file written from the fields below.
        Write,
        // The user's own answer file, taken as it is.
        UserFile,
    };
    enum class Language { Japanese, English };

    Mode mode = Mode::None;
    // The user's answer file (Mode::UserFile).
    std::string userFile;

    std::string fullName;
    std::string organization;
    // "*": setup makes up a name.
    std::string computerName = "*";
    // Empty: no password.
    std::string adminPassword;
    // Empty: setup asks for the key.
    std::string productKey;
    // An index of Microsoft's time zone table; 235 is Tokyo.
    int timeZone = 235;
    Language language = Language::Japanese;
    std::string workgroup = "WORKGROUP";
    // Setup takes the first disk without asking, clearing it.
    bool autoPartition = false;
    // The user accepts the licence, so that setup does not show it.
    bool acceptEula = false;

    bool operator==(const AnswerFileFields&) const = default;
};

} // namespace ornibe
