// The dialogs of single commands.
#include "window/command_dialogs.h"

#include "window/asking_preparation.h"

#include "commands/decimal_text.h"
#include "headless/actions/action_list.h"
#include "prefs/current_settings.h"
#include "scenes/write_scn_text.h"
#include "window/codec_form.h"
#include "window/decalage_form.h"
#include "window/frequence_form.h"
#include "window/intervalle_form.h"

#include <optional>
#include <string>

namespace camlog::widgets {

namespace {

// A preparation step whose answer is the action's one parameter.
template <typename Ask> void asksParameter(ui::ActionList &actions, std::string_view name, Ask ask)
{
    AsksUser(actions, name, [ask]() -> std::optional<std::vector<std::string>> {
        if (std::optional<std::string> answer = ask())
            return std::vector<std::string>{std::move(*answer)};
        return std::nullopt;
    });
}

} // namespace

CommandDialogs::CommandDialogs(ActiveFile activeFile, QWidget *parent)
    : m_activeFile(std::move(activeFile)),
      m_decalage(new TDecalageForm(parent)),
      m_codec(new TCodecForm(parent)),
      m_frequence(new TFrequenceForm(parent)),
      m_intervalle(new TIntervalleForm(parent))
{
}

void CommandDialogs::install(ui::ActionList &actions)
{
    const auto timeDifference = [this]() -> std::optional<std::string> {
        const auto active = m_activeFile();
        const core::DateTime recorded = active && active->Datecode.days() > 0 ? active->Datecode : scenes::LocalNow();
        const double shift = active ? active->Shift.days() : 0.0;
        const std::optional<double> days = m_decalage->ask(recorded, shift);
        if (!days)
            return std::nullopt;
        return commands::GeneralDecimal(*days);
    };
    asksParameter(actions, "ccDecalageHoraire", timeDifference);
    asksParameter(actions, "ccDecalerHoraire", timeDifference);

    asksParameter(actions, "ccModifierCodec", [this]() -> std::optional<std::string> {
        const auto active = m_activeFile();
        return m_codec->ask(active ? active->Codec : std::string());
    });
    asksParameter(actions, "ccFrequenceVideo", [this]() -> std::optional<std::string> {
        const auto active = m_activeFile();
        const std::optional<double> rate = m_frequence->ask(active ? active->FrameRate : 0.0);
        if (!rate)
            return std::nullopt;
        return commands::GeneralDecimal(*rate);
    });
    asksParameter(actions, "ccCreerScnByIntervalle", [this]() -> std::optional<std::string> {
        const std::optional<int> seconds = m_intervalle->ask(prefs::currentSettings().intervalle);
        if (!seconds)
            return std::nullopt;
        // The answer is also the duration offered next time, and saved with the settings.
        prefs::Settings settings = prefs::currentSettings();
        settings.intervalle = *seconds;
        prefs::setCurrentSettings(std::move(settings));
        return std::to_string(*seconds);
    });
}

} // namespace camlog::widgets
