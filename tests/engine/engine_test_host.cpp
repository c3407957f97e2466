// Test doubles for the engine: a queue-served host on the test's thread and an in-memory file list.
#include "engine_test_host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

namespace camlog::engine::test {

namespace {
const char *typeName(TErrorType t)
{
    switch (t) {
    case etNoError:
        return "etNoError";
    case etError:
        return "etError";
    case etAllError:
        return "etAllError";
    }
    return "?";
}

std::string nameOf(const core::TaviFichier *f)
{
    return f != nullptr ? f->FileName : std::string("(none)");
}
} // namespace

AviFilePtr MakeFichier(const std::string &fullPath)
{
    auto f = std::make_shared<core::TaviFichier>();
    f->SetPath(fullPath);
    return f;
}

TestHost::TestHost() : m_hostThread(std::this_thread::get_id()) {}

void TestHost::checkHostThread(const char *what) const
{
    if (std::this_thread::get_id() != m_hostThread)
        ADD_FAILURE() << what << " called off the host thread";
}

void TestHost::runOnHostThread(std::function<void()> task)
{
    if (std::this_thread::get_id() == m_hostThread) {
        ADD_FAILURE() << "hand-off requested from the host thread itself";
        task();
        return;
    }
    std::unique_lock lock(m_mutex);
    bool done = false;
    m_queue.push_back({&task, &done});
    m_cv.notify_all();
    m_cv.wait(lock, [&done] { return done; });
}

void TestHost::PumpUntilEnded()
{
    checkHostThread("PumpUntilEnded");
    std::unique_lock lock(m_mutex);
    while (endCount <= m_endsSeen) {
        // A generous bound that only a hung engine reaches; it fails the test instead of
        // blocking the whole test program.
        if (!m_cv.wait_for(lock, std::chrono::seconds(60), [this] { return !m_queue.empty(); })) {
            ADD_FAILURE() << "the engine stopped handing over without ending its run";
            return;
        }
        Item item = m_queue.front();
        m_queue.pop_front();
        lock.unlock();
        (*item.task)();
        lock.lock();
        *item.done = true;
        m_cv.notify_all();
    }
    m_endsSeen = endCount;
}

void TestHost::OnStartCommand()
{
    checkHostThread("OnStartCommand");
    ++startCount;
    log.push_back("start");
    if (onStartCommand)
        onStartCommand();
}

void TestHost::OnEndCommand()
{
    checkHostThread("OnEndCommand");
    log.push_back("end");
    if (onEndCommand)
        onEndCommand();
    ++endCount;
}

void TestHost::OnStartFichier(core::TaviFichier *aFichier, const TParams &, int passe)
{
    checkHostThread("OnStartFichier");
    log.push_back("file " + nameOf(aFichier) + " " + std::to_string(passe));
    if (onStartFichier)
        onStartFichier(aFichier);
}

void TestHost::OnEndFichier(core::TaviFichier *aFichier, const TParams &, int passe)
{
    checkHostThread("OnEndFichier");
    log.push_back("end-file " + nameOf(aFichier) + " " + std::to_string(passe));
    endFichierObjects.push_back(aFichier);
    if (onEndFichier)
        onEndFichier(aFichier);
}

void TestHost::OnMessageCommand(const std::string &aMsg)
{
    checkHostThread("OnMessageCommand");
    log.push_back("msg " + aMsg);
}

void TestHost::OnErrorCommand(const std::string &aMsg, TErrorType aErrorType)
{
    checkHostThread("OnErrorCommand");
    log.push_back(std::string("error ") + typeName(aErrorType) + " " + aMsg);
}

void TestHost::OnStartProgress(int progress)
{
    checkHostThread("OnStartProgress");
    log.push_back("progress " + std::to_string(progress));
}

void TestHost::OnSetProgress(int progress)
{
    checkHostThread("OnSetProgress");
    log.push_back("pos " + std::to_string(progress));
    if (onSetProgress)
        onSetProgress(progress);
}

void TestHost::OnEndProgress()
{
    checkHostThread("OnEndProgress");
    log.push_back("end-progress");
}

TAnswer TestHost::AskQuestion(const std::string &text, TQuestionButtons buttons)
{
    checkHostThread("AskQuestion");
    questions.push_back({text, buttons});
    if (questions.size() > answers.size()) {
        ADD_FAILURE() << "unexpected question: " << text;
        return TAnswer::Cancel;
    }
    return answers[questions.size() - 1];
}

// ---------------------------------------------------------------------------------------------
void FakeList::checkHostThread(const char *what) const
{
    if (std::this_thread::get_id() != m_hostThread)
        ADD_FAILURE() << "list " << what << " called off the host thread";
}

void FakeList::Fill(const std::vector<std::string> &paths)
{
    for (const auto &p : paths)
        entries.push_back({MakeFichier(p), false});
    if (!entries.empty() && active < 0)
        active = 0;
}

void FakeList::Select(const std::vector<int> &indexes)
{
    for (auto &e : entries)
        e.selected = false;
    for (int i : indexes)
        entries.at(static_cast<std::size_t>(i)).selected = true;
}

std::vector<std::string> FakeList::SelectedNames() const
{
    std::vector<std::string> out;
    for (const auto &e : entries)
        if (e.selected)
            out.push_back(e.fichier->FileName);
    return out;
}

std::vector<std::string> FakeList::Names() const
{
    std::vector<std::string> out;
    for (const auto &e : entries)
        out.push_back(e.fichier->FileName);
    return out;
}

int FakeList::IndexOf(const core::TaviFichier *fichier) const
{
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (entries[i].fichier.get() == fichier)
            return static_cast<int>(i);
    return -1;
}

AviFilePtr FakeList::ActiveFile() const
{
    checkHostThread("ActiveFile");
    if (active < 0 || active >= static_cast<int>(entries.size()))
        return nullptr;
    return entries[static_cast<std::size_t>(active)].fichier;
}

std::vector<AviFilePtr> FakeList::Files() const
{
    checkHostThread("Files");
    std::vector<AviFilePtr> out;
    for (const auto &e : entries)
        out.push_back(e.fichier);
    return out;
}

std::vector<AviFilePtr> FakeList::SelectedFiles() const
{
    checkHostThread("SelectedFiles");
    std::vector<AviFilePtr> out;
    for (const auto &e : entries)
        if (e.selected)
            out.push_back(e.fichier);
    return out;
}

void FakeList::SetSelected(const core::TaviFichier *fichier, bool selected)
{
    checkHostThread("SetSelected");
    const int i = IndexOf(fichier);
    if (i >= 0)
        entries[static_cast<std::size_t>(i)].selected = selected;
}

void FakeList::SetEnabled(bool value)
{
    checkHostThread("SetEnabled");
    enabled = value;
}

void FakeList::AddFile(AviFilePtr fichier, bool select)
{
    checkHostThread("AddFile");
    entries.push_back({std::move(fichier), select});
}

void FakeList::RemoveFile(const core::TaviFichier *fichier)
{
    checkHostThread("RemoveFile");
    const int i = IndexOf(fichier);
    if (i < 0)
        return;
    entries.erase(entries.begin() + i);
    if (active >= static_cast<int>(entries.size()))
        active = static_cast<int>(entries.size()) - 1;
}

bool FakeList::SwapFile(const core::TaviFichier *old, AviFilePtr fichier)
{
    checkHostThread("SwapFile");
    const int i = IndexOf(old);
    if (i < 0)
        return false;
    entries[static_cast<std::size_t>(i)].fichier = std::move(fichier);
    return true;
}

void FakeList::ReplaceFile(const core::TaviFichier *old, AviFilePtr fichier)
{
    checkHostThread("ReplaceFile");
    const int i = IndexOf(old);
    if (i >= 0)
        entries.erase(entries.begin() + i);
    entries.push_back({std::move(fichier), true});
}

void FakeList::RefreshActive()
{
    checkHostThread("RefreshActive");
    ++refreshActiveCount;
}

void FakeList::RefreshActiveAndCounts()
{
    checkHostThread("RefreshActiveAndCounts");
    ++refreshAllCount;
}

} // namespace camlog::engine::test
