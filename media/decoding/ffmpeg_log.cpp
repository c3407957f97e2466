// FFmpeg's own log lines: kept off the terminal, the errors handed to the program's messages.
#include "media/decoding/ffmpeg_log.h"

extern "C" {
#include <libavutil/log.h>
}

#include <cstdarg>
#include <mutex>
#include <utility>

namespace camlog::media {

namespace {

std::mutex &sinkMutex()
{
    static std::mutex mutex;
    return mutex;
}

FfmpegLogSink &currentSink()
{
    static FfmpegLogSink sink;
    return sink;
}

void logCallback(void *object, int level, const char *format, va_list arguments)
{
    if (level > AV_LOG_ERROR)
        return;
    // The prefix ("[dvvideo @ 0x...]") is written only at the start of a line; each thread
    // keeps its own place.
    thread_local int printPrefix = 1;
    char text[1024];
    va_list copy;
    va_copy(copy, arguments);
    av_log_format_line2(object, level, format, copy, text, sizeof text, &printPrefix);
    va_end(copy);
    std::string line(text);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    if (line.empty())
        return;
    const std::lock_guard lock(sinkMutex());
    if (currentSink())
        currentSink()(line);
}

} // namespace

void RouteFfmpegLog(FfmpegLogSink sink)
{
    {
        const std::lock_guard lock(sinkMutex());
        currentSink() = std::move(sink);
    }
    av_log_set_callback(logCallback);
}

} // namespace camlog::media
