#!/usr/bin/env bash
# Installs what is missing, builds, and starts the VARQ workstation on the
# embedded sample data (build/bin/local). Without a display it runs a short
# demo under Xvfb instead and says where its pictures are.
set -euo pipefail
source "$(dirname "$0")/scripts/common.sh"

wexlan_install_packages
wexlan_build "$wexlan_root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo

varq="$wexlan_root/build/bin/varq"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "$varq" "$@"
fi

out="$wexlan_root/build/demo"
mkdir -p "$out"
sed -e "s|@LOCAL@|$wexlan_root/build/bin/local|g" -e "s|@OUT@|$out|g" \
    "$wexlan_root/scripts/demo.cmd.in" > "$out/demo.cmd"
echo "No display found: running the demo in batch mode under Xvfb."
# The demo keeps its settings beside its pictures, not in the user's configuration folder.
XDG_CONFIG_HOME="$out/config" xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
    "$varq" --batch "$out/demo.cmd"
echo
echo "Pictures of the demo: $out/varq-surface.png, $out/varq-volume.png,"
echo "$out/varq-four-views.png and $out/varq-volume-rendering.png"
echo "With a display, ./run.sh opens the workstation window."
