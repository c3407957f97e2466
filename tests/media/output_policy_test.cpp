// What a run leaves behind: finished, or discarded with an existing destination kept.
#include "media/pipeline/output_policy.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace camlog::media {
namespace {

struct PolicyCase {
    RunOutcome outcome;
    bool replacing;
    StoppedOutput stopped;
    OutputDecision expected;
};

TEST(OutputPolicyTest, DecidesFromHowTheRunEndedAndWhetherItReplacesAFile)
{
    using enum RunOutcome;
    using enum OutputDecision;
    constexpr auto keep = StoppedOutput::KeepUnlessReplacing;
    constexpr auto drop = StoppedOutput::Discard;
    const PolicyCase cases[] = {
        {Completed, false, keep, Finish}, {Completed, true, keep, Finish}, {Completed, true, drop, Finish},
        {Stopped, false, keep, Finish},   {Stopped, true, keep, Discard},  {Stopped, false, drop, Discard},
        {Stopped, true, drop, Discard},   {Failed, false, keep, Discard},  {Failed, true, keep, Discard},
        {Failed, false, drop, Discard},
    };
    for (const PolicyCase &c : cases)
        EXPECT_EQ(DecideOutput(c.outcome, c.replacing, c.stopped), c.expected)
            << "outcome " << static_cast<int>(c.outcome) << ", replacing " << c.replacing << ", stop rule "
            << static_cast<int>(c.stopped);
}

class OutputPolicyFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::temp_directory_path() / ("output_policy_" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::filesystem::path m_dir;
};

TEST_F(OutputPolicyFileTest, NotesWhetherTheDestinationExistsWhenTheRunBegins)
{
    const auto path = m_dir / "out.avi";
    const OutputPolicy fresh(path);
    std::ofstream(path) << "old";
    const OutputPolicy replacing(path);
    EXPECT_FALSE(fresh.replacing());
    EXPECT_TRUE(replacing.replacing());
    // A file made by the run itself does not turn a new output into a replaced one.
    EXPECT_EQ(fresh.decide(RunOutcome::Stopped), OutputDecision::Finish);
    EXPECT_EQ(replacing.decide(RunOutcome::Stopped), OutputDecision::Discard);
}

TEST_F(OutputPolicyFileTest, ConcludeFinishesOrDiscardsExactlyOnceAndPassesFailuresOn)
{
    const OutputPolicy policy(m_dir / "absent.avi");
    struct Case {
        const char *name;
        bool bodyThrows;
        RunOutcome outcome;
        bool finishThrows;
        int finished;
        int discarded;
        bool throws;
    };
    const Case cases[] = {
        {"completed", false, RunOutcome::Completed, false, 1, 0, false},
        {"stopped", false, RunOutcome::Stopped, false, 1, 0, false},
        {"failed in the body", true, RunOutcome::Completed, false, 0, 1, true},
        {"failed while finishing", false, RunOutcome::Completed, true, 1, 1, true},
    };
    for (const Case &c : cases) {
        int finished = 0;
        int discarded = 0;
        const auto body = [&] {
            if (c.bodyThrows)
                throw std::runtime_error("disk full");
            return c.outcome;
        };
        const auto finish = [&] {
            ++finished;
            if (c.finishThrows)
                throw std::runtime_error("disk full");
        };
        bool threw = false;
        try {
            policy.conclude(body, finish, [&] { ++discarded; });
        } catch (const std::runtime_error &) {
            threw = true;
        }
        EXPECT_EQ(finished, c.finished) << c.name;
        EXPECT_EQ(discarded, c.discarded) << c.name;
        EXPECT_EQ(threw, c.throws) << c.name;
    }
}

} // namespace
} // namespace camlog::media
