#include "list/local_mounts.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <system_error>
#include <utility>

namespace korvid::list {

namespace fs = std::filesystem;

namespace {

// mountinfo writes blanks, tabs, newlines and backslashes as \ooo.
std::string Unescape(std::string_view field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3' &&
        field[i + 2] >= '0' && field[i + 2] <= '7' && field[i + 3] >= '0' && field[i + 3] <= '7') {
      out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
      i += 3;
    } else {
      out += field[i];
    }
  }
  return out;
}

std::vector<std::string_view> SplitBlanks(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && line[i] == ' ') ++i;
    const std::size_t start = i;
    while (i < line.size() && line[i] != ' ') ++i;
    if (i > start) fields.push_back(line.substr(start, i - start));
  }
  return fields;
}

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

bool ReadFlag(const fs::path& file) {
  std::ifstream in(file);
  int value = 0;
  return in >> value && value != 0;
}

}  // namespace

std::vector<MountEntry> ParseMountInfo(std::string_view text) {
  std::vector<MountEntry> mounts;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::vector<std::string_view> fields = SplitBlanks(text.substr(start, end - start));
    start = end + 1;
    // id parent major:minor root mount-point options [optional...] - type source super-options
    std::size_t separator = 6;
    while (separator < fields.size() && fields[separator] != "-") ++separator;
    if (fields.size() < 7 || separator + 2 >= fields.size()) continue;
    MountEntry mount;
    mount.device = std::string(fields[2]);
    mount.root = Unescape(fields[3]);
    mount.mountPoint = Unescape(fields[4]);
    mount.fsType = Unescape(fields[separator + 1]);
    mount.source = Unescape(fields[separator + 2]);
    mounts.push_back(std::move(mount));
  }
  return mounts;
}

bool IsPseudoFileSystem(std::string_view fsType) {
  static constexpr std::array<std::string_view, 29> kPseudo = {
      "proc",     "sysfs",      "tmpfs",      "devtmpfs", "devpts",    "cgroup",    "cgroup2",  "securityfs",
      "debugfs",  "tracefs",    "pstore",     "bpf",      "mqueue",    "hugetlbfs", "configfs", "fusectl",
      "autofs",   "binfmt_misc", "efivarfs",  "ramfs",    "nsfs",      "rpc_pipefs", "squashfs",
      "selinuxfs", "rootfs",    "fuse.portal", "fuse.gvfsd-fuse", "fuse.lxcfs", "iso9660"};
  for (std::string_view pseudo : kPseudo)
    if (fsType == pseudo) return true;
  return false;
}

bool IsNetworkFileSystem(std::string_view fsType) {
  static constexpr std::array<std::string_view, 16> kNetwork = {
      "nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "afs", "9p", "ceph", "glusterfs", "lustre", "davfs",
      "fuse.sshfs", "fuse.rclone", "fuse.s3fs", "fuse.glusterfs"};
  for (std::string_view network : kNetwork)
    if (fsType == network) return true;
  return false;
}

bool IsRemovableMount(const MountEntry& mount) {
  if (StartsWith(mount.mountPoint, "/media/") || StartsWith(mount.mountPoint, "/run/media/")) return true;
  std::error_code error;
  const fs::path device = fs::canonical(fs::path("/sys/dev/block") / mount.device, error);
  if (error) return false;
  // A partition keeps no flag of its own; its disk does.
  if (fs::exists(device / "removable", error)) return ReadFlag(device / "removable");
  if (fs::exists(device.parent_path() / "removable", error)) return ReadFlag(device.parent_path() / "removable");
  return false;
}

std::vector<std::string> FixedLocalMountPoints(const std::vector<MountEntry>& mounts, RemovableTest removable) {
  std::vector<std::string> points;
  std::set<std::pair<std::string, std::string>> seen;  // device and root: each file system once
  for (const MountEntry& mount : mounts) {
    if (IsPseudoFileSystem(mount.fsType) || IsNetworkFileSystem(mount.fsType)) continue;
    if (removable(mount)) continue;
    if (!seen.insert({mount.device, mount.root}).second) continue;
    points.push_back(mount.mountPoint);
  }
  return points;
}

std::vector<std::string> FixedLocalMountPoints() {
  std::ifstream in("/proc/self/mountinfo");
  if (!in) return {};
  std::ostringstream text;
  text << in.rdbuf();
  return FixedLocalMountPoints(ParseMountInfo(text.str()));
}

}  // namespace korvid::list
