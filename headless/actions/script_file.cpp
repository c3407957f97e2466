// Reading a script file into text lines, with the failures a script launch can meet.
#include "headless/actions/script_file.h"

#include "core/text_encoding.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>

namespace camlog::ui {

namespace {

ScriptFailure Failure(ScriptError code, const std::string &what, const std::filesystem::path &path)
{
    return {code, "The script \"" + path.string() + "\" " + what};
}

std::vector<std::string> SplitLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.emplace_back(text.substr(start));
    return lines;
}

} // namespace

core::Expected<std::vector<std::string>, ScriptError> ReadScriptLines(const std::filesystem::path &path)
{
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found)
        return Failure(ScriptError::Missing, "does not exist.", path);
    if (error)
        return Failure(ScriptError::Unreadable, "cannot be read: " + error.message() + ".", path);
    if (status.type() != std::filesystem::file_type::regular)
        return Failure(ScriptError::NotAFile, "is not a file.", path);

    // stdio rather than a stream: a stream reports a read error as a plain end of file.
    const std::unique_ptr<std::FILE, int (*)(std::FILE *)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file)
        return Failure(ScriptError::Unreadable, "cannot be opened: " + std::string(std::strerror(errno)) + ".", path);
    // The reported size is not trusted (files of /proc say 0): read up to the limit.
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const std::size_t count = std::fread(buffer, 1, sizeof buffer, file.get());
        bytes.append(buffer, count);
        if (bytes.size() > kMaxScriptBytes)
            return Failure(ScriptError::TooLarge, "is too large for a script.", path);
        if (count < sizeof buffer)
            break;
    }
    if (std::ferror(file.get()))
        return Failure(ScriptError::Unreadable, "cannot be read.", path);
    return SplitLines(core::DecodeTextFile(bytes));
}

} // namespace camlog::ui
