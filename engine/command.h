// The command classes: what a command declares per file (condition, destination, question,
// execution, list update) for the engine to drive.
#pragma once

#include "engine/command_types.h"

#include <functional>
#include <string>

namespace camlog::engine {

class TCommandEngine;

// Event types. fichier is the list's file object (null for a command that takes no file),
// ce the engine running the command, passe the pass counted from 1.
using TExecutionEvent =
    std::function<void(core::TaviFichier *fichier, const TParams &params, TCommandEngine &ce, int passe)>;
using TDestExecutionEvent = std::function<void(core::TaviFichier *fichier, const std::string &destination,
                                               const TParams &params, TCommandEngine &ce, int passe)>;
using TFileConditionEvent = std::function<void(core::TaviFichier *fichier, bool &visible, bool &enabled)>;
using TAbortEvent = std::function<void(TCommandEngine &ce)>;
using TCommandConditionEvent = std::function<bool(TCommandEngine &ce)>;
using TFileVerificationEvent =
    std::function<bool(core::TaviFichier *fichier, const TParams &params, TCommandEngine &ce, int passe)>;
using TDestFileVerificationEvent = std::function<bool(const std::string &destination, core::TaviFichier *fichier,
                                                      const TParams &params, TCommandEngine &ce, int passe)>;
// Returns the question to ask.
using TFileConfirmationEvent =
    std::function<std::string(core::TaviFichier *fichier, const TParams &params, TCommandEngine &ce, int passe)>;
// Called once per file before its first pass (on the worker); may set NbPasses for that file.
using TPrepareFichierEvent = std::function<void(core::TaviFichier *fichier, const TParams &params)>;
// Returns why the command cannot run with these parameters; empty when it can.
using TParamsCheckEvent = std::function<std::string(const TParams &params)>;
// Returns the destination's full path; empty for none.
using TDestinationEvent = std::function<std::string(core::TaviFichier *aFichier, const TParams &aParams, int passe)>;

// The operations the engine drives. Threads: ExecuteFichier and FileCondition (during a run) on
// the worker; FileVerification, FileConfirmation, CommandCondition and AbortCommand on the host
// thread. FileCondition is also asked by the action refresh and must be free of side effects.
class tAbstractCmd {
public:
    tAbstractCmd() = default;
    tAbstractCmd(const tAbstractCmd &) = delete;
    tAbstractCmd &operator=(const tAbstractCmd &) = delete;
    virtual ~tAbstractCmd() = default;

    virtual void ExecuteFichier(core::TaviFichier *fichier, const TParams &params, TCommandEngine &ce, int passe) = 0;
    virtual void AbortCommand(TCommandEngine &ce) = 0;
    // True when the file may be processed without asking.
    virtual bool FileVerification(core::TaviFichier *fichier, const TParams &params, TCommandEngine &ce, int passe) = 0;
    virtual TAnswer FileConfirmation(core::TaviFichier *fichier, const TParams &params, TCommandEngine &ce,
                                     int passe) = 0;
    virtual bool CommandCondition(TCommandEngine &ce) = 0;
    virtual void FileCondition(core::TaviFichier *fichier, bool &visible, bool &enabled) = 0;
    // Readies the command for one file of the run, before its first pass is verified.
    virtual void PrepareFichier(core::TaviFichier *fichier, const TParams &params) = 0;

    std::string Name;
    std::string Category;

    // The engine that runs (or last ran) the command; null before its first run.
    TCommandEngine *Engine() const { return m_engine; }

private:
    friend class TCommandEngine;
    TCommandEngine *m_engine = nullptr;
};

// The common properties and events, and the default of every operation. Catches nothing: an
// exception from one of its handlers ends the run.
class tCustomCmd : public tAbstractCmd {
public:
    void ExecuteFichier(core::TaviFichier *fichier, const TParams &params, TCommandEngine &ce, int passe) override;
    void AbortCommand(TCommandEngine &ce) override;
    bool FileVerification(core::TaviFichier *fichier, const TParams &params, TCommandEngine &ce, int passe) override;
    TAnswer FileConfirmation(core::TaviFichier *fichier, const TParams &params, TCommandEngine &ce, int passe) override;
    bool CommandCondition(TCommandEngine &ce) override;
    void FileCondition(core::TaviFichier *fichier, bool &visible, bool &enabled) override;
    void PrepareFichier(core::TaviFichier *fichier, const TParams &params) override;

