// Helpers shared by the media tests.
#pragma once

#include "media/pipeline/processing_module.h"
#include "media/pipeline/run_error.h"
#include "media/reading/dv_frame_reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace camlog::test {

// The positions and sizes of the video packets that ffprobe reads, or nothing when ffprobe
// cannot be run.
std::optional<std::vector<media::SampleEntry>> ffprobeVideoPackets(const std::filesystem::path &path);

using DvFrames = std::vector<std::vector<std::uint8_t>>;

// Every DV frame of the file as our reader gives it (a failure to open or read is a test failure).
DvFrames readDvFrames(const std::filesystem::path &path);

// The bytes of the file's first audio stream, its chunks one after the other; empty without one.
std::vector<std::uint8_t> firstAudioStreamBytes(const std::filesystem::path &path);

// Runs what the module built to its end and gives how it ended.
media::PipelineEnd runGraphToEnd(media::TCdm &cdm);

// What ffprobe prints for `what` (its options) as CSV without keys, errors included.
std::string ffprobeCsv(const std::filesystem::path &path, const std::string &what);
// Where the first audio stream ends, in seconds: the end of its last packet as ffprobe reads
// it; -1 without audio.
double ffprobeAudioEnd(const std::filesystem::path &path);

// A build's or a run's result as an assertion, with the failure's message.
inline ::testing::AssertionResult succeeded(const media::RunResult &result)
{
    if (result)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << result.error().message;
}

// Whether a build or a run failed with the given kind (and a message saying why).
inline ::testing::AssertionResult failedWith(const media::RunResult &result, media::RunErrorCode code)
{
    if (result)
        return ::testing::AssertionFailure() << "succeeded";
    if (result.error().code != code)
        return ::testing::AssertionFailure() << "failed with another kind: " << result.error().message;
    if (result.error().message.empty() && code != media::RunErrorCode::NothingToDo)
        return ::testing::AssertionFailure() << "failed without a message";
    return ::testing::AssertionSuccess();
}

} // namespace camlog::test
