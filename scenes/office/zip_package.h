// A zip package (OOXML or ODF document) written with libzip and put in place when closed.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

struct zip;
struct zip_source;

namespace camlog::scenes::office {

// Entries are written in the order they are added. libzip writes the package under a temporary
// name beside the destination and renames it at close, so an existing file stays as it was
// until the package is complete, and whatever fails leaves it untouched.
class ZipPackage {
public:
    explicit ZipPackage(const std::filesystem::path &destination);
    // Drops the package unless it was closed.
    ~ZipPackage();
    ZipPackage(const ZipPackage &) = delete;
    ZipPackage &operator=(const ZipPackage &) = delete;

    // Adds an entry holding text; stored uncompressed when compress is false (the ODF mimetype).
    bool addText(const std::string &name, const std::string &text, bool compress = true);
    // Adds an entry whose content is read from a file when the package is closed; the file
    // must stay until then. Pictures that are compressed already are stored.
    bool addFile(const std::string &name, const std::filesystem::path &file, bool compress);

    // Writes the package and puts it in place; false (destination untouched) on any failure.
    bool close();

    bool ok() const { return m_error.empty(); }
    const std::string &errorMessage() const { return m_error; }

private:
    bool addSource(const std::string &name, zip_source *source, bool compress);
    bool fail(const std::string &what);

    zip *m_archive = nullptr;
    std::filesystem::path m_destination;
    // The package is written here, then renamed onto the destination.
    std::filesystem::path m_temporary;
    int m_slot = -1; // in the table of temporary files
    std::string m_error;
};

} // namespace camlog::scenes::office
