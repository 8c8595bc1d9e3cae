// Extended attributes through Linux's f*xattr calls.
#include "console/file_attributes.h"

#include <cerrno>
#include <cstring>

#include <sys/types.h>
#include <sys/xattr.h>

namespace {

// The largest list of names and the largest value Linux allows
// (XATTR_LIST_MAX, XATTR_SIZE_MAX): nothing a file holds is too long.
constexpr std::size_t MAX_ATTRIBUTE_BYTES = 65536;

// The names of a file's attributes, each ending in '\0', one after another.
struct AttributeNames {
    char text[MAX_ATTRIBUTE_BYTES];
    std::size_t length;
};

// Static, off the stack: the writer runs once, with signals held off.
AttributeNames from_names;
AttributeNames to_names;
char value[MAX_ATTRIBUTE_BYTES];

// Reads the names of the attributes of the file open on `descriptor`. A
// file system without extended attributes has none.
int list_names(int descriptor, AttributeNames& names)
{
    const ssize_t length = flistxattr(descriptor, names.text, sizeof names.text);
    if (length < 0 && errno != ENOTSUP) {
        return errno;
    }
    names.length = length < 0 ? 0 : static_cast<std::size_t>(length);
    return 0;
}

bool has_name(const AttributeNames& names, const char* name)
{
    for (std::size_t at = 0; at < names.length; at += std::strlen(names.text + at) + 1) {
        if (std::strcmp(names.text + at, name) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

int copy_file_attributes(int from, int to)
{
    int error = list_names(from, from_names);
    if (error == 0) {
        error = list_names(to, to_names);
    }
    for (std::size_t at = 0; error == 0 && at < to_names.length; at += std::strlen(to_names.text + at) + 1) {
        const char* name = to_names.text + at;
        if (!has_name(from_names, name) && fremovexattr(to, name) != 0 && errno != ENODATA) {
            error = errno;
        }
    }
    for (std::size_t at = 0; error == 0 && at < from_names.length; at += std::strlen(from_names.text + at) + 1) {
        const char* name = from_names.text + at;
        const ssize_t size = fgetxattr(from, name, value, sizeof value);
        if (size < 0 || fsetxattr(to, name, value, static_cast<std::size_t>(size), 0) != 0) {
            error = errno;
        }
    }
    return error;
}
