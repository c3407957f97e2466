// Shared libraries opened on first use.
#include "core/shared_library.h"

#include <cstdio>
#include <cstdlib>

#include <dlfcn.h>

namespace camlog::core {

Expected<void *, LibraryLoadErrorCode> OpenSharedLibrary(const std::string &file)
{
    void *handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char *text = ::dlerror();
        return Error<LibraryLoadErrorCode>{LibraryLoadErrorCode::LibraryMissing,
                                           "the library " + file + " cannot be loaded ("
                                               + (text != nullptr ? text : "unknown reason") + ")"};
    }
    return handle;
}

Expected<void *, LibraryLoadErrorCode> FindLibraryFunction(const std::string &file, const char *name)
{
    const auto handle = OpenSharedLibrary(file);
    if (!handle)
        return handle.error();
    void *function = ::dlsym(handle.value(), name);
    if (function == nullptr)
        return Error<LibraryLoadErrorCode>{LibraryLoadErrorCode::FunctionMissing,
                                           "the library " + file + " has no function " + name};
    return function;
}

void *LibraryFunctionOrQuit(const std::string &file, const char *name, const char *neededFor)
{
    const auto function = FindLibraryFunction(file, name);
    if (!function)
        QuitWithoutLibrary(function.error().message, neededFor);
    return function.value();
}

void QuitWithoutLibrary(const std::string &reason, const char *neededFor)
{
    std::fflush(stdout);
    std::fprintf(stderr, "camlog: %s; this run needs %s and cannot go on\n", reason.c_str(), neededFor);
    std::fflush(stderr);
    std::_Exit(1);
}

} // namespace camlog::core
