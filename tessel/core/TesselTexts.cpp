#include "core/TesselTexts.h"

namespace tessel::core {
namespace {

constexpr std::u16string_view kQuote = u"\"";
constexpr std::u16string_view kCrLf = u"\r\n";

// `text` + a double quote + `inner` + a double quote.
std::u16string Quoted(std::u16string_view text, std::u16string_view inner) {
    std::u16string out(text);
    out += kQuote;
    out += inner;
    out += kQuote;
    return out;
}

}  // namespace

std::u16string DisplayName(std::u16string_view shortName, std::optional<size_t> kind) {
    if (!shortName.empty()) return std::u16string(shortName);
    if (kind && *kind < kStreamKinds.size()) return std::u16string(kStreamKinds[*kind].displayName);
    return u"{Unknown}";
}

std::u16string StreamIdText(std::optional<size_t> kind, std::u16string_view hexStreamId) {
    if (kind && *kind < kStreamKinds.size()) return std::u16string(kStreamKinds[*kind].kindText);
    return std::u16string(hexStreamId);
}

std::u16string NotWindowsNtText() {
    return std::u16string(u"Эта программа предназначена для работы только в ") +
           u"системе Windows NT. На других платформах её работа " + u"просто бессмысленна.";
}

std::u16string UsageText(std::u16string_view exeName) {
    std::u16string text(u"Использование: ");
    text += kCrLf;
    text += kCrLf;
    text += exeName;
    text += u"[.EXE] FileName";
    text += kCrLf;
    text += kCrLf;
    text += u"Выводит список всех альтернативных NTFS потоков ";
    text += u"для заданного файла или каталога.";
    return text;
}

std::u16string OpenFailedText(std::u16string_view path) {
    return Quoted(u"Не удаётся открыть файл ", path) + u".";
}

std::u16string RefreshFailedText(std::u16string_view path) {
    return Quoted(std::u16string(u"Не удалось обновить список альтернативных потоков ") + u"файла ", path) +
           u".";
}

std::u16string DeleteQuestionText(std::u16string_view name, std::u16string_view path) {
    return Quoted(Quoted(u"Удалить альтернативный поток ", name) + u" из файла ", path) + u".";
}

std::u16string DeleteFailedText(std::u16string_view name, std::u16string_view path) {
    return Quoted(Quoted(std::u16string(u"Не удалось удалить альтернативный ") + u"поток ", name) +
                      u" из файла ",
                  path) +
           u".";
}

std::u16string ViewFailedText(std::u16string_view name, std::u16string_view path) {
    return Quoted(Quoted(u"Не удалось открыть поток ", name) + u" файла ", path) + u" для редактирования.";
}

std::u16string_view ArgumentText(std::u16string_view commandLine) {
    size_t i = 0;
    if (!commandLine.empty() && commandLine[0] == u'"') {
        const size_t close = commandLine.find(u'"', 1);
        i = close == std::u16string_view::npos ? commandLine.size() : close + 1;
    } else {
        while (i < commandLine.size() && commandLine[i] != u' ' && commandLine[i] != u'\t') ++i;
    }
    while (i < commandLine.size() && (commandLine[i] == u' ' || commandLine[i] == u'\t')) ++i;
    return commandLine.substr(i);
}

std::u16string ViewerCommandLine(std::u16string_view viewer, std::u16string_view streamPath) {
    return Quoted(Quoted(u"", viewer) + u" ", streamPath);
}

}  // namespace tessel::core
