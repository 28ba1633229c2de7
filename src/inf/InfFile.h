#pragma once

#include "sys/Result.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ornibe {

// One line of an open INF file: the section it belongs to and its index in
// that section. Positions come from InfFile's finds and are only meaningful
// for the file that gave them.
struct InfPosition {
    std::uint32_t section = 0;
    std::uint32_t line = 0;

    bool operator==(const InfPosition&) const = default;
};

// A setup information file (INF or SIF) read as Windows setup reads it, with
// the answers of the SETUPAPI calls the program relies on:
//
//   SetupOpenInfFileA        read(), readBytes(), isOpen()
//   SetupGetLineCountA       lineCount()
//   SetupFindFirstLineA      findFirstLine()
//   SetupFindNextLine        findNextLine()
//   SetupFindNextMatchLineA  findNextMatchLine()
//   SetupGetLineByIndexA     lineByIndex()
//   SetupGetFieldCount       fieldCount()
//   SetupGetStringFieldA     stringField()
//   SetupGetLineTextA        lineText()
//   SetupGetTargetPathA      destinationFolder()
//
// All text is code page 932 bytes as the file holds it (a UTF-16LE or UTF-8
// file is converted to code page 932 when it is read), with enclosing
// double quotes removed, %strkey% tokens replaced from the Strings section
// chosen for the Japanese locale and %dirid% tokens by their folders.
// Section names and keys compare ignoring ASCII letter case. Sections of
// one name are merged in file order.
//
// Every lookup is answered from an index built when the file is read, so
// finding a section or a key costs constant time on average.
//
// Why a file was refused: what kind of fault, the line (counted from 1;
// 0 when the reason is not one line) and what is wrong, in the program's
// own words.
struct InfProblem {
    enum class Kind {
        // The text is not that of a Windows INF.
        Text,
        // The file could not be read.
        Unreadable,
        // The file passes one of the limits within which files are read.
        Limit,
    };
    Kind kind = Kind::Text;
    int line = 0;
    std::string reason;

    // The reason, after "4 行目: " when it is about one line: what the
    // program's messages show.
    std::string text() const;
};

// An InfFile that is not open (default-constructed, or a failed open)
// answers every lookup as absent: lineCount() is -1, finds give nothing.
// Copies are cheap and share the parsed text.
// How a file is read. A Windows INF (a driver's INF, the setup files of
// the tree) is opened as SetupOpenInfFileA opens INF_STYLE_WIN4 files: it
// must declare itself in its [Version] section. An answer file (WINNT.SIF)
// is read by text-mode setup, which asks for no [Version] section; a
// double quote left open refuses it, since the value would run on to the
// line's end instead of stopping where its writer meant. A driver floppy's
// description file (TXTSETUP.OEM) asks for no [Version] section either, and
// a number sign outside quotes starts a comment there as a semicolon does;
// a backslash that ends a line is text there (a disk's root folder), not a
// line continuation.
enum class InfStyle { Win4, AnswerFile, OemFile };

class InfFile {
public:
    // The folder that stands for the Windows folder (GetWindowsDirectoryA)
    // in target paths: DIRID 10 is this folder.
    static constexpr std::string_view windowsFolder = "C:\\WINDOWS";

    InfFile();

    // Reads and parses the file at the host path: the open file, or why it
    // was refused (it cannot be read, passes a limit, or is not a Windows
    // INF; see readBytes()).
    static Result<InfFile, InfProblem> read(const std::string& path,
                                            InfStyle style = InfStyle::Win4);
    // Parses INF text held in memory, with or without a byte-order mark,
    // which the file takes over: the text is read where it lies, without
    // a copy. The file is open when the text holds a [Version] section
    // whose Signature is "$Windows NT$", "$Chicago$" or "$Windows 95$"
    // (ignoring case), as SetupOpenInfFileA demands of INF_STYLE_WIN4
    // files. A file that is refused gives the line and the reason, as
    // Windows setup reports the line of an error. An answer file needs no
    // [Version] section (see InfStyle).
    static Result<InfFile, InfProblem> readBytes(std::string bytes,
                                                 InfStyle style = InfStyle::Win4);
    // As read() and readBytes(), for a caller that does not ask why: a file
    // that is refused is not open.
    static InfFile open(const std::string& path);
    static InfFile parse(std::string_view bytes);

    bool isOpen() const;

    // The names of the sections in the order the file first names them,
    // spelled as there; nothing when the file is not open.
    std::vector<std::string> sectionNames() const;

    // The number of lines of the section; -1 when there is no such section.
    int lineCount(std::string_view section) const;

    // The first line of the section.
    std::optional<InfPosition> findFirstLine(std::string_view section) const;
    // The first line of the section whose key equals key, ignoring case.
    std::optional<InfPosition> findFirstLine(std::string_view section, std::string_view key) const;
    // The line after position in its section; nothing after the last.
    std::optional<InfPosition> findNextLine(InfPosition position) const;
    // The next line after position in its section whose key equals key.
    std::optional<InfPosition> findNextMatchLine(InfPosition position, std::string_view key) const;
    // The line with this index (from 0) in the section.
    std::optional<InfPosition> lineByIndex(std::string_view section, std::size_t index) const;

    // The number of fields after the key; 0 for a position not in the file.
    std::size_t fieldCount(InfPosition position) const;
    // Field 0 is the key, fields 1 to fieldCount() the values. Nothing for a
    // field past the last, nor for field 0 of a line without a key (a line
    // of several values and no "="; a line of one value has that value as
    // its key).
    std::optional<std::string> stringField(InfPosition position, std::size_t index) const;
    // The values of the line joined by commas, without blanks; nothing for
    // a position not in the file.
    std::optional<std::string> lineText(InfPosition position) const;

    // The values of a line, fields 1 to fieldCount(), read one after the
    // other in time that grows with the line's length only (stringField
    // looks for its field from the start of the line each time). Valid
    // while the file it came from is.
    class Values {
    public:
        // The next value; nothing after the last.
        std::optional<std::string_view> next();

    private:
        friend class InfFile;
        const char* at_ = nullptr;
        std::size_t left_ = 0;
    };
    // No values for a position not in the file.
    Values values(InfPosition position) const;

    // The absolute destination folder that DestinationDirs gives the
    // file-list section, or its DefaultDestDir when the section has no entry
    // there (system32 when neither exists, as Windows setup does). Without a
    // section, the default destination. DIRID -1 (or 65535) takes the
    // subfolder as the absolute path. Nothing when the file is not open or
    // the DIRID is not one Windows XP knows.
    std::optional<std::string> destinationFolder(std::optional<std::string_view> section) const;

    struct Data;

private:
    explicit InfFile(std::shared_ptr<const Data> data);

    std::shared_ptr<const Data> data_;
};

} // namespace ornibe
