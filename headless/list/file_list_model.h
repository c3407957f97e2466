// The file list without a widget: entries in sort order, the active entry, the selection, the
// counts, and the openings of files, folders and playlists on background threads.
#pragma once

#include "core/avi_fichier.h"
#include "engine/engine_list.h"
#include "headless/list/list_row_observer.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace camlog::ui {

using engine::AviFilePtr;

// Hands work to the thread that owns a file list. Called from opening threads. It must queue the
// task and return without waiting for it (an opening never waits for its owner, so the owner may
// join an opening at any time); the owner runs the queued tasks in the order they came.
class ListDispatcher {
public:
    virtual ~ListDispatcher() = default;
    virtual void runOnOwnerThread(std::function<void()> task) = 0;
};

// Sort indexes are positions in core::kSortIndexes.
using SortIndex = std::size_t;
inline constexpr SortIndex kSortAlpha = 0;
// The index of a key word among all eight; nothing for an unknown word.
std::optional<SortIndex> FindSortIndex(std::string_view keyWord);
// The index restored from the saved setting: "alpha", "modify", "taille", "datecode", "timecode"
// and "duree" give theirs; any other word ("extension" and "chemin" included) gives "alpha".
SortIndex RestoreSortIndex(std::string_view keyWord);
// Sort keys compared as text without regard to case (ASCII letters folded; other bytes by value,
// so the "no datecode" keys, which start above every letter, come last). <0, 0, >0.
int CompareKeys(std::string_view a, std::string_view b);
// The lower-cased extension is ".avi": the test the main window gives its openings.
bool IsAviFileName(std::string_view fileName);

// What went wrong in an opening, told instead of dropping the path without a word.
enum class OpenErrorCode {
    NotFound,           // a named path does not exist
    FolderNotOpened,    // a playlist line or a chosen path names a folder: folders are not descended there
    NotAccepted,        // a named file was refused by the extension test
    UnreadableFolder,   // a folder could not be listed (its files are missing from the list)
    UnreadablePlaylist, // a playlist could not be read
    UnreadableFile      // a named file cannot be read as a video (it is still listed unless no regular file)
};
struct OpenError {
    OpenErrorCode code;
    std::string path;
    std::string message;
};

// Builds the file object of a file found by an opening, on the opening thread: the folder with
// its trailing "/" and the search record of the file. Must be callable from several threads.
using AviFileFactory = std::function<AviFilePtr(const std::string &folder, const core::TSearchRec &rec)>;
// The factory of TaviFichier objects (CreateFromSearch) with the given context; the context's
// prober and locale must outlive every opening.
AviFileFactory TaviFichierFactory(core::AviFileContext context);
// Told, on an opening thread, the paths of the next files the opening will build objects for,
// in that order, ahead of the building: files not in memory can then be read from the disk
// together rather than one after the other. Must be callable from several threads.
using FileAnnouncer = std::function<void(const std::vector<std::string> &paths)>;
// Hands the paths to the context's prober (MediaProber::WillProbe); the prober must outlive
// every opening.
FileAnnouncer ProbeAnnouncer(core::AviFileContext context);

// The list. Everything but the constructor's dispatcher runs on the owner thread: every change of
// the list and every event, including those of an opening, happens there.
class FileListModel : public engine::EngineList {
public:
    FileListModel(ListDispatcher &dispatcher, AviFileFactory factory, FileAnnouncer announcer = {});
    // Stops and joins the running openings; their pending results are dropped without events.
    ~FileListModel() override;
    FileListModel(const FileListModel &) = delete;
    FileListModel &operator=(const FileListModel &) = delete;

    // ---- Events (owner thread) -------------------------------------------------------------
    // After each file an opening added (folder with its trailing "/").
    std::function<void(const std::string &folder, const AviFilePtr &fichier)> OnOpenFileFound;
    // An opening that descends folders starts scanning one (with its trailing "/").
    std::function<void(const std::string &folder)> OnOpenFolderFound;
    // Decides whether a found file is opened; unset opens every file. Unlike the other events it
    // is called on the opening thread: each opening takes a copy when it starts, so it must be a
    // pure function of the name.
    std::function<bool(const std::string &fileName)> OnOpenTestExtension;
    std::function<void()> OnOpenStart;
    // An opening ended; nb is the number of files it opened.
    std::function<void(int nb)> OnOpenEnd;
    std::function<void(const OpenError &error)> OnOpenError;
    // False refuses an entry before it is added.
    std::function<bool(const AviFilePtr &fichier)> BeforeLister;
    // The selection or the entry count may have changed.
    std::function<void(int selCount, int count)> OnCountsChange;
    // The active entry changed (null: no entry).
    std::function<void(const AviFilePtr &actif)> OnActiveChange;
    // Follows every change of the rows (a view's model); null for none. Not owned.
    void SetRowObserver(ListRowObserver *observer) { m_rows = observer; }

    // ---- Properties ----------------------------------------------------------------------
    bool SelectionnerOuverts = false; // files added by an opening are selected as they arrive
    std::string PreferredPlayList;
    std::string PreferredFolder;

