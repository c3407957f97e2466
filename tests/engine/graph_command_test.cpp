// The graph command: progress from the graph's position, abort while a graph runs, completion.
#include "engine/graph_command.h"
#include "engine_fixture.h"

#include <gmock/gmock.h>

#include <functional>
#include <optional>
#include <string>

namespace camlog::engine::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// A graph that "plays" by answering position reads; each read may act (complete, abort).
class FakeGraph : public FilterGraph {
public:
    std::int64_t GetDuration() override { return duration; }
    void SetNoSyncSource() override { ++noClock; }
    void Run() override
    {
        ++runs;
        running = true;
    }
    void Stop() override
    {
        ++stops;
        running = false;
        if (onStop)
            onStop();
    }

    std::optional<std::string> Failure() override { return failure; }

    std::int64_t duration = 0;
    std::optional<std::string> failure; // what the run says once it has completed
    int runs = 0;
    int stops = 0;
    int noClock = 0;
    bool running = false;
    std::function<void()> onStop;
};

class FakeSeeking : public MediaSeeking {
public:
    explicit FakeSeeking(std::function<std::int64_t(int read)> onRead) : m_onRead(std::move(onRead)) {}
    std::int64_t GetDuration() override { return 0; }
    std::int64_t GetCurrentPosition() override { return m_onRead(++reads); }
    int reads = 0;

private:
    std::function<std::int64_t(int)> m_onRead;
};

using GraphCommand = EngineFixture;

TEST_F(GraphCommand, EachFileGetsAGaugeOfItsOwnLengthAndTheGraphStopsAtCompletion)
{
    list.Fill({"/v/a.avi", "/v/b.avi"});
    FakeGraph graph;
    TGraphCmd cmd;
    cmd.Nombre = fnAll;
    cmd.Filtergraph = &graph;
    cmd.StartMessage = "Converting %s";
    cmd.OnBuildGraph = [&](core::TaviFichier *f, const std::string &, const TParams &, int) {
        graph.duration = f->FileName == "a.avi" ? 1024 * 100 : 1024 * 300;
        return std::make_shared<FakeSeeking>([&, len = graph.duration](int) {
            cmd.Engine()->GraphComplete(); // the processing module's completion notice
            return len / 2;
        });
    };
    ASSERT_TRUE(Run(cmd));
    EXPECT_THAT(host.log, ElementsAre("start", "file a.avi 1", "msg Converting a.avi", "progress 100", "pos 50",
                                      "end-progress", "end-file a.avi 1", "file b.avi 1", "msg Converting b.avi",
                                      "progress 300", "pos 150", "end-progress", "end-file b.avi 1", "end"));
    EXPECT_EQ(graph.runs, 2);
    EXPECT_EQ(graph.stops, 2);
    EXPECT_EQ(graph.noClock, 2);
}

TEST_F(GraphCommand, ProgressCountsFromTheStartOfThePartThatRuns)
{
    list.Fill({"/v/a.avi"});
    FakeGraph graph;
    TGraphCmd cmd;
    cmd.Nombre = fnSingle;
    cmd.Filtergraph = &graph;
    cmd.NbPasses = 2;
    cmd.OnBuildGraph = [&](core::TaviFichier *, const std::string &, const TParams &, int passe) {
        cmd.Debut = passe * 10240;
        cmd.Duree = passe * 2048;
        return std::make_shared<FakeSeeking>([&, passe](int) {
            cmd.Engine()->GraphComplete();
            return cmd.Debut + passe * 1024;
        });
    };
    ASSERT_TRUE(Run(cmd));
    EXPECT_THAT(host.log,
                ElementsAre("start", "file a.avi 1", "progress 2", "pos 1", "end-progress", "end-file a.avi 1",
                            "file a.avi 2", "progress 4", "pos 2", "end-progress", "end-file a.avi 2", "end"));
}

