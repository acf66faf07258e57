// The stream lister's texts: its messages, the usage text, the kind texts of the stream list
// and the viewer's command line. Portable: texts are UTF-16, as the window shows them.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace tessel::core {

// The title of every message box that names none.
inline constexpr std::u16string_view kProgramTitle = u"Nevkit - Tessel";
// The main window's caption once it shows a reading.
inline constexpr std::u16string_view kMainCaption = u"Tessel";
// Start of the count line under the list.
inline constexpr std::u16string_view kCountPrefix = u"Альтернативных потоков: ";
// The viewer program when the settings file names none.
inline constexpr std::u16string_view kDefaultViewer = u"Write.EXE";

// The texts of one stream kind, in the order the list asks the record's kind properties.
struct StreamKindTexts {
    std::u16string_view displayName;  // column 1 of a row without a short name
    std::u16string_view kindText;     // column 4
};
inline constexpr std::array<StreamKindTexts, 10> kStreamKinds{{
    {u"{Invalid}", u"INVALID"},
    {u"{Data}", u"DATA"},
    {u"{EA Data}", u"EA_DATA"},
    {u"{Security Data}", u"SECURITY_DATA"},
    {u"{Alternate Data}", u"ALTERNATE_DATA"},
    {u"{Link}", u"LINK"},
    {u"{Property Data}", u"PROPERTY_DATA"},
    {u"{Object ID}", u"OBJECT_ID"},
    {u"{Reparse Data}", u"REPARSE_DATA"},
    {u"{Sparse Block}", u"SPARSE_BLOCK"},
}};

// Column 1 of a row: the stream's short name when it has one, else the display name of the
// first kind that holds (`kind` is its position in kStreamKinds), else "{Unknown}".
std::u16string DisplayName(std::u16string_view shortName, std::optional<size_t> kind);
// Column 4 of a row: the kind text of the first kind that holds, else the record's stream id
// as hexadecimal text (`hexStreamId`).
std::u16string StreamIdText(std::optional<size_t> kind, std::u16string_view hexStreamId);

// The message shown on a system outside the Windows NT family.
std::u16string NotWindowsNtText();
// The usage text for the executable named `exeName` (without folder and extension).
std::u16string UsageText(std::u16string_view exeName);
// The first reading of `path` failed or gave no stream.
std::u16string OpenFailedText(std::u16string_view path);
// A refresh of `path` failed or gave no stream.
std::u16string RefreshFailedText(std::u16string_view path);
// The question before stream `name` of `path` is deleted, and the report when that failed.
std::u16string DeleteQuestionText(std::u16string_view name, std::u16string_view path);
std::u16string DeleteFailedText(std::u16string_view name, std::u16string_view path);
// The report when the viewer could not be started for stream `name` of `path`.
std::u16string ViewFailedText(std::u16string_view name, std::u16string_view path);

// The arguments of a process command line: the text after the program name (quoted or up to
// the first blank) and the blanks that follow it, as a host hands them to the program.
std::u16string_view ArgumentText(std::u16string_view commandLine);

// The command line that opens `streamPath` in `viewer`: both in double quotes, nothing
// escaped inside them.
std::u16string ViewerCommandLine(std::u16string_view viewer, std::u16string_view streamPath);

}  // namespace tessel::core
