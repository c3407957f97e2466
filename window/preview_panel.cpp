// The preview in the window.
#include "window/preview_panel.h"

#include "commands/inlay_settings.h"
#include "headless/actions/action_list.h"
#include "prefs/current_settings.h"
#include "scenes/scn_file.h"
#include "window/base_frame.h"
#include "window/preview_picture_view.h"
#include "window/preview_sound.h"
#include "window/status_panel.h"
#include "window/vue_frame.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QSlider>
#include <QThread>

#include <algorithm>
#include <filesystem>

namespace camlog::widgets {

namespace {

QString qt(const std::string &text)
{
    return QString::fromStdString(text);
}

// The link mark-up of the explanation texts as Qt rich text.
QString RichText(const std::string &markup)
{
    QString text = qt(markup);
    text.replace(QRegularExpression("<color ([a-z]+)>", QRegularExpression::CaseInsensitiveOption),
                 "<font color=\"\\1\">");
    text.replace(QRegularExpression("</color>", QRegularExpression::CaseInsensitiveOption), "</font>");
    text.replace(QRegularExpression("<size (\\d+)>", QRegularExpression::CaseInsensitiveOption),
                 "<span style=\"font-size:\\1pt\">");
    text.replace(QRegularExpression("</size>", QRegularExpression::CaseInsensitiveOption), "</span>");
    return text;
}

QImage ImageOf(const media::BgrPicture &picture)
{
    if (picture.width <= 0 || picture.height <= 0)
        return {};
    QImage image(picture.bytes.data(), picture.width, picture.height, 3 * picture.width, QImage::Format_BGR888);
    return image.copy(); // the player's picture is shared; the image keeps its own pixels
}

media::PreviewInlay InlayFromSettings(const prefs::Settings &s, const core::TaviFichier *fichier, bool editing,
                                      bool autoSize)
{
    media::PreviewInlay inlay;
    inlay.rec = commands::ApplyInlaySettings(s, fichier);
    inlay.rec.autoSize = autoSize;
    // While the inlay is edited it shows on every picture; the stored timing is kept.
    if (editing)
        inlay.rec.timing = 0;
    inlay.x = s.incrustPositionX;
    inlay.y = s.incrustPositionY;
    inlay.alignment = s.alignement;
    inlay.shown = s.isIncrustOn;
    return inlay;
}

} // namespace

PreviewPanel::PreviewPanel(TVueFrame &vue, PreviewPictureView &fullScreenView, StatusPanel &status, TBaseFrame &base,
                           QObject *parent)
    : QObject(parent),
      m_vue(vue),
      m_fullScreen(fullScreenView),
      m_status(status),
      m_base(base),
      m_player(std::make_unique<media::PreviewPlayer>())
{
    m_sound = new PreviewSound(this);
    connect(m_sound, &PreviewSound::failed, this, [this] {
        m_player->setSoundOutput(false);
        m_player->setSoundDelay({});
        m_status.showNote("Sound is off: the sound device stopped");
    });
    // The player's thread says so; the window's thread shows it.
    m_player->OnPicture = [this] {
        QMetaObject::invokeMethod(
            this, [this] { pictureReady(); }, Qt::QueuedConnection);
    };
    m_player->OnStateChange = [this] {
        QMetaObject::invokeMethod(
            this, [this] { stateChanged(); }, Qt::QueuedConnection);
    };
    const prefs::Settings s = prefs::currentSettings();
    m_player->setVolume(s.volume);
    m_player->setMuted(s.isMuteOn);
    m_player->setDeinterlace(s.deinterlace);
    m_base.setVolume(m_player->volume() / 100);
    connect(&m_vue, &TVueFrame::sliderMoved, this, [this](int value) {
        if (m_player->built())
            m_player->seekTo(m_player->timeline().positionOfSlider(value));
    });
    connect(&m_vue, &TVueFrame::inlayXMoved, this, [this](int x) {
        prefs::Settings s = prefs::currentSettings();
        const bool subtitle = s.alignement == 3;
        placeInlay(x, s.incrustPositionY);
        if (subtitle) {
            s = prefs::currentSettings();
            s.alignement = 1;
            prefs::setCurrentSettings(std::move(s));
            applyInlay();
            if (onAlignmentChanged)
                onAlignmentChanged();
        }
    });
    connect(&m_vue, &TVueFrame::inlayYMoved, this,
            [this](int y) { placeInlay(prefs::currentSettings().incrustPositionX, y); });
    // While the inlay is placed the picture plays silently, so that it shows on moving pictures.
    connect(&m_vue, &TVueFrame::inlaySliderPressed, this, [this] { startPlacing(); });
    connect(&m_vue, &TVueFrame::inlaySliderReleased, this, [this] { endPlacing(); });
    m_vue.videoWindow()->installEventFilter(this);
    m_vue.setInlaySliders(s.incrustPositionX, s.incrustPositionY);
}

void PreviewPanel::placeInlay(int x, int y)
{
    prefs::Settings s = prefs::currentSettings();
    s.incrustPositionX = std::clamp(x, 0, 1000);
    s.incrustPositionY = std::clamp(y, 0, 1000);
    m_vue.setInlaySliders(s.incrustPositionX, s.incrustPositionY);
    prefs::setCurrentSettings(std::move(s));
    applyInlay();
}

bool PreviewPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_vue.videoWindow())
        return QObject::eventFilter(watched, event);
    const auto type = event->type();
    if (type == QEvent::MouseButtonRelease && m_inlayEditing) {
        endPlacing();
        return true;
    }
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove)
        return QObject::eventFilter(watched, event);
    const auto *mouse = static_cast<QMouseEvent *>(event);
    if (m_inlayEditing) {
        if (type == QEvent::MouseButtonPress)
            startPlacing();
        if (type == QEvent::MouseMove && !(mouse->buttons() & Qt::LeftButton))
            return false;
        // The place pressed, in thousandths of the picture's width and height.
        const QRect picture = m_vue.videoWindow()->pictureRect();
        if (picture.width() <= 0 || picture.height() <= 0)
            return false;
        const QPoint at = mouse->position().toPoint() - picture.topLeft();
        placeInlay(static_cast<int>(std::int64_t{at.x()} * 1000 / picture.width()),
                   static_cast<int>(std::int64_t{at.y()} * 1000 / picture.height()));
        return true;
    }
    if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton && onVideoPressed)
        onVideoPressed();
    return QObject::eventFilter(watched, event);
}

