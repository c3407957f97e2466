// The time difference: its text, the name of a shifted copy, and "Add a time difference".
#include "commands/time_difference.h"
#include "commands_fixture.h"

namespace camlog::commands::test {
namespace {

using namespace camlog::engine;

constexpr double kHour = 1.0 / 24;

TEST(TimeDifferenceText, WholeHoursOrDaysHoursMinutesSeconds)
{
    EXPECT_EQ(TimeDifferenceText(3 * kHour), "3 hours");
    EXPECT_EQ(TimeDifferenceText(-5 * kHour), "-5 hours");
    EXPECT_EQ(TimeDifferenceText(0), "0 hours");
    EXPECT_EQ(TimeDifferenceText(1 + 2.5 * kHour), "1 days 02h 30m 00s");
    EXPECT_EQ(TimeDifferenceText(3.5 * kHour), "0 days 03h 30m 00s");
    EXPECT_DOUBLE_EQ(RoundedTimeDifference(kHour + 0.4 / 86400), kHour);
}

TEST(TimeDifferenceEnding, SignThenTheNonZeroParts)
{
    struct Case {
        double days;
        const char *ending;
    };
    const Case cases[] = {
        {-0.5, "_(-12h).avi"},
        {1.5, "_(+1days12h).avi"},
        {0.0, "_(+).avi"},
        {-2 * kHour, "_(-2h).avi"},
        {1.5 * kHour, "_(+1h30mn).avi"},
        {3.5 * kHour, "_(+3h30mn).avi"},
        {2 + 61.0 / 86400, "_(+2days1mn1s).avi"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(TimeDifferenceEnding(c.days), c.ending) << c.days;
}

using TimeDifferenceCommands = CommandsFixture;

TEST_F(TimeDifferenceCommands, TheShiftedCopyIsNamedAfterTheDifference)
{
    const std::string video = CopyFixture("tape_three-type2.avi", "clip.avi");
    engine::AviFilePtr fichier = Probe(video);
    const std::string folder = (Scratch() / "").string();
    EXPECT_EQ(dm.DecalerHoraire.OnDestination(fichier.get(), {"-0.5"}, 1), folder + "clip_(-12h).avi");
    EXPECT_EQ(dm.DecalerHoraire.OnDestination(fichier.get(), {"1,5"}, 1), folder + "clip_(+1days12h).avi");
    EXPECT_EQ(dm.DecalerHoraire.OnDestination(fichier.get(), {"0"}, 1), folder + "clip_(+).avi");
    EXPECT_EQ(dm.DecalerHoraire.OnDestination(fichier.get(), {"soon"}, 1), "");
    EXPECT_EQ(dm.DecalerHoraire.OnDestination(fichier.get(), {}, 1), "");
}

TEST_F(TimeDifferenceCommands, AddingADifferenceSetsTheShiftOfEverySelectedFile)
{
    AddToList(CopyFixture("tape_three-type2.avi", "a.avi"));
    AddToList(CopyFixture("tape_three-type1.avi", "b.avi"));
    AddToList(CopyFixture("tape_three-type1.avi", "c.avi"), false);
    ASSERT_TRUE(Run(dm.DecalageHoraire, {"-0.208333333333333"}));
    EXPECT_TRUE(host.questions.empty());
    for (int i : {0, 1}) {
        EXPECT_NEAR(list.entries[i].fichier->Shift.days(), -5 * kHour, 1.0 / 86400);
        EXPECT_EQ(list.entries[i].fichier->ShiftText, "-5 hours");
    }
    EXPECT_EQ(list.entries[2].fichier->Shift.days(), 0.0);

    // Not a number, or more than a datecode can take: refused, the difference stays.
    for (const char *bad : {"x", "", "1e15", "-36525"}) {
        ASSERT_TRUE(Run(dm.DecalageHoraire, {bad}));
        EXPECT_EQ(engine.LastRun().failedPasses, 1) << bad;
        EXPECT_EQ(list.entries[0].fichier->ShiftText, "-5 hours") << bad;
    }
}

} // namespace
} // namespace camlog::commands::test
