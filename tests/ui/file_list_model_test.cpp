// The file list model: sorted entries, active entry and selection, and openings of files, folders
// and playlists on their threads with every change delivered on the owner's thread.
#include "headless/list/file_list_model.h"
#include "headless/list/mounted_disks.h"
#include "headless/list/queue_dispatcher.h"

#include "media/decoding/avi_probe.h"
#include "support/test_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

namespace camlog::ui {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using ::testing::ElementsAre;

AviFilePtr Fake(const std::string &path)
{
    return core::TaviFichier::Create(path, core::AviFileContext{});
}

std::vector<std::string> Names(const FileListModel &list)
{
    std::vector<std::string> names;
    for (const auto &f : list.Files())
        names.push_back(f->FileName);
    return names;
}

class FileListTest : public ::testing::Test {
protected:
    FileListTest() : list(dispatcher, TaviFichierFactory(core::AviFileContext{&prober}))
    {
        ownerThread = std::this_thread::get_id();
        list.SelectionnerOuverts = true;
        list.OnOpenTestExtension = [](const std::string &name) {
            return IsAviFileName(name);
        };
        list.OnOpenStart = [this] {
            checkThread();
            events.push_back("start");
        };
        list.OnOpenEnd = [this](int nb) {
            checkThread();
            events.push_back("end " + std::to_string(nb));
            ++ended;
        };
        list.OnOpenFolderFound = [this](const std::string &folder) {
            checkThread();
            folders.push_back(folder);
        };
        list.OnOpenFileFound = [this](const std::string &, const AviFilePtr &f) {
            checkThread();
            found.push_back(f->FileName);
        };
        list.OnOpenError = [this](const OpenError &e) {
            checkThread();
            errors.push_back(e);
        };
        list.OnActiveChange = [this](const AviFilePtr &f) {
            checkThread();
            actives.push_back(f ? f->FileName : "(none)");
        };
        list.OnCountsChange = [this](int sel, int count) {
            checkThread();
            lastCounts = {sel, count};
        };
    }

    void checkThread() { EXPECT_EQ(std::this_thread::get_id(), ownerThread); }

    // Serves the dispatcher until n openings have ended.
    void WaitEnded(int n = 1)
    {
        ASSERT_TRUE(dispatcher.runUntil([&] { return ended >= n; }, 60s));
        EXPECT_FALSE(list.Opening());
    }

    fs::path Scratch(const std::string &name) { return camlog::test::scratchDir("filelist_" + name); }

    static void Link(const std::string &fixture, const fs::path &to)
    {
        fs::create_directories(to.parent_path());
        fs::create_symlink(camlog::test::fixturePath(fixture), to);
    }

    static void WriteText(const fs::path &path, const std::string &text)
    {
        std::ofstream(path, std::ios::binary) << text;
    }

    // n fake entries a.avi, b.avi, ... (nothing probed).
    void Fill(int n)
    {
        for (int i = 0; i < n; ++i)
            list.AddFile(Fake("/v/" + std::string(1, static_cast<char>('a' + i)) + ".avi"), false);
    }

