// The media prober: what the file object learns of a video from its headers and first frame.
#pragma once

#include "core/avi_fichier.h"

#include <memory>

namespace camlog::media {

class FileAnnouncer;

// DV AVI files (type 1, type 2, iavs beside auds, OpenDML) and raw DV files are read here:
// the RIFF headers give the streams, formats and durations, the first DV frame its datecode,
// timecode, aspect and (for interleaved DV) picture and audio format. A DV stream is known
// by its frames, whatever its handler code says. Other AVI files go through libavformat.
// Reads only: the header lists, a few chunk headers of the movi list and one frame.
// Stateless, so one instance may serve every thread.
class AviProber : public core::MediaProber {
public:
    AviProber();
    ~AviProber() override;

    bool Probe(const std::string &path, core::ProbeResult &result) const override;
    // Announces the first bytes of each file, where its headers and first frame lie, and its
    // last bytes, on a thread of its own; returns at once.
    void WillProbe(const std::vector<std::string> &paths) const override;

private:
    std::unique_ptr<FileAnnouncer> m_announcer;
};

} // namespace camlog::media