void PreviewPanel::startPlacing()
{
    if (m_placing || !m_player->built() || m_player->playing())
        return;
    m_placing = true;
    m_sound->setGain(0.0);
    m_player->play();
    syncPlayState();
}

void PreviewPanel::endPlacing()
{
    if (!m_placing)
        return;
    m_placing = false;
    m_player->pause();
    m_sound->setGain(m_player->gain());
    syncPlayState();
}

void PreviewPanel::setInlayEditing(bool on)
{
    if (!on)
        endPlacing();
    m_inlayEditing = on;
    const prefs::Settings s = prefs::currentSettings();
    m_vue.setInlaySliders(s.incrustPositionX, s.incrustPositionY);
    m_vue.setInlaySlidersVisible(on);
    m_player->setLoop(on);
    applyInlay();
}

void PreviewPanel::setInlayAutoSize(bool on)
{
    m_inlayAutoSize = on;
    applyInlay();
}

void PreviewPanel::inlayChanged()
{
    const prefs::Settings s = prefs::currentSettings();
    m_vue.setInlaySliders(s.incrustPositionX, s.incrustPositionY);
    applyInlay();
}

PreviewPanel::~PreviewPanel()
{
    shutDown();
}

void PreviewPanel::shutDown()
{
    m_sound->stop();
    m_player->close();
}

void PreviewPanel::showFile(std::shared_ptr<const core::TaviFichier> fichier)
{
    m_sound->stop();
    m_player->close();
    m_fichier = std::move(fichier);
    m_stamp = {};
    m_fullScreen.setPicture({}, 4.0 / 3.0);
    if (!m_fichier) {
        m_vue.showIdle({});
        syncPlayState();
        return;
    }
    m_vue.showIdle({});
    media::PreviewFacts facts;
    facts.path = m_fichier->FullPath;
    facts.isDv = m_fichier->IsDV;
    facts.frameRate = m_fichier->FrameRate;
    facts.shift = m_fichier->Shift;
    facts.codec = m_fichier->Codec;
    const prefs::Settings s = prefs::currentSettings();
    m_player->setInlay(InlayFromSettings(s, m_fichier.get(), m_inlayEditing, m_inlayAutoSize));
    m_player->setDeinterlace(s.deinterlace);
    const media::PreviewMessage code = m_player->open(facts);
    showMessage(code);
    m_vue.setSliderEnabled(m_player->built());
    // A file of sound alone (or whose pictures nothing decodes) plays: its slider stays above
    // the message.
    if (m_player->built())
        m_vue.showSliderWithMessage();
    if (m_player->built() && m_player->hasSound()) {
        m_player->setSoundOutput(false);
        if (m_soundDevice && m_sound->start(m_player->sound())) {
            m_player->setSoundOutput(true);
            m_player->setSoundDelay(m_sound->delay());
            applySound();
        } else {
            // Said when the user plays the file, not on every opening.
            m_soundDevice = false;
        }
    }
    syncPlayState();
}

