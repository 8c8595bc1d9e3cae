// The folder rules on Linux: the protections are read from /proc/sys/fs,
// where they are on by default in most distributions; the folder's flags
// from the file system.
#include "console/folder_rules.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// The value of a protection in /proc/sys/fs, 0 where it cannot be read.
int protection_level(const char* name)
{
    char path[64];
    std::snprintf(path, sizeof path, "/proc/sys/fs/%s", name);
    std::FILE* setting = std::fopen(path, "r");
    char text[16] = "";
    if (setting != nullptr) {
        if (std::fgets(text, sizeof text, setting) == nullptr) {
            text[0] = '\0';
        }
        std::fclose(setting);
    }
    return static_cast<int>(std::strtol(text, nullptr, 10));
}

bool sticky_and_writable_by(const struct stat& folder, mode_t writers)
{
    return (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & writers) != 0;
}

}  // namespace

int link_protection(const struct stat& folder, const struct stat& link)
{
    const bool refused = protection_level("protected_symlinks") > 0 && link.st_uid != geteuid()
                         && sticky_and_writable_by(folder, S_IWOTH) && folder.st_uid != link.st_uid;
    return refused ? EACCES : 0;
}

int file_protection(const struct stat& folder, const struct stat& file)
{
    if (file.st_uid == geteuid() || file.st_uid == folder.st_uid) {
        return 0;
    }
    const int level = protection_level("protected_regular");
    const bool refused = level > 0 && sticky_and_writable_by(folder, level >= 2 ? S_IWOTH | S_IWGRP : S_IWOTH);
    return refused ? EACCES : 0;
}

bool names_stay(int folder)
{
    int flags = 0;
    return ioctl(folder, FS_IOC_GETFLAGS, &flags) == 0 && (flags & (FS_APPEND_FL | FS_IMMUTABLE_FL)) != 0;
}
