// Libraries opened on first use: what cannot be had is named, and a forwarder that cannot reach its
// function ends the run with the reason, never a crash.
#include "core/shared_library.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace camlog::core {
namespace {

using ::testing::HasSubstr;

TEST(SharedLibrary, WhatCannotBeHadIsNamed)
{
    struct Case {
        const char *what;
        const char *file;
        const char *function;
        bool found;
        LibraryLoadErrorCode code;
        const char *named;
    };
    const Case cases[] = {
        {"a function of the C library", "libc.so.6", "strlen", true, {}, ""},
        {"a library that is not installed", "libcamlog-not-installed.so.0", "strlen", false,
         LibraryLoadErrorCode::LibraryMissing, "libcamlog-not-installed.so.0"},
        {"a function the library does not have", "libc.so.6", "camlog_no_such_function", false,
         LibraryLoadErrorCode::FunctionMissing, "camlog_no_such_function"},
    };
    for (const Case &c : cases) {
        const auto found = FindLibraryFunction(c.file, c.function);
        ASSERT_EQ(found.ok(), c.found) << c.what;
        if (found.ok())
            continue;
        EXPECT_EQ(found.error().code, c.code) << c.what;
        EXPECT_THAT(found.error().message, HasSubstr(c.named)) << c.what;
    }
}

// A forwarder has no way to fail: the process says why and what needs the library, and ends with
// status 1.
TEST(SharedLibraryDeathTest, AFunctionThatCannotBeHadEndsTheRunWithItsReason)
{
    EXPECT_EXIT(LibraryFunctionOrQuit("libcamlog-not-installed.so.0", "zip_open", "the office exports"),
                ::testing::ExitedWithCode(1),
                "camlog: the library libcamlog-not-installed.so.0 cannot be loaded \\(.*\\); this run needs the "
                "office exports and cannot go on");
}

} // namespace
} // namespace camlog::core
