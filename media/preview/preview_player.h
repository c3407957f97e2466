// The preview player: opens the active file, shows its pictures and plays its sound. Decoding
// and the playback clock run on the player's own thread; the host (the window, a test) asks
// for positions and states from its thread and is told when a new picture is ready.
#pragma once

#include "core/date_time.h"
#include "media/inlay/inlay_record.h"
#include "media/preview/pcm_ring.h"
#include "media/preview/preview_message.h"
#include "media/preview/preview_timeline.h"
#include "media/reencoding/deinterlace.h"
#include "scenes/frame_record.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace camlog::media {

class PreviewSource;
class PreviewPictureMaker;

// What the file object says about the file to show.
struct PreviewFacts {
    std::string path;
    bool isDv = false;
    double frameRate = 0.0; // 0: unknown
    core::DateTime shift;   // the file's time difference, in days
    std::string codec;      // four characters, for the messages that name it
};

// The picture on screen: at its own size, with the inlay when shown, deinterlaced when the
// switch is on; and what the frame says about itself.
struct ShownPicture {
    std::int64_t position = 0;
    BgrPicture picture;               // empty when the position has no picture
    double displayAspect = 4.0 / 3.0; // width ÷ height to show it at
    bool hasRecord = false;           // a DV frame: record holds its datecode and timecode
    scenes::FrameRecord record;
};

// How the inlay is drawn in the preview (the same drawing as the inlay command's).
struct PreviewInlay {
    TincrustRec rec;
    int x = 900;
    int y = 900;
    int alignment = 2;
    bool shown = false;
};

class PreviewPlayer {
public:
    PreviewPlayer();
    // Stops the thread and frees the file.
    ~PreviewPlayer();
    PreviewPlayer(const PreviewPlayer &) = delete;
    PreviewPlayer &operator=(const PreviewPlayer &) = delete;

    // Called on the player's thread (the host passes them on to its own): a new picture is in
    // shown(); the playing state changed by itself (end of the file, the file gone).
    std::function<void()> OnPicture;
    std::function<void()> OnStateChange;

    // Opens the file and shows its first picture, paused. Returns the message to show instead
    // of the picture (None when the picture shows); with AudioOnly or NoVideoDecoder the file
    // is built for its sound. The file's index is read here; frames are read when shown.
    PreviewMessage open(const PreviewFacts &facts);
    // Empties the preview: the thread stops and the file is closed. forCommand: a command
    // works on the file (the message becomes StoppedForCommand).
    void close(bool forCommand = false);
    bool built() const { return m_source != nullptr; }
    PreviewMessage message() const { return m_message; }
    const PreviewFacts &facts() const { return m_facts; }
    const PreviewTimeline &timeline() const { return m_timeline; }
    bool hasPicture() const { return m_hasPicture; }
    bool hasSound() const { return m_hasSound; }

    // ---- Navigation (host thread). Positions are clamped to the timeline. -------------------
    // Shows the picture at that position, paused.
    void seekTo(std::int64_t position);
    // Moves by n frames (media time: by n × 0.04 s); playing goes on from there.
    void stepFrames(std::int64_t n);
    void step(PreviewStep step, int direction);
    // Scene starts from the scn file: pauses, then the next or previous start (the end or 0).
    void nextScene(const std::vector<std::int32_t> &starts);
    void previousScene(const std::vector<std::int32_t> &starts);
    // The position asked for last, or while playing the one shown.
    std::int64_t position() const;

    void play();
    void pause();
    bool playing() const;
    // Playback stops at `last` and goes back to `first`, paused (the scene editor plays only the
    // selected scene); without a range, at the end of the file and back to its start.
    void setPlayRange(std::optional<std::pair<std::int64_t, std::int64_t>> range);
    // At the end of the range the preview plays again from its start (while the inlay is edited).
    void setLoop(bool loop);
    // A picture asked for (a seek, a step, a refresh) is not on screen yet.
    bool pending() const;
    // The file went (removed or shortened while shown): the preview stopped; the host closes it.
    bool gone() const;

