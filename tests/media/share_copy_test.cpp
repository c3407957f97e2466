// The MP4 share copy of a DV tape, read back by ffprobe and ffmpeg: pictures, sound, subtitles,
// chapters and creation date, and the paths that must leave no file behind.
#include "media/processing_module.h"
#include "media/share_copy_source.h"

#include "media_test_support.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <cstdlib>
#include <ctime>
#include <future>
#include <sstream>
#include <thread>

namespace camlog::media {
namespace {

namespace fs = std::filesystem;

PipelineEnd runToEnd(TCdm &cdm)
{
    std::promise<PipelineEnd> done;
    auto future = done.get_future();
    cdm.fg().OnComplete = [&](const PipelineEnd &end) {
        done.set_value(end);
    };
    cdm.fg().Run();
    const PipelineEnd end = future.get();
    cdm.fg().Stop();
    cdm.fg().OnComplete = nullptr;
    return end;
}

std::vector<std::string> lines(const std::string &text)
{
    std::vector<std::string> result;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        result.push_back(line);
    }
    return result;
}

// The machine's zone for one test.
class LocalZone {
public:
    explicit LocalZone(const char *zone)
    {
        if (const char *old = std::getenv("TZ"))
            m_old = old;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~LocalZone()
    {
        if (m_old.empty())
            ::unsetenv("TZ");
        else
            ::setenv("TZ", m_old.c_str(), 1);
        ::tzset();
    }

private:
    std::string m_old;
};

class ShareCopyTest : public ::testing::Test {
protected:
    fs::path out(const std::string &name)
    {
        if (m_dir.empty())
            m_dir = test::scratchDir(std::string("sharecopy_")
                                     + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        return m_dir / name;
    }
    void TearDown() override
    {
        if (!m_dir.empty())
            fs::remove_all(m_dir);
    }
    ShareCopyPlan plan(const std::string &fixture, const fs::path &dest)
    {
        ShareCopyPlan p;
        p.source = test::fixturePath(fixture);
        p.destination = dest;
        p.preset = "ultrafast";
        p.chapterTitleFormat = "yyyy-mm-dd hh:nn:ss";
        p.captions.timing = 0;
        p.captions.dateFormat1 = "yyyy-mm-dd";
        p.captions.dateFormat2 = "hh:nn:ss";
        return p;
    }
    PipelineEnd copy(const ShareCopyPlan &p)
    {
        EXPECT_TRUE(cdm.BuildShareCopy(p)) << cdm.BuildError();
        return runToEnd(cdm);
    }
    TCdm cdm;

private:
    fs::path m_dir;
};

TEST_F(ShareCopyTest, Smoke)
{
    LocalZone zone("UTC");
    const fs::path dest = out("copy.mp4");
    const PipelineEnd end = copy(plan("tape_three-type2.avi", dest));
    ASSERT_TRUE(end.ok) << end.error;
    std::cout << test::ffprobeCsv(dest, "-show_streams -show_format -show_chapters") << std::endl;
}

} // namespace
} // namespace camlog::media
