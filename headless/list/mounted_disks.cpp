// Mount points of real disk file systems, read from the kernel's mount table.
#include "headless/list/mounted_disks.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <sstream>

namespace camlog::ui {

namespace {

// File systems that live on a local disk or a partition of one.
constexpr std::array<std::string_view, 16> kDiskTypes = {"ext2",  "ext3",     "ext4",    "xfs",   "btrfs", "f2fs",
                                                         "jfs",   "reiserfs", "vfat",    "msdos", "exfat", "ntfs",
                                                         "ntfs3", "fuseblk",  "hfsplus", "zfs"};

bool isOctalDigit(char c)
{
    return c >= '0' && c <= '7';
}

std::string decodeEscapes(std::string_view field)
{
    std::string text;
    text.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && isOctalDigit(field[i + 1]) && isOctalDigit(field[i + 2])
            && isOctalDigit(field[i + 3])) {
            text += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
            i += 3;
        } else {
            text += field[i];
        }
    }
    return text;
}

} // namespace

std::vector<std::string> RealDiskMountPoints(std::string_view mountsText)
{
    std::vector<std::string> points;
    std::istringstream lines{std::string(mountsText)};
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string source, mountPoint, type;
        if (!(fields >> source >> mountPoint >> type))
            continue;
        if (std::find(kDiskTypes.begin(), kDiskTypes.end(), type) == kDiskTypes.end())
            continue;
        std::string decoded = decodeEscapes(mountPoint);
        if (std::find(points.begin(), points.end(), decoded) == points.end())
            points.push_back(std::move(decoded));
    }
    return points;
}

std::vector<std::string> MountedDiskFolders()
{
    std::ifstream file("/proc/self/mounts");
    if (!file)
        return {};
    std::ostringstream text;
    text << file.rdbuf();
    return RealDiskMountPoints(text.str());
}

} // namespace camlog::ui