    media::AviProber prober;
    QueueDispatcher dispatcher;
    FileListModel list;
    std::thread::id ownerThread;
    std::vector<std::string> events, folders, found, actives;
    std::vector<OpenError> errors;
    std::pair<int, int> lastCounts{-1, -1};
    int ended = 0;
};

// ---- Sort indexes and keys -------------------------------------------------------------------

TEST(SortIndexes, RestoringAnUnknownOrUnofferedKeyWordGivesAlpha)
{
    EXPECT_EQ(RestoreSortIndex("datecode"), *FindSortIndex("datecode"));
    EXPECT_EQ(RestoreSortIndex("duree"), 7u);
    EXPECT_EQ(RestoreSortIndex("bogus"), kSortAlpha);
    EXPECT_EQ(RestoreSortIndex(""), kSortAlpha);
    EXPECT_EQ(RestoreSortIndex("extension"), kSortAlpha);
    EXPECT_EQ(RestoreSortIndex("chemin"), kSortAlpha);
    EXPECT_EQ(FindSortIndex("chemin"), 2u);
    EXPECT_FALSE(FindSortIndex("Alpha").has_value());
}

TEST(SortKeys, ComparedWithoutRegardToCase)
{
    EXPECT_EQ(CompareKeys("ABC", "abc"), 0);
    EXPECT_LT(CompareKeys("abc", "ABD"), 0);
    EXPECT_LT(CompareKeys("ab", "abc"), 0);
    EXPECT_LT(CompareKeys("2004", std::string(core::kKeyNotLearned)), 0);
    EXPECT_LT(CompareKeys("zzz", std::string(core::kKeyUnreadable)), 0);
    EXPECT_TRUE(IsAviFileName("x.AVI"));
    EXPECT_FALSE(IsAviFileName("x.avi.txt"));
    EXPECT_FALSE(IsAviFileName("avi"));
}

// ---- Entries ------------------------------------------------------------------------------

TEST_F(FileListTest, EntriesAreKeptInKeyOrderAndTheFirstBecomesActive)
{
    list.AddFile(Fake("/v/Charlie.avi"), false);
    list.AddFile(Fake("/v/alpha.avi"), false);
    list.AddFile(Fake("/v/Bravo.avi"), true);
    EXPECT_THAT(Names(list), ElementsAre("alpha.avi", "Bravo.avi", "Charlie.avi"));
    ASSERT_TRUE(list.ActiveFile());
    EXPECT_EQ(list.ActiveFile()->FileName, "Charlie.avi"); // the first one added
    EXPECT_THAT(actives, ElementsAre("Charlie.avi"));
    EXPECT_EQ(list.ItemIndex(), 2);
    EXPECT_EQ(lastCounts, std::make_pair(2, 3));
    EXPECT_EQ(list.CountsText(), "2 files on 3 - sorted alphabetically");
}

TEST_F(FileListTest, TheSameFileAgainKeepsOneEntryHoldingTheNewObject)
{
    list.AddFile(Fake("/v/a.avi"), false);
    list.AddFile(Fake("/v/b.avi"), true);
    const AviFilePtr again = Fake("/v/b.avi");
    EXPECT_EQ(list.InsertFile(again, false), 1);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.GetFile(1), again);
    EXPECT_TRUE(list.IsSelected(1)); // the selection stays with the entry
}

TEST_F(FileListTest, PathsDifferingOnlyInCaseStayTwoEntries)
{
    list.AddFile(Fake("/v/Clip.avi"), false);
    list.AddFile(Fake("/v/clip.avi"), false);
    EXPECT_EQ(list.Count(), 2);
}

TEST_F(FileListTest, BeforeListerRefusesAnEntry)
{
    list.BeforeLister = [](const AviFilePtr &f) {
        return f->FileName != "no.avi";
    };
    EXPECT_EQ(list.InsertFile(Fake("/v/no.avi"), true), -1);
    EXPECT_EQ(list.InsertFile(Fake("/v/yes.avi"), true), 0);
    EXPECT_EQ(list.Count(), 1);
}

TEST_F(FileListTest, RemovingTheSelectedEntriesActivatesTheEntryBeforeTheFirst)
{
    Fill(6);
    list.SetSelectedAt(3, true);
    list.SetSelectedAt(4, true);
    list.SetSelectedAt(0, false);
    list.RemoveSelected();
    EXPECT_THAT(Names(list), ElementsAre("a.avi", "b.avi", "c.avi", "f.avi"));
    EXPECT_EQ(list.ActiveFile()->FileName, "c.avi");
    EXPECT_EQ(list.SelCount(), 1);
    EXPECT_EQ(lastCounts, std::make_pair(1, 4));

    list.SelectAll(false);
    list.SetSelectedAt(list.ItemIndex(), false);
    list.SetSelectedAt(0, true);
    list.RemoveSelected();
    EXPECT_EQ(list.ActiveFile()->FileName, "b.avi");
    EXPECT_EQ(list.ItemIndex(), 0);
}

