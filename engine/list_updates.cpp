// The list updates an execution asks for: add, remove, reload, replace and rename the current file.
#include "engine/command_engine.h"

#include "core/avi_fichier.h"
#include "engine/ce_thread.h"

#include <cerrno>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include <fcntl.h>
#include <stdio.h>

namespace camlog::engine {

namespace fs = std::filesystem;

namespace {
bool pathExists(const std::string &path)
{
    std::error_code ec;
    return !path.empty() && fs::exists(fs::path(path), ec);
}

bool sameFile(const std::string &a, const std::string &b)
{
    std::error_code ec;
    return fs::equivalent(fs::path(a), fs::path(b), ec);
}

// Moves from to to, failing instead of replacing a file that appeared at to meanwhile.
std::error_code renameNoReplace(const std::string &from, const std::string &to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return {};
    const int err = errno;
    if (err != EINVAL && err != ENOSYS)
        return {err, std::generic_category()};
    // A file system without the no-replace flag: the existence test done just before stands.
    std::error_code ec;
    fs::rename(fs::path(from), fs::path(to), ec);
    return ec;
}
} // namespace

TceThread &TCommandEngine::currentRun() const
{
    if (!m_running.load() || !m_run)
        throw std::logic_error("list update outside a command run");
    return *m_run;
}

AviFilePtr TCommandEngine::buildFichier(const std::string &path) const
{
    if (!m_fichierClass)
        throw std::logic_error("the engine has no file class to build file objects with");
    AviFilePtr fichier = m_fichierClass(path);
    if (!fichier)
        throw std::runtime_error("no file object could be built for " + path);
    return fichier;
}

void TCommandEngine::AddFichier(const std::string &path)
{
    if (!pathExists(path))
        return;
    AviFilePtr fichier = buildFichier(path);
    handOff([&] { m_dest.AddFile(fichier, false); });
}

void TCommandEngine::RemoveFichier()
{
    TceThread &run = currentRun();
    if (!run.Fichier)
        return;
    handOff([&] { m_source.RemoveFile(run.Fichier.get()); });
}

void TCommandEngine::ReloadFichier()
{
    TceThread &run = currentRun();
    if (!run.Fichier)
        return;
    AviFilePtr fichier = buildFichier(run.Fichier->FullPath);
    handOff([&] { m_source.SwapFile(run.Fichier.get(), fichier); });
    run.Fichier = std::move(fichier);
}

void TCommandEngine::ReplaceFichier(const std::string &path)
{
    TceThread &run = currentRun();
    if (!run.Fichier || !pathExists(path))
        return;
    const std::string current = run.Fichier->FullPath;
    // A destination that is the file itself must not be deleted as "the old file".
    if (current == path || sameFile(current, path)) {
        ReloadFichier();
        return;
    }
    // The new object is built first, so that a failure leaves the old file on disk.
    AviFilePtr fichier = buildFichier(path);
    std::error_code ec;
    fs::remove(fs::path(current), ec);
    if (ec) {
        // The old file stays, so its entry stays; the new file is listed beside it.
        handOff([&] { m_dest.AddFile(fichier, false); });
        throw std::system_error(ec, "cannot delete " + current);
    }
    handOff([&] { m_source.ReplaceFile(run.Fichier.get(), fichier); });
    run.Fichier = std::move(fichier);
}

void TCommandEngine::RenameFichier(const std::string &path)
{
    TceThread &run = currentRun();
    if (!run.Fichier || path.empty())
        return;
    const std::string current = run.Fichier->FullPath;
    if (current != path) {
        const bool sourceThere = pathExists(current);
        const bool destThere = pathExists(path);
        if (sourceThere && destThere && !sameFile(current, path))
            throw std::runtime_error(path + " already exists");
        if (!sourceThere && !destThere)
            throw std::runtime_error(current + " does not exist");
        // The rename commands move the file (and its companions) themselves first; only a file
        // still at its old place is moved here.
        if (sourceThere && !destThere) {
            if (const std::error_code ec = renameNoReplace(current, path))
                throw std::system_error(ec, "cannot rename " + current + " to " + path);
        }
    }
    handOff([&] {
        run.Fichier->SetPath(path);
        m_source.ReplaceFile(run.Fichier.get(), run.Fichier);
    });
}

} // namespace camlog::engine
