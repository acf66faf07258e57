// Starting a program, as the forms runtime's Shell does: the command line runs with its window
// shown normally and focused; the caller does not wait for it. And the viewer of the stream
// lister, found without ever looking into the current folder.
#pragma once

#include <optional>
#include <string>

namespace tessel {

// Starts `commandLine`; `application`, when given, is the program file itself (the command
// line's first word is then only what the program sees as its name). A program that cannot be
// found raises runtime error 53 (file not found); any other refusal of the system raises its
// error code. Throws RuntimeError.
void Shell(const std::wstring& commandLine, const std::wstring* application = nullptr);

// The folders searched for a program named without a folder, in order: the program's own
// folder, the system folder, the Windows folder, then the absolute folders of PATH. Never the
// current folder (which, for a program started from a file's context menu, is the folder of
// that file: a program planted there must not run). Relative PATH entries (".", "bin") are
// skipped for the same reason.
//
// Test hook: the environment variable TESSEL_TEST_SYSTEM_FOLDER, when set, stands for both the
// system and the Windows folder (Wine always has a Write.exe there, so the fallback to Notepad
// could not be shown otherwise).
std::wstring ProgramSearchPath();

// The full path of `name` (".exe" appended when it has no extension) in the folders of
// ProgramSearchPath(); none when it is not there.
std::optional<std::wstring> FindProgram(const std::wstring& name);

// Opens `streamPath` in the viewer. `configured` is the settings file's program: when not
// empty it is used as given (its text in double quotes, then the stream path in double quotes);
// a name without a folder is looked for with FindProgram. Without one, the default "Write.EXE"
// is looked for the same way; where there is none (Windows 11 24H2 removed it), Notepad of the
// system folder opens the stream. Raises runtime error 53 when no program is found.
void StartViewer(const std::wstring& configured, const std::wstring& streamPath);

}  // namespace tessel