TEST_F(GraphCommand, AbortStopsTheGraphListsThePartialFileAndTheNextFileRuns)
{
    const std::string folder = Scratch().string() + "/";
    list.Fill({folder + "a.avi", folder + "b.avi"});
    FakeGraph graph;
    graph.duration = 1024 * 10;
    TGraphCmd cmd;
    cmd.Nombre = fnAll;
    cmd.Filtergraph = &graph;
    cmd.UpdateFile = ufAdd;
    cmd.OnDestination = [](core::TaviFichier *f, const TParams &, int) {
        return f->Folder + f->BaseName + "_2.avi";
    };
    std::vector<std::string> stoppedAfterAbort;
    cmd.OnBuildGraph = [&](core::TaviFichier *f, const std::string &dest, const TParams &, int) {
        Touch(std::filesystem::path(dest).filename().string());
        const bool abortThis = f->FileName == "a.avi";
        return std::make_shared<FakeSeeking>([&, abortThis](int read) {
            if (abortThis && read == 1)
                host.OnHost([&] { cmd.Engine()->Abort(); }); // the user presses "Abort"
            else
                cmd.Engine()->GraphComplete();
            return std::int64_t{1024} * read;
        });
    };
    ASSERT_TRUE(Run(cmd));
    EXPECT_EQ(graph.runs, 2);
    EXPECT_EQ(graph.stops, 2);
    EXPECT_FALSE(graph.running);
    EXPECT_THAT(list.Names(), ElementsAre("a.avi", "b.avi", "a_2.avi", "b_2.avi"));
    EXPECT_THAT(host.log, ::testing::Contains("end-file b.avi 1"));
}

// A stop that keeps the partial output says which file it kept and how much of the source it
// holds, for the moment and for the end of the run; one that leaves an older file says nothing.
TEST_F(GraphCommand, AStopThatKeepsThePartialFileSaysHowMuchItHolds)
{
    const std::string folder = Scratch().string() + "/";
    list.Fill({folder + "a.avi", folder + "b.avi"});
    Touch("b_2.avi");              // b's output exists before the run: a stop leaves it as it was
    host.answers = {TAnswer::Yes}; // replacing it
    FakeGraph graph;
    graph.duration = 3'600'000'000; // 6 min
    TGraphCmd cmd;
    cmd.Nombre = fnAll;
    cmd.Filtergraph = &graph;
    cmd.OnDestination = [](core::TaviFichier *f, const TParams &, int) {
        return f->Folder + f->BaseName + "_2.avi";
    };
    cmd.OnBuildGraph = [&](core::TaviFichier *, const std::string &dest, const TParams &, int) {
        Touch(std::filesystem::path(dest).filename().string()); // the output, as a source starts it
        return std::make_shared<FakeSeeking>([&](int read) {
            if (read == 1)
                host.OnHost([&] { cmd.Engine()->Abort(); }); // Escape
            return std::int64_t{1'590'400'000};              // 2 min 39 s
        });
    };
    ASSERT_TRUE(Run(cmd));
    const std::string kept = "a_2.avi kept: 2 min 39 s of 6 min 00 s";
    EXPECT_THAT(host.log, ::testing::Contains("msg " + kept));
    EXPECT_THAT(engine.LastRun().notes, ElementsAre(kept));
    EXPECT_EQ(engine.LastRun().stoppedFiles, 2);
}

// A completion that arrives after its graph was left (aborted) must not end the next graph.
TEST_F(GraphCommand, ALateCompletionDoesNotEndTheNextGraph)
{
    list.Fill({"/v/a.avi", "/v/b.avi"});
    FakeGraph graph;
    graph.duration = 1024 * 10;
    TGraphCmd cmd;
    cmd.Nombre = fnAll;
    cmd.Filtergraph = &graph;
    std::shared_ptr<FakeSeeking> second;
    cmd.OnBuildGraph = [&](core::TaviFichier *f, const std::string &, const TParams &, int) {
        if (f->FileName == "a.avi") {
            // Completion is reported while the aborted graph is being stopped.
            graph.onStop = [&] {
                cmd.Engine()->GraphComplete();
            };
            return std::make_shared<FakeSeeking>([&](int) {
                host.OnHost([&] { cmd.Engine()->Abort(); });
                return std::int64_t{0};
            });
        }
        graph.onStop = nullptr;
        second = std::make_shared<FakeSeeking>([&](int read) {
            if (read == 2)
                cmd.Engine()->GraphComplete();
            return std::int64_t{1024} * read;
        });
        return second;
    };
    ASSERT_TRUE(Run(cmd));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->reads, 2);
    EXPECT_THAT(host.log, ::testing::Contains("pos 2"));
}

TEST_F(GraphCommand, NothingToRunStillUpdatesTheList)
{
    list.Fill({"/v/a.avi"});
    FakeGraph graph;
    TGraphCmd cmd;
    cmd.Nombre = fnSingle;
    cmd.Filtergraph = &graph;
    cmd.UpdateFile = ufReload;
    cmd.OnBuildGraph = [](core::TaviFichier *, const std::string &, const TParams &, int) {
        return std::shared_ptr<MediaSeeking>();
    };
    ASSERT_TRUE(Run(cmd));
    EXPECT_EQ(graph.runs, 0);
    EXPECT_EQ(built, 1);
}