void PreviewPanel::closeForCommand(const std::string &path)
{
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(
            this, [this, path] { closeForCommand(path); }, Qt::BlockingQueuedConnection);
        return;
    }
    if (!m_fichier || m_fichier->FullPath != path || !m_player->built())
        return;
    m_sound->stop();
    m_player->close(true);
    showMessage(media::PreviewMessage::StoppedForCommand);
    m_vue.setSliderEnabled(false);
    syncPlayState();
}

void PreviewPanel::showMessage(media::PreviewMessage code)
{
    const std::string name = m_fichier ? m_fichier->FileName : std::string();
    const std::string codec = m_player->facts().codec.empty() && m_fichier ? m_fichier->Codec : m_player->facts().codec;
    m_vue.showMessage(code == media::PreviewMessage::None ? QString()
                                                          : RichText(media::PreviewMessageText(code, name, codec)));
}

void PreviewPanel::setTrialShift(std::optional<double> days)
{
    m_trialShift = days;
    m_player->refresh();
}

void PreviewPanel::pictureReady()
{
    const auto shown = m_player->shown();
    if (!shown || !m_fichier)
        return;
    const QImage image = ImageOf(shown->picture);
    if (!image.isNull()) {
        m_vue.showPicture(image, shown->displayAspect);
        if (m_fullScreen.isVisible())
            m_fullScreen.setPicture(image, shown->displayAspect);
    }
    const prefs::Settings s = prefs::currentSettings();
    const core::DateTime shift = m_trialShift ? core::DateTime::fromDays(*m_trialShift) : m_fichier->Shift;
    m_stamp = media::StampOf(shown->hasRecord ? &shown->record : nullptr, shift, s.formatAfficherDatecode,
                             m_fichier->FileType == 1, m_fichier->SizeText);
    m_vue.setTimeStamp(qt(media::TimeStampLine(m_stamp)));
    m_vue.setSliderValue(m_player->timeline().sliderValue(shown->position));
    if (onPictureShown && !m_player->pending())
        onPictureShown();
}

void PreviewPanel::stateChanged()
{
    if (m_player->gone()) {
        m_sound->stop();
        m_player->close();
        showMessage(media::PreviewMessage::NotFound);
        m_vue.setSliderEnabled(false);
    }
    syncPlayState();
    // A file gone while a call waited for its picture: the call goes on.
    if (onPictureShown && !m_player->pending())
        onPictureShown();
}

void PreviewPanel::syncPlayState()
{
    if (m_actions == nullptr)
        return;
    if (auto *play = m_actions->toggle("saPlayStop"))
        play->SetChecked(m_player->playing());
    if (m_refresh)
        m_refresh();
}

void PreviewPanel::applySound()
{
    m_sound->setGain(m_player->gain());
    m_base.setVolume(m_player->volume() / 100);
    prefs::Settings s = prefs::currentSettings();
    s.volume = m_player->volume();
    s.isMuteOn = m_player->muted();
    prefs::setCurrentSettings(std::move(s));
}

void PreviewPanel::applyInlay()
{
    m_player->setInlay(InlayFromSettings(prefs::currentSettings(), m_fichier.get(), m_inlayEditing, m_inlayAutoSize));
}

void PreviewPanel::copyPicture()
{
    const auto shown = m_player->shown();
    if (!shown || shown->picture.width <= 0) {
        m_status.showNote("No picture to copy");
        return;
    }
    QGuiApplication::clipboard()->setImage(ImageOf(shown->picture));
}

