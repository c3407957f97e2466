// The preview's sound device.
#include "window/preview_sound.h"

#include "media/preview/preview_source.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>

namespace camlog::widgets {

// The device reads the ring; a ring with too little gives silence for the rest.
class PreviewSound::RingDevice : public QIODevice {
public:
    explicit RingDevice(media::PcmRing &ring) : m_ring(ring) {}
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const auto values = static_cast<std::size_t>(maxSize / 4) * 2;
        m_ring.read(std::span<std::int16_t>(reinterpret_cast<std::int16_t *>(data), values));
        return static_cast<qint64>(values * 2);
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    media::PcmRing &m_ring;
};

PreviewSound::PreviewSound(QObject *parent) : QObject(parent) {}

PreviewSound::~PreviewSound()
{
    stop();
}

bool PreviewSound::start(media::PcmRing &ring)
{
    stop();
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull() || QMediaDevices::audioOutputs().isEmpty())
        return false;
    QAudioFormat format;
    format.setSampleRate(media::kPreviewSoundRate);
    format.setChannelCount(2);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!device.isFormatSupported(format))
        return false;
    m_device = std::make_unique<RingDevice>(ring);
    m_device->open(QIODevice::ReadOnly);
    m_sink = new QAudioSink(device, format, this);
    // A tenth of a second in the device: the sound follows the picture closely.
    m_sink->setBufferSize(media::kPreviewSoundRate / 10 * 4);
    setGain(m_gain);
    m_sink->start(m_device.get());
    if (m_sink->error() != QAudio::NoError || m_sink->state() == QAudio::StoppedState) {
        stop();
        return false;
    }
    connect(m_sink, &QAudioSink::stateChanged, this, [this](QAudio::State state) {
        if (state == QAudio::StoppedState && m_sink != nullptr && m_sink->error() != QAudio::NoError) {
            // Stopped later, from the sink's own notice: not inside its signal.
            QMetaObject::invokeMethod(
                this, [this] { stop(); }, Qt::QueuedConnection);
            emit failed();
        }
    });
    return true;
}

void PreviewSound::stop()
{
    if (m_sink != nullptr) {
        m_sink->stop();
        delete m_sink;
        m_sink = nullptr;
    }
    m_device.reset();
}

std::chrono::microseconds PreviewSound::delay() const
{
    if (m_sink == nullptr)
        return {};
    // The device keeps its buffer full: what goes in now is heard once the buffer has played.
    const qint64 bytesPerSecond = qint64{media::kPreviewSoundRate} * 4;
    return std::chrono::microseconds(m_sink->bufferSize() * 1'000'000 / bytesPerSecond);
}

void PreviewSound::setGain(double gain)
{
    m_gain = gain;
    if (m_sink != nullptr)
        // The user's scale is how loud it sounds; the device takes an amplitude factor.
        m_sink->setVolume(QAudio::convertVolume(gain, QAudio::LogarithmicVolumeScale, QAudio::LinearVolumeScale));
}

} // namespace camlog::widgets
