// FFmpeg's own log lines: kept off the terminal, the errors handed to the program's messages.
#pragma once

#include <functional>
#include <string>

namespace camlog::media {

// Receives one line of FFmpeg's log, without its line end. Called on whatever thread FFmpeg
// logs from.
using FfmpegLogSink = std::function<void(const std::string &line)>;

// From now on FFmpeg's lines of level error or worse go to sink, every other line is dropped;
// an empty sink drops them all. Replaces the sink set before.
void RouteFfmpegLog(FfmpegLogSink sink);

} // namespace camlog::media
