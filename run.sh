#!/usr/bin/env bash
# Installs what is missing, builds, and starts the product on the embedded sample data.
set -euo pipefail
source "$(dirname "$0")/scripts/common.sh"

wexlan_install_packages
wexlan_build "$wexlan_root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWEXLAN_BUILD_TESTS=OFF

exec "$wexlan_root/build/bin/varq-names" "$@"