TEST_F(FileListTest, RemovingTheActiveEntryTellsThePanels)
{
    Fill(2);
    const AviFilePtr a = list.GetFile(0);
    list.RemoveFile(a.get());
    EXPECT_EQ(list.ActiveFile(), nullptr);
    EXPECT_THAT(actives, ElementsAre("a.avi", "(none)"));
    list.ClearList();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(lastCounts, std::make_pair(0, 0));
}

TEST_F(FileListTest, SetActiveAndSelectAll)
{
    Fill(3);
    list.SetActive(2);
    EXPECT_EQ(list.ActiveFile()->FileName, "c.avi");
    list.SetActive(7); // ignored
    EXPECT_EQ(list.ActiveFile()->FileName, "c.avi");
    list.SelectAll(true);
    EXPECT_EQ(list.SelCount(), 3);
    list.SelectAll(false);
    EXPECT_EQ(list.SelectedFiles(), std::vector<AviFilePtr>{list.GetFile(2)});
    list.SetActive(-1);
    EXPECT_EQ(list.ActiveFile(), nullptr);
    EXPECT_EQ(list.ItemIndex(), -1);
}

// A run empties the selection and selects each file again as its pass starts: the counter under
// the list follows every one of these changes, also when a No or Cancel leaves files unselected.
TEST_F(FileListTest, TheCounterFollowsTheSelectionARunMakes)
{
    Fill(4);
    list.SelectAll(true);
    EXPECT_EQ(lastCounts, std::make_pair(4, 4));
    engine::EngineList &run = list;
    for (const AviFilePtr &f : run.SelectedFiles())
        run.SetSelected(f.get(), false);
    EXPECT_EQ(lastCounts, std::make_pair(0, 4));
    run.SetSelected(list.GetFile(1).get(), true);
    EXPECT_EQ(lastCounts, std::make_pair(1, 4));
    EXPECT_EQ(list.CountsText().substr(0, 9), "1 file on");
}

TEST_F(FileListTest, ResortingKeepsTheActiveEntryAndTheSelection)
{
    const auto dir = Scratch("resort");
    Link("tape_three-type1.avi", dir / "a_tape.avi");
    Link("ntsc_nodate-ffmpeg.avi", dir / "b_nodate.avi");
    Link("pal_16x9_32k-type1.avi", dir / "c_pal.avi");
    core::AviFileContext context{&prober};
    for (const char *name : {"a_tape.avi", "b_nodate.avi", "c_pal.avi"})
        list.AddFile(core::TaviFichier::Create((dir / name).string(), context), false);
    list.SetActive(1);
    list.SelectAll(false);
    list.SetSelectedAt(2, true);
    const AviFilePtr active = list.ActiveFile();
    const AviFilePtr selected = list.GetFile(2);

    list.SetSortIndex(*FindSortIndex("datecode"));
    // The file without a datecode comes after every dated file.
    EXPECT_EQ(list.GetFile(2)->FileName, "b_nodate.avi");
    EXPECT_EQ(list.ActiveFile(), active);
    EXPECT_EQ(list.ItemIndex(), list.IndexOf(active.get()));
    EXPECT_TRUE(list.IsSelected(list.IndexOf(selected.get())));
    EXPECT_EQ(list.SelCount(), 2);
    EXPECT_THAT(list.CountsText(), ::testing::EndsWith("sorted by datecode"));

    list.SetSortIndex(kSortAlpha);
    EXPECT_THAT(Names(list), ElementsAre("a_tape.avi", "b_nodate.avi", "c_pal.avi"));
}

// ---- What the engine asks ------------------------------------------------------------------

TEST_F(FileListTest, SwapFileKeepsThePlaceAndTheOldObject)
{
    Fill(2);
    const AviFilePtr a = list.GetFile(0);
    const AviFilePtr reloaded = Fake("/v/a.avi");
    EXPECT_TRUE(list.SwapFile(a.get(), reloaded));
    EXPECT_EQ(list.GetFile(0), reloaded);
    EXPECT_FALSE(list.SwapFile(a.get(), reloaded)); // no entry holds the old one any more
    list.RefreshActive();
    EXPECT_EQ(list.ActiveFile(), reloaded);
}

