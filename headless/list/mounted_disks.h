// The folders where disks are mounted: what "Open all" walks on this system.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace camlog::ui {

// The mount points of real disk file systems in the text of /proc/self/mounts (one mount per
// line: source, mount point, type, options), in its order, each once. The pseudo file systems
// (proc, sysfs, tmpfs, cgroup, overlay…), network shares and optical discs are left out. Mount
// points are written with octal escapes ("\040" for a blank); they come back decoded.
std::vector<std::string> RealDiskMountPoints(std::string_view mountsText);

// Those of the running system; empty when /proc/self/mounts cannot be read.
std::vector<std::string> MountedDiskFolders();

} // namespace camlog::ui
