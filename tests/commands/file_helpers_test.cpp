// The bare name of a file, and the forced deletion of a read-only file.
#include "commands/shell/file_helpers.h"

#include "core/avi_fichier.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace camlog::commands {
namespace {

namespace fs = std::filesystem;

TEST(NameWithoutExtension, DropsTheFolderAndTheLastExtensionLikeTheFileObject)
{
    const struct {
        const char *path;
        const char *name;
    } cases[] = {
        {"/v/Clip.2024.avi", "Clip.2024"},
        {"/v/clip", "clip"},
        {"clip.AVI", "clip"},
        {"/v.d/clip", "clip"},
        {"/v/.scn", ""},
        {"/v/", ""},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(NameWithoutExtension(c.path), c.name) << c.path;
        EXPECT_EQ(NameWithoutExtension(c.path), core::TAbstractListFichier(c.path).BaseName) << c.path;
    }
}

TEST(DeleteFileForce, DeletesAReadOnlyFileButNotAFolderNorALinksTarget)
{
    const fs::path scratch = camlog::test::scratchDir("delete_force");
    const fs::path readOnly = scratch / "Camlog.ini";
    std::ofstream(readOnly) << "x";
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_TRUE(DeleteFileForce(readOnly.string()));
    EXPECT_FALSE(fs::exists(readOnly));

    EXPECT_FALSE(DeleteFileForce((scratch / "missing.ini").string()));
    fs::create_directories(scratch / "folder");
    EXPECT_FALSE(DeleteFileForce((scratch / "folder").string()));
    EXPECT_TRUE(fs::is_directory(scratch / "folder"));

    const fs::path target = scratch / "target.ini";
    std::ofstream(target) << "t";
    fs::permissions(target, fs::perms::owner_read);
    fs::create_symlink(target, scratch / "link.ini");
    EXPECT_TRUE(DeleteFileForce((scratch / "link.ini").string()));
    EXPECT_FALSE(fs::exists(fs::symlink_status(scratch / "link.ini")));
    EXPECT_TRUE(fs::exists(target));
    EXPECT_EQ(fs::status(target).permissions(), fs::perms::owner_read);
}

} // namespace
} // namespace camlog::commands