TEST_F(FileListTest, ReplaceFileWithTheRenamedObjectItselfMovesItsEntry)
{
    Fill(3);
    const AviFilePtr a = list.GetFile(0);
    a->SetPath("/v/z.avi");
    list.ReplaceFile(a.get(), a);
    EXPECT_THAT(Names(list), ElementsAre("b.avi", "c.avi", "z.avi"));
    EXPECT_EQ(list.ActiveFile(), a);
    EXPECT_TRUE(list.IsSelected(2));

    const AviFilePtr other = Fake("/v/0.avi");
    list.ReplaceFile(list.GetFile(0).get(), other);
    EXPECT_THAT(Names(list), ElementsAre("0.avi", "c.avi", "z.avi"));
    EXPECT_EQ(list.ActiveFile(), a);
    EXPECT_TRUE(list.IsSelected(0));
}

// ---- Row events ----------------------------------------------------------------------------

// What a view's model keeps: a copy of the rows (object, selected, active) built from the row
// events alone. Each "about to" event must come while the list still has the rows the copy has.
class RowMirror : public ListRowObserver {
public:
    explicit RowMirror(const FileListModel &list) : m_list(list) {}

    struct Row {
        AviFilePtr fichier;
        bool selected = false;
        bool active = false;
        bool operator==(const Row &) const = default;
    };
    std::vector<Row> rows;
    int events = 0;

    Row read(int index) const
    {
        return Row{m_list.GetFile(index), m_list.IsSelected(index), m_list.GetFile(index) == m_list.ActiveFile()};
    }
    std::vector<Row> actual() const
    {
        std::vector<Row> all;
        for (int i = 0; i < m_list.Count(); ++i)
            all.push_back(read(i));
        return all;
    }

    void rowsAboutToBeInserted(int first, int last) override
    {
        before(first, last, rows.size());
        EXPECT_LE(first, static_cast<int>(rows.size()));
    }
    void rowsInserted(int first, int last) override
    {
        for (int i = first; i <= last; ++i)
            rows.insert(rows.begin() + i, read(i));
        EXPECT_EQ(m_list.Count(), static_cast<int>(rows.size()));
    }
    void rowsAboutToBeRemoved(int first, int last) override
    {
        before(first, last, rows.size());
        EXPECT_LT(last, static_cast<int>(rows.size()));
    }
    void rowsRemoved(int first, int last) override
    {
        rows.erase(rows.begin() + first, rows.begin() + last + 1);
        EXPECT_EQ(m_list.Count(), static_cast<int>(rows.size()));
    }
    void rowsChanged(int first, int last) override
    {
        ++events;
        ASSERT_LT(last, static_cast<int>(rows.size()));
        for (int i = first; i <= last; ++i)
            rows[static_cast<std::size_t>(i)] = read(i);
    }
    void rowsAboutToBeReordered() override { before(0, 0, rows.size()); }
    void rowsReordered() override { rows = actual(); }

private:
    void before(int first, int last, std::size_t count)
    {
        ++events;
        EXPECT_LE(first, last);
        EXPECT_EQ(m_list.Count(), static_cast<int>(count)); // nothing changed yet
    }

    const FileListModel &m_list;
};

