#!/bin/bash
# Fails when a source folder includes a header of a folder above it.
#
# The folders of the product, from the bottom up: a folder may include the
# headers of the folders listed before it, never those of a later line. Folders
# on one line are side by side and include none of each other's headers. Test
# code (tests/, fuzz/, bench/) may include any product header; of the test
# folders, only tests/support is shared: fuzz/ and bench/ include nothing else
# from tests/.
#
# Usage: check_folder_order.sh SOURCE_DIR
set -u
source_dir=${1:?usage: check_folder_order.sh SOURCE_DIR}
cd "$source_dir" || exit 2

layers=(
    "platform"
    "bindings/common"
    "bindings/resource bindings/io remote"
    "bindings/rendering"
    "loader"
    "modules"
    "controller"
    "modulekit"
    "tabs"
    "properties"
    "workspace"
    "preview"
    "facade"
    "host plugins tools sample"
)

# Which layer each product header belongs to, by file name (includes are flat).
declare -A header_layer header_folder
for rank in "${!layers[@]}"; do
    for folder in ${layers[$rank]}; do
        while IFS= read -r header; do
            name=${header##*/}
            header_layer[$name]=$rank
            header_folder[$name]=$folder
        done < <(find "$folder" -name '*.h')
    done
done
declare -A test_header
while IFS= read -r header; do
    test_header[${header##*/}]=$header
done < <(find tests -name '*.h' -not -path 'tests/support/*')

# Prints "file:line: includes header" for each quoted include of the files under $1.
quoted_includes() {
    grep -rnE --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$1" |
        sed -E 's/^([^:]+:[0-9]+):[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]+)".*/\1 \2/'
}

faults=0
for rank in "${!layers[@]}"; do
    for folder in ${layers[$rank]}; do
        while read -r where header; do
            name=${header##*/}
            [[ -n ${header_layer[$name]+set} ]] || continue
            other=${header_folder[$name]}
            [[ $other == "$folder" ]] && continue
            if (( header_layer[$name] >= rank )); then
                echo "$where: $folder includes $name of $other, which is not below it"
                faults=$((faults + 1))
            fi
        done < <(quoted_includes "$folder")
    done
done
for folder in fuzz bench; do
    while read -r where header; do
        name=${header##*/}
        if [[ -n ${test_header[$name]+set} && -z ${header_layer[$name]+set} ]]; then
            echo "$where: $folder includes ${test_header[$name]}; share it through tests/support"
            faults=$((faults + 1))
        fi
    done < <(quoted_includes "$folder")
done

if (( faults > 0 )); then
    echo "$faults include(s) against the folder order (see docs/architecture.md)"
    exit 1
fi
echo "every folder includes only headers of the folders below it"
