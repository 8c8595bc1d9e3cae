#!/bin/sh
# Each folder rests only on those below it: core/ includes only core/,
# console/ and web/ include core/ and themselves, never each other.
# Usage: include_rule.sh SOURCE_FOLDER; names every include that breaks it.
cd "${1:?usage: include_rule.sh SOURCE_FOLDER}" || exit 2
status=0
for pair in core:core console:'core\|console' web:'core\|web'; do
  folder=${pair%%:*} allowed=${pair#*:}
  if grep -n '#include "' "$folder"/*.h "$folder"/*.cpp | grep -v "#include \"\($allowed\)/"; then
    status=1
  fi
done
[ $status = 0 ] || echo "include_rule.sh: these includes reach a folder beside or above their own"
exit $status
