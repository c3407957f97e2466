// The scene editor in the window.
#include "window/scene_editor_panel.h"

#include "headless/actions/action_list.h"
#include "media/decoding/headless_frame_source.h"
#include "prefs/current_settings.h"
#include "scenes/edited_scenes.h"
#include "scenes/scene_editor.h"
#include "window/editer_titres_form.h"
#include "window/preview_panel.h"
#include "window/question_box.h"
#include "window/s_frame.h"
#include "window/scene_base.h"
#include "window/status_panel.h"
#include "window/typing_keys.h"
#include "window/ui_form.h"

#include <QListWidget>
#include <QMessageBox>
#include <QToolBar>

#include <filesystem>

namespace camlog::widgets {

namespace {

QString qt(const std::string &text)
{
    return QString::fromStdString(text);
}

// The question as a modal box: Yes saves, No drops; Cancel (when offered) goes back.
scenes::SaveAnswer AskSave(QWidget *parent, const std::string &question, bool withCancel)
{
    QString text = qt(question);
    text.remove(QLatin1Char('\r'));
    if (withCancel) {
        switch (AskQuestionBox(parent, text, engine::TQuestionButtons::YesNoCancel)) {
        case engine::TAnswer::Yes:
        case engine::TAnswer::YesToAll:
            return scenes::SaveAnswer::Save;
        case engine::TAnswer::No:
        case engine::TAnswer::NoToAll:
            return scenes::SaveAnswer::Drop;
        case engine::TAnswer::Cancel:
            break;
        }
        return scenes::SaveAnswer::Cancel;
    }
    QMessageBox box(QMessageBox::Question, kQuestionTitle, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setObjectName("QuestionBox");
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes ? scenes::SaveAnswer::Save : scenes::SaveAnswer::Drop;
}

scenes::TitleVideo VideoOf(const core::TaviFichier *fichier)
{
    scenes::TitleVideo video;
    if (fichier == nullptr)
        return video;
    video.active = true;
    video.path = fichier->FullPath;
    video.codec = fichier->Codec;
    video.sizeText = fichier->SizeText;
    video.aspectText = fichier->AspectText;
    video.audioText = fichier->AudioText;
    return video;
}

scenes::BgrPicture ScenePicture(const media::BgrPicture &picture)
{
    scenes::BgrPicture out;
    if (picture.width <= 0 || picture.height <= 0)
        return out;
    out.width = picture.width;
    out.height = picture.height;
    out.stride = 3 * picture.width;
    out.pixels = picture.bytes;
    return out;
}

} // namespace

SceneEditorPanel::SceneEditorPanel(TUIForm &form, PreviewPanel &preview, TypingKeys &keys, QObject *parent)
    : QObject(parent),
      m_form(form),
      m_preview(preview),
      m_keys(keys),
      m_list(new TSFrame(form.centralWidget())),
      m_base(new TSceneBase(form.centralWidget())),
      m_titles(new TEditerTitresForm(&form)),
      m_model(std::make_unique<scenes::SceneEditor>())
{
    m_list->hide();
    m_base->hide();
    m_form.setScenePanels(m_base, m_list);
    ask = [this](const std::string &question, bool withCancel) {
        return AskSave(&m_form, question, withCancel);
    };
    connect(m_list, &TSFrame::sceneChosen, this, [this](int row) { selectScene(row); });
    connect(m_base, &TSceneBase::pictureClicked, this, [this] {
        if (m_model->current() >= 0)
            m_preview.player().seekTo(m_model->pictureFrame());
    });
    connect(m_base, &TSceneBase::memoClicked, this, [this] {
        if (m_actions != nullptr && !m_editingTitles)
            if (auto *titles = m_actions->find("taEditerTitres"))
                titles->Execute();
    });
    m_titles->onChange = [this] {
        m_titles->setSample(qt(m_model->sample(m_titles->titleTemplate(), m_titles->subtitleTemplate())));
    };
    m_titles->onFinish = [this] {
        if (m_actions != nullptr)
            if (auto *titles = m_actions->find("taEditerTitres"))
                titles->Execute();
    };
}

SceneEditorPanel::~SceneEditorPanel()
{
    scenes::WithdrawEditedScenes();
}

scenes::SceneContext SceneEditorPanel::context() const
{
    scenes::SceneContext context;
    const prefs::Settings s = prefs::currentSettings();
    context.datecodeFormat = s.formatAfficherDatecode;
    context.durationFormat = s.formatDuree;
    if (m_fichier) {
        context.videoLoaded = true;
        context.frameRate = m_fichier->FrameRate;
        context.pictureWidth = static_cast<int>(m_fichier->Width);
        context.pictureHeight = static_cast<int>(m_fichier->DisplayHeight);
    }
    return context;
}

scenes::FrameSource *SceneEditorPanel::frames()
{
    if (!m_framesTried && m_fichier) {
        m_framesTried = true;
        auto opened = media::HeadlessFrameSource::open(m_fichier->FullPath);
        if (opened)
            m_frames = std::move(*opened);
    }
    return m_frames.get();
}

void SceneEditorPanel::activeChanged(std::shared_ptr<const core::TaviFichier> fichier)
{
    const bool sameVideo = fichier && m_fichier && fichier->FullPath == m_fichier->FullPath;
    if (m_open && sameVideo) {
        // The same video again (its entry was reloaded): the list being edited stays, and the
        // preview, opened again, shows the current scene.
        m_fichier = std::move(fichier);
        previewReopened();
        return;
    }
    if (m_open && m_model->modified())
        settle(false);
    m_fichier = std::move(fichier);
    m_frames.reset();
    m_framesTried = false;
    m_model->Load(VideoOf(m_fichier.get()), m_fichier ? static_cast<std::int32_t>(m_fichier->FrameCount) : 0,
                  context());
    if (!m_open)
        return;
    if (!m_fichier) {
        // Nothing left to edit.
        if (m_actions != nullptr)
            if (auto *editor = m_actions->find("taEditerScenes"))
                editor->Execute();
        return;
    }
    m_list->setFileName(qt(m_fichier->FileName));
    showList();
    selectScene(m_model->count() > 0 ? 0 : -1);
    publish();
}

void SceneEditorPanel::previewReopened()
{
    if (m_open && m_model->current() >= 0)
        selectScene(m_model->current());
}

void SceneEditorPanel::formatsChanged()
{
    m_model->setContext(context());
    if (m_open)
        showCurrent();
}

bool SceneEditorPanel::settle(bool withCancel)
{
    if (!m_model->modified())
        return true;
    const scenes::SaveAnswer answer = ask ? ask(m_model->SaveQuestion(), withCancel) : scenes::SaveAnswer::Cancel;
    const scenes::SaveOutcome outcome = m_model->Answer(answer);
    if (outcome.saveFailed) {
        ShowErrorBox(&m_form, QStringLiteral("The scenes were not saved: ") + qt(outcome.message));
        // Without a way back the changes cannot be kept: the user was told.
        return !withCancel;
    }
    return outcome.mayGoOn;
}

bool SceneEditorPanel::mayClose()
{
    return !m_open || settle(true);
}

void SceneEditorPanel::open()
{
    if (!m_fichier)
        return;
    if (!m_form.listShown())
        m_form.ApplyLayout(Layout::Normal);
    m_model->setContext(context());
    m_list->setFileName(qt(m_fichier->FileName));
    showList();
    m_open = true;
    m_form.setSceneEditorOpen(true);
    if (auto *bar = m_form.findChild<QToolBar *>("tbScenes"))
        bar->show();
    if (auto *bar = m_form.findChild<QToolBar *>("tbListe"))
        bar->hide();
    if (m_actions != nullptr) {
        if (auto *toggle = m_actions->toggle("taEditerScenes"))
            toggle->SetChecked(true);
    }
    if (m_model->count() > 0)
        selectScene(0);
    publish();
    m_list->list()->setFocus(Qt::OtherFocusReason);
}

bool SceneEditorPanel::close()
{
    if (m_editingTitles) {
        m_editingTitles = false;
        m_titles->hide();
        m_keys.release();
        if (m_actions != nullptr)
            if (auto *toggle = m_actions->toggle("taEditerTitres"))
                toggle->SetChecked(false);
    }
    const bool modified = m_model->modified();
    if (!settle(true))
        return false;
    if (modified && !m_model->modified() && m_fichier && onSaved)
        onSaved(m_fichier->FullPath);
    if (auto *bar = m_form.findChild<QToolBar *>("tbScenes"))
        bar->hide();
    if (auto *bar = m_form.findChild<QToolBar *>("tbListe"))
        bar->setVisible(!m_form.emptyListShown());
    m_open = false;
    m_form.setSceneEditorOpen(false);
    m_preview.player().setPlayRange(std::nullopt);
    scenes::WithdrawEditedScenes();
    if (m_actions != nullptr)
        if (auto *toggle = m_actions->toggle("taEditerScenes"))
            toggle->SetChecked(false);
    m_form.setFocus(Qt::OtherFocusReason);
    return true;
}

void SceneEditorPanel::selectScene(int index)
{
    if (!m_model->SelectScene(index, frames()))
        return;
    m_list->selectRow(index);
    if (index >= 0) {
        m_preview.player().setPlayRange(std::make_pair(m_model->playFirst(), m_model->playLast()));
        m_preview.player().seekTo(m_model->playFirst());
    } else {
        m_preview.player().setPlayRange(std::nullopt);
    }
    showCurrent();
    // The label of a scene filled just now.
    showList();
}

void SceneEditorPanel::showList()
{
    std::vector<std::string> labels;
    for (int i = 0; i < m_model->count(); ++i)
        labels.push_back(m_model->label(i));
    m_list->setLabels(labels);
    m_list->selectRow(m_model->current());
}

void SceneEditorPanel::showCurrent()
{
    const int current = m_model->current();
    m_base->showScene(current >= 0 ? &m_model->scene(current) : nullptr);
}

void SceneEditorPanel::publish()
{
    if (m_open && m_fichier)
        scenes::PublishEditedScenes(m_fichier->FullPath, m_model->scenes());
}

bool SceneEditorPanel::pictureChosen()
{
    if (!m_open || m_model->current() < 0)
        return false;
    const auto shown = m_preview.player().shown();
    if (!shown || !m_model->SetPicture(shown->position, ScenePicture(shown->picture)))
        return false;
    showCurrent();
    publish();
    return true;
}

bool SceneEditorPanel::stepScene(bool next)
{
    if (!m_open)
        return false;
    const int target = m_model->current() + (next ? 1 : -1);
    if (target >= 0 && target < m_model->count())
        selectScene(target);
    return true;
}

void SceneEditorPanel::insertScene()
{
    if (!m_open)
        return;
    if (m_model->InsertScene(m_preview.player().position(), frames())) {
        showList();
        selectScene(m_model->current());
        publish();
    }
}

void SceneEditorPanel::deleteScene()
{
    if (!m_open)
        return;
    if (m_model->DeleteScene(frames())) {
        showList();
        selectScene(m_model->current());
        publish();
    }
}

void SceneEditorPanel::save()
{
    if (!m_open)
        return;
    const scenes::ScnWriteResult written = m_model->Save();
    if (!written.ok)
        ShowErrorBox(&m_form, QStringLiteral("The scenes were not saved: ") + qt(written.message));
    else if (m_fichier && onSaved)
        onSaved(m_fichier->FullPath);
}

void SceneEditorPanel::startTitles()
{
    if (!m_open || m_model->current() < 0)
        return;
    m_editingTitles = true;
    m_keys.hold();
    m_titles->open(m_model->currentTitleTemplate(), m_model->currentSubtitleTemplate());
    if (m_actions != nullptr)
        if (auto *toggle = m_actions->toggle("taEditerTitres"))
            toggle->SetChecked(true);
}

void SceneEditorPanel::endTitles()
{
    if (!m_editingTitles)
        return;
    m_editingTitles = false;
    m_keys.release();
    const auto result = m_titles->result();
    if (result != TEditerTitresForm::Cancel) {
        m_model->ApplyTitles(m_titles->titleTemplate(), m_titles->subtitleTemplate(), result == TEditerTitresForm::All,
                             frames());
        showList();
        showCurrent();
        publish();
    }
    m_titles->hide();
    if (m_actions != nullptr)
        if (auto *toggle = m_actions->toggle("taEditerTitres"))
            toggle->SetChecked(false);
}

void SceneEditorPanel::bindActions(ui::ActionList &actions, std::function<void()> refresh)
{
    m_actions = &actions;
    m_refresh = std::move(refresh);
    const auto after = [this] {
        if (m_refresh)
            m_refresh();
    };
    if (auto *editor = actions.toggle("taEditerScenes")) {
        editor->OnfalseExecute = [this, after](ui::TCustomSuperAction &, ui::ActionSender) {
            open();
            after();
        };
        editor->OnTrueExecute = [this, after](ui::TCustomSuperAction &, ui::ActionSender) {
            close();
            after();
        };
        editor->SetChecked(false);
    }
    if (auto *titles = actions.toggle("taEditerTitres")) {
        titles->OnfalseExecute = [this, after](ui::TCustomSuperAction &, ui::ActionSender) {
            startTitles();
            after();
        };
        titles->OnTrueExecute = [this, after](ui::TCustomSuperAction &, ui::ActionSender) {
            endTitles();
            after();
        };
        titles->SetChecked(false);
    }
    const auto plain = [&actions, after](const char *name, std::function<void()> work) {
        if (auto *action = actions.plain(name))
            action->Onexecute = [work, after](ui::TCustomSuperAction &, ui::ActionSender) {
                work();
                after();
            };
    };
    plain("saInsererScene", [this] { insertScene(); });
    plain("saSupprimerScene", [this] { deleteScene(); });
    plain("saEnregistrerScn", [this] { save(); });
}

} // namespace camlog::widgets
