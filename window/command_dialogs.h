// The dialogs that give single commands their parameter: the time difference, the codec, the
// frame rate and the interval. Each answer goes into the action parameter list exactly as a
// script's or the command line's "=parameter" would, so one command path serves both; a
// cancelled dialog cancels the action without a word.
#pragma once

#include "core/avi_fichier.h"

#include <functional>
#include <memory>

class QWidget;

namespace camlog::ui {
class ActionList;
}

namespace camlog::widgets {

class TCodecForm;
class TDecalageForm;
class TFrequenceForm;
class TIntervalleForm;

class CommandDialogs {
public:
    using ActiveFile = std::function<std::shared_ptr<const core::TaviFichier>()>;

    // The dialogs are children of parent; activeFile gives the file they start from.
    CommandDialogs(ActiveFile activeFile, QWidget *parent);

    // Sets the preparation steps of "Add a time difference", "Fix a time difference", "Change
    // the codec", "Fix the video framerate" and "Create a scn file with fixed durations".
    void install(ui::ActionList &actions);

    TDecalageForm *decalage() const { return m_decalage; }
    TCodecForm *codec() const { return m_codec; }
    TFrequenceForm *frequence() const { return m_frequence; }
    TIntervalleForm *intervalle() const { return m_intervalle; }

private:
    ActiveFile m_activeFile;
    TDecalageForm *m_decalage;
    TCodecForm *m_codec;
    TFrequenceForm *m_frequence;
    TIntervalleForm *m_intervalle;
};

} // namespace camlog::widgets
