// FFmpeg opened on first use: every library of the build opens, a forwarded call reaches the
// library's own function, and what cannot be had is a clear error, never a crash.
#include "media/ffmpeg_loader/ffmpeg_libraries.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/avutil.h>
}

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

namespace camlog::media {
namespace {

using ::testing::HasSubstr;

TEST(FfmpegLoader, EveryLibraryOfTheBuildOpens)
{
    for (const FfmpegLibrary library : {FfmpegLibrary::Codec, FfmpegLibrary::Format, FfmpegLibrary::Util,
                                        FfmpegLibrary::Scale, FfmpegLibrary::Resample}) {
        const auto opened = OpenFfmpegLibrary(library);
        EXPECT_TRUE(opened.ok()) << FfmpegLibraryFile(library) << ": " << opened.error().message;
    }
    EXPECT_TRUE(LoadFfmpeg().ok());
}

// The forwarded functions answer what the libraries' own answer.
TEST(FfmpegLoader, ForwardedCallsReachTheLibrariesOwnFunctions)
{
    const auto version = FindLibraryFunction(FfmpegLibraryFile(FfmpegLibrary::Util), "av_version_info");
    ASSERT_TRUE(version.ok()) << version.error().message;
    const auto own = reinterpret_cast<const char *(*)()>(version.value());
    EXPECT_STREQ(av_version_info(), own());

    const auto codecVersion = FindLibraryFunction(FfmpegLibraryFile(FfmpegLibrary::Codec), "avcodec_version");
    ASSERT_TRUE(codecVersion.ok()) << codecVersion.error().message;
    EXPECT_EQ(avcodec_version(), reinterpret_cast<unsigned (*)()>(codecVersion.value())());
    // The library opened is the one the program was built against.
    EXPECT_EQ(AV_VERSION_MAJOR(avcodec_version()), LIBAVCODEC_VERSION_MAJOR);

    const AVCodec *decoder = avcodec_find_decoder(AV_CODEC_ID_DVVIDEO);
    ASSERT_NE(decoder, nullptr);
    EXPECT_STREQ(decoder->name, "dvvideo");
}

TEST(FfmpegLoader, WhatCannotBeHadIsNamed)
{
    struct Case {
        const char *what;
        std::string file;
        const char *function;
        FfmpegLoadErrorCode code;
        const char *named;
    };
    const Case cases[] = {
        {"a library that is not installed", "libavcodec.so.0-not-installed", "avcodec_version",
         FfmpegLoadErrorCode::LibraryMissing, "libavcodec.so.0-not-installed"},
        {"a function the library does not have", FfmpegLibraryFile(FfmpegLibrary::Util), "av_no_such_function",
         FfmpegLoadErrorCode::EntryMissing, "av_no_such_function"},
    };
    for (const Case &c : cases) {
        const auto found = FindLibraryFunction(c.file, c.function);
        ASSERT_FALSE(found.ok()) << c.what;
        EXPECT_EQ(found.error().code, c.code) << c.what;
        EXPECT_THAT(found.error().message, HasSubstr(c.named)) << c.what;
    }
}

// A call that cannot reach FFmpeg has no way to fail: the process says why and ends with status 1.
TEST(FfmpegLoaderDeathTest, AMissingLibraryEndsTheRunWithItsReason)
{
    EXPECT_EXIT(QuitWithoutFfmpeg("the FFmpeg library libavcodec.so.0 cannot be loaded (not found)"),
                ::testing::ExitedWithCode(1),
                "camlog: the FFmpeg library libavcodec.so.0 cannot be loaded \\(not found\\); this run needs FFmpeg");
}

} // namespace
} // namespace camlog::media
