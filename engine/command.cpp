// The command classes: the default of every operation and what each class changes.
#include "engine/command.h"

#include "core/avi_fichier.h"
#include "engine/command_engine.h"
#include "engine/message_template.h"

#include <filesystem>

namespace camlog::engine {

namespace {
const char kNoMoreConfirmationFr[] =
    "Si vous r\xC3\xA9pondez \"Oui \xC3\xA0 Tous\" ou \"Non \xC3\xA0 Tous\", alors plus aucune confirmation ne sera "
    "demand\xC3\xA9"
    "e.";
const char kNoMoreConfirmation[] = "If you answer \"All\", then no more confirmation will be requested";

std::string nameOf(const core::TaviFichier *fichier)
{
    return fichier != nullptr ? fichier->FileName : std::string();
}

std::string pathOf(const core::TaviFichier *fichier)
{
    return fichier != nullptr ? fichier->FullPath : std::string();
}

TQuestionButtons buttonsFor(const TCommandEngine &ce)
{
    return ce.FileCount() < 2 ? TQuestionButtons::YesNoCancel : TQuestionButtons::YesNoCancelAll;
}
} // namespace

// ---------------------------------------------------------------------------------------------
void tCustomCmd::ExecuteFichier(core::TaviFichier *fichier, const TParams &params, TCommandEngine &ce, int passe)
{
    if (OnExecution)
        OnExecution(fichier, params, ce, passe);
}

void tCustomCmd::AbortCommand(TCommandEngine &ce)
{
    if (OnAbort)
        OnAbort(ce);
}

bool tCustomCmd::FileVerification(core::TaviFichier *fichier, const TParams &params, TCommandEngine &ce, int passe)
{
    return OnFileVerification ? OnFileVerification(fichier, params, ce, passe) : true;
}

TAnswer tCustomCmd::FileConfirmation(core::TaviFichier *fichier, const TParams &params, TCommandEngine &ce, int passe)
{
    if (!OnFileConFirmation)
        return TAnswer::YesToAll;
    std::string question = OnFileConFirmation(fichier, params, ce, passe);
    const TQuestionButtons buttons = buttonsFor(ce);
    if (buttons == TQuestionButtons::YesNoCancelAll)
        question += std::string("\n") + kNoMoreConfirmationFr;
    return ce.AskQuestion(question, buttons);
}

bool tCustomCmd::CommandCondition(TCommandEngine &ce)
{
    return OnCommandCondition ? OnCommandCondition(ce) : true;
}

void tCustomCmd::FileCondition(core::TaviFichier *fichier, bool &visible, bool &enabled)
{
    visible = true;
    enabled = true;
    if (OnFileCondition)
        OnFileCondition(fichier, visible, enabled);
}

void tCustomCmd::PrepareFichier(core::TaviFichier *fichier, const TParams &params)
{
    if (OnPrepareFichier)
        OnPrepareFichier(fichier, params);
}

// ---------------------------------------------------------------------------------------------
void TFastcmd::ExecuteFichier(core::TaviFichier *fichier, const TParams &params, TCommandEngine &ce, int passe)
{
    try {
        sendStartMessage(fichier, ce, passe);
        if (tCustomCmd::OnExecution)
            tCustomCmd::OnExecution(fichier, params, ce, passe);
        if (UpdateFile == ufRemove || UpdateFile == ufReload)
            applyUpdate(ce, std::string());
    } catch (...) {
        reportFailure(fichier, ce, passe);
    }
}

void TFastcmd::sendStartMessage(core::TaviFichier *fichier, TCommandEngine &ce, int passe) const
{
    if (!StartMessage.empty())
        ce.MessageCommand(FormatCommandMessage(StartMessage, nameOf(fichier), passe));
}

void TFastcmd::reportFailure(core::TaviFichier *fichier, TCommandEngine &ce, int passe) const
{
    if (ErrorMessage.empty())
        ce.RecordFailure();
    else
        ce.ErrorCommand(FormatCommandMessage(ErrorMessage, pathOf(fichier), passe), etError);
}

void TFastcmd::applyUpdate(TCommandEngine &ce, const std::string &destination) const
{
    switch (UpdateFile) {
    case ufNone:
        break;
    case ufAdd:
        if (!destination.empty())
            ce.AddFichier(destination);
        break;
    case ufRemove:
        ce.RemoveFichier();
        break;
    case ufReload:
        ce.ReloadFichier();
        break;
    case ufReplace:
        if (!destination.empty())
            ce.ReplaceFichier(destination);
        break;
    case ufRename:
        if (!destination.empty())
            ce.RenameFichier(destination);
        break;
    }
}

// ---------------------------------------------------------------------------------------------
void Tcmd::computeDestination(core::TaviFichier *fichier, const TParams &params, int passe)
{
    if (OnDestination)
        m_destination = OnDestination(fichier, params, passe);
}

bool Tcmd::FileVerification(core::TaviFichier *fichier, const TParams &params, TCommandEngine &, int passe)
{
    if (!OnDestination)
        return true;
    computeDestination(fichier, params, passe);
    std::error_code ec;
    return m_destination.empty() || !std::filesystem::exists(std::filesystem::path(m_destination), ec);
}

TAnswer Tcmd::FileConfirmation(core::TaviFichier *, const TParams &, TCommandEngine &ce, int)
{
    std::string question = "Do you really want to delete the existing file " + m_destination;
    const TQuestionButtons buttons = buttonsFor(ce);
    if (buttons == TQuestionButtons::YesNoCancelAll)
        question += std::string("?\n") + kNoMoreConfirmation;
    return ce.AskQuestion(question, buttons);
}

void Tcmd::ExecuteFichier(core::TaviFichier *fichier, const TParams &params, TCommandEngine &ce, int passe)
{
    // The destination is the one the verification of this file and pass computed.
    try {
        sendStartMessage(fichier, ce, passe);
        if (OnExecution)
            OnExecution(fichier, m_destination, params, ce, passe);
        applyUpdate(ce, m_destination);
    } catch (...) {
        reportFailure(fichier, ce, passe);
    }
}

// ---------------------------------------------------------------------------------------------
bool TRenameCmd::FileVerification(core::TaviFichier *fichier, const TParams &params, TCommandEngine &ce, int passe)
{
    computeDestination(fichier, params, passe);
    return OnFileVerification ? OnFileVerification(m_destination, fichier, params, ce, passe) : true;
}

TAnswer TRenameCmd::FileConfirmation(core::TaviFichier *fichier, const TParams &params, TCommandEngine &ce, int passe)
{
    computeDestination(fichier, params, passe);
    std::string question = "Do you want to rename " + nameOf(fichier) + " to " + m_destination + " ?";
    const TQuestionButtons buttons = buttonsFor(ce);
    if (buttons == TQuestionButtons::YesNoCancelAll)
        question += std::string("\n") + kNoMoreConfirmation + ".";
    return ce.AskQuestion(question, buttons);
}

void TRenameCmd::ExecuteFichier(core::TaviFichier *fichier, const TParams &params, TCommandEngine &ce, int passe)
{
    try {
        sendStartMessage(fichier, ce, passe);
        computeDestination(fichier, params, passe);
        if (Tcmd::OnExecution)
            Tcmd::OnExecution(fichier, m_destination, params, ce, passe);
        if (!m_destination.empty())
            ce.RenameFichier(m_destination);
    } catch (...) {
        reportFailure(fichier, ce, passe);
    }
}

} // namespace camlog::engine