TEST_F(FileListTest, RowEventsLetAViewFollowEveryChange)
{
    RowMirror mirror(list);
    list.SetRowObserver(&mirror);
    struct Step {
        const char *what;
        std::function<void()> change;
    };
    const Step steps[] = {
        {"add",
         [&] {
             list.AddFile(Fake("/v/c.avi"), false);
         }},
        {"add before",
         [&] {
             list.AddFile(Fake("/v/a.avi"), true);
         }},
        {"add between",
         [&] {
             list.AddFile(Fake("/v/b.avi"), false);
         }},
        {"same file again",
         [&] {
             list.AddFile(Fake("/v/b.avi"), true);
         }},
        {"select one",
         [&] {
             list.SetSelectedAt(2, true);
         }},
        {"deselect by object",
         [&] {
             list.SetSelected(list.GetFile(0).get(), false);
         }},
        {"select all",
         [&] {
             list.SelectAll(true);
         }},
        {"keep the current",
         [&] {
             list.SelectAll(false);
         }},
        {"set active",
         [&] {
             list.SetActive(1);
         }},
        {"swap",
         [&] {
             list.SwapFile(list.GetFile(1).get(), Fake("/v/b.avi"));
         }},
        {"refresh after swap",
         [&] {
             list.RefreshActiveAndCounts();
         }},
        {"rename moves the entry",
         [&] {
             const AviFilePtr a = list.GetFile(0);
             a->SetPath("/v/z.avi");
             list.ReplaceFile(a.get(), a);
         }},
        {"sort",
         [&] {
             list.SetSortIndex(*FindSortIndex("taille"));
         }},
        {"sort back",
         [&] {
             list.SetSortIndex(kSortAlpha);
         }},
        {"remove one",
         [&] {
             list.RemoveFile(list.GetFile(0).get());
         }},
        {"remove the selected",
         [&] {
             list.AddFile(Fake("/v/d.avi"), false);
             list.SetSelectedAt(list.Count() - 1, true);
             list.RemoveSelected();
         }},
        {"clear",
         [&] {
             list.ClearList();
         }},
        {"clear the empty list",
         [&] {
             list.ClearList();
         }},
    };
    for (const Step &step : steps) {
        step.change();
        EXPECT_EQ(mirror.rows, mirror.actual()) << step.what;
    }
    EXPECT_GT(mirror.events, 0);
}

TEST_F(FileListTest, AnOpeningInsertsItsRowsAsTheyArrive)
{
    RowMirror mirror(list);
    list.SetRowObserver(&mirror);
    const auto dir = Scratch("row_events");
    Link("tape_three-type1.avi", dir / "one.avi");
    Link("pal_16x9_32k-type1.avi", dir / "sub" / "two.avi");
    list.OpenFolder(dir.string());
    WaitEnded();
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(mirror.rows, mirror.actual());
}

// ---- Mounted disks -------------------------------------------------------------------------

TEST(MountedDisks, OnlyRealDiskFileSystemsEachOnceWithEscapesDecoded)
{
    const std::string mounts = "proc /proc proc rw,relatime 0 0\n"
                               "sysfs /sys sysfs rw 0 0\n"
                               "/dev/sda2 / ext4 rw,relatime 0 0\n"
                               "tmpfs /run tmpfs rw 0 0\n"
                               "overlay /var/lib/docker/x overlay rw 0 0\n"
                               "/dev/sdb1 /media/My\\040Tapes vfat rw 0 0\n"
                               "/dev/sr0 /media/cdrom iso9660 ro 0 0\n"
                               "server:/export /mnt/nfs nfs4 rw 0 0\n"
                               "/dev/sda3 /home xfs rw 0 0\n"
                               "/dev/sda3 /home xfs rw 0 0\n"
                               "/dev/sdc1 /mnt/win ntfs3 rw 0 0\n"
                               "truncated-line\n";
    EXPECT_THAT(RealDiskMountPoints(mounts), ElementsAre("/", "/media/My Tapes", "/home", "/mnt/win"));
    EXPECT_TRUE(RealDiskMountPoints("").empty());
}

TEST_F(FileListTest, OpenAllOpensEveryAviFileBelowEachDiskButNotFilesMountedAsDisks)
{
    const auto dir = Scratch("openall");
    Link("tape_three-type1.avi", dir / "disk1" / "one.avi");
    Link("pal_16x9_32k-type1.avi", dir / "disk2" / "deep" / "two.avi");
    WriteText(dir / "hosts", "x\n");
    list.OpenAllDrives(
        {(dir / "disk1").string(), (dir / "disk2").string(), (dir / "hosts").string(), (dir / "missing").string()});
    WaitEnded();
    EXPECT_THAT(events, ElementsAre("start", "end 2"));
    EXPECT_THAT(Names(list), ElementsAre("one.avi", "two.avi"));
    EXPECT_TRUE(errors.empty());
}

