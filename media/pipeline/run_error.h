// How a recipe fails, from the reader to the engine: one error kind for the build and the run,
// whichever stage found the fault (the source, the decoder, the encoders, the writer).
#pragma once

#include "core/expected.h"

#include <exception>
#include <string>

namespace camlog::media {

enum class RunErrorCode {
    NothingToDo,      // a build only: the file has nothing for the recipe (no sound to extract)
    NotFound,         // no such source file
    Unreadable,       // the source exists but cannot be opened or read
    NotDv,            // no DV frame where DV is needed
    UnsupportedAudio, // sound the recipe cannot take (not PCM, not 16-bit, a rate DV cannot carry)
    NoStream,         // no picture to re-encode, no sound to extract
    NoDecoder,        // FFmpeg cannot decode the source's codec
    DecodeFailed,     // damaged data the decoder gave up on, or nothing it could decode
    Truncated,        // the source ends before the frames its header or index announces
    PictureFailed,    // the scaler refused the picture's format
    EncodeFailed,     // the DV encoder refused its setup or a picture
    AudioFailed,      // the resampler or the DV audio packing refused the sound
    Refused,          // a stage refused the stream it was given
    CannotCreate,     // the output cannot be created (missing or read-only folder)
    DiskFull,         // no space left for the output
    WriteFailed,      // any other failure to write the output
    Failed,           // anything else (out of memory, a broken invariant)
};
using RunError = core::Error<RunErrorCode>;
// A build or a run that succeeded, or what went wrong.
using RunResult = core::Expected<void, RunErrorCode>;

// The kinds of the stages' own errors (declared where each stage is).
enum class SourceErrorCode;
enum class ReencodeErrorCode;
enum class WriterErrorCode;
enum class WavErrorCode;
enum class AudioRateErrorCode;
enum class DvAudioErrorCode;

RunErrorCode runErrorCode(SourceErrorCode code);
RunErrorCode runErrorCode(ReencodeErrorCode code);
RunErrorCode runErrorCode(WriterErrorCode code);
RunErrorCode runErrorCode(WavErrorCode code);
RunErrorCode runErrorCode(AudioRateErrorCode code);
RunErrorCode runErrorCode(DvAudioErrorCode code);

template <typename Code> RunError runError(const core::Error<Code> &error)
{
    return {runErrorCode(error.code), error.message};
}

// The failure's message; empty for a success.
inline std::string messageOf(const RunResult &result)
{
    return result ? std::string() : result.error().message;
}

// Carries a run's error from deep inside a source's loop to the pipeline, which catches it
// once and hands the run's end on as a RunResult. Never leaves the pipeline's thread.
class RunFailure : public std::exception {
public:
    explicit RunFailure(RunError error) : m_error(std::move(error)) {}
    const RunError &error() const { return m_error; }
    const char *what() const noexcept override { return m_error.message.c_str(); }

private:
    RunError m_error;
};

[[noreturn]] inline void failRun(RunErrorCode code, std::string message)
{
    throw RunFailure(RunError{code, std::move(message)});
}

// The value of a stage's result inside a run; its error ends the run with its kind.
template <typename T, typename Code> T checked(core::Expected<T, Code> result)
{
    if (!result)
        throw RunFailure(runError(result.error()));
    return std::move(result.value());
}

template <typename Code> void checked(const core::Expected<void, Code> &result)
{
    if (!result)
        throw RunFailure(runError(result.error()));
}

} // namespace camlog::media