    // ---- Entries ---------------------------------------------------------------------------
    int Count() const { return static_cast<int>(m_entries.size()); }
    int SelCount() const;
    AviFilePtr GetFile(int index) const;
    int IndexOf(const core::TaviFichier *fichier) const; // -1 when no entry holds it
    const std::string &KeyAt(int index) const;
    // Selection lives here: the view shows it and forwards the user's changes.
    bool IsSelected(int index) const;
    int ItemIndex() const; // the current entry (the one that becomes active), -1 for none
    bool IsEnabled() const { return m_enabled; }

    // Inserts at the sorted place; returns the index, or -1 when BeforeLister refused. A file
    // already listed (same full path) gives its entry the new object, keeping its selection.
    int InsertFile(AviFilePtr fichier, bool select);
    void RemoveSelected();
    void ClearList();
    // -1 clears the current entry; 0..Count()-1 makes it current and selects it; other values
    // are ignored. Then refreshes the active entry and the counts.
    void SetActive(int index);
    // true selects every entry, false keeps only the current one selected.
    void SelectAll(bool flag);
    // The user's selection of one entry (a click with Ctrl): no active refresh.
    void SetSelectedAt(int index, bool selected);
    // The user's selection in a view: exactly these rows are selected; one counts event.
    void SetSelection(const std::vector<int> &rows);

    SortIndex GetSortIndex() const { return m_sortIndex; }
    // Re-sorts, keeping the active entry and the selection. Out-of-range values are ignored.
    void SetSortIndex(SortIndex sortIndex);
    void Resort();
    // "3 files on 10 - sorted by datecode": the status label under the list.
    std::string CountsText() const;

    // ---- Openings (each starts a thread and returns at once) ------------------------------------
    // Paths chosen in a dialog: files are opened, folders are not descended.
    void OpenPaths(std::vector<std::string> paths);
    // Every file below the folder, in all subfolders.
    void OpenFolder(std::string folder);
    void OpenPreferredFolder() { OpenFolder(PreferredFolder); }
    void OpenPlayList(std::string playlist);
    void OpenPreferredPlayList() { OpenPlayList(PreferredPlayList); }
    // Files from the clipboard: files are opened, folders descended.
    void PasteFiles(std::vector<std::string> paths);
    // Files dropped on the list: as pasted ones, but a ".txt" file is opened as a playlist.
    void OpenDropped(std::vector<std::string> paths);
    // Every file on the mounted disks (MountedDiskFolders()); each disk is scanned without
    // crossing into the other file systems mounted below it.
    void OpenAllDrives();
    // The same on the given mount points (what OpenAllDrives reads from the system).
    void OpenAllDrives(std::vector<std::string> mountPoints);
    // Stops every running opening and returns once each has ended (its end event has run).
    void AbortOpen();
    // True between an opening's start and end events (while any opening runs).
    bool Opening() const { return m_runningOpenings > 0; }

    // ---- EngineList ------------------------------------------------------------------------
    AviFilePtr ActiveFile() const override { return m_active; }
    std::vector<AviFilePtr> Files() const override;
    std::vector<AviFilePtr> SelectedFiles() const override;
    void SetSelected(const core::TaviFichier *fichier, bool selected) override;
    void SetEnabled(bool enabled) override { m_enabled = enabled; }
    void AddFile(AviFilePtr fichier, bool select) override { InsertFile(std::move(fichier), select); }
    void RemoveFile(const core::TaviFichier *fichier) override;
    bool SwapFile(const core::TaviFichier *old, AviFilePtr fichier) override;
    void ReplaceFile(const core::TaviFichier *old, AviFilePtr fichier) override;
    void RefreshActive() override;
    void RefreshActiveAndCounts() override;

    struct OpenJob;
    struct Inbox;

private:
    struct Entry {
        std::string key;
        AviFilePtr fichier;
        bool selected = false;
    };

    bool entryLess(const std::string &keyA, const std::string &pathA, const Entry &b) const;
    // Removes the entry; tells whether it was the active entry (Active is then cleared, silently).
    bool removeAt(std::size_t index);
    void refreshCounts();
    // Tells the row observer, when there is one.
    void rowsChanged(int first, int last);
    void rowChanged(const AviFilePtr &fichier);
    void eraseAt(std::size_t index);
    void insertAt(std::size_t index, Entry entry);
    void setSelected(std::size_t index, bool selected);
    void startOpening(int kind, std::vector<std::string> paths);
    void drainInbox();
    void finishOpening(OpenJob *opening, int total);

    ListDispatcher &m_dispatcher;
    AviFileFactory m_factory;
    FileAnnouncer m_announcer;
    std::vector<Entry> m_entries;
    SortIndex m_sortIndex = kSortAlpha;
    AviFilePtr m_current; // the entry that becomes active at the next refresh
    AviFilePtr m_active;
    bool m_enabled = true;
    int m_runningOpenings = 0;
    std::list<std::unique_ptr<OpenJob>> m_openings;
    std::shared_ptr<Inbox> m_inbox;
    ListRowObserver *m_rows = nullptr;
};

} // namespace camlog::ui
