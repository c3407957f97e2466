// The preview's sound device: a QAudioSink that plays what the player's ring holds.
#pragma once

#include "media/preview/pcm_ring.h"

#include <QIODevice>
#include <QObject>

#include <chrono>
#include <memory>

class QAudioSink;

namespace camlog::widgets {

class PreviewSound : public QObject {
    Q_OBJECT
public:
    explicit PreviewSound(QObject *parent = nullptr);
    ~PreviewSound() override;

    // Starts playing the ring (48 kHz stereo, 16 bits); false when there is no sound device
    // (a server, a virtual display) or it refuses the format.
    bool start(media::PcmRing &ring);
    void stop();
    // Linear gain, 0 to 1.
    void setGain(double gain);
    bool running() const { return m_sink != nullptr; }
    // How long sound spends in the device before it is heard (its buffer); 0 when stopped.
    std::chrono::microseconds delay() const;

signals:
    // The device stopped playing on its own (it went, or never worked).
    void failed();

private:
    class RingDevice;
    std::unique_ptr<RingDevice> m_device;
    QAudioSink *m_sink = nullptr;
    double m_gain = 0.5;
};

} // namespace camlog::widgets
