#!/usr/bin/env bash
# Installs the build into a temporary application folder and builds the
# minimal module of docs/module-authoring.md against the installed package,
# the way a module author outside this tree would.
set -euo pipefail
build_dir="$1"
source_dir="$2"
work="$(mktemp -d)"
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT

cmake --install "$build_dir" --prefix "$work/app" > "$work/install.log"
for f in bin/varq bin/Modules/libSurfaceViewer.so bin/Hard/libSimulatedTracker.so \
         lib/libWexlanCP.so include/WexlanCP/CWexlanCP.h include/WexlanCP/wModuleBase.h \
         include/WexlanCP/wexlancp_export.h lib/cmake/WexlanCP/WexlanCPConfig.cmake; do
    [ -e "$work/app/$f" ] || { echo "not installed: $f"; exit 1; }
done

# Only public headers are installed, and they stand on their own: every header
# they include in quotes is installed too, and none needs GDCM.
include="$work/app/include/WexlanCP"
for header in "$include"/*.h; do
    { grep -hoE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]+"' "$header" || true; } |
        sed -E 's/.*"([^"]+)"/\1/' | while read -r needed; do
        [ -e "$include/$needed" ] || { echo "$header includes $needed, which is not installed"; exit 1; }
    done || exit 1
done
if grep -lE '#[[:space:]]*include[[:space:]]*[<"]gdcm' "$include"/*.h; then
    echo "installed headers include GDCM"; exit 1
fi
# The workstation, the shipped plug-ins, the tools and the example module use the
# libraries only through installed headers, as a program outside this tree would.
product_headers="$(cd "$source_dir" && find platform bindings loader modules controller modulekit \
                   tabs properties workspace preview facade -name '*.h' -printf '%f\n')"
for folder in host plugins tools docs/examples; do
    { grep -rhoE --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]+"' \
        "$source_dir/$folder" || true; } | sed -E 's/.*"([^"]+)"/\1/' | sort -u | while read -r needed; do
        if grep -qxF "$needed" <<< "$product_headers" && [ ! -e "$include/$needed" ]; then
            echo "$folder includes $needed, which is not a public header"; exit 1
        fi
    done || exit 1
done
for private in ScriptedPrompts.h DicomHeader.h PropertySheetBuilder.h TreeSelection.h; do
    [ ! -e "$include/$private" ] || { echo "private header installed: $private"; exit 1; }
done

"$(dirname "$0")/check_rpaths.sh" "$work/app" > "$work/rpaths.log" || { cat "$work/rpaths.log"; exit 1; }

cmake -S "$source_dir/docs/examples/minimal-module" -B "$work/module" -G Ninja \
      -DCMAKE_PREFIX_PATH="$work/app" > "$work/configure.log" || { cat "$work/configure.log"; exit 1; }
cmake --build "$work/module" > "$work/build.log" || { cat "$work/build.log"; exit 1; }
module="$work/module/libMinimalModule.so"
nm -D --defined-only "$module" | grep -q ' GetModuleName$' || { echo "no GetModuleName in $module"; exit 1; }

# The installed workstation finds the new module beside the shipped ones. Its folder is
# read-only: the settings go to the user's configuration folder, the first start's
# pointing at the installed sample cases, and nothing is written into the install.
cp "$module" "$work/app/bin/Modules/"
chmod -R a-w "$work/app"
touch "$work/before-start"
kidney="$work/app/bin/local/Kidney/kidney.stl"
printf 'modules\nopen %s\nquit\n' "$kidney" |
    XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=offscreen "$work/app/bin/varq" --batch - > "$work/modules.txt"
grep -q "Minimal Viewer" "$work/modules.txt" || { cat "$work/modules.txt"; exit 1; }
grep -qxF "$work/app/bin/local/Kidney" "$work/config/varq/Wexlan.conf" &&
    grep -qF "kidney,$kidney" "$work/config/varq/RecentFiles.conf" ||
    { echo "settings not kept in the user's folder"; ls -lR "$work/config"; exit 1; }
written="$(find "$work/app" -newer "$work/before-start")"
[ -z "$written" ] || { echo "written into the install: $written"; exit 1; }
echo "installed package and an outside module work"
