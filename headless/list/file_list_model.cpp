// The file list model: sorted entries, active entry, selection, counts, and the opening threads.
#include "headless/list/file_list_model.h"

#include "core/list_files.h"
#include "core/read_problem.h"
#include "headless/list/mounted_disks.h"

#include <algorithm>
#include <chrono>
#include <deque>
#include <filesystem>
#include <optional>
#include <set>
#include <system_error>
#include <utility>

#include <fnmatch.h>
#include <sys/stat.h>

namespace camlog::ui {

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------------------
// Sort indexes and keys

std::optional<SortIndex> FindSortIndex(std::string_view keyWord)
{
    for (std::size_t i = 0; i < core::kSortIndexes.size(); ++i)
        if (core::kSortIndexes[i].KeyWord == keyWord)
            return i;
    return std::nullopt;
}

SortIndex RestoreSortIndex(std::string_view keyWord)
{
    if (keyWord == "extension" || keyWord == "chemin")
        return kSortAlpha;
    return FindSortIndex(keyWord).value_or(kSortAlpha);
}

namespace {
unsigned char foldAscii(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}
} // namespace

int CompareKeys(std::string_view a, std::string_view b)
{
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char x = foldAscii(a[i]);
        const unsigned char y = foldAscii(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool IsAviFileName(std::string_view fileName)
{
    const auto dot = fileName.find_last_of('.');
    if (dot == std::string_view::npos)
        return false;
    return CompareKeys(fileName.substr(dot), ".avi") == 0;
}

AviFileFactory TaviFichierFactory(core::AviFileContext context)
{
    return [context = std::move(context)](const std::string &folder, const core::TSearchRec &rec) -> AviFilePtr {
        return core::TaviFichier::CreateFromSearch(folder, rec, context);
    };
}

FileAnnouncer ProbeAnnouncer(core::AviFileContext context)
{
    return [prober = context.prober](const std::vector<std::string> &paths) {
        if (prober)
            prober->WillProbe(paths);
    };
}

// ---------------------------------------------------------------------------------------
// What the opening threads hand to the owner thread, in order.

struct FileListModel::Inbox {
    std::mutex mutex;
    std::deque<std::function<void(FileListModel &)>> items;
    FileListModel *model = nullptr; // owner thread only; null once the model is gone

    static void drain(const std::weak_ptr<Inbox> &weak)
    {
        if (const auto inbox = weak.lock(); inbox && inbox->model)
            inbox->model->drainInbox();
    }
};

namespace {
constexpr int kKindPaths = 0;
constexpr int kKindFolder = 1;
constexpr int kKindPlaylist = 2;
constexpr int kKindAllDrives = 3;
constexpr int kKindPaste = 4;
constexpr int kKindDrop = 5;

bool hasWildcard(std::string_view name)
{
    return name.find_first_of("*?[") != std::string_view::npos;
}

bool maskMatches(const std::string &mask, const std::string &name)
{
    if (mask == "*" || mask == "*.*")
        return true;
    return ::fnmatch(mask.c_str(), name.c_str(), FNM_CASEFOLD) == 0;
}

// Paths of one folder share their start and differ near their end: compared from the end, a
// new file is told apart from every listed one at once.
bool samePath(const std::string &a, const std::string &b)
{
    return a.size() == b.size() && std::equal(a.rbegin(), a.rend(), b.rbegin());
}

std::string withSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}
} // namespace

struct FileListModel::OpenJob {
    int kind = kKindPaths;
    std::vector<std::string> paths;
    std::atomic<bool> stop{false};
    std::function<bool(const std::string &)> test;
    AviFileFactory factory;
    FileAnnouncer announcer;
    std::shared_ptr<Inbox> inbox;
    ListDispatcher *dispatcher = nullptr;
    std::thread thread;
    bool ended = false;                               // owner thread
    std::set<std::pair<dev_t, ino_t>> visitedFolders; // opening thread
    // While a mounted disk is scanned: the folders of other file systems mounted below it are
    // left out (the pseudo file systems, and the disks that are scanned on their own).
    std::optional<dev_t> device; // opening thread

    // Found files are handed over in batches: waking the owner for every file costs more than
    // building a small file's object. A found file is announced at once when kBatchWindow has
    // passed since the last announcement, else with the next one, so it waits at most that window
    // or the building of the next file. Every other item, the end included, goes at once.
    static constexpr std::chrono::milliseconds kBatchWindow{10};
    std::chrono::steady_clock::time_point lastWake{}; // opening thread
    bool unannounced = false;                         // opening thread: items no drain was asked for

    void post(std::function<void(FileListModel &)> item, bool batched = false)
    {
        bool wasEmpty = false;
        {
            const std::lock_guard lock(inbox->mutex);
            wasEmpty = inbox->items.empty();
            inbox->items.push_back(std::move(item));
        }
        // A non-empty inbox already has a drain on its way, or items of ours that we still announce.
        if (wasEmpty)
            unannounced = true;
        if (!unannounced)
            return;
        const auto now = std::chrono::steady_clock::now();
        if (batched && now - lastWake < kBatchWindow)
            return;
        lastWake = now;
        unannounced = false;
        dispatcher->runOnOwnerThread([weak = std::weak_ptr<Inbox>(inbox)] { Inbox::drain(weak); });
    }

    void error(OpenErrorCode code, const std::string &path, const std::string &message)
    {
        post([e = OpenError{code, path, message}](FileListModel &m) {
            if (m.OnOpenError)
                m.OnOpenError(e);
        });
    }

    bool accepted(const std::string &name) const { return !test || test(name); }

    // named: a file the user or a playlist named, whose failure to read is told.
    int addFile(const std::string &folder, const std::string &name, bool named = false)
    {
        core::TSearchRec rec;
        if (!core::FindFile(folder + name, rec)) {
            error(OpenErrorCode::NotFound, folder + name, folder + name + " has disappeared");
            return 0;
        }
        AviFilePtr fichier = factory(folder, rec);
        if (!fichier)
            return 0;
        if (named && !fichier->HasPicture && !fichier->HasAudio)
            error(OpenErrorCode::UnreadableFile, folder + name,
                  folder + name + " cannot be read: " + core::VideoReadProblem(folder + name));
        post(
            [folder, fichier = std::move(fichier)](FileListModel &m) {
                if (m.InsertFile(fichier, m.SelectionnerOuverts) >= 0 && m.OnOpenFileFound)
                    m.OnOpenFileFound(folder, fichier);
            },
            true);
        return 1;
    }

    // Every accepted file of the folder matching mask; with recurse the matching subfolders too.
    int scanFolder(const std::string &folder, const std::string &mask, bool recurse)
    {
        if (stop)
            return 0;
        struct stat st {};
        if (::stat(folder.c_str(), &st) == 0) {
            if (device && st.st_dev != *device)
                return 0;
            if (!visitedFolders.insert({st.st_dev, st.st_ino}).second)
                return 0; // a link back to a folder already scanned
        }
        if (recurse)
            post([folder](FileListModel &m) {
                if (m.OnOpenFolderFound)
                    m.OnOpenFolderFound(folder);
            });
        std::error_code ec;
        std::vector<std::string> names;
        fs::directory_iterator it(fs::path(folder), ec);
        for (; !ec && it != fs::directory_iterator(); it.increment(ec))
            names.push_back(it->path().filename().string());
        if (ec)
            error(OpenErrorCode::UnreadableFolder, folder, "cannot read the folder " + folder + ": " + ec.message());
        std::sort(names.begin(), names.end());
        int count = 0;
        std::size_t announcedTo = 0;
        for (std::size_t i = 0; i < names.size(); ++i) {
            const std::string &name = names[i];
            if (stop)
                break;
            if (!maskMatches(mask, name))
                continue;
            const fs::path full = fs::path(folder + name);
            std::error_code sec;
            const fs::file_status status = fs::status(full, sec); // follows links
            if (fs::is_directory(status)) {
                if (recurse)
                    count += scanFolder(folder + name + "/", mask, true);
            } else if (fs::is_regular_file(status) && accepted(name)) {
                announceAhead(folder, mask, names, i, announcedTo);
                count += addFile(folder, name);
            }
        }
        return count;
    }

    // Announces the files that follow names[from] (itself included) before their objects are
    // built, in batches that keep kAnnounceAhead files ahead of the building.
    static constexpr std::size_t kAnnounceAhead = 32;
    void announceAhead(const std::string &folder, const std::string &mask, const std::vector<std::string> &names,
                       std::size_t from, std::size_t &announcedTo) const
    {
        if (!announcer || announcedTo > from + kAnnounceAhead / 2)
            return;
        std::vector<std::string> paths;
        std::size_t i = std::max(from, announcedTo);
        for (; i < names.size() && paths.size() < kAnnounceAhead; ++i)
            if (maskMatches(mask, names[i]) && accepted(names[i]))
                paths.push_back(folder + names[i]);
        announcedTo = i;
        if (!paths.empty())
            announcer(paths);
    }

    // A path named by the user or a playlist: a file, a folder (descended only with recurse),
    // or a folder followed by a mask with wildcards.
    int openPath(const std::string &path, bool recurse)
    {
        if (stop || path.empty())
            return 0;
        std::error_code ec;
        fs::path full = fs::absolute(fs::path(path), ec).lexically_normal();
        std::string text = full.string();
        while (text.size() > 1 && text.back() == '/')
            text.pop_back();
        const auto slash = text.find_last_of('/');
        const std::string folder = text.substr(0, slash + 1);
        const std::string name = text.substr(slash + 1);
        if (hasWildcard(name))
            return scanFolder(folder, name, recurse);
        const fs::file_status status = fs::status(fs::path(text), ec);
        if (ec && status.type() != fs::file_type::not_found) {
            // A folder on the way that may not be searched is no missing file.
            error(OpenErrorCode::UnreadableFile, path, path + " cannot be read: " + ec.message());
            return 0;
        }
        if (!fs::exists(status)) {
            error(OpenErrorCode::NotFound, path, path + " does not exist");
            return 0;
        }
        if (fs::is_directory(status)) {
            if (recurse)
                return scanFolder(withSlash(text), "*", true);
            error(OpenErrorCode::FolderNotOpened, path, path + " is a folder: open it as a folder");
            return 0;
        }
        if (!accepted(name)) {
            error(OpenErrorCode::NotAccepted, path, path + " is not a file this list opens");
            return 0;
        }
        // A FIFO or a device would block or never end whoever reads it.
        if (!fs::is_regular_file(status)) {
            error(OpenErrorCode::UnreadableFile, path, path + " cannot be read: it is not a regular file");
            return 0;
        }
        return addFile(folder, name, true);
    }

    // Every accepted file of one mounted disk; a mount point that is not a folder opens nothing.
    int openDisk(const std::string &mountPoint)
    {
        struct stat st {};
        if (stop || ::stat(mountPoint.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            return 0;
        device = st.st_dev;
        const int count = scanFolder(withSlash(mountPoint), "*", true);
        device.reset();
        return count;
    }

    int openPlaylist(const std::string &playlist)
    {
        auto lines = core::ReadPlaylist(fs::path(playlist));
        if (!lines) {
            error(OpenErrorCode::UnreadablePlaylist, playlist,
                  "cannot read the playlist " + playlist + ": " + lines.error().message);
            return 0;
        }
        // Relative lines are relative to the playlist's own folder, not to the current folder.
        std::error_code ec;
        const fs::path base = fs::absolute(fs::path(playlist), ec).parent_path();
        int total = 0;
        for (const std::string &line : lines.value()) {
            if (stop)
                break;
            const fs::path p(line);
            total += openPath(p.is_absolute() ? line : (base / p).string(), false);
        }
        return total;
    }

    void run()
    {
        post([](FileListModel &m) {
            if (m.OnOpenStart)
                m.OnOpenStart();
        });
        int total = 0;
        switch (kind) {
        case kKindPaths:
            for (const std::string &path : paths)
                total += openPath(path, false);
            break;
        case kKindFolder:
            for (const std::string &path : paths)
                total += openPath(path, true);
            break;
        case kKindPlaylist:
            for (const std::string &path : paths)
                total += openPlaylist(path);
            break;
        case kKindAllDrives:
            for (const std::string &path : paths) {
                if (stop)
                    break;
                total += openDisk(path);
            }
            break;
        case kKindPaste:
        case kKindDrop:
            for (const std::string &path : paths) {
                if (stop)
                    break;
                if (kind == kKindDrop && fs::path(path).extension() == ".txt")
                    total += openPlaylist(path);
                else
                    total += openPath(path, true);
            }
            break;
        default:
            break;
        }
        post([this, total](FileListModel &m) { m.finishOpening(this, total); });
    }
};

// ---------------------------------------------------------------------------------------

FileListModel::FileListModel(ListDispatcher &dispatcher, AviFileFactory factory, FileAnnouncer announcer)
    : m_dispatcher(dispatcher),
      m_factory(std::move(factory)),
      m_announcer(std::move(announcer)),
      m_inbox(std::make_shared<Inbox>())
{
    m_inbox->model = this;
}

FileListModel::~FileListModel()
{
    m_inbox->model = nullptr;
    for (auto &opening : m_openings)
        opening->stop = true;
    for (auto &opening : m_openings)
        if (opening->thread.joinable())
            opening->thread.join();
    const std::lock_guard lock(m_inbox->mutex);
    m_inbox->items.clear();
}

int FileListModel::SelCount() const
{
    return static_cast<int>(
        std::count_if(m_entries.begin(), m_entries.end(), [](const Entry &e) { return e.selected; }));
}

AviFilePtr FileListModel::GetFile(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return m_entries[static_cast<std::size_t>(index)].fichier;
}

int FileListModel::IndexOf(const core::TaviFichier *fichier) const
{
    if (!fichier)
        return -1;
    for (std::size_t i = 0; i < m_entries.size(); ++i)
        if (m_entries[i].fichier.get() == fichier)
            return static_cast<int>(i);
    return -1;
}

const std::string &FileListModel::KeyAt(int index) const
{
    return m_entries.at(static_cast<std::size_t>(index)).key;
}

bool FileListModel::IsSelected(int index) const
{
    return index >= 0 && index < Count() && m_entries[static_cast<std::size_t>(index)].selected;
}

int FileListModel::ItemIndex() const
{
    return IndexOf(m_current.get());
}

// Keys equal without regard to case (two files whose paths differ only in case) are ordered by
// the exact key, then by the path, so that they stay two entries.
bool FileListModel::entryLess(const std::string &keyA, const std::string &pathA, const Entry &b) const
{
    if (const int c = CompareKeys(keyA, b.key); c != 0)
        return c < 0;
    if (const int c = keyA.compare(b.key); c != 0)
        return c < 0;
    return pathA < b.fichier->FullPath;
}

int FileListModel::InsertFile(AviFilePtr fichier, bool select)
{
    if (!fichier)
        return -1;
    if (BeforeLister && !BeforeLister(fichier))
        return -1;
    const std::string key = fichier->GetSortKey(core::kSortIndexes[m_sortIndex].KeyWord);

    // The same file again (a reload): its entry takes the new object. When the key changed with
    // the file, the entry moves to its new place.
    bool keepSelected = false;
    bool wasCurrent = false;
    bool wasActive = false;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        Entry &e = m_entries[i];
        if (!samePath(e.fichier->FullPath, fichier->FullPath))
            continue;
        if (e.key == key) {
            if (m_current == e.fichier)
                m_current = fichier;
            if (m_active == e.fichier)
                m_active = fichier;
            e.fichier = fichier;
            e.selected = e.selected || select;
            rowsChanged(static_cast<int>(i), static_cast<int>(i));
            refreshCounts();
            return static_cast<int>(i);
        }
        keepSelected = e.selected;
        wasCurrent = m_current == e.fichier;
        wasActive = m_active == e.fichier;
        eraseAt(i);
        break;
    }

    // After every entry that does not sort after the new one; the entries are in entryLess order.
    const auto after =
        std::upper_bound(m_entries.begin(), m_entries.end(), key,
                         [&](const std::string &k, const Entry &e) { return entryLess(k, fichier->FullPath, e); });
    const auto place = static_cast<std::size_t>(after - m_entries.begin());
    insertAt(place, Entry{key, fichier, select || keepSelected});
    if (wasCurrent)
        m_current = fichier;
    if (wasActive)
        m_active = fichier;
    if (m_entries.size() == 1)
        SetActive(0);
    else
        refreshCounts();
    return static_cast<int>(place);
}

bool FileListModel::removeAt(std::size_t index)
{
    const AviFilePtr fichier = m_entries[index].fichier;
    eraseAt(index);
    if (m_current == fichier)
        m_current = nullptr;
    if (m_active == fichier) {
        m_active = nullptr;
        return true;
    }
    return false;
}

void FileListModel::RemoveFile(const core::TaviFichier *fichier)
{
    const int index = IndexOf(fichier);
    if (index < 0)
        return;
    // The panels must not go on showing a file that has left the list.
    if (removeAt(static_cast<std::size_t>(index)) && OnActiveChange)
        OnActiveChange(nullptr);
    refreshCounts();
}

bool FileListModel::SwapFile(const core::TaviFichier *old, AviFilePtr fichier)
{
    const int index = IndexOf(old);
    if (index < 0 || !fichier)
        return false;
    Entry &e = m_entries[static_cast<std::size_t>(index)];
    if (m_current == e.fichier)
        m_current = fichier; // becomes the active entry at the next refresh
    e.fichier = std::move(fichier);
    rowsChanged(index, index);
    return true;
}

void FileListModel::ReplaceFile(const core::TaviFichier *old, AviFilePtr fichier)
{
    if (!fichier)
        return;
    const int index = IndexOf(old);
    if (index >= 0)
        removeAt(static_cast<std::size_t>(index)); // the active change is told once, below
    const int added = InsertFile(fichier, false);
    if (added < 0) {
        RefreshActiveAndCounts();
        return;
    }
    if (!m_current)
        m_current = fichier;
    setSelected(static_cast<std::size_t>(added), true);
    RefreshActiveAndCounts();
}

void FileListModel::SetSelected(const core::TaviFichier *fichier, bool selected)
{
    const int index = IndexOf(fichier);
    if (index < 0 || m_entries[static_cast<std::size_t>(index)].selected == selected)
        return;
    // A run changes the selection file by file: the counter shows each change.
    setSelected(static_cast<std::size_t>(index), selected);
    refreshCounts();
}

void FileListModel::SetSelectedAt(int index, bool selected)
{
    if (index < 0 || index >= Count())
        return;
    setSelected(static_cast<std::size_t>(index), selected);
    refreshCounts();
}

void FileListModel::SetSelection(const std::vector<int> &rows)
{
    std::vector<bool> wanted(m_entries.size(), false);
    for (int row : rows)
        if (row >= 0 && row < Count())
            wanted[static_cast<std::size_t>(row)] = true;
    for (std::size_t i = 0; i < m_entries.size(); ++i)
        if (m_entries[i].selected != wanted[i])
            setSelected(i, wanted[i]);
    refreshCounts();
}

void FileListModel::RemoveSelected()
{
    int first = -1;
    bool activeGone = false;
    for (std::size_t i = m_entries.size(); i-- > 0;) {
        if (!m_entries[i].selected)
            continue;
        first = static_cast<int>(i);
        activeGone = removeAt(i) || activeGone;
    }
    if (first < 0) {
        refreshCounts();
        return;
    }
    if (m_entries.empty()) {
        if (activeGone && OnActiveChange)
            OnActiveChange(nullptr);
        SetActive(-1);
        return;
    }
    SetActive(std::max(first - 1, 0));
}

void FileListModel::ClearList()
{
    if (!m_entries.empty()) {
        const int last = Count() - 1;
        if (m_rows)
            m_rows->rowsAboutToBeRemoved(0, last);
        m_entries.clear();
        if (m_rows)
            m_rows->rowsRemoved(0, last);
    }
    m_current = nullptr;
    RefreshActiveAndCounts();
}

void FileListModel::SetActive(int index)
{
    if (index == -1) {
        m_current = nullptr;
    } else if (index >= 0 && index < Count()) {
        m_current = m_entries[static_cast<std::size_t>(index)].fichier;
        setSelected(static_cast<std::size_t>(index), true);
    } else {
        return;
    }
    RefreshActiveAndCounts();
}

void FileListModel::SelectAll(bool flag)
{
    for (Entry &e : m_entries)
        e.selected = flag || e.fichier == m_current;
    rowsChanged(0, Count() - 1);
    refreshCounts();
}

void FileListModel::SetSortIndex(SortIndex sortIndex)
{
    if (sortIndex >= core::kSortIndexes.size())
        return;
    m_sortIndex = sortIndex;
    Resort();
    refreshCounts();
}

void FileListModel::Resort()
{
    const std::string_view keyWord = core::kSortIndexes[m_sortIndex].KeyWord;
    if (m_rows)
        m_rows->rowsAboutToBeReordered();
    for (Entry &e : m_entries)
        e.key = e.fichier->GetSortKey(keyWord);
    std::stable_sort(m_entries.begin(), m_entries.end(),
                     [this](const Entry &a, const Entry &b) { return entryLess(a.key, a.fichier->FullPath, b); });
    if (m_rows)
        m_rows->rowsReordered();
}

void FileListModel::RefreshActive()
{
    if (m_current && IndexOf(m_current.get()) < 0)
        m_current = nullptr;
    if (!m_current) {
        if (m_active) {
            const AviFilePtr old = std::exchange(m_active, nullptr);
            rowChanged(old);
            if (OnActiveChange)
                OnActiveChange(nullptr);
        }
        return;
    }
    if (m_current != m_active) {
        const AviFilePtr old = std::exchange(m_active, m_current);
        rowChanged(old);
        rowChanged(m_active);
        if (OnActiveChange)
            OnActiveChange(m_active);
    }
    const int index = IndexOf(m_current.get());
    setSelected(static_cast<std::size_t>(index), true);
}

void FileListModel::RefreshActiveAndCounts()
{
    RefreshActive();
    refreshCounts();
}

void FileListModel::rowsChanged(int first, int last)
{
    if (m_rows && first <= last)
        m_rows->rowsChanged(first, last);
}

void FileListModel::rowChanged(const AviFilePtr &fichier)
{
    if (!fichier)
        return;
    const int index = IndexOf(fichier.get());
    if (index >= 0)
        rowsChanged(index, index);
}

void FileListModel::eraseAt(std::size_t index)
{
    const int row = static_cast<int>(index);
    if (m_rows)
        m_rows->rowsAboutToBeRemoved(row, row);
    m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(index));
    if (m_rows)
        m_rows->rowsRemoved(row, row);
}

void FileListModel::insertAt(std::size_t index, Entry entry)
{
    const int row = static_cast<int>(index);
    if (m_rows)
        m_rows->rowsAboutToBeInserted(row, row);
    m_entries.insert(m_entries.begin() + static_cast<std::ptrdiff_t>(index), std::move(entry));
    if (m_rows)
        m_rows->rowsInserted(row, row);
}

void FileListModel::setSelected(std::size_t index, bool selected)
{
    Entry &e = m_entries[index];
    if (e.selected == selected)
        return;
    e.selected = selected;
    rowsChanged(static_cast<int>(index), static_cast<int>(index));
}

void FileListModel::refreshCounts()
{
    if (OnCountsChange)
        OnCountsChange(SelCount(), Count());
}

std::string FileListModel::CountsText() const
{
    const int sel = SelCount();
    return std::to_string(sel) + " file" + (sel >= 2 ? "s" : "") + " on " + std::to_string(Count()) + " - "
           + std::string(core::kSortIndexes[m_sortIndex].StatusText);
}

std::vector<AviFilePtr> FileListModel::Files() const
{
    std::vector<AviFilePtr> files;
    files.reserve(m_entries.size());
    for (const Entry &e : m_entries)
        files.push_back(e.fichier);
    return files;
}

std::vector<AviFilePtr> FileListModel::SelectedFiles() const
{
    std::vector<AviFilePtr> files;
    for (const Entry &e : m_entries)
        if (e.selected)
            files.push_back(e.fichier);
    return files;
}

// ---------------------------------------------------------------------------------------
// Openings

void FileListModel::startOpening(int kind, std::vector<std::string> paths)
{
    auto opening = std::make_unique<OpenJob>();
    opening->kind = kind;
    opening->paths = std::move(paths);
    opening->test = OnOpenTestExtension;
    opening->factory = m_factory;
    opening->announcer = m_announcer;
    opening->inbox = m_inbox;
    opening->dispatcher = &m_dispatcher;
    OpenJob *raw = opening.get();
    m_openings.push_back(std::move(opening));
    ++m_runningOpenings;
    raw->thread = std::thread([raw] { raw->run(); });
}

void FileListModel::OpenPaths(std::vector<std::string> paths)
{
    startOpening(kKindPaths, std::move(paths));
}

void FileListModel::OpenFolder(std::string folder)
{
    startOpening(kKindFolder, {std::move(folder)});
}

void FileListModel::OpenPlayList(std::string playlist)
{
    startOpening(kKindPlaylist, {std::move(playlist)});
}

void FileListModel::PasteFiles(std::vector<std::string> paths)
{
    startOpening(kKindPaste, std::move(paths));
}

void FileListModel::OpenDropped(std::vector<std::string> paths)
{
    startOpening(kKindDrop, std::move(paths));
}

void FileListModel::OpenAllDrives()
{
    OpenAllDrives(MountedDiskFolders());
}

void FileListModel::OpenAllDrives(std::vector<std::string> mountPoints)
{
    startOpening(kKindAllDrives, std::move(mountPoints));
}

void FileListModel::AbortOpen()
{
    for (auto &opening : m_openings)
        opening->stop = true;
    for (auto &opening : m_openings)
        if (opening->thread.joinable())
            opening->thread.join();
    // Each joined opening has queued its last item (its end); run them now.
    drainInbox();
}

void FileListModel::drainInbox()
{
    for (;;) {
        std::function<void(FileListModel &)> item;
        {
            const std::lock_guard lock(m_inbox->mutex);
            if (m_inbox->items.empty())
                return;
            item = std::move(m_inbox->items.front());
            m_inbox->items.pop_front();
        }
        item(*this);
    }
}

void FileListModel::finishOpening(OpenJob *opening, int total)
{
    if (opening->ended)
        return;
    opening->ended = true;
    if (opening->thread.joinable())
        opening->thread.join(); // it has queued this item and is returning
    --m_runningOpenings;
    m_openings.remove_if([opening](const std::unique_ptr<OpenJob> &o) { return o.get() == opening; });
    if (OnOpenEnd)
        OnOpenEnd(total);
}

} // namespace camlog::ui