// ---- Openings ----------------------------------------------------------------------------

TEST_F(FileListTest, OpeningAFolderOpensEveryAviFileBelowIt)
{
    const auto dir = Scratch("folder");
    Link("tape_three-type1.avi", dir / "one.avi");
    Link("pal_16x9_32k-type2.avi", dir / "sub" / "two.AVI");
    Link("ntsc_4x3_48k-opendml.avi", dir / "sub" / "deeper" / "three.avi");
    Link("tape_three.dv", dir / "sub" / "raw.dv");
    WriteText(dir / "notes.txt", "x\n");
    fs::create_directory_symlink(dir, dir / "sub" / "loop"); // a link back must not loop

    list.OpenFolder(dir.string());
    EXPECT_TRUE(list.Opening());
    WaitEnded();
    EXPECT_THAT(events, ElementsAre("start", "end 3"));
    EXPECT_THAT(found, ::testing::UnorderedElementsAre("one.avi", "two.AVI", "three.avi"));
    EXPECT_THAT(Names(list), ElementsAre("one.avi", "three.avi", "two.AVI"));
    EXPECT_EQ(folders.front(), dir.string() + "/");
    EXPECT_EQ(folders.size(), 3u);
    EXPECT_EQ(list.SelCount(), 3);
    EXPECT_TRUE(list.ActiveFile());
    EXPECT_TRUE(list.GetFile(0)->IsDV);
    EXPECT_TRUE(errors.empty());
}

TEST_F(FileListTest, OpeningPathsOpensFilesAndTellsWhatItCannotOpen)
{
    const auto dir = Scratch("paths");
    Link("tape_three-type1.avi", dir / "one.avi");
    Link("tape_three.dv", dir / "raw.dv");
    fs::create_directories(dir / "folder");
    list.OpenPaths({(dir / "one.avi").string(), (dir / "missing.avi").string(), (dir / "raw.dv").string(),
                    (dir / "folder").string()});
    WaitEnded();
    EXPECT_THAT(events, ElementsAre("start", "end 1"));
    EXPECT_THAT(Names(list), ElementsAre("one.avi"));
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_EQ(errors[0].code, OpenErrorCode::NotFound);
    EXPECT_EQ(errors[1].code, OpenErrorCode::NotAccepted);
    EXPECT_EQ(errors[2].code, OpenErrorCode::FolderNotOpened);
}

TEST_F(FileListTest, APlaylistOpensItsLinesButNotItsFolders)
{
    const auto dir = Scratch("playlist");
    Link("tape_three-type1.avi", dir / "one.avi");
    Link("pal_16x9_32k-type1.avi", dir / "sub" / "two.avi");
    Link("ntsc_4x3_48k-type1.avi", dir / "sub" / "three.avi");
    WriteText(dir / "list.txt", "# header\n\n     " + (dir / "one.avi").string() + "  \n" + (dir / "sub").string()
                                    + "\nsub/two.avi\n" + (dir / "gone.avi").string() + "\n");
    list.OpenPlayList((dir / "list.txt").string());
    WaitEnded();
    EXPECT_THAT(events, ElementsAre("start", "end 2"));
    EXPECT_THAT(Names(list), ElementsAre("one.avi", "two.avi"));
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].code, OpenErrorCode::FolderNotOpened);
    EXPECT_EQ(errors[1].code, OpenErrorCode::NotFound);
    EXPECT_TRUE(folders.empty());
}

TEST_F(FileListTest, AnUnreadablePlaylistIsReported)
{
    list.OpenPlayList((Scratch("noplaylist") / "none.txt").string());
    WaitEnded();
    EXPECT_THAT(events, ElementsAre("start", "end 0"));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].code, OpenErrorCode::UnreadablePlaylist);
}

