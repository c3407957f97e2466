// The rule that joins sound to pictures: wait for the sound up to a bound, silence where it
// ends or starts late, pictures in order.
#include "media/pipeline/sound_interleaver.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

namespace camlog::media {
namespace {

constexpr int kChannels = 2;
constexpr std::size_t kDue = 4;     // sample frames under each picture
constexpr std::int64_t kBound = 12; // three pictures' worth of sound may be waited for

// Stereo sound whose left and right samples both count the sample frames from `first` on.
std::vector<std::int16_t> countingSound(int first, int frames)
{
    std::vector<std::int16_t> sound;
    for (int i = 0; i < frames; ++i)
        sound.insert(sound.end(), {static_cast<std::int16_t>(first + i), static_cast<std::int16_t>(first + i)});
    return sound;
}

// What each picture that left took: its number and the left samples of its sound (0 for a
// sample frame that was missing and is silence, as the sound counts from 1).
struct Left {
    int picture;
    std::vector<std::int16_t> left;
    bool operator==(const Left &) const = default;
};

std::vector<Left> drain(SoundInterleaver<int> &interleaver)
{
    std::vector<Left> out;
    std::vector<std::int16_t> sound;
    while (auto picture = interleaver.next(sound)) {
        Left entry{*picture, {}};
        for (std::size_t i = 0; i < kDue; ++i)
            entry.left.push_back(2 * i < sound.size() ? sound[2 * i] : 0);
        out.push_back(entry);
    }
    return out;
}

std::string describe(const std::vector<Left> &pictures)
{
    std::string text;
    for (const Left &p : pictures) {
        text += std::to_string(p.picture) + ":";
        for (std::int16_t v : p.left)
            text += " " + std::to_string(v);
        text += "\n";
    }
    return text;
}

struct InterleaveCase {
    const char *name;
    std::int64_t place; // where the sound starts, in sample frames from the first picture
    int soundFrames;    // how much sound comes (counting from 1)
    bool soundComes;    // false: the source has no sound at all
    std::vector<Left> expected;
};

TEST(SoundInterleaverTest, PicturesLeaveInOrderWithTheirSoundOrSilence)
{
    const std::vector<InterleaveCase> cases = {
        {"sound on time", 0, 12, true, {{0, {1, 2, 3, 4}}, {1, {5, 6, 7, 8}}, {2, {9, 10, 11, 12}}}},
        {"sound starts late: silence before it", 6, 6, true, {{0, {0, 0, 0, 0}}, {1, {0, 0, 1, 2}}, {2, {3, 4, 5, 6}}}},
        {"sound from before the first picture is dropped",
         -3,
         15,
         true,
         {{0, {4, 5, 6, 7}}, {1, {8, 9, 10, 11}}, {2, {12, 13, 14, 15}}}},
        {"sound ends early: silence after it", 0, 6, true, {{0, {1, 2, 3, 4}}, {1, {5, 6, 0, 0}}, {2, {0, 0, 0, 0}}}},
        {"no sound at all", 0, 0, false, {{0, {0, 0, 0, 0}}, {1, {0, 0, 0, 0}}, {2, {0, 0, 0, 0}}}},
    };
    for (const InterleaveCase &c : cases) {
        SoundInterleaver<int> interleaver(kChannels, kBound);
        for (int p = 0; p < 3; ++p)
            interleaver.addPicture(p, kDue);
        std::vector<Left> out;
        if (c.soundComes) {
            // Nothing leaves before its sound is known.
            out = drain(interleaver);
            EXPECT_TRUE(out.empty()) << c.name;
            interleaver.placeSound(c.place);
            interleaver.addSound(countingSound(1, c.soundFrames));
        }
        interleaver.endSound();
        const std::vector<Left> rest = drain(interleaver);
        out.insert(out.end(), rest.begin(), rest.end());
        EXPECT_EQ(out, c.expected) << c.name << "\n" << describe(out);
        EXPECT_EQ(interleaver.waiting(), 0u) << c.name;
    }
}

TEST(SoundInterleaverTest, APictureLeavesAsSoonAsItsSoundIsThere)
{
    SoundInterleaver<int> interleaver(kChannels, kBound);
    interleaver.addPicture(0, kDue);
    interleaver.addPicture(1, kDue);
    interleaver.placeSound(0);
    interleaver.addSound(countingSound(1, 3));
    EXPECT_TRUE(drain(interleaver).empty()); // three of its four sample frames
    interleaver.addSound(countingSound(4, 2));
    EXPECT_EQ(drain(interleaver), (std::vector<Left>{{0, {1, 2, 3, 4}}}));
    EXPECT_EQ(interleaver.waiting(), 1u);
}

TEST(SoundInterleaverTest, PicturesWaitForLateSoundOnlyUpToTheBound)
{
    SoundInterleaver<int> interleaver(kChannels, kBound);
    std::vector<Left> out;
    // Three pictures (12 sample frames) may wait; the fourth pushes the first out with silence.
    for (int p = 0; p < 3; ++p) {
        interleaver.addPicture(p, kDue);
        EXPECT_TRUE(drain(interleaver).empty()) << p;
    }
    interleaver.addPicture(3, kDue);
    out = drain(interleaver);
    EXPECT_EQ(out, (std::vector<Left>{{0, {0, 0, 0, 0}}}));
    // The sound then comes from the start: what played under the picture that left is dropped,
    // the rest keeps its place.
    interleaver.placeSound(0);
    interleaver.addSound(countingSound(1, 16));
    out = drain(interleaver);
    EXPECT_EQ(out, (std::vector<Left>{{1, {5, 6, 7, 8}}, {2, {9, 10, 11, 12}}, {3, {13, 14, 15, 16}}}))
        << describe(out);
}

} // namespace
} // namespace camlog::media
