// A private temporary folder for the parts of a document that wait for the package to be written.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace camlog::scenes::office {

// A private folder under the system's temporary folder, removed with everything in it when the
// object goes. Documents keep their pictures there until the package is written.
class StagingFolder {
public:
    StagingFolder();
    ~StagingFolder();
    StagingFolder(const StagingFolder &) = delete;
    StagingFolder &operator=(const StagingFolder &) = delete;

    bool ok() const { return !m_path.empty(); }
    const std::filesystem::path &path() const { return m_path; }
    // Writes bytes to a new file of the folder; false when it cannot be written whole.
    bool writeFile(const std::string &name, const void *data, std::size_t size) const;

private:
    std::filesystem::path m_path;
};

} // namespace camlog::scenes::office
