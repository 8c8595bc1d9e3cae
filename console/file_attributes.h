// The extended attributes of a file, which hold its access control list
// (on Linux the attribute system.posix_acl_access) and any user.*
// attributes: what a file written through a temporary must carry over to
// keep who may use it. One implementation for each kind of system: Linux,
// and one for systems without these calls, which has nothing to carry.
#ifndef FIR_DESIGN_FILE_ATTRIBUTES_H
#define FIR_DESIGN_FILE_ATTRIBUTES_H

// Gives the file open on `to` exactly the extended attributes of the file
// open on `from`: each of them with its value, and none that `from` lacks
// (such as an access control list inherited from the folder). Returns 0, or
// an errno value when an attribute cannot be read, set or removed (a
// security label the runner may not set, a file system that refuses it).
int copy_file_attributes(int from, int to);

#endif
