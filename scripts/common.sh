# Shared by run.sh and test.sh: install what is missing, configure and build.
# Sourced, not executed.

# Every Debian package the project needs to build, test and run headless.
WEXLAN_PACKAGES=(
    cmake g++ ninja-build pkg-config
    qtbase5-dev libqt5opengl5-dev libvtk9-dev libvtk9-qt-dev
    libgdcm-dev libgdcm-tools nlohmann-json3-dev libtiff-dev libexpat1-dev
    libisal-dev
    libopenigtlink-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    libx11-dev xvfb xauth libgl1-mesa-dri fonts-dejavu-core
    orthanc orthanc-dicomweb curl
)

wexlan_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

wexlan_install_packages() {
    local missing=()
    local pkg
    for pkg in "${WEXLAN_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing missing packages: ${missing[*]}"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo="sudo"
    fi
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# wexlan_build BUILD_DIR [extra cmake arguments...]
wexlan_build() {
    local dir="$1"
    shift
    cmake -S "$wexlan_root" -B "$dir" -G Ninja "$@" >/dev/null
    cmake --build "$dir" --parallel "$(nproc)"
}
