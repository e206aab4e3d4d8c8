#pragma once
// The folders "Open all" scans: the mount points of local, fixed file
// systems. Pseudo file systems (proc, sysfs, tmpfs ...), network file
// systems and removable media are left out.

#include <string>
#include <string_view>
#include <vector>

namespace korvid::list {

struct MountEntry {
  std::string device;      // "major:minor"
  std::string root;        // the folder of the file system mounted here
  std::string mountPoint;  // where it is mounted
  std::string fsType;
  std::string source;
};

// The entries of a /proc/self/mountinfo text; malformed lines are skipped.
std::vector<MountEntry> ParseMountInfo(std::string_view text);

bool IsPseudoFileSystem(std::string_view fsType);
bool IsNetworkFileSystem(std::string_view fsType);

// Asks the system whether the block device "major:minor" is removable
// (the disk's removable flag, or media mounted under /media or /run/media).
using RemovableTest = bool (*)(const MountEntry& mount);
bool IsRemovableMount(const MountEntry& mount);

// The mount points to scan, in mount order, each file system once.
std::vector<std::string> FixedLocalMountPoints(const std::vector<MountEntry>& mounts,
                                               RemovableTest removable = &IsRemovableMount);
// The same for the running system; empty when the mount table cannot be read.
std::vector<std::string> FixedLocalMountPoints();

}  // namespace korvid::list
