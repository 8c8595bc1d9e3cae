// The output file: replaced whole or not at all, and written only as
// opening it for writing would allow.
#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/console/program_driver.h"

namespace {

TEST(EndToEnd, TheOutputIsReplacedWholeOrNotAtAll)
{
    const Folder folder;
    // The extremes of every range are accepted.
    ASSERT_EQ(run(Channel::Pipe, folder, {{"", "2\nL\n1\n6449\n2049\n"}}).exit_status, 0);
    ASSERT_EQ(chmod((folder.path + "/filter_coefficients.c").c_str(), 0640), 0);
    // A byte-order mark and CR LF line ends, as a Windows editor saves answers.
    EXPECT_EQ(run(Channel::Pipe, folder, {{"", "\xEF\xBB\xBF" "8000\r\nh\r\n1000\r\n0\r\n3"}}).exit_status, 0);
    EXPECT_EQ(folder.output_file(), "int number_of_coefficients = 3;\nlong sample_rate = 8000;\n"
                                    "int delay_buffer[5];\nint coefficients[3] = {\n"
                                    "          -7375,\n          24575,\n          -7375 };\n");
    struct stat replaced {};
    stat((folder.path + "/filter_coefficients.c").c_str(), &replaced);
    if (!windows_program()) {
        EXPECT_EQ(replaced.st_mode & 07777, 0640u);
    }

    // A folder in the file's place cannot be replaced: reported, nothing left behind.
    const Folder blocked;
    mkdir((blocked.path + "/filter_coefficients.c").c_str(), 0755);
    const Outcome outcome = run(Channel::Pipe, blocked, LOW_PASS_101);
    EXPECT_EQ(outcome.exit_status, 1);
    EXPECT_EQ(outcome.errors, "fir_design: cannot write filter_coefficients.c: Is a directory\n");
    EXPECT_EQ(std::system(("test $(ls -A '" + blocked.path + "' | wc -l) = 1").c_str()), 0);
#ifdef FIR_DESIGN_FULL_DISK
    // A disk that fills while a file with another name is rewritten in place:
    // its earlier text is kept whole in a copy that the error line names.
    // The POSIX build only: the Windows one always replaces the file whole.
    if (windows_program()) return;
    const Folder full;
    full.write_output_file("earlier\n");
    ASSERT_TRUE(full.shell("ln filter_coefficients.c other.c"));
    const Outcome failed = run_through_pipe(full, LOW_PASS_101, [] { setenv("LD_PRELOAD", FIR_DESIGN_FULL_DISK, 1); });
    const std::string kept = "; its earlier text is kept in ";
    const std::size_t at = failed.errors.find(kept);
    ASSERT_NE(at, std::string::npos) << failed.errors;
    EXPECT_EQ(failed.exit_status, 1);
    EXPECT_EQ(read_file(full.path + "/" + failed.errors.substr(at + kept.size(), 18)), "earlier\n");
#endif
}

// The user the permission cases run as when the tests run as root: nobody.
// Run as another user, the tests run them as themselves.
constexpr uid_t UNPRIVILEGED = 65534;
// A group `nobody` is given as well, for the case of a file of that group.
constexpr gid_t SECOND_GROUP = 100;

void run_unprivileged()
{
    const gid_t groups[] = {SECOND_GROUP};
    if (geteuid() == 0
        && (setgroups(1, groups) != 0 || setgid(UNPRIVILEGED) != 0 || setuid(UNPRIVILEGED) != 0)) {
        _exit(126);
    }
}

// Everything in a folder, down to the last byte and nanosecond: what a run
// that writes nothing must leave as it found it.
std::string snapshot(const Folder& folder)
{
    const Folder scratch;
    folder.shell("ls -lAR --full-time . > '" + scratch.path + "/list'; find . -type f | sort | "
                 "xargs cat >> '" + scratch.path + "/list'");
    return read_file(scratch.path + "/list");
}

const std::vector<Step> LONGEST_LOW_PASS = {{"", "48000\nL\n12000\n60\n2049\n"}};

// What the setups below may use: $expected, the file a 2049-tap design must
// leave; `give`, which gives files to the user the program runs as (nobody,
// when the tests run as root); `long_old`, an earlier file longer than the
// new text; `remember NAME COMMAND`, which keeps COMMAND's output of the
// file in NAME, outside the folder's listing, for a check to compare; and
// `protected NAME`, which skips a case where the kernel's protection
// fs.protected_NAME is off.
const char* const SETUP_HELPERS =
    "protected() { [ \"$(cat /proc/sys/fs/protected_$1 2>/dev/null)\" -ge 1 ] 2>/dev/null || exit 77; }; "
    "give() { if [ $(id -u) = 0 ]; then chown -R 65534 \"$@\"; fi; }; "
    "long_old() { head -c 60000 /dev/zero | tr '\\0' x > filter_coefficients.c; }; "
    "remember() { n=$1; shift; \"$@\" filter_coefficients.c > ../$n.$$ && mv ../$n.$$ $n; }; ";

// Each case prepares the folder, which holds an earlier file, and runs a
// 2049-tap design. A refusal (`message`) must leave the folder exactly as it
// was; a written file must pass the shell `check`. A setup that exits with
// 77 finds the file system lacking what it needs. `another_user` cases give
// files to another user, and so need root.
TEST(FileSafety, TheOutputBehavesAsOpeningItForWritingWould)
{
    if (windows_program()) GTEST_SKIP() << "POSIX files only";
    const Folder reference;
    ASSERT_EQ(run_through_pipe(reference, LONGEST_LOW_PASS).exit_status, 0);
    const std::string expected = "expected='" + reference.path + "/filter_coefficients.c'; ";
    const std::string written = "cmp filter_coefficients.c \"$expected\" && ";
    const Preparation small_size_limit = [] { const rlimit small{4096, 4096}; setrlimit(RLIMIT_FSIZE, &small); };
    const Preparation small_stack = [] { const rlimit small{80 * 1024, 80 * 1024}; setrlimit(RLIMIT_STACK, &small); };
    // In a mount namespace of its own: the kernel's settings hidden, or /tmp read-only (and TMPDIR unset).
    const Preparation settings_hidden = [] {
        if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
            || mount("tmpfs", "/proc/sys/fs", "tmpfs", 0, "size=4k") != 0) _exit(77);
    };
    const Preparation no_room_for_copies = [] {  // /tmp read-only, but for this folder
        char here[PATH_MAX];
        if (getcwd(here, sizeof here) == nullptr || unshare(CLONE_NEWNS) != 0
            || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
            || mount(here, here, nullptr, MS_BIND, nullptr) != 0 || mount("/tmp", "/tmp", nullptr, MS_BIND | MS_REC, nullptr) != 0
            || mount(nullptr, "/tmp", nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0 || chdir(here) != 0) {
            _exit(77);
        }
        unsetenv("TMPDIR");
        run_unprivileged();
    };
    const struct { const char* setup; Preparation prepare; const char* message; std::string check;
                   bool another_user = false; int signal = 0; } cases[] = {
        {"", small_size_limit, "cannot write filter_coefficients.c: File too large", ""},
        // The limit is checked before a byte of an old, longer file is overwritten.
        {"long_old && ln filter_coefficients.c other.c", small_size_limit,
         "cannot write filter_coefficients.c: File too large", ""},
        {"give . && chmod 0444 filter_coefficients.c", run_unprivileged,
         "cannot write filter_coefficients.c: Permission denied", ""},
        {"chown 65534 . && chmod 0644 filter_coefficients.c", run_unprivileged,   // root's file
         "cannot write filter_coefficients.c: Permission denied", "", true},
        {"mkdir into && mv filter_coefficients.c into/ && ln -s into filter_coefficients.c", nullptr,
         "cannot write filter_coefficients.c: Is a directory", ""},
        {"mv filter_coefficients.c a.c && ln -s b.c c.c && ln -s c.c b.c && ln -s b.c filter_coefficients.c",
         nullptr, "cannot write filter_coefficients.c: Too many levels of symbolic links", ""},
        {"rm filter_coefficients.c && mkfifo filter_coefficients.c", nullptr,
         "cannot write filter_coefficients.c: not a regular file", ""},
        {"", [] { dup2(open("/dev/full", O_WRONLY), 1); },
         "cannot write to standard output: No space left on device", ""},
        {"", [] { dup2(open(".", O_RDONLY), 0); }, "cannot read standard input: Is a directory", ""},
        // A folder its user may not write, holding a file it may: rewritten in place.
        {"give filter_coefficients.c && remember inode ls -i && chmod 0555 .", run_unprivileged, nullptr,
         written + "ls -i filter_coefficients.c | cmp - inode"},
        // Another user's writable file in a sticky folder cannot be replaced: rewritten in place.
        {"chmod 1777 . && chmod 0666 filter_coefficients.c && remember inode ls -i", run_unprivileged, nullptr,
         written + "ls -i filter_coefficients.c | cmp - inode && [ $(stat -c %u filter_coefficients.c) = 0 ]", true},
        // A link into another folder, through a relative link there, and through
        // an absolute one: the links stay, the target gets the text beside it
        // and keeps its mode.
        {"mkdir -p a/b && mv filter_coefficients.c a/b/t.c && chmod 0640 a/b/t.c && "
         "ln -s b/t.c a/link && ln -s a/link filter_coefficients.c", nullptr, nullptr,
         "cmp a/b/t.c \"$expected\" && [ -L a/link ] && [ -L filter_coefficients.c ] && "
         "[ $(stat -c %a a/b/t.c) = 640 ] && [ $(ls -A a/b) = t.c ]"},
        {"mkdir -p a/b && mv filter_coefficients.c a/b/t.c && ln -s \"$PWD/a/b/t.c\" a/link && "
         "ln -s a/link filter_coefficients.c", nullptr, nullptr, "cmp a/b/t.c \"$expected\" && [ -L a/link ]"},
        // A dangling link: its target is created. A target of the longest name a file may have.
        {"mkdir a && rm filter_coefficients.c && ln -s a/new.c filter_coefficients.c", nullptr, nullptr,
         "cmp a/new.c \"$expected\" && [ -L filter_coefficients.c ]"},
        {"mv filter_coefficients.c $(printf %0255d 0) && ln -s $(printf %0255d 0) filter_coefficients.c",
         nullptr, nullptr, "cmp $(printf %0255d 0) \"$expected\" && [ $(ls -A | wc -l) = 2 ]"},
        // Other names of the same file see the new text, whether the old one was shorter or longer.
        {"ln filter_coefficients.c other.c", nullptr, nullptr, written + "cmp other.c \"$expected\""},
        {"long_old && ln filter_coefficients.c other.c", nullptr, nullptr, written + "cmp other.c \"$expected\""},
        // Root keeps the owner and group, and never the special bits.
        {"chown 65534:65534 filter_coefficients.c && chmod 6755 filter_coefficients.c", nullptr, nullptr,
         written + "[ $(stat -c %u:%g:%a filter_coefficients.c) = 65534:65534:755 ]", true},
        // Another user's file that the runner may write, through its group in a
        // shared folder or through an access control list, stays theirs.
        {"give . && chmod 2775 . && chown 0:100 filter_coefficients.c && chmod 0664 filter_coefficients.c && "
         "remember inode ls -i", run_unprivileged, nullptr,
         written + "ls -i filter_coefficients.c | cmp - inode && [ $(stat -c %u:%g:%a filter_coefficients.c) = 0:100:664 ]",
         true},
        {"give . && chown 0:0 filter_coefficients.c && (setfacl -m u:65534:rw filter_coefficients.c || exit 77) && "
         "remember inode ls -i", run_unprivileged, nullptr,
         written + "ls -i filter_coefficients.c | cmp - inode && [ $(stat -c %u:%g filter_coefficients.c) = 0:0 ]", true},
        // A new file is created as a plain create would: with the umask, or with
        // the folder's default access control list.
        {"rm filter_coefficients.c", [] { umask(027); }, nullptr,
         written + "[ $(stat -c %a filter_coefficients.c) = 640 ]"},
        {"rm filter_coefficients.c && (setfacl -d -m u::rw,g::rw,o::-,u:65534:rw . || exit 77)", nullptr, nullptr,
         written + "touch by_touch && [ \"$(getfacl -c filter_coefficients.c)\" = \"$(getfacl -c by_touch)\" ]"},
        // A file mounted over the output's name is rewritten in place.
        {"mkdir source && mv filter_coefficients.c source/ && touch filter_coefficients.c && "
         "(mount --bind source/filter_coefficients.c filter_coefficients.c 2>/dev/null || exit 77)", nullptr, nullptr,
         "umount filter_coefficients.c && cmp source/filter_coefficients.c \"$expected\"", true},
        // A folder's default access control list is no part of a replaced file.
        {"(setfacl -d -m u:65534:rw . || exit 77) && remember acl getfacl", nullptr, nullptr,
         written + "getfacl filter_coefficients.c | cmp - acl"},
        // An access control list and a user attribute survive a replacement.
        {"setfacl -m u:65534:rw,g::r filter_coefficients.c && setfattr -n user.origin -v kept "
         "filter_coefficients.c || exit 77; remember inode ls -i && remember acl getfacl && "
         "remember attributes getfattr -d", nullptr, nullptr,
         written + "! ls -i filter_coefficients.c | cmp -s - inode && getfacl filter_coefficients.c | cmp - acl && "
         "getfattr -d filter_coefficients.c | cmp - attributes"},
        // In a sticky folder anyone may write, what the kernel would refuse
        // the shell's `>`: following another user's link (to a file, or
        // dangling), and another user's file; the folder is root's.
        {"protected symlinks && mkdir sub && mv filter_coefficients.c sub/ && "
         "ln -s sub/filter_coefficients.c filter_coefficients.c && chown -h 65534 filter_coefficients.c && chmod 1777 .",
         nullptr, "cannot write filter_coefficients.c: Permission denied", "", true},
        {"protected symlinks && rm filter_coefficients.c && ln -s new.c filter_coefficients.c && "
         "chown -h 65534 filter_coefficients.c && chmod 1777 .", nullptr,
         "cannot write filter_coefficients.c: Permission denied", "", true},
        {"protected regular && chown 65534 filter_coefficients.c && chmod 0666 filter_coefficients.c && chmod 1777 .",
         nullptr, "cannot write filter_coefficients.c: Permission denied", "", true},
        // Where the kernel's settings cannot be read, the strictest is assumed: another user's link is not followed.
        {"mkdir sub && mv filter_coefficients.c sub/ && ln -s sub/filter_coefficients.c filter_coefficients.c && "
         "chown -h 65534 filter_coefficients.c && chmod 1777 .", settings_hidden,
         "cannot write filter_coefficients.c: Permission denied", "", true},
        // Where no place takes a copy of the earlier text, nothing is written, and the error line says so.
        {"give filter_coefficients.c && ln filter_coefficients.c other.c && chmod 0755 .", no_room_for_copies,
         "cannot write filter_coefficients.c: cannot keep a copy of the earlier text: /tmp: Read-only file system",
         "", true},
        {"", small_stack, nullptr, written + "true"},  // ulimit -s 80
        // A folder that keeps its names (append-only) keeps no temporary, nor does one its owner cannot read.
        {"give . && chmod 0300 . && (chattr +a . 2>/dev/null || exit 77)", run_unprivileged, nullptr,
         written + "[ $(ls -A | wc -l) = 1 ]; kept=$?; chattr -a .; [ $kept = 0 ]", true},
        {"chattr +a . 2>/dev/null || exit 77", nullptr, nullptr,
         written + "[ $(ls -A | wc -l) = 1 ]; kept=$?; chattr -a .; [ $kept = 0 ]", true},
        {"rm filter_coefficients.c && (chattr +a . 2>/dev/null || exit 77)", nullptr, nullptr,
         written + "[ $(ls -A | wc -l) = 1 ]; kept=$?; chattr -a .; [ $kept = 0 ]", true},
        // A signal that would end the run waits until the file is in place.
        {"", nullptr, nullptr, written + "[ $(ls -A | wc -l) = 1 ]", false, SIGALRM},
#ifdef SIGRTMIN
        {"", nullptr, nullptr, written + "[ $(ls -A | wc -l) = 1 ]", false, SIGRTMIN + 1},
#endif
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setup);
        if (c.another_user && geteuid() != 0) continue;
        const Folder folder;
        folder.write_output_file("earlier\n");
        const int setup = folder.exit_status(SETUP_HELPERS + expected + c.setup);
        if (setup == 77) continue;
        ASSERT_EQ(setup, 0);
        const std::string before = snapshot(folder);
        // A run may end before the signal can be sent into it: then again.
        Outcome outcome = run_through_pipe(folder, LONGEST_LOW_PASS, c.prepare, c.signal);
        for (int tries = 0; outcome.signal_came_late && tries < 20; ++tries) {
            outcome = run_through_pipe(folder, LONGEST_LOW_PASS, c.prepare, c.signal);
        }
        if (outcome.exit_status == 77) continue;  // no mount namespace of its own here
        if (c.message != nullptr) {
            EXPECT_EQ(outcome.exit_status, 1) << c.message;
            EXPECT_EQ(outcome.errors, std::string("fir_design: ") + c.message + "\n");
            EXPECT_EQ(snapshot(folder), before) << c.message;
        } else {
            EXPECT_EQ(outcome.exit_status, c.signal != 0 ? -1 : 0) << outcome.errors;
            EXPECT_EQ(outcome.signal, c.signal);
            EXPECT_TRUE(folder.shell(expected + c.check)) << c.check;
        }
    }
}

}  // namespace
