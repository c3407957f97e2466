// The preview player.
#include "media/preview/preview_player.h"

#include "media/preview/av_preview_source.h"
#include "media/preview/dv_preview_source.h"
#include "media/preview/preview_picture_maker.h"

#include <algorithm>

namespace camlog::media {

namespace {

// A fifth of a second of sound between the decoding and the device: the sound never lags the
// picture by more than that plus the device's own buffer.
constexpr std::size_t kRingFrames = kPreviewSoundRate / 5;
// Playback that falls this many pictures behind the clock skips to where the clock is.
constexpr std::int64_t kLatePictures = 3;
constexpr int kReadsBetweenChecks = 25;

PreviewMessage FromRefusal(DvPreviewSource::Refusal refusal)
{
    switch (refusal) {
    case DvPreviewSource::Refusal::None:
        return PreviewMessage::None;
    case DvPreviewSource::Refusal::NotFound:
        return PreviewMessage::NotFound;
    case DvPreviewSource::Refusal::NotAvi:
        return PreviewMessage::NotAvi;
    case DvPreviewSource::Refusal::NotDv:
        return PreviewMessage::NotDv;
    case DvPreviewSource::Refusal::DecoderRefuses:
        break;
    }
    return PreviewMessage::DvCodecRefused;
}

} // namespace

PreviewPlayer::PreviewPlayer() : m_ring(kRingFrames) {}

PreviewPlayer::~PreviewPlayer()
{
    stopThread();
}

PreviewMessage PreviewPlayer::open(const PreviewFacts &facts)
{
    close();
    m_facts = facts;
    m_message = PreviewMessage::None;
    std::error_code error;
    if (!std::filesystem::exists(facts.path, error)) {
        m_message = PreviewMessage::NotFound;
        return m_message;
    }
    if (facts.isDv) {
        auto opened = DvPreviewSource::open(facts.path, facts.frameRate);
        m_message = FromRefusal(opened.refusal);
        m_source = std::move(opened.source);
    } else {
        auto opened = AvPreviewSource::open(facts.path, facts.frameRate);
        m_message = opened.message;
        if (m_facts.codec.empty())
            m_facts.codec = opened.codec;
        m_source = std::move(opened.source);
    }
    if (!m_source)
        return m_message;
    m_timeline = m_source->timeline();
    m_hasPicture = m_source->hasPicture();
    m_hasSound = m_source->hasSound();
    m_maker = std::make_unique<PreviewPictureMaker>(m_source->frameDuration());
    m_ring.clear();
    {
        const std::lock_guard lock(m_mutex);
        m_quit = false;
        m_playing = false;
        m_gone = false;
        m_shown.reset();
        m_shownCount = 0;
        m_position = m_timeline.begin;
        m_request = Request{m_timeline.begin, false};
        m_onScreen = m_timeline.begin;
        ++m_asked; // the first picture
    }
    m_thread = std::thread([this] { run(); });
    return m_message;
}

void PreviewPlayer::stopThread()
{
    {
        const std::lock_guard lock(m_mutex);
        m_quit = true;
        m_playing = false;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void PreviewPlayer::close(bool forCommand)
{
    stopThread();
    m_waiting.clear();
    m_source.reset();
    m_maker.reset();
    m_ring.clear();
    m_hasPicture = false;
    m_hasSound = false;
    m_timeline = PreviewTimeline{};
    {
        const std::lock_guard lock(m_mutex);
        m_shown.reset();
        m_request = Request{};
        m_gone = false;
    }
    if (forCommand)
        m_message = PreviewMessage::StoppedForCommand;
}

// ---- Navigation -------------------------------------------------------------------------------

void PreviewPlayer::requestSeek(std::int64_t position)
{
    if (!built())
        return;
    {
        const std::lock_guard lock(m_mutex);
        m_position = m_timeline.clamp(position);
        m_request.seek = m_position;
        ++m_asked;
    }
    m_changed.notify_all();
}

void PreviewPlayer::seekTo(std::int64_t position)
{
    pause();
    requestSeek(position);
}

void PreviewPlayer::stepFrames(std::int64_t n)
{
    if (m_timeline.format == PreviewTimeFormat::MediaTime)
        requestSeek(position() + n * 400'000);
    else
        requestSeek(position() + n);
}

void PreviewPlayer::step(PreviewStep step, int direction)
{
    requestSeek(m_timeline.step(position(), step, direction));
}

void PreviewPlayer::nextScene(const std::vector<std::int32_t> &starts)
{
    pause();
    if (m_timeline.format == PreviewTimeFormat::Frames)
        requestSeek(NextSceneStart(starts, position(), m_timeline.end + 1));
}

void PreviewPlayer::previousScene(const std::vector<std::int32_t> &starts)
{
    pause();
    if (m_timeline.format == PreviewTimeFormat::Frames)
        requestSeek(PreviousSceneStart(starts, position()));
}

std::int64_t PreviewPlayer::position() const
{
    const std::lock_guard lock(m_mutex);
    return m_position;
}

void PreviewPlayer::play()
{
    if (!built())
        return;
    {
        const std::lock_guard lock(m_mutex);
        if (m_playing)
            return;
        m_playing = true;
    }
    m_changed.notify_all();
}

void PreviewPlayer::pause()
{
    {
        const std::lock_guard lock(m_mutex);
        m_playing = false;
    }
    m_ring.clear();
    m_changed.notify_all();
}

bool PreviewPlayer::playing() const
{
    const std::lock_guard lock(m_mutex);
    return m_playing;
}

void PreviewPlayer::setPlayRange(std::optional<std::pair<std::int64_t, std::int64_t>> range)
{
    {
        const std::lock_guard lock(m_mutex);
        m_range = range;
    }
    m_changed.notify_all();
}

void PreviewPlayer::setLoop(bool loop)
{
    const std::lock_guard lock(m_mutex);
    m_loop = loop;
}

bool PreviewPlayer::pending() const
{
    const std::lock_guard lock(m_mutex);
    return built() && !m_gone && m_answered < m_asked;
}

bool PreviewPlayer::gone() const
{
    const std::lock_guard lock(m_mutex);
    return m_gone;
}

void PreviewPlayer::setVolume(int volume)
{
    m_volume = std::clamp(volume, 0, 10000);
}

void PreviewPlayer::setSoundOutput(bool on)
{
    const std::lock_guard lock(m_mutex);
    m_soundOutput = on;
}

void PreviewPlayer::setSoundDelay(std::chrono::microseconds delay)
{
    m_soundDelay = std::clamp<std::int64_t>(delay.count(), 0, 500'000);
}

// ---- Picture ----------------------------------------------------------------------------------

void PreviewPlayer::setDeinterlace(bool on)
{
    {
        const std::lock_guard lock(m_mutex);
        m_deinterlace = on;
        m_request.refresh = true;
        ++m_asked;
    }
    m_changed.notify_all();
}

bool PreviewPlayer::deinterlace() const
{
    const std::lock_guard lock(m_mutex);
    return m_deinterlace;
}

void PreviewPlayer::setInlay(const PreviewInlay &inlay)
{
    {
        const std::lock_guard lock(m_mutex);
        m_newInlay = inlay;
        ++m_asked;
    }
    m_changed.notify_all();
}

void PreviewPlayer::refresh()
{
    {
        const std::lock_guard lock(m_mutex);
        m_request.refresh = true;
        ++m_asked;
    }
    m_changed.notify_all();
}

std::shared_ptr<const ShownPicture> PreviewPlayer::shown() const
{
    const std::lock_guard lock(m_mutex);
    return m_shown;
}

bool PreviewPlayer::waitShown(std::int64_t position, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(
        lock, timeout, [&] { return m_gone || (m_shown && m_shown->position == position && m_answered == m_asked); });
}

std::uint64_t PreviewPlayer::picturesShown() const
{
    const std::lock_guard lock(m_mutex);
    return m_shownCount;
}

// ---- The decoding thread ----------------------------------------------------------------------

std::optional<PreviewPlayer::Decoded> PreviewPlayer::decode(std::int64_t position, bool following)
{
    PreviewInlay inlay;
    bool newInlay = false;
    bool deinterlace = false;
    Decoded decoded;
    {
        const std::lock_guard lock(m_mutex);
        // Every request made so far is answered by this picture, or is still waiting in
        // m_request for the next turn of the loop.
        decoded.answers = m_asked;
        if (m_newInlay) {
            inlay = *m_newInlay;
            newInlay = true;
            m_newInlay.reset();
        }
        deinterlace = m_deinterlace;
    }
    if (newInlay) {
        // The inlay's datecode carries the file's time difference.
        inlay.rec.timeDifference = m_facts.shift.days();
        m_maker->setInlay(inlay);
    }
    // A file removed while shown still reads through its open handle: look for it by name at
    // every step and once a second while playing.
    if (!following || ++m_readsSinceCheck >= kReadsBetweenChecks) {
        m_readsSinceCheck = 0;
        std::error_code error;
        if (!std::filesystem::exists(m_facts.path, error))
            return std::nullopt;
    }
    const SourceRead read = m_source->read(position, following);
    if (read.status == SourceReadStatus::Gone)
        return std::nullopt;
    auto picture = std::make_shared<ShownPicture>();
    picture->position = position;
    picture->displayAspect = read.displayAspect;
    picture->hasRecord = read.hasRecord;
    picture->record = read.record;
    if (read.status == SourceReadStatus::Picture && read.picture != nullptr) {
        if (!m_maker->make(*read.picture, read.record, position, deinterlace, picture->picture))
            picture->picture = BgrPicture{};
    }
    decoded.picture = std::move(picture);
    m_soundBlock.clear();
    m_source->takeSound(m_soundBlock);
    bool soundOut = false;
    {
        const std::lock_guard lock(m_mutex);
        soundOut = m_soundOutput && m_playing;
    }
    if (soundOut && !m_soundBlock.empty())
        m_ring.write(m_soundBlock);
    return decoded;
}

void PreviewPlayer::publish(Decoded decoded)
{
    m_onScreen = decoded.picture->position;
    {
        const std::lock_guard lock(m_mutex);
        // A picture shown while a new seek waits is not the one asked for: not announced as such.
        if (m_playing && !m_request.seek)
            m_position = decoded.picture->position;
        m_shown = std::move(decoded.picture);
        ++m_shownCount;
        m_answered = std::max(m_answered, decoded.answers);
    }
    m_changed.notify_all();
    if (OnPicture)
        OnPicture();
}

bool PreviewPlayer::show(std::int64_t position, bool following)
{
    auto decoded = decode(position, following);
    if (!decoded)
        return false;
    publish(std::move(*decoded));
    return true;
}

void PreviewPlayer::playFrom(std::int64_t position)
{
    // The first picture waits for its sound to come through the device.
    m_clockDelay = std::chrono::microseconds(m_soundDelay.load());
    m_clockStart = std::chrono::steady_clock::now() + m_clockDelay;
    m_clockPosition = position;
}

std::chrono::steady_clock::time_point PreviewPlayer::dueOf(std::int64_t position) const
{
    return m_clockStart
           + std::chrono::microseconds((m_timeline.mediaTime(position) - m_timeline.mediaTime(m_clockPosition)) / 10);
}

void PreviewPlayer::dropWaiting(std::int64_t &current)
{
    if (m_waiting.empty())
        return;
    // Their sound is in the ring already: it goes with them.
    m_waiting.clear();
    m_ring.clear();
    current = m_onScreen;
}

PreviewPlayer::PlayTurn PreviewPlayer::playTurn(std::int64_t &current, bool &following,
                                                std::unique_lock<std::mutex> &lock)
{
    const std::int64_t next =
        current + (m_timeline.format == PreviewTimeFormat::Frames ? 1 : m_source->frameDuration());
    // The range played (the scene being edited), or the whole file; playing from past the range
    // goes to the end of the file.
    const bool inRange = m_range && current <= m_timeline.clamp(m_range->second);
    const std::int64_t first = inRange ? m_timeline.clamp(m_range->first) : m_timeline.begin;
    const std::int64_t last = inRange ? m_timeline.clamp(m_range->second) : m_timeline.end;
    const bool atEnd = next > last;
    if (atEnd && m_waiting.empty()) {
        // The end: back to the start, paused, or playing again while looping.
        const bool again = m_loop;
        m_playing = again;
        m_position = first;
        lock.unlock();
        m_ring.clear();
        if (!again && OnStateChange)
            OnStateChange();
        if (!show(first, false))
            return PlayTurn::Went;
        current = first;
        if (again)
            playFrom(current);
        return PlayTurn::Again;
    }
    // A picture is decoded, and its sound sent, the device's delay before it goes on screen.
    constexpr auto never = std::chrono::steady_clock::time_point::max();
    const auto decodeDue = atEnd ? never : dueOf(next) - m_clockDelay;
    const auto screenDue = m_waiting.empty() ? never : m_waiting.front().due;
    if (m_changed.wait_until(lock, std::min(decodeDue, screenDue),
                             [&] { return m_quit || m_request.seek || !m_playing; }))
        return PlayTurn::Interrupted;
    lock.unlock();
    if (screenDue < decodeDue) {
        publish(std::move(m_waiting.front()));
        m_waiting.pop_front();
        return PlayTurn::Again;
    }
    // Far behind the clock (a slow machine, a stalled disk): go on from where the clock is.
    const auto now = std::chrono::steady_clock::now();
    std::int64_t position = next;
    bool follows = following;
    if (now - decodeDue > std::chrono::microseconds(kLatePictures * m_source->frameDuration() / 10)) {
        const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(now + m_clockDelay - m_clockStart);
        position = std::min(last, m_timeline.positionAt(m_timeline.mediaTime(m_clockPosition) + elapsed.count() * 10));
        follows = false;
    }
    auto decoded = decode(position, follows);
    if (!decoded)
        return PlayTurn::Went;
    decoded->due = dueOf(position);
    m_waiting.push_back(std::move(*decoded));
    current = position;
    following = true;
    return PlayTurn::Again;
}

void PreviewPlayer::run()
{
    std::int64_t current = m_timeline.begin;
    bool wasPlaying = false;
    bool following = false;
    while (true) {
        std::unique_lock lock(m_mutex);
        if (!m_quit && !m_request.seek && !m_request.refresh && !m_newInlay && !m_playing) {
            wasPlaying = false;
            m_changed.wait(lock,
                           [&] { return m_quit || m_request.seek || m_request.refresh || m_newInlay || m_playing; });
        }
        if (m_quit)
            return;
        const bool seeking = m_request.seek || m_request.refresh || (m_newInlay && !m_playing);
        if (seeking) {
            dropWaiting(current);
            const std::int64_t target = m_request.seek.value_or(current);
            m_request.seek.reset();
            m_request.refresh = false;
            const bool playing = m_playing;
            lock.unlock();
            if (!show(target, false))
                break;
            current = target;
            following = true;
            if (playing) {
                playFrom(current);
                wasPlaying = true;
            }
            continue;
        }
        if (!wasPlaying) {
            playFrom(current);
            wasPlaying = true;
        }
        const PlayTurn turn = playTurn(current, following, lock);
        if (turn == PlayTurn::Went)
            break;
        if (turn == PlayTurn::Interrupted)
            dropWaiting(current);
    }
    // The file went while it was shown.
    {
        const std::lock_guard lock(m_mutex);
        m_gone = true;
        m_playing = false;
    }
    m_changed.notify_all();
    if (OnStateChange)
        OnStateChange();
}

} // namespace camlog::media
