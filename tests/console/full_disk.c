/* A disk that fills while a file is rewritten in place, as a copy-on-write
 * file system's can: preloaded into the program, this makes the second
 * write at the start of a file (the first is the copy of its earlier text)
 * write 100 bytes and fail with ENOSPC. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <unistd.h>

ssize_t pwrite(int descriptor, const void* bytes, size_t size, off_t offset)
{
    static ssize_t (*real_pwrite)(int, const void*, size_t, off_t);
    static int writes_at_start;
    if (real_pwrite == NULL) {
        *(void**)&real_pwrite = dlsym(RTLD_NEXT, "pwrite");
    }
    if (offset == 0 && ++writes_at_start == 2) {
        (void)real_pwrite(descriptor, bytes, size < 100 ? size : 100, 0);
        errno = ENOSPC;
        return -1;
    }
    return real_pwrite(descriptor, bytes, size, offset);
}
