// Sample-rate conversion of 16-bit PCM, and the pass-through at an equal rate.
#include "media/audio/audio_rate_converter.h"

#include <gtest/gtest.h>

#include <cmath>

namespace camlog::media {
namespace {

std::vector<std::int16_t> Sine(int rate, std::size_t frames, int channels)
{
    std::vector<std::int16_t> pcm(frames * channels);
    for (std::size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            pcm[i * channels + c] = static_cast<std::int16_t>(8000 * std::sin(2 * M_PI * 440 * i / rate));
    return pcm;
}

// One second at 48 kHz fed in DV frame blocks gives one second at 44.1 kHz.
TEST(AudioRateConverter, FortyEightToFortyFourPointOneKeepsTheDuration)
{
    auto converter = AudioRateConverter::create(2, 48000, 44100);
    ASSERT_TRUE(converter) << converter.error().message;
    EXPECT_FALSE((*converter)->passThrough());
    const auto input = Sine(48000, 48000, 2);
    std::vector<std::int16_t> output;
    std::size_t frames = 0;
    for (std::size_t at = 0; at < input.size(); at += 2 * 1920) {
        const auto got = (*converter)->convert(std::span(input).subspan(at, 2 * 1920), output);
        ASSERT_TRUE(got);
        frames += got.value();
    }
    const auto rest = (*converter)->flush(output);
    ASSERT_TRUE(rest);
    frames += rest.value();
    EXPECT_EQ(output.size(), 2 * frames);
    EXPECT_NEAR(static_cast<double>(frames), 44100.0, 2.0);
    // Still the same tone: the converted sine crosses zero as often.
    int crossings = 0;
    for (std::size_t i = 2; i < output.size(); i += 2)
        crossings += (output[i - 2] < 0) != (output[i] < 0);
    EXPECT_NEAR(crossings, 880, 4);
}

TEST(AudioRateConverter, EqualRatesPassThroughUnchanged)
{
    auto converter = AudioRateConverter::create(2, 32000, 32000);
    ASSERT_TRUE(converter);
    EXPECT_TRUE((*converter)->passThrough());
    const auto input = Sine(32000, 1280, 2);
    std::vector<std::int16_t> output;
    ASSERT_EQ((*converter)->convert(input, output).value(), 1280u);
    EXPECT_EQ(output, input);
    EXPECT_EQ((*converter)->flush(output).value(), 0u);
}

TEST(AudioRateConverter, BadFormatsAreRefused)
{
    EXPECT_EQ(AudioRateConverter::create(0, 48000, 44100).error().code, AudioRateErrorCode::BadFormat);
    EXPECT_EQ(AudioRateConverter::create(2, 0, 44100).error().code, AudioRateErrorCode::BadFormat);
    EXPECT_EQ(AudioRateConverter::create(2, 48000, -1).error().code, AudioRateErrorCode::BadFormat);
}

} // namespace
} // namespace camlog::media