    // ---- Sound ------------------------------------------------------------------------------
    // 0..10000, linear; mute keeps the volume and makes the gain 0.
    void setVolume(int volume);
    int volume() const { return m_volume; }
    void setMuted(bool muted) { m_muted = muted; }
    bool muted() const { return m_muted; }
    // The linear gain the sound device is to play at: 0 muted, volume ÷ 10000 otherwise.
    double gain() const { return m_muted ? 0.0 : m_volume / 10000.0; }
    // The host has a sound device that reads sound() (off: the sound is not decoded for it).
    void setSoundOutput(bool on);
    PcmRing &sound() { return m_ring; }
    // How long the device holds sound before it is heard. While playing, each picture's sound
    // goes to the ring that long before the picture goes on screen, so both come out together.
    // Taken when playing starts or goes on from a new place; 0 to half a second.
    void setSoundDelay(std::chrono::microseconds delay);

    // ---- Picture ----------------------------------------------------------------------------
    void setDeinterlace(bool on);
    bool deinterlace() const;
    void setInlay(const PreviewInlay &inlay);
    // Draws the current picture again (after a change of the inlay or the deinterlacing).
    void refresh();
    std::shared_ptr<const ShownPicture> shown() const;
    // Waits until the picture at `position` is shown (tests and benchmarks).
    bool waitShown(std::int64_t position, std::chrono::milliseconds timeout) const;
    // Pictures shown since the file was opened.
    std::uint64_t picturesShown() const;

private:
    struct Request {
        std::optional<std::int64_t> seek;
        bool refresh = false;
    };
    // A picture decoded while playing, waiting for its time on screen.
    struct Decoded {
        std::shared_ptr<ShownPicture> picture;
        std::uint64_t answers = 0;
        std::chrono::steady_clock::time_point due;
    };
    void run();
    // Decodes the picture at position and sends its sound to the ring when playing (decoding
    // thread). Empty when the file went.
    std::optional<Decoded> decode(std::int64_t position, bool following);
    // Puts a decoded picture on screen.
    void publish(Decoded decoded);
    // Shows the picture at position at once. False when the file went.
    bool show(std::int64_t position, bool following);
    void playFrom(std::int64_t position);
    std::chrono::steady_clock::time_point dueOf(std::int64_t position) const;
    // Forgets the pictures decoded ahead (a pause, a seek): playing goes on from the one on screen.
    void dropWaiting(std::int64_t &current);
    // One turn of the playing loop: decodes the next picture or puts a waiting one on screen.
    enum class PlayTurn { Went, Again, Interrupted };
    PlayTurn playTurn(std::int64_t &current, bool &following, std::unique_lock<std::mutex> &lock);
    void requestSeek(std::int64_t position);
    void stopThread();

    PreviewFacts m_facts;
    PreviewMessage m_message = PreviewMessage::None;
    PreviewTimeline m_timeline;
    bool m_hasPicture = false;
    bool m_hasSound = false;
    int m_volume = 5000;
    bool m_muted = false;
    PcmRing m_ring;

    // The decoding thread's own.
    std::unique_ptr<PreviewSource> m_source;
    std::unique_ptr<PreviewPictureMaker> m_maker;
    std::vector<std::int16_t> m_soundBlock;
    std::chrono::steady_clock::time_point m_clockStart;
    std::int64_t m_clockPosition = 0;
    std::chrono::microseconds m_clockDelay{0};
    std::deque<Decoded> m_waiting; // decoded while playing, not yet on screen
    std::int64_t m_onScreen = 0;
    int m_readsSinceCheck = 0;

    // Shared between the threads, under m_mutex.
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    Request m_request;
    bool m_playing = false;
    bool m_quit = false;
    bool m_gone = false;
    bool m_soundOutput = false;
    std::atomic<std::int64_t> m_soundDelay{0}; // microseconds
    bool m_deinterlace = false;
    std::optional<PreviewInlay> m_newInlay;
    std::optional<std::pair<std::int64_t, std::int64_t>> m_range;
    bool m_loop = false;
    std::int64_t m_position = 0;
    std::shared_ptr<const ShownPicture> m_shown;
    std::uint64_t m_shownCount = 0;
    // Each request of a picture (seek, refresh, new inlay or deinterlacing) counts one; the
    // picture shown last answers the request counted `m_answered`.
    std::uint64_t m_asked = 0;
    std::uint64_t m_answered = 0;

    std::thread m_thread;
};

} // namespace camlog::media