    TcmdNombre Nombre = fnNone;
    TUpdateDisplay UpdateDisplay = udNone;
    // Passes per file; below 1 means one. Handlers may change it during a run (on the worker).
    int NbPasses = 0;

    TExecutionEvent OnExecution;
    // Asked once at the start of a run: a run whose parameters cannot serve fails before any
    // question or file, with the reason.
    TParamsCheckEvent OnParamsCheck;
    TFileConditionEvent OnFileCondition;
    TAbortEvent OnAbort;
    TCommandConditionEvent OnCommandCondition;
    TFileVerificationEvent OnFileVerification;
    TFileConfirmationEvent OnFileConFirmation;
    // Whatever a file's passes depend on (the scene list of the file to cut) is read here, so
    // that a declined first pass cannot leave the previous file's values in place.
    TPrepareFichierEvent OnPrepareFichier;
};

// Adds start and error messages and a list update after each file; catches every failure of a
// file and reports it with ErrorMessage.
class TFastcmd : public tCustomCmd {
public:
    void ExecuteFichier(core::TaviFichier *fichier, const TParams &params, TCommandEngine &ce, int passe) override;

    // Templates: "%s" is the file's name (start) or full path (error), "%d" the pass. Empty: no message.
    std::string StartMessage;
    std::string ErrorMessage;
    TUpdateFile UpdateFile = ufNone;

protected:
    void sendStartMessage(core::TaviFichier *fichier, TCommandEngine &ce, int passe) const;
    // Reports the failure in flight with ErrorMessage (silently when it is empty).
    void reportFailure(core::TaviFichier *fichier, TCommandEngine &ce, int passe) const;
    // The list update of UpdateFile, with the destination for the values that use one.
    void applyUpdate(TCommandEngine &ce, const std::string &destination) const;
};

// Adds a destination computed per file: the verification fails when the destination exists, the
// question asks about overwriting it, and the execution receives it.
class Tcmd : public TFastcmd {
public:
    void ExecuteFichier(core::TaviFichier *fichier, const TParams &params, TCommandEngine &ce, int passe) override;
    bool FileVerification(core::TaviFichier *fichier, const TParams &params, TCommandEngine &ce, int passe) override;
    TAnswer FileConfirmation(core::TaviFichier *fichier, const TParams &params, TCommandEngine &ce, int passe) override;

    // Hides the plain execution event of the base: this class calls its handler with the destination.
    TDestExecutionEvent OnExecution;
    TDestinationEvent OnDestination;

    // The result of the last destination computation.
    const std::string &Destination() const { return m_destination; }

protected:
    void computeDestination(core::TaviFichier *fichier, const TParams &params, int passe);
    std::string m_destination;
};

// Renames the file to its destination. Only Nombre, the destination, verification, condition,
// execution and the messages are meant to be set; it always applies the rename update.
class TRenameCmd : public Tcmd {
public:
    void ExecuteFichier(core::TaviFichier *fichier, const TParams &params, TCommandEngine &ce, int passe) override;
    bool FileVerification(core::TaviFichier *fichier, const TParams &params, TCommandEngine &ce, int passe) override;
    TAnswer FileConfirmation(core::TaviFichier *fichier, const TParams &params, TCommandEngine &ce, int passe) override;

    // Hides the plain verification event: this class passes the destination first.
    TDestFileVerificationEvent OnFileVerification;
};

} // namespace camlog::engine
