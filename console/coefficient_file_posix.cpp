// The coefficient file on POSIX systems. The text goes to a temporary file
// beside its target, which is flushed to disk and renamed over the target,
// so that the target is replaced whole or not at all. Where the target
// cannot be replaced by another file (its folder may not be written or
// keeps its names, it is a mount point, the file has other names that must
// see the new text, or its owner, group or access control list cannot be
// carried over), it is rewritten in place instead, as opening it for
// writing would, after a whole copy of its text is put on disk, so that
// the earlier text is never lost.
#include "console/coefficient_file.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "console/ending_signals.h"
#include "console/file_attributes.h"
#include "console/folder_rules.h"

#ifndef PATH_MAX
#define PATH_MAX 4096
#endif

namespace {

// Links followed from the output's name to its target before giving up, as
// the system itself does on a loop.
constexpr int MAX_LINKS_FOLLOWED = 40;

struct Path {
    char text[PATH_MAX];
};

// errno after a failed call, never 0, so that a failure is never reported
// as success.
int last_error()
{
    return errno != 0 ? errno : EIO;
}

// Where the earlier text was left after an in-place rewrite failed; empty
// when it was not.
Path kept_copy{};

// The length of the folder part of `path`, its last slash included; 0 for
// a name in the current folder.
int folder_prefix(const char* path)
{
    const char* slash = std::strrchr(path, '/');
    return slash == nullptr ? 0 : static_cast<int>(slash - path) + 1;
}

// The folder that holds `path`: its name (into `folder`) and its status.
int folder_of(const char* path, Path& folder, struct stat& status)
{
    const int prefix = folder_prefix(path);
    std::snprintf(folder.text, sizeof folder.text, "%.*s", prefix > 0 ? prefix : 1, prefix > 0 ? path : ".");
    return stat(folder.text, &status) == 0 ? 0 : last_error();
}

// Follows symbolic links from COEFFICIENT_FILE_NAME to where the text
// belongs: the first name that is not a link, or the missing target of a
// dangling link, which is then created. A relative link is read from the
// folder that holds it; a link the kernel would not follow for this
// process is not followed either. Returns 0 or an errno value.
int resolve_target(Path& target)
{
    std::snprintf(target.text, sizeof target.text, "%s", COEFFICIENT_FILE_NAME);
    for (int followed = 0; followed <= MAX_LINKS_FOLLOWED; ++followed) {
        struct stat status {};
        if (lstat(target.text, &status) != 0) {
            return errno == ENOENT ? 0 : last_error();
        }
        if (!S_ISLNK(status.st_mode)) {
            return 0;
        }
        Path folder{};
        struct stat folder_status {};
        const int refusal = folder_of(target.text, folder, folder_status);
        if (refusal != 0 || link_protection(folder_status, status) != 0) {
            return refusal != 0 ? refusal : EACCES;
        }
        char link[PATH_MAX];
        const ssize_t length = readlink(target.text, link, sizeof link);
        if (length < 0) {
            return last_error();
        }
        const std::size_t link_length = static_cast<std::size_t>(length);
        const std::size_t folder_length = link[0] == '/' ? 0 : static_cast<std::size_t>(folder_prefix(target.text));
        if (folder_length + link_length >= sizeof target.text) {
            return ENAMETOOLONG;
        }
        std::memcpy(target.text + folder_length, link, link_length);
        target.text[folder_length + link_length] = '\0';
    }
    return ELOOP;
}

// Writes `size` bytes from `bytes` at `offset`, resuming after a short write
// or an interruption. Returns 0 or an errno value.
int write_all_at(int descriptor, const char* bytes, std::size_t size, off_t offset)
{
    while (size > 0) {
        const ssize_t written = pwrite(descriptor, bytes, size, offset);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return written < 0 ? last_error() : EIO;
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
        offset += written;
    }
    return 0;
}

// The temporary's name in the target's folder: short and fixed in length,
// so that any name the target may have fits beside it. Its last six
// characters are made up afresh until the name is free.
constexpr const char* TEMPORARY_NAME = ".fir_design.XXXXXX";
constexpr int TEMPORARY_TRIES = 100;

// Creates a new temporary beside `target` with `mode`: 0666 as a plain
// create of the target would be (the folder's default access control list
// applies where it has one, else the umask does), or 0600 for a file whose
// mode comes later. Returns a descriptor open for writing, or -1 with errno
// set.
int create_temporary(const Path& target, Path& temporary, mode_t mode)
{
    const int name_length = std::snprintf(temporary.text, sizeof temporary.text, "%.*s%s",
                                          folder_prefix(target.text), target.text, TEMPORARY_NAME);
    if (name_length < 0 || static_cast<std::size_t>(name_length) >= sizeof temporary.text) {
        errno = ENAMETOOLONG;
        return -1;
    }
    static const char LETTERS[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    unsigned long long seed = static_cast<unsigned long long>(now.tv_nsec) ^ (static_cast<unsigned long long>(getpid()) << 32);
    for (int tries = 0; tries < TEMPORARY_TRIES; ++tries) {
        for (int i = name_length - 6; i < name_length; ++i) {
            seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;  // a 64-bit LCG step
            temporary.text[i] = LETTERS[(seed >> 33) % (sizeof LETTERS - 1)];
        }
        const int descriptor = open(temporary.text, O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, mode);
        if (descriptor >= 0 || errno != EEXIST) {
            return descriptor;
        }
    }
    errno = EEXIST;
    return -1;
}

// The file the text replaces: its status and a descriptor open for writing.
struct ExistingFile {
    struct stat status;
    int descriptor;
};

// Writes the text to a new temporary file beside `target` and renames it over
// the target. The new file gets the permission bits of the file it replaces
// (`existing`; never its set-user-ID, set-group-ID or sticky bits), its
// extended attributes (its access control list among them), its owner and
// its group; without `existing` it is created as a plain create would. The
// temporary is removed on any failure. *in_place_instead is set when the
// folder allows neither the temporary nor the rename (or the target is a
// mount point), or the owner, group or attributes cannot be carried over
// (another user's file), so that the file can still be rewritten in place.
int replace_through_temporary(const Path& target, const ExistingFile* existing,
                              const CoefficientText& text, bool* in_place_instead)
{
    // Until it has the mode of the file it replaces, only its maker may read it.
    Path temporary{};
    const int descriptor = create_temporary(target, temporary, existing != nullptr ? 0600 : 0666);
    if (descriptor < 0) {
        const int error = last_error();
        *in_place_instead = error == EACCES || error == EPERM;
        return error;
    }
    int error = 0;
    if (existing != nullptr) {
        // Only root may give a file away. A file that would change hands
        // (another user's, which the runner may write) is rewritten in place
        // instead, so that nobody gains or loses access to it.
        struct stat created {};
        if (fchown(descriptor, existing->status.st_uid, existing->status.st_gid) != 0
            && (fstat(descriptor, &created) != 0 || created.st_uid != existing->status.st_uid
                || created.st_gid != existing->status.st_gid)) {
            error = EPERM;
        }
        // An access control list that cannot be carried over must not be
        // lost either: the old file is then rewritten in place, keeping it.
        if (error == 0) {
            error = copy_file_attributes(existing->descriptor, descriptor);
        }
        *in_place_instead = error != 0;
        if (error == 0 && fchmod(descriptor, existing->status.st_mode & 0777) != 0) {
            error = last_error();
        }
    }
    if (error == 0) {
        error = write_all_at(descriptor, text.characters.data(), text.length, 0);
    }
    if (error == 0 && fsync(descriptor) != 0) {
        error = last_error();
    }
    if (close(descriptor) != 0 && error == 0) {
        error = last_error();
    }
    if (error == 0 && std::rename(temporary.text, target.text) != 0) {
        error = last_error();
        *in_place_instead = error == EACCES || error == EPERM || error == EBUSY;
    }
    if (error != 0) {
        unlink(temporary.text);
    }
    return error;
}

// Where the last copy could not be kept, and why: "/tmp: No space left on
// device".
char copy_failure[PATH_MAX + 64] = "";

// Copies the `size` bytes open on `original` into a new file of mode 0600
// beside `place` (a path whose folder takes the copy) and syncs it; the
// copy's name goes to `copy`. Returns 0 or an errno value, and leaves no
// copy on failure.
int copy_beside(int original, off_t size, const Path& place, Path& copy)
{
    const int descriptor = create_temporary(place, copy, 0600);
    int error = descriptor < 0 ? last_error() : 0;
    // Off the stack, which a small limit (ulimit -s) may leave too short for it.
    static char block[65536];
    for (off_t at = 0; error == 0 && at < size;) {
        const ssize_t count = pread(original, block, sizeof block, at);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        error = count < 0 ? last_error() : count == 0 ? EIO : write_all_at(descriptor, block, static_cast<std::size_t>(count), at);
        at += count > 0 ? count : 0;
    }
    if (error == 0 && fsync(descriptor) != 0) {
        error = last_error();
    }
    if (descriptor >= 0 && close(descriptor) != 0 && error == 0) {
        error = last_error();
    }
    if (error != 0 && descriptor >= 0) {
        unlink(copy.text);
    }
    return error;
}

// Copies the file open on `original` into the folder `place` ("": the
// target's own), noting where and why where it cannot.
int copy_into(int original, off_t size, const Path& target, const char* place, Path& copy)
{
    Path in_place{};
    std::snprintf(in_place.text, sizeof in_place.text, "%s/x", place);
    const int error = copy_beside(original, size, *place == '\0' ? target : in_place, copy);
    if (error != 0) {
        // The folder as the error line names it: the place, or the target's without its last slash.
        const int prefix = folder_prefix(target.text);
        const char* const folder = *place != '\0' ? place : prefix > 1 ? target.text : prefix == 1 ? "/" : ".";
        const int length = *place != '\0' ? PATH_MAX : prefix > 1 ? prefix - 1 : 1;
        std::snprintf(copy_failure, sizeof copy_failure, "%.*s: %s", length, folder, std::strerror(error));
    }
    return error;
}

// Puts a whole copy of the `size` bytes of the file at `target` in a new
// file of mode 0600 and syncs it: beside the target, or, where the folder
// cannot take it or keeps its names, in the folder TMPDIR names, else in
// the system's temporary folder. `copy` is left empty, and 0 returned, when
// the file cannot be read (there is then nothing this user could keep);
// otherwise 0, or NO_COPY_KEPT when no place took a copy (copy_failure says
// the last), and no copy is left on failure.
int keep_copy(const Path& target, off_t size, bool beside, Path& copy)
{
    copy.text[0] = '\0';
    const int original = open(target.text, O_RDONLY | O_NOCTTY | O_CLOEXEC);
    if (original < 0) {
        return 0;
    }
    const char* const temporary_folder = std::getenv("TMPDIR");
    const char* const places[] = {beside ? "" : nullptr,
                                  temporary_folder != nullptr && *temporary_folder != '\0' ? temporary_folder : nullptr,
                                  P_tmpdir};
    int error = NO_COPY_KEPT;
    for (const char* place : places) {
        if (place != nullptr && error != 0) {
            error = copy_into(original, size, target, place, copy);
        }
    }
    close(original);
    if (error != 0) {
        copy.text[0] = '\0';
        return NO_COPY_KEPT;
    }
    return 0;
}

// Writes the text over the file at `target`, open on `descriptor` and
// `old_size` bytes long, and cuts the file to the text's length. The size
// limit is checked first, and the part of the text beyond the old end is
// written first and taken back if it fails, so that the failures that come
// from the file's size leave it as it was. Before a byte of the old text is
// overwritten, a whole copy of it is on disk (see keep_copy; `beside` says
// whether the target's folder may take it); the copy goes once the new text
// is, and stays, in kept_copy, when a failure leaves the file changed.
int rewrite_in_place(const Path& target, int descriptor, off_t old_size, bool beside, const CoefficientText& text)
{
    const off_t length = static_cast<off_t>(text.length);
    struct rlimit limit {};
    if (getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY
        && text.length > limit.rlim_cur) {
        return EFBIG;
    }
    Path copy{};
    int error = keep_copy(target, old_size, beside, copy);
    if (error != 0) {
        return error;
    }
    if (length > old_size) {
        error = write_all_at(descriptor, text.characters.data() + old_size,
                             static_cast<std::size_t>(length - old_size), old_size);
        if (error != 0 && ftruncate(descriptor, old_size) != 0) {
            // The old text is still whole; only its new tail stays.
        }
    }
    bool changed = false;
    if (error == 0) {
        changed = true;
        const std::size_t head = static_cast<std::size_t>(length < old_size ? length : old_size);
        error = write_all_at(descriptor, text.characters.data(), head, 0);
    }
    // Cutting a file to the length it has already is done, whatever the
    // call says (a copy-on-write file system may answer ENOSPC).
    struct stat written {};
    if (error == 0 && ftruncate(descriptor, length) != 0
        && !(fstat(descriptor, &written) == 0 && written.st_size == length)) {
        error = last_error();
    }
    if (error == 0 && fsync(descriptor) != 0) {
        error = last_error();
    }
    if (copy.text[0] != '\0') {
        if (error != 0 && changed) {
            kept_copy = copy;
        } else {
            unlink(copy.text);
        }
    }
    return error;
}

// Creates the target with the text where no temporary could be renamed
// over it, as opening it for writing would: not whole-or-nothing, but a
// failure leaves it empty.
int create_in_place(const Path& target, const CoefficientText& text)
{
    const int descriptor = open(target.text, O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        return last_error();
    }
    int error = write_all_at(descriptor, text.characters.data(), text.length, 0);
    if (error == 0 && fsync(descriptor) != 0) {
        error = last_error();
    }
    if (error != 0 && ftruncate(descriptor, 0) != 0) {
        // Nothing more can be done: the name stays in its folder.
    }
    if (close(descriptor) != 0 && error == 0) {
        error = last_error();
    }
    return error;
}

// Puts the text where COEFFICIENT_FILE_NAME leads, as the file's contract
// says. Returns 0, an errno value or NOT_A_REGULAR_FILE.
int write_text(const CoefficientText& text)
{
    Path target{};
    int error = resolve_target(target);
    if (error != 0) {
        return error;
    }
    // A folder that keeps its names (append-only) would keep a temporary.
    Path folder{};
    struct stat folder_status {};
    const bool beside = folder_of(target.text, folder, folder_status) != 0 || !names_stay(folder.text);
    bool in_place_instead = !beside;
    ExistingFile existing{};
    if (stat(target.text, &existing.status) != 0) {
        if (errno != ENOENT) {
            return last_error();
        }
        return beside ? replace_through_temporary(target, nullptr, text, &in_place_instead)
                      : create_in_place(target, text);
    }
    if (S_ISDIR(existing.status.st_mode)) {
        return EISDIR;
    }
    if (!S_ISREG(existing.status.st_mode)) {
        return NOT_A_REGULAR_FILE;
    }
    if (file_protection(folder_status, existing.status) != 0) {
        return EACCES;
    }
    // Opening the file for writing asks the system itself whether its user
    // may write it (root may write a read-only file, as with any editor).
    existing.descriptor = open(target.text, O_WRONLY | O_NOCTTY);
    if (existing.descriptor < 0) {
        return last_error();
    }
    // A file with other names is rewritten in place, so that all of them
    // see the new text.
    if (existing.status.st_nlink == 1 && !in_place_instead) {
        error = replace_through_temporary(target, &existing, text, &in_place_instead);
    }
    if (existing.status.st_nlink > 1 || in_place_instead) {
        error = rewrite_in_place(target, existing.descriptor, existing.status.st_size, beside, text);
    }
    if (close(existing.descriptor) != 0 && error == 0) {
        error = last_error();
    }
    return error;
}

}  // namespace

const char* earlier_text_kept_in()
{
    return kept_copy.text;
}

const char* copy_place_failure()
{
    return copy_failure;
}

int put_coefficient_text(const CoefficientText& text)
{
    // Hold back the signals that end a run until the temporary is either
    // renamed or removed, so that none is left behind; and take a file-size
    // limit as the error EFBIG rather than as SIGXFSZ, which would end the run
    // with the temporary in place. An ignored SIGXFSZ stays ignored.
    // SIGXFSZ itself is ignored, not held: held, it would still end the run
    // once let through.
    const EndingSignals ending = ending_signals();
    sigset_t held;
    sigset_t previous_mask;
    sigemptyset(&held);
    for (std::size_t i = 0; i < ending.count; ++i) {
        sigaddset(&held, ending.numbers[i]);
    }
    sigdelset(&held, SIGXFSZ);
    sigprocmask(SIG_BLOCK, &held, &previous_mask);
    struct sigaction ignore {};
    struct sigaction previous_size_action {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGXFSZ, &ignore, &previous_size_action);

    const int error = write_text(text);

    sigaction(SIGXFSZ, &previous_size_action, nullptr);
    sigprocmask(SIG_SETMASK, &previous_mask, nullptr);
    return error;
}
