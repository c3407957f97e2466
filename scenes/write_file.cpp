// A text file that Camlog writes for people: UTF-8 lines ending in CR LF, put in place when closed.
#include "scenes/write_file.h"

#include "core/text_encoding.h"

namespace camlog::scenes {

TwriteFile::TwriteFile(const std::filesystem::path &path) : m_file(path) {}

TwriteFile::~TwriteFile()
{
    close();
}

void TwriteFile::WriteLine(std::string_view text)
{
    if (!m_file.ok() || m_closed)
        return;
    std::string line = core::Utf16ToUtf8(core::Utf8ToUtf16(text));
    line += "\r\n";
    m_file.append(line.data(), line.size());
}

void TwriteFile::discard()
{
    m_closed = true;
    m_file.abandon();
}

bool TwriteFile::close()
{
    if (!m_closed) {
        writeTrailer();
        m_closed = true;
    }
    return m_file.commit();
}

} // namespace camlog::scenes
