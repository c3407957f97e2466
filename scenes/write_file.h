// A text file that Camlog writes for people: UTF-8 lines ending in CR LF, put in place when closed.
#pragma once

#include "core/replacing_file.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace camlog::scenes {

// The file replaces any file of that name when it is closed; until then the old one stays.
// A file that cannot be created or written makes every later write a no-op and leaves the
// old file in place; ok() and errorMessage() tell the caller.
class TwriteFile {
public:
    explicit TwriteFile(const std::filesystem::path &path);
    // Closes (see close()) when not done yet. A derived writer that ends its file with
    // closing lines calls close() from its own destructor.
    virtual ~TwriteFile();
    TwriteFile(const TwriteFile &) = delete;
    TwriteFile &operator=(const TwriteFile &) = delete;

    // The text followed by CR LF. Malformed UTF-8 is written as U+FFFD.
    void WriteLine(std::string_view text);

    // Writes the closing lines (writeTrailer) once, then puts the file in place; false when
    // anything failed since the file was created.
    bool close();
    // Drops what was written: the old file stays as it was (an aborted run).
    void discard();

    bool ok() const { return m_file.ok(); }
    const std::string &errorMessage() const { return m_file.errorMessage(); }
    const std::filesystem::path &fileName() const { return m_file.destination(); }

protected:
    // Lines written at close, before the file is put in place.
    virtual void writeTrailer() {}

private:
    core::ReplacingFile m_file;
    bool m_closed = false;
};

} // namespace camlog::scenes
