// What the kernel allows with the names in a folder, beyond permissions:
// the protections of folders anyone may write whose sticky bit is set
// (/tmp), and folders whose names cannot be removed or renamed. The file
// writer follows links and replaces files itself, so it asks these first
// and does only what the kernel would let the same user do. One
// implementation for each kind of system: Linux, and one for systems
// without these rules, which allows everything.
#ifndef FIR_DESIGN_FOLDER_RULES_H
#define FIR_DESIGN_FOLDER_RULES_H

#include <sys/stat.h>

// EACCES when the kernel would not follow the symbolic link `link` that
// lies in `folder` for this process (fs.protected_symlinks: in a sticky
// folder anyone may write, a link is followed only for its owner or where
// the folder's owner owns it), else 0.
int link_protection(const struct stat& folder, const struct stat& link);

// EACCES when the kernel would not open the existing regular file `file`
// in `folder` as the shell's `>` opens it, to create or truncate it
// (fs.protected_regular: in a sticky folder anyone may write, or from 2 one
// its group may write, a file owned by neither this process nor the
// folder's owner), else 0.
int file_protection(const struct stat& folder, const struct stat& file);

// Whether names in the folder at the path `folder` stay as they are, so
// that a file made there could not be renamed or removed again: it is
// append-only or immutable (found without reading the folder, which its
// owner may not), or may be and cannot say (a FUSE file system, which passes
// another's folders through, and tells neither).
bool names_stay(const char* folder);

#endif
