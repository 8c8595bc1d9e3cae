// Systems without Linux's folder rules: nothing more to refuse.
#include "console/folder_rules.h"

int link_protection(const struct stat& /*folder*/, const struct stat& /*link*/)
{
    return 0;
}

int file_protection(const struct stat& /*folder*/, const struct stat& /*file*/)
{
    return 0;
}

bool names_stay(const char* /*folder*/)
{
    return false;
}
