// The coefficient file on Windows. The text goes, in text mode so that every
// line ends in CR LF, to a temporary file in the same folder, which is
// flushed to disk and then moved over the old file: the old file is
// replaced whole or not at all.
#include "console/coefficient_file.h"

#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace {

const wchar_t* const TARGET_NAME = L"filter_coefficients.c";

// The errno value nearest to a Windows error, for the one-line report.
int errno_of(DWORD error)
{
    switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return EACCES;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return ENOENT;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    default:
        return EIO;
    }
}

// errno after a failed call of the runtime library, never 0.
int last_error()
{
    return errno != 0 ? errno : EIO;
}

// Set by the console's handler when Ctrl-C or Ctrl-Break comes while the
// file is replaced; the run then ends by it once the temporary is gone.
volatile LONG interrupted = 0;

BOOL WINAPI hold_interrupt(DWORD event)
{
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
        InterlockedExchange(&interrupted, 1);
        return TRUE;
    }
    return FALSE;
}

// Writes the whole text to the descriptor. Returns 0 or an errno value.
int write_all(int descriptor, const CoefficientText& text)
{
    const char* next = text.characters.data();
    std::size_t left = text.length;
    while (left > 0) {
        // In text mode the count is of the text's own bytes, without the CRs added.
        const int written = _write(descriptor, next, static_cast<unsigned int>(left));
        if (written <= 0) {
            return written < 0 ? last_error() : EIO;
        }
        next += written;
        left -= static_cast<std::size_t>(written);
    }
    return 0;
}

// Puts the text in place of TARGET_NAME. Returns 0 or an errno value.
int write_text(const CoefficientText& text)
{
    const DWORD attributes = GetFileAttributesW(TARGET_NAME);
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            return EISDIR;
        }
        if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
            return EACCES;  // as opening it for writing would refuse it
        }
    }
    // A new, uniquely named, empty file in the same folder.
    wchar_t temporary[MAX_PATH];
    if (GetTempFileNameW(L".", L"fir", 0, temporary) == 0) {
        return errno_of(GetLastError());
    }
    const int descriptor = _wopen(temporary, _O_WRONLY | _O_TRUNC | _O_TEXT);
    int error = descriptor < 0 ? last_error() : write_all(descriptor, text);
    if (error == 0 && _commit(descriptor) != 0) {
        error = last_error();
    }
    if (descriptor >= 0 && _close(descriptor) != 0 && error == 0) {
        error = last_error();
    }
    if (error == 0
        && MoveFileExW(temporary, TARGET_NAME, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
        error = errno_of(GetLastError());
    }
    if (error != 0) {
        DeleteFileW(temporary);
    }
    return error;
}

}  // namespace

int put_coefficient_text(const CoefficientText& text)
{
    // Ctrl-C and Ctrl-Break wait until the temporary is moved or removed, so
    // that none is left behind, and then end the run as they would have.
    SetConsoleCtrlHandler(hold_interrupt, TRUE);
    const int error = write_text(text);
    SetConsoleCtrlHandler(hold_interrupt, FALSE);
    if (interrupted != 0) {
        ExitProcess(STATUS_CONTROL_C_EXIT);
    }
    return error;
}

const char* earlier_text_kept_in()
{
    return "";  // the file is always replaced whole: nothing is rewritten in place
}

// The Windows build never rewrites a file in place, so never keeps a copy.
const char* copy_place_failure()
{
    return "";
}