// A graph without length would write nothing: the file fails with the cause instead of passing
// for done.
TEST_F(GraphCommand, AGraphWithoutLengthIsNotRunNorUpdatedAndFails)
{
    list.Fill({"/v/a.avi"});
    FakeGraph graph;
    TGraphCmd cmd;
    cmd.Nombre = fnSingle;
    cmd.Filtergraph = &graph;
    cmd.UpdateFile = ufReload;
    cmd.OnBuildGraph = [](core::TaviFichier *, const std::string &, const TParams &, int) {
        return std::make_shared<FakeSeeking>([](int) { return std::int64_t{0}; });
    };
    ASSERT_TRUE(Run(cmd));
    EXPECT_EQ(graph.runs, 0);
    EXPECT_EQ(built, 0);
    EXPECT_EQ(engine.LastRun().failedPasses, 1);
    EXPECT_THAT(host.log, ::testing::Contains("msg the source gives no duration: nothing was written"));
}

TEST_F(GraphCommand, WithoutABuildHandlerNothingHappens)
{
    list.Fill({"/v/a.avi", "/v/b.avi"});
    TGraphCmd cmd;
    cmd.Nombre = fnAll;
    cmd.StartMessage = "Converting %s";
    cmd.UpdateFile = ufRemove;
    ASSERT_TRUE(Run(cmd));
    EXPECT_THAT(list.Names(), ElementsAre("a.avi", "b.avi"));
    for (const auto &line : host.log)
        EXPECT_NE(line.rfind("msg", 0), 0u) << line;
}

TEST_F(GraphCommand, AFailingBuildIsReportedAndTheNextFileRuns)
{
    list.Fill({"/v/a.avi", "/v/b.avi"});
    FakeGraph graph;
    graph.duration = 1024;
    TGraphCmd cmd;
    cmd.Nombre = fnAll;
    cmd.Filtergraph = &graph;
    cmd.ErrorMessage = "Cannot convert %s";
    cmd.OnBuildGraph = [&](core::TaviFichier *f, const std::string &, const TParams &, int) {
        if (f->FileName == "a.avi")
            throw std::runtime_error("no splitter");
        return std::make_shared<FakeSeeking>([&](int) {
            cmd.Engine()->GraphComplete();
            return std::int64_t{0};
        });
    };
    ASSERT_TRUE(Run(cmd));
    EXPECT_THAT(host.log, ::testing::Contains("error etError Cannot convert /v/a.avi"));
    EXPECT_EQ(graph.runs, 1);
}

TEST_F(GraphCommand, AGraphIsStoppedWhenTheRunOfItFails)
{
    list.Fill({"/v/a.avi"});
    FakeGraph graph;
    graph.duration = 1024;
    TGraphCmd cmd;
    cmd.Nombre = fnSingle;
    cmd.Filtergraph = &graph;
    cmd.OnBuildGraph = [](core::TaviFichier *, const std::string &, const TParams &, int) {
        return std::make_shared<FakeSeeking>([](int) -> std::int64_t { throw std::runtime_error("seek failed"); });
    };
    ASSERT_TRUE(Run(cmd));
    EXPECT_EQ(graph.runs, 1);
    EXPECT_FALSE(graph.running);
}

// A run that fails completes like one that succeeds; the command then asks why, tells it, and
// reports the file as failed instead of taking the half-written output for a success.
TEST_F(GraphCommand, ARunThatCompletesWithAFailureIsReportedAndTheNextFileRuns)
{
    list.Fill({"/v/a.avi", "/v/b.avi"});
    FakeGraph graph;
    graph.duration = 1024;
    TGraphCmd cmd;
    cmd.Nombre = fnAll;
    cmd.Filtergraph = &graph;
    cmd.ErrorMessage = "Cannot convert %s";
    cmd.OnBuildGraph = [&](core::TaviFichier *f, const std::string &, const TParams &, int) {
        graph.failure.reset();
        const bool fails = f->FileName == "a.avi";
        return std::make_shared<FakeSeeking>([&, fails](int) {
            if (fails)
                graph.failure = "a.avi: the disk is full";
            cmd.Engine()->GraphComplete();
            return std::int64_t{0};
        });
    };
    ASSERT_TRUE(Run(cmd));
    EXPECT_THAT(host.log, ::testing::Contains("msg a.avi: the disk is full"));
    EXPECT_THAT(host.log, ::testing::Contains("error etError Cannot convert /v/a.avi"));
    EXPECT_THAT(host.log, ::testing::Contains("end-file b.avi 1"));
    EXPECT_EQ(graph.runs, 2);
    EXPECT_FALSE(graph.running);
}

} // namespace
} // namespace camlog::engine::test