void PreviewPanel::sceneStep(bool next)
{
    if (onSceneStep && onSceneStep(next))
        return;
    // The scn file on disk now: one written by a command since the file was listed counts.
    std::error_code error;
    if (!m_fichier || !m_player->built() || !std::filesystem::exists(scenes::ScnFileName(m_fichier->FullPath), error))
        return;
    scenes::SceneContext context;
    context.videoLoaded = true;
    context.frameRate = m_fichier->FrameRate;
    scenes::SceneList list;
    if (!scenes::ReadScnFile(scenes::ScnFileName(m_fichier->FullPath), list, context).ok() && list.empty())
        return;
    std::vector<std::int32_t> starts;
    for (const auto &item : list)
        if (item.scene && !item.errorMarker)
            starts.push_back(item.scene->start);
    if (next)
        m_player->nextScene(starts);
    else
        m_player->previousScene(starts);
    syncPlayState();
}

void PreviewPanel::bindActions(ui::ActionList &actions, std::function<void()> refresh)
{
    m_actions = &actions;
    m_refresh = std::move(refresh);
    media::PreviewPlayer &player = *m_player;
    const auto plain = [&actions](const char *name, std::function<void()> work) {
        if (auto *action = actions.plain(name))
            action->Onexecute = [work](ui::TCustomSuperAction &, ui::ActionSender) {
                work();
            };
    };
    const auto toggle = [&actions](const char *name, std::function<void(bool)> set) {
        if (auto *action = actions.toggle(name)) {
            action->OnfalseExecute = [set](ui::TCustomSuperAction &a, ui::ActionSender) {
                a.SetChecked(true);
                set(true);
            };
            action->OnTrueExecute = [set](ui::TCustomSuperAction &a, ui::ActionSender) {
                a.SetChecked(false);
                set(false);
            };
        }
    };
    using media::PreviewStep;
    plain("saNextFrame", [&player] { player.step(PreviewStep::Frame, +1); });
    plain("saPreviousFrame", [&player] { player.step(PreviewStep::Frame, -1); });
    plain("saNextSecond", [&player] { player.step(PreviewStep::Second, +1); });
    plain("saPreviousSecond", [&player] { player.step(PreviewStep::Second, -1); });
    plain("saNextMinute", [&player] { player.step(PreviewStep::Minute, +1); });
    plain("saPreviousMinute", [&player] { player.step(PreviewStep::Minute, -1); });
    plain("saAvanceEnd", [&player] { player.seekTo(player.timeline().end); });
    plain("saHome", [&player] { player.seekTo(player.timeline().begin); });
    plain("saNextScene", [this] { sceneStep(true); });
    plain("saPreviousScene", [this] { sceneStep(false); });
    plain("saCopierImagedansPP", [this] { copyPicture(); });
    plain("saIncVolume", [this] {
        m_player->setVolume(m_player->volume() + 1000);
        applySound();
    });
    plain("saDecVolume", [this] {
        m_player->setVolume(m_player->volume() - 1000);
        applySound();
    });
    toggle("saPlayStop", [this](bool on) {
        if (on) {
            m_player->play();
            // Said at each start: the list's own messages replace notes.
            if (m_player->hasSound() && !m_sound->running())
                m_status.showNote("Sound is off: no sound device");
        } else
            m_player->pause();
        syncPlayState();
    });
    toggle("taMute", [this](bool on) {
        m_player->setMuted(on);
        applySound();
    });
    toggle("taDeinterlace", [this](bool on) {
        prefs::Settings s = prefs::currentSettings();
        s.deinterlace = on;
        prefs::setCurrentSettings(std::move(s));
        m_player->setDeinterlace(on);
    });
    toggle("taAfficherIncrustation", [this](bool on) {
        prefs::Settings s = prefs::currentSettings();
        s.isIncrustOn = on;
        prefs::setCurrentSettings(std::move(s));
        applyInlay();
    });
    const prefs::Settings s = prefs::currentSettings();
    if (auto *a = actions.toggle("taMute"))
        a->SetChecked(s.isMuteOn);
    if (auto *a = actions.toggle("taDeinterlace"))
        a->SetChecked(s.deinterlace);
    if (auto *a = actions.toggle("taAfficherIncrustation"))
        a->SetChecked(s.isIncrustOn);
    if (auto *a = actions.toggle("saPlayStop"))
        a->SetChecked(false);
}

} // namespace camlog::widgets
