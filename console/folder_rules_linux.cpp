// The folder rules on Linux: the protections are read from /proc/sys/fs,
// where they are on by default in most distributions; the folder's flags
// from the file system.
#include "console/folder_rules.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <linux/fs.h>
#include <linux/magic.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace {

// The strictest value each protection has: where its setting cannot be read
// (a private mount namespace over /proc, a /proc not mounted), the kernel
// may well apply it, and a rule assumed off would let the tool follow a link
// or open a file that the shell's `>` may not.
constexpr int STRICTEST_SYMLINKS = 1;
constexpr int STRICTEST_REGULAR = 2;

// The value of a protection in /proc/sys/fs, or `strictest` where it cannot
// be read as a number.
int protection_level(const char* name, int strictest)
{
    char path[64];
    std::snprintf(path, sizeof path, "/proc/sys/fs/%s", name);
    std::FILE* setting = std::fopen(path, "r");
    if (setting == nullptr) {
        return strictest;
    }
    char text[16] = "";
    const bool read = std::fgets(text, sizeof text, setting) != nullptr;
    std::fclose(setting);
    char* end = text;
    const long level = read ? std::strtol(text, &end, 10) : 0;
    return read && end != text ? static_cast<int>(level) : strictest;
}

bool sticky_and_writable_by(const struct stat& folder, mode_t writers)
{
    return (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & writers) != 0;
}

}  // namespace

int link_protection(const struct stat& folder, const struct stat& link)
{
    const bool refused = protection_level("protected_symlinks", STRICTEST_SYMLINKS) > 0 && link.st_uid != geteuid()
                         && sticky_and_writable_by(folder, S_IWOTH) && folder.st_uid != link.st_uid;
    return refused ? EACCES : 0;
}

int file_protection(const struct stat& folder, const struct stat& file)
{
    if (file.st_uid == geteuid() || file.st_uid == folder.st_uid) {
        return 0;
    }
    const int level = protection_level("protected_regular", STRICTEST_REGULAR);
    const bool refused = level > 0 && sticky_and_writable_by(folder, level >= 2 ? S_IWOTH | S_IWGRP : S_IWOTH);
    return refused ? EACCES : 0;
}

bool names_stay(const char* folder)
{
    constexpr unsigned long long KEEPS_NAMES = STATX_ATTR_APPEND | STATX_ATTR_IMMUTABLE;
    struct statx status {};
    if (statx(AT_FDCWD, folder, AT_STATX_SYNC_AS_STAT, STATX_TYPE, &status) == 0
        && (status.stx_attributes_mask & KEEPS_NAMES) == KEEPS_NAMES) {
        return (status.stx_attributes & KEEPS_NAMES) != 0;
    }
    // Before statx told these (Linux 4.11), the flags' own call.
    const int descriptor = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int flags = 0;
    const bool told = descriptor >= 0 && ioctl(descriptor, FS_IOC_GETFLAGS, &flags) == 0;
    if (descriptor >= 0) {
        close(descriptor);
    }
    if (told) {
        return (flags & (FS_APPEND_FL | FS_IMMUTABLE_FL)) != 0;
    }
    struct statfs file_system {};
    return statfs(folder, &file_system) == 0 && file_system.f_type == FUSE_SUPER_MAGIC;
}
