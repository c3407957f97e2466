// FFmpeg opened on first use: every library of the build opens and a forwarded call reaches the
// library's own function.
#include "media/ffmpeg_loader/ffmpeg_libraries.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/avutil.h>
}

#include <gtest/gtest.h>

namespace camlog::media {
namespace {

TEST(FfmpegLoader, EveryLibraryOfTheBuildOpens)
{
    for (const FfmpegLibrary library : {FfmpegLibrary::Codec, FfmpegLibrary::Format, FfmpegLibrary::Util,
                                        FfmpegLibrary::Scale, FfmpegLibrary::Resample, FfmpegLibrary::Filter}) {
        const auto opened = OpenFfmpegLibrary(library);
        EXPECT_TRUE(opened.ok()) << FfmpegLibraryFile(library) << ": " << opened.error().message;
    }
    EXPECT_TRUE(LoadFfmpeg().ok());
}

// The forwarded functions answer what the libraries' own answer.
TEST(FfmpegLoader, ForwardedCallsReachTheLibrariesOwnFunctions)
{
    const auto version = core::FindLibraryFunction(FfmpegLibraryFile(FfmpegLibrary::Util), "av_version_info");
    ASSERT_TRUE(version.ok()) << version.error().message;
    const auto own = reinterpret_cast<const char *(*)()>(version.value());
    EXPECT_STREQ(av_version_info(), own());

    const auto codecVersion = core::FindLibraryFunction(FfmpegLibraryFile(FfmpegLibrary::Codec), "avcodec_version");
    ASSERT_TRUE(codecVersion.ok()) << codecVersion.error().message;
    EXPECT_EQ(avcodec_version(), reinterpret_cast<unsigned (*)()>(codecVersion.value())());
    // The library opened is the one the program was built against.
    EXPECT_EQ(AV_VERSION_MAJOR(avcodec_version()), LIBAVCODEC_VERSION_MAJOR);

    const AVCodec *decoder = avcodec_find_decoder(AV_CODEC_ID_DVVIDEO);
    ASSERT_NE(decoder, nullptr);
    EXPECT_STREQ(decoder->name, "dvvideo");
}

} // namespace
} // namespace camlog::media
