// The hidden temporary files that stand in for destinations while they are written: their
// names, the table of those this process holds, and the removal of those a dead process left.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace camlog::core {

// "." + the destination's name + ".~" + the process id + "-" + n, in the destination's folder
// (rename() is atomic only within one file system); the destination's name is shortened there
// when the whole would pass the 255 bytes of a name. The process id lets a later run tell the
// files of a process that no longer exists.
// reserve: bytes the name must leave free for a library that makes its own temporary file from
// it (libzip adds ".XXXXXX").
std::filesystem::path TemporaryNameFor(const std::filesystem::path &destination, unsigned n, std::size_t reserve = 0);

// A fixed table of paths: registering copies the path into a free slot, and the removal reads
// the table without a lock or an allocation, so that a quick exit can remove the files of
// threads that are still writing them. Returns the slot, or -1 when the table is full (that
// file is then left to RemoveOrphanedTemporaries of a later run).
int RegisterTemporary(const std::filesystem::path &path);
void UnregisterTemporary(int slot);

// Unlinks every registered file. Async-signal-safe: atomic loads and unlink() only. For the
// moment before the program ends at once.
void RemoveRegisteredTemporaries() noexcept;

// Removes the temporary files in destination's folder whose process no longer exists (killed,
// or ended at once by a signal it could not handle), whatever destination they stood for: the
// next run that writes into a folder cleans it. The files of a living process, this one's
// included, are left alone. Returns how many were removed.
int RemoveOrphanedTemporaries(const std::filesystem::path &destination);

} // namespace camlog::core