TEST_F(FileListTest, DroppingAFolderAndATextFile)
{
    const auto dir = Scratch("drop");
    Link("tape_three-type1.avi", dir / "f" / "a" / "one.avi");
    Link("pal_16x9_32k-type1.avi", dir / "f" / "two.avi");
    Link("ntsc_4x3_48k-type1.avi", dir / "p" / "three.avi");
    WriteText(dir / "p" / "list.txt", "three.avi\n");
    list.OpenDropped({(dir / "f").string(), (dir / "p" / "list.txt").string()});
    WaitEnded();
    EXPECT_THAT(events, ElementsAre("start", "end 3"));
    EXPECT_THAT(Names(list), ElementsAre("one.avi", "three.avi", "two.avi"));
}

TEST_F(FileListTest, AnUnreadableFolderIsReported)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop root";
    const auto dir = Scratch("unreadable");
    Link("tape_three-type1.avi", dir / "one.avi");
    fs::create_directories(dir / "locked");
    fs::permissions(dir / "locked", fs::perms::none);
    list.OpenFolder(dir.string());
    WaitEnded();
    fs::permissions(dir / "locked", fs::perms::owner_all);
    EXPECT_THAT(Names(list), ElementsAre("one.avi"));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].code, OpenErrorCode::UnreadableFolder);
}

TEST_F(FileListTest, ReopeningAListedFileKeepsOneEntry)
{
    const auto dir = Scratch("reopen");
    Link("tape_three-type1.avi", dir / "one.avi");
    list.OpenPaths({(dir / "one.avi").string()});
    WaitEnded();
    const AviFilePtr first = list.GetFile(0);
    list.OpenPaths({(dir / "one.avi").string()});
    WaitEnded(2);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_NE(list.GetFile(0), first);
    EXPECT_EQ(list.ActiveFile(), list.GetFile(0)); // the active entry follows its new object
}

TEST_F(FileListTest, AbortOpenReturnsOnceTheOpeningHasEnded)
{
    const auto dir = Scratch("abort");
    for (int i = 0; i < 40; ++i)
        Link("tape_three-type1.avi", dir / ("d" + std::to_string(i)) / "clip.avi");
    list.OpenFolder(dir.string());
    list.OpenFolder(dir.string());
    list.AbortOpen();
    EXPECT_FALSE(list.Opening());
    EXPECT_EQ(ended, 2);
    EXPECT_EQ(events.back().rfind("end ", 0), 0u);
    EXPECT_LE(list.Count(), 40);
    dispatcher.runPending(); // the wake-ups left in the queue find nothing to do
    EXPECT_EQ(ended, 2);
}

TEST_F(FileListTest, OpeningsOneAfterAnotherEachEnd)
{
    const auto dir = Scratch("several");
    Link("tape_three-type1.avi", dir / "a" / "one.avi");
    Link("pal_16x9_32k-type1.avi", dir / "b" / "two.avi");
    list.OpenFolder((dir / "a").string());
    list.OpenFolder((dir / "b").string());
    WaitEnded(2);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(std::count(events.begin(), events.end(), "start"), 2);
}

TEST(FileListLifetime, DestroyingTheListStopsItsOpenings)
{
    const auto dir = camlog::test::scratchDir("filelist_destroy");
    for (int i = 0; i < 20; ++i) {
        fs::create_directories(dir / std::to_string(i));
        fs::create_symlink(camlog::test::fixturePath("tape_three-type1.avi"), dir / std::to_string(i) / "c.avi");
    }
    media::AviProber prober;
    QueueDispatcher dispatcher;
    int ended = 0;
    int endedBefore = 0;
    {
        FileListModel list(dispatcher, TaviFichierFactory(core::AviFileContext{&prober}));
        list.OnOpenEnd = [&](int) {
            ++ended;
        };
        list.OpenFolder(dir.string());
        dispatcher.runPending(); // the opening may or may not have ended by now
        endedBefore = ended;
    }
    EXPECT_GE(dispatcher.runPending(), 0); // wake-ups for a list that is gone do nothing
    EXPECT_EQ(ended, endedBefore);
}

} // namespace
} // namespace camlog::ui
