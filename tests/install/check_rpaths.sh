#!/usr/bin/env bash
# Reads the dynamic section of every program, library and plug-in under the given
# folders: an RPATH or RUNPATH may hold only entries relative to the file's own folder
# ($ORIGIN). An empty entry means the current folder and an absolute one a folder
# the user does not control; either lets a library placed there run in the programs.
set -euo pipefail
checked=0
faults=0
while IFS= read -r -d '' file; do
    [ "$(head -c 4 "$file" | od -An -c | tr -d ' ')" = '177ELF' ] || continue
    checked=$((checked + 1))
    paths="$(readelf -d "$file" | sed -n 's/.*(\(RPATH\|RUNPATH\)).*\[\(.*\)\]$/\2/p')"
    [ -n "$paths" ] || continue
    while IFS= read -r entry; do
        case "$entry" in
            '$ORIGIN' | '$ORIGIN/'*) ;;
            *) echo "$file: RPATH entry '$entry' in '$paths'"; faults=$((faults + 1)) ;;
        esac
    done < <(printf '%s\n' "$paths" | tr ':' '\n')
done < <(find "$@" -type f \( -perm -u+x -o -name '*.so' -o -name '*.so.*' \) -print0)
if [ "$checked" -eq 0 ]; then
    echo "no program or library found under $*"
    exit 1
fi
if [ "$faults" -ne 0 ]; then
    echo "$faults bad RPATH entries in $checked files"
    exit 1
fi
echo "$checked programs, libraries and plug-ins hold only \$ORIGIN-based RPATHs"
