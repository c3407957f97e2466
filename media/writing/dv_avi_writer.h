// Writes DV AVI files of type 1 (one interleaved iavs stream) and type 2 (DV video plus PCM
// audio), OpenDML past the first RIFF, streamed so memory stays flat at any length.
#pragma once

#include "core/expected.h"
#include "media/reading/dv_format.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace camlog::media {

enum class WriterErrorCode {
    CannotCreate, // the destination folder is missing or not writable
    DiskFull,     // no space left (or the file size limit was reached)
    WriteFailed,  // any other write or read error
    // Refused without harm, the file goes on: a frame of the wrong size, audio that is not a
    // whole number of samples or has no stream (any audio in a type 1 file).
    BadFrame,
    // More RIFFs than the super index can list (about 250 GB): the file is finished with the
    // frames so far and takes no more.
    TooLong,
    Finished, // a write after finish() or discard()
};
using WriterError = core::Error<WriterErrorCode>;
// Success, or what went wrong.
using WriteResult = core::Expected<void, WriterErrorCode>;

// The file is written under a temporary name beside the destination and renamed onto it by
// finish(), so an existing file of that name is never half overwritten.
// - finish() (a deliberate end, or a stop on abort) writes the indexes and headers: the file
//   plays to its last written frame. The destructor of an unfinished writer does the same.
// - After a write error the temporary file is removed at once and the destination is
//   untouched; every later call returns the first error.
// - discard() removes the temporary file (a run that failed for another reason).
// Not thread-safe: one writer is used by one thread at a time.
class DvAviWriter {
public:
    static core::Expected<std::unique_ptr<DvAviWriter>, WriterErrorCode> create(const std::filesystem::path &path,
                                                                                const DvAviFormat &format);
    ~DvAviWriter();
    DvAviWriter(const DvAviWriter &) = delete;
    DvAviWriter &operator=(const DvAviWriter &) = delete;

    // One DV frame (format.frameSize() bytes): type 1, the interleaved frame as an iavs
    // chunk; type 2, the video chunk. For type 2, write the frame's audio after it. The
    // DVINFO of the headers is taken from the first frame's AAUX and VAUX packs.
    WriteResult writeFrame(std::span<const std::uint8_t> dvFrame);
    // Type 2: the PCM of the frame just written for one audio stream (any whole number of
    // sample frames, empty allowed). An error for type 1.
    WriteResult writeAudio(std::span<const std::uint8_t> pcm, std::size_t stream = 0);

    // Completes the indexes and headers and puts the file in place. Idempotent; after an
    // error it returns that error.
    WriteResult finish();
    // Removes the unfinished file; the destination is untouched.
    void discard();

    std::uint64_t framesWritten() const;
    // Bytes written so far (the file's current size).
    std::uint64_t bytesWritten() const;
    const std::filesystem::path &path() const;
    const DvAviFormat &format() const;

    class Impl;

private:
    explicit DvAviWriter(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

} // namespace camlog::media
