// A zip package (OOXML or ODF document) written with libzip and put in place when closed.
#include "scenes/office/zip_package.h"

#include "core/temporary_files.h"

#include <zip.h>

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace camlog::scenes::office {

ZipPackage::ZipPackage(const std::filesystem::path &destination) : m_destination(destination)
{
    // Under a hidden name of ours (registered for removal at a quick exit), short enough for the
    // temporary name libzip makes from it, so that a destination name of any legal length works.
    static std::atomic<unsigned> counter{0};
    core::RemoveOrphanedTemporaries(destination);
    m_temporary = core::TemporaryNameFor(destination, counter++, 8);
    m_slot = core::RegisterTemporary(m_temporary);
    int error = 0;
    m_archive = zip_open(m_temporary.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (m_archive == nullptr) {
        zip_error_t zipError;
        zip_error_init_with_code(&zipError, error);
        m_error = "Cannot create " + destination.string() + ": " + zip_error_strerror(&zipError);
        zip_error_fini(&zipError);
    }
}

ZipPackage::~ZipPackage()
{
    if (m_archive != nullptr)
        zip_discard(m_archive);
    std::error_code ignored;
    std::filesystem::remove(m_temporary, ignored);
    core::UnregisterTemporary(m_slot);
}

bool ZipPackage::fail(const std::string &what)
{
    if (m_error.empty())
        m_error = what + ": " + (m_archive != nullptr ? zip_strerror(m_archive) : "no package");
    return false;
}

bool ZipPackage::addSource(const std::string &name, zip_source_t *source, bool compress)
{
    if (source == nullptr)
        return fail("Cannot add " + name);
    const zip_int64_t index = zip_file_add(m_archive, name.c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        return fail("Cannot add " + name);
    }
    if (zip_set_file_compression(m_archive, static_cast<zip_uint64_t>(index), compress ? ZIP_CM_DEFLATE : ZIP_CM_STORE,
                                 0)
        < 0)
        return fail("Cannot set the compression of " + name);
    return true;
}

bool ZipPackage::addText(const std::string &name, const std::string &text, bool compress)
{
    if (!ok())
        return false;
    // libzip reads the buffer at close and frees it then.
    void *copy = std::malloc(text.empty() ? 1 : text.size());
    if (copy == nullptr)
        return fail("Out of memory for " + name);
    std::memcpy(copy, text.data(), text.size());
    zip_source_t *source = zip_source_buffer(m_archive, copy, text.size(), 1);
    if (source == nullptr)
        std::free(copy);
    return addSource(name, source, compress);
}

bool ZipPackage::addFile(const std::string &name, const std::filesystem::path &file, bool compress)
{
    if (!ok())
        return false;
    return addSource(name, zip_source_file(m_archive, file.c_str(), 0, -1), compress);
}

bool ZipPackage::close()
{
    if (!ok())
        return false;
    if (zip_close(m_archive) < 0)
        return fail("Cannot write " + m_destination.string());
    m_archive = nullptr;
    std::error_code error;
    std::filesystem::rename(m_temporary, m_destination, error);
    if (error) {
        m_error = "Cannot write " + m_destination.string() + ": " + error.message();
        return false;
    }
    return true;
}

} // namespace camlog::scenes::office
