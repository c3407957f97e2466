// FFmpeg's libraries opened with the dynamic loader on first use.
#include "media/ffmpeg_loader/ffmpeg_libraries.h"

extern "C" {
#include <libavcodec/version.h>
#include <libavfilter/version.h>
#include <libavformat/version.h>
#include <libavutil/macros.h>
#include <libavutil/version.h>
#include <libswresample/version.h>
#include <libswscale/version.h>
}

#include <array>
#include <mutex>

#include <dlfcn.h>

namespace camlog::media {

namespace {

constexpr std::array<const char *, 6> kFiles = {
    "libavcodec.so." AV_STRINGIFY(LIBAVCODEC_VERSION_MAJOR),
    "libavformat.so." AV_STRINGIFY(LIBAVFORMAT_VERSION_MAJOR),
    "libavutil.so." AV_STRINGIFY(LIBAVUTIL_VERSION_MAJOR),
    "libswscale.so." AV_STRINGIFY(LIBSWSCALE_VERSION_MAJOR),
    "libswresample.so." AV_STRINGIFY(LIBSWRESAMPLE_VERSION_MAJOR),
    "libavfilter.so." AV_STRINGIFY(LIBAVFILTER_VERSION_MAJOR),
};

struct Loader {
    std::mutex mutex;
    std::array<void *, kFiles.size()> handles{};
    bool anyOpen = false;
    FfmpegLogCallback logCallback = nullptr;
};

Loader &loader()
{
    static Loader instance;
    return instance;
}

std::size_t indexOf(FfmpegLibrary library)
{
    return static_cast<std::size_t>(library);
}

// With the loader's mutex held. The library's handle, or null with the loader's reason.
void *openLocked(Loader &state, FfmpegLibrary library, std::string &why)
{
    void *&handle = state.handles[indexOf(library)];
    if (handle == nullptr) {
        const auto opened = core::OpenSharedLibrary(kFiles[indexOf(library)]);
        if (!opened) {
            why = opened.error().message;
            return nullptr;
        }
        handle = opened.value();
    }
    return handle;
}

// With the loader's mutex held: hands the program's log callback to libavutil.
void applyLogCallbackLocked(Loader &state)
{
    if (state.logCallback == nullptr)
        return;
    std::string why;
    void *util = openLocked(state, FfmpegLibrary::Util, why);
    if (util == nullptr)
        return;
    if (void *set = ::dlsym(util, "av_log_set_callback"))
        reinterpret_cast<void (*)(FfmpegLogCallback)>(set)(state.logCallback);
}

} // namespace

const char *FfmpegLibraryFile(FfmpegLibrary library)
{
    return kFiles[indexOf(library)];
}

core::Expected<void *, core::LibraryLoadErrorCode> OpenFfmpegLibrary(FfmpegLibrary library)
{
    Loader &state = loader();
    const std::lock_guard lock(state.mutex);
    std::string why;
    void *handle = openLocked(state, library, why);
    if (handle == nullptr)
        return core::Error<core::LibraryLoadErrorCode>{core::LibraryLoadErrorCode::LibraryMissing, why};
    if (!state.anyOpen) {
        state.anyOpen = true;
        applyLogCallbackLocked(state);
    }
    return handle;
}

core::Expected<bool, core::LibraryLoadErrorCode> LoadFfmpeg()
{
    for (const FfmpegLibrary library : {FfmpegLibrary::Util, FfmpegLibrary::Codec, FfmpegLibrary::Format,
                                        FfmpegLibrary::Scale, FfmpegLibrary::Resample, FfmpegLibrary::Filter}) {
        const auto opened = OpenFfmpegLibrary(library);
        if (!opened)
            return opened.error();
    }
    return true;
}

void *FfmpegEntryPoint(FfmpegLibrary library, const char *name)
{
    const auto handle = OpenFfmpegLibrary(library);
    if (!handle)
        core::QuitWithoutLibrary(handle.error().message, "FFmpeg");
    return core::LibraryFunctionOrQuit(FfmpegLibraryFile(library), name, "FFmpeg");
}

void SetFfmpegLogCallback(FfmpegLogCallback callback)
{
    Loader &state = loader();
    const std::lock_guard lock(state.mutex);
    state.logCallback = callback;
    if (state.anyOpen)
        applyLogCallbackLocked(state);
}

} // namespace camlog::media
