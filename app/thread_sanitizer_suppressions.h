// What thread-sanitizer builds leave out of their reports: the libraries that are not built
// with the sanitizer and synchronise their own threads out of its sight.
// - FFmpeg: its frame and slice threads (the decoders', the scaler's, the filter graphs') hand
//   pictures and buffers to each other through atomics, so the memory calls it makes itself
//   look unsynchronised.
// - Qt: its locks (futexes) are invisible, so the memory calls it makes under them (posting
//   events across threads, its drawing thread pool) look like races.
// - Qt's D-Bus connection thread, libdbus and GLib, likewise.
// Reports whose racing call is our code's are kept.
#pragma once

namespace camlog::app {

inline constexpr const char *kThreadSanitizerSuppressions = "called_from_lib:libavcodec.so\n"
                                                            "called_from_lib:libavutil.so\n"
                                                            "called_from_lib:libavfilter.so\n"
                                                            "called_from_lib:libswscale.so\n"
                                                            "called_from_lib:libQt6Core.so.6\n"
                                                            "called_from_lib:libQt6Gui.so.6\n"
                                                            "called_from_lib:libQt6Widgets.so.6\n"
                                                            "race:libQt6Core.so\n"
                                                            "race:libQt6DBus.so\n"
                                                            "race:libdbus-1.so\n"
                                                            "race:libglib-2.0.so\n";

} // namespace camlog::app
