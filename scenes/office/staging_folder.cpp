// A private temporary folder for the parts of a document that wait for the package to be written.
#include "scenes/office/staging_folder.h"

#include <cstdlib>
#include <fstream>
#include <system_error>

namespace camlog::scenes::office {

StagingFolder::StagingFolder()
{
    std::error_code error;
    std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error)
        base = "/tmp";
    std::string pattern = (base / "camlog-office-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr)
        m_path = pattern;
}

StagingFolder::~StagingFolder()
{
    if (m_path.empty())
        return;
    std::error_code error;
    std::filesystem::remove_all(m_path, error);
}

bool StagingFolder::writeFile(const std::string &name, const void *data, std::size_t size) const
{
    if (m_path.empty())
        return false;
    std::ofstream out(m_path / name, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char *>(data), static_cast<std::streamsize>(size));
    out.close();
    return static_cast<bool>(out);
}

} // namespace camlog::scenes::office
