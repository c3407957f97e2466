// Test doubles for the engine: a host whose thread is the test's own thread, served from a queue,
// and a file list in memory; both record what the engine asked of them.
#pragma once

#include "core/avi_fichier.h"
#include "engine/command_engine.h"
#include "engine/engine_host.h"
#include "engine/engine_list.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace camlog::engine::test {

AviFilePtr MakeFichier(const std::string &fullPath);

// The host thread is the thread that built the host; it serves the worker's hand-offs while it
// pumps. Every event checks that it runs on that thread.
class TestHost : public EngineHost {
public:
    struct Question {
        std::string text;
        TQuestionButtons buttons;
    };

    TestHost();

    void runOnHostThread(std::function<void()> task) override;

    void OnStartCommand() override;
    void OnEndCommand() override;
    void OnStartFichier(core::TaviFichier *aFichier, const TParams &aParams, int passe) override;
    void OnEndFichier(core::TaviFichier *aFichier, const TParams &aParams, int passe) override;
    void OnMessageCommand(const std::string &aMsg) override;
    void OnErrorCommand(const std::string &aMsg, TErrorType aErrorType) override;
    void OnStartProgress(int progress) override;
    void OnSetProgress(int progress) override;
    void OnEndProgress() override;
    TAnswer AskQuestion(const std::string &text, TQuestionButtons buttons) override;

    // Serves hand-offs on the calling (host) thread until the current run has ended.
    // Fails the test instead of hanging when the worker stops handing over for a long time.
    void PumpUntilEnded();
    // Runs fn on the host thread from the worker (what a handler does to press a button there).
    void OnHost(const std::function<void()> &fn) { runOnHostThread(fn); }

    // Scripted answers, consumed in order; an unexpected question fails the test and cancels.
    std::vector<TAnswer> answers;
    std::vector<Question> questions;
    // One line per event, in order: "start", "file <name> <pass>", "end-file <name> <pass>",
    // "msg <text>", "error <type> <text>", "progress <max>", "pos <n>", "end-progress", "end".
    std::vector<std::string> log;
    std::vector<core::TaviFichier *> endFichierObjects;
    int startCount = 0;
    int endCount = 0;
    // Optional reactions, run on the host thread inside the event.
    std::function<void()> onStartCommand;
    std::function<void()> onEndCommand;
    std::function<void(core::TaviFichier *)> onStartFichier;
    std::function<void(core::TaviFichier *)> onEndFichier;
    std::function<void(int)> onSetProgress;

private:
    struct Item {
        std::function<void()> *task;
        bool *done;
    };
    void checkHostThread(const char *what) const;

    std::thread::id m_hostThread;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<Item> m_queue;
    int m_endsSeen = 0;
};

// A file list in memory. Entries keep their order as given (no sorting); AddFile appends.
class FakeList : public EngineList {
public:
    explicit FakeList(std::thread::id hostThread = std::this_thread::get_id()) : m_hostThread(hostThread) {}

    struct Entry {
        AviFilePtr fichier;
        bool selected = false;
    };
    // Builds one entry per path; the files need not exist.
    void Fill(const std::vector<std::string> &paths);
    void Select(const std::vector<int> &indexes);
    std::vector<std::string> SelectedNames() const;
    std::vector<std::string> Names() const;
    int IndexOf(const core::TaviFichier *fichier) const;

    AviFilePtr ActiveFile() const override;
    std::vector<AviFilePtr> Files() const override;
    std::vector<AviFilePtr> SelectedFiles() const override;
    void SetSelected(const core::TaviFichier *fichier, bool selected) override;
    void SetEnabled(bool enabled) override;
    void AddFile(AviFilePtr fichier, bool select) override;
    void RemoveFile(const core::TaviFichier *fichier) override;
    bool SwapFile(const core::TaviFichier *old, AviFilePtr fichier) override;
    void ReplaceFile(const core::TaviFichier *old, AviFilePtr fichier) override;
    void RefreshActive() override;
    void RefreshActiveAndCounts() override;

    std::vector<Entry> entries;
    int active = -1;
    bool enabled = true;
    int refreshActiveCount = 0;
    int refreshAllCount = 0;

private:
    void checkHostThread(const char *what) const;
    std::thread::id m_hostThread;
};

} // namespace camlog::engine::test
