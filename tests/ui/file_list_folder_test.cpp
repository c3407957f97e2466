// Opening a folder of a thousand DV files: the caller gets control back before any entry
// arrives, every file arrives on the owner's thread, and the entries stand in sort order.
#include "headless/list/file_list_model.h"
#include "headless/list/queue_dispatcher.h"

#include "media/decoding/avi_probe.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

namespace camlog::ui {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr int kFiles = 1000;

// Names chosen so that the alphabetical order and the datecode order differ.
struct Odd {
    const char *name;
    const char *fixture;
};
constexpr Odd kOddFiles[] = {
    {"zz_ntsc.avi", "ntsc_4x3_48k-type1.avi"},      // 2000-12-31: first by datecode
    {"bb_opendml.avi", "pal_16x9_32k-opendml.avi"}, // the clips' datecode: among them, by path
    {"aa_tape.avi", "tape_three-type2.avi"},        // 2024-05-01: after the clips
    {"mm_nodate.avi", "ntsc_nodate-ffmpeg.avi"},    // no datecode: last
};
constexpr const char *kClipFixture = "pal_16x9_32k-type2.avi"; // 2010-02-16

// Hard links keep the disk use of a thousand files to one fixture's.
void LinkOrCopy(const fs::path &fixture, const fs::path &to)
{
    std::error_code error;
    fs::create_hard_link(fixture, to, error);
    if (error)
        fs::copy_file(fixture, to);
}

std::string ClipName(int i)
{
    std::string digits = std::to_string(i);
    return "clip" + std::string(4 - digits.size(), '0') + digits + ".avi";
}

// The file objects' factory, holding the opening thread at its first file until the test lets
// it go, and telling how many objects it has built.
class GatedFactory {
public:
    explicit GatedFactory(AviFileFactory inner) : m_inner(std::move(inner)) {}

    AviFileFactory factory()
    {
        return [this](const std::string &folder, const core::TSearchRec &rec) {
            {
                std::unique_lock lock(m_mutex);
                if (!m_wake.wait_for(lock, 120s, [this] { return m_open; }))
                    m_gateTimedOut = true; // the opening blocked its caller: the caller never opened the gate
            }
            AviFilePtr fichier = m_inner(folder, rec);
            const std::lock_guard lock(m_mutex);
            ++m_built;
            m_wake.notify_all();
            return fichier;
        };
    }
    void open()
    {
        const std::lock_guard lock(m_mutex);
        m_open = true;
        m_wake.notify_all();
    }
    bool waitBuilt(int n)
    {
        std::unique_lock lock(m_mutex);
        return m_wake.wait_for(lock, 300s, [&] { return m_built >= n; });
    }
    bool gateTimedOut()
    {
        const std::lock_guard lock(m_mutex);
        return m_gateTimedOut;
    }

private:
    AviFileFactory m_inner;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_open = false;
    bool m_gateTimedOut = false;
    int m_built = 0;
};

TEST(FileListFolder, AThousandFilesArriveThroughTheOwnersDispatcherInSortOrder)
{
    const fs::path folder = camlog::test::scratchDir("filelist_thousand") / "tapes";
    fs::create_directories(folder);
    const int clips = kFiles - static_cast<int>(std::size(kOddFiles));
    for (int i = 0; i < clips; ++i)
        LinkOrCopy(camlog::test::fixturePath(kClipFixture), folder / ClipName(i));
    for (const Odd &odd : kOddFiles)
        LinkOrCopy(camlog::test::fixturePath(odd.fixture), folder / odd.name);

    media::AviProber prober;
    core::AviFileContext context{&prober};
    GatedFactory gate(TaviFichierFactory(context));
    QueueDispatcher dispatcher;
    FileListModel list(dispatcher, gate.factory());
    list.SelectionnerOuverts = true;
    list.OnOpenTestExtension = [](const std::string &name) {
        return IsAviFileName(name);
    };
    list.SetSortIndex(*FindSortIndex("datecode"));
    int started = 0, found = 0, ended = 0, opened = -1;
    list.OnOpenStart = [&] {
        ++started;
    };
    list.OnOpenFileFound = [&](const std::string &, const AviFilePtr &) {
        ++found;
    };
    list.OnOpenEnd = [&](int nb) {
        ++ended;
        opened = nb;
    };

    list.OpenFolder(folder.string());
    // Back before the opening thread has built a single file object.
    EXPECT_TRUE(list.Opening());
    EXPECT_EQ(list.Count(), 0);
    gate.open();

    // Every object is built, yet nothing reaches the list until the owner runs its dispatcher.
    ASSERT_TRUE(gate.waitBuilt(kFiles));
    EXPECT_FALSE(gate.gateTimedOut());
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(started + found + ended, 0);

    ASSERT_TRUE(dispatcher.runUntil([&] { return ended > 0; }, 300s));
    EXPECT_FALSE(list.Opening());
    EXPECT_EQ(started, 1);
    EXPECT_EQ(opened, kFiles);
    EXPECT_EQ(found, kFiles);
    ASSERT_EQ(list.Count(), kFiles);
    EXPECT_EQ(list.SelCount(), kFiles);

    for (int i = 0; i + 1 < list.Count(); ++i)
        ASSERT_LT(CompareKeys(list.KeyAt(i), list.KeyAt(i + 1)), 0) << list.KeyAt(i) << " / " << list.KeyAt(i + 1);
    std::vector<std::string> expected;
    expected.push_back("zz_ntsc.avi");
    expected.push_back("bb_opendml.avi");
    for (int i = 0; i < clips; ++i)
        expected.push_back(ClipName(i));
    expected.push_back("aa_tape.avi");
    expected.push_back("mm_nodate.avi");
    std::vector<std::string> names;
    for (const AviFilePtr &f : list.Files())
        names.push_back(f->FileName);
    EXPECT_EQ(names, expected);
    EXPECT_EQ(list.GetFile(1)->DatecodeText, list.GetFile(2)->DatecodeText);
}

} // namespace
} // namespace camlog::ui
