# Installs the Debian packages the build, the tests or the program need, when they are missing.
# Usage: source tools/packages.sh; ensure_packages build test
lbl_packages_build=(cmake g++ make pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev libcups2-dev
    libzint-dev libsimpleini-dev fonts-wqy-microhei)
lbl_packages_test=(cups cups-client cups-bsd printer-driver-cups-pdf poppler-utils zbar-tools clang-format clang-tidy
    xauth xvfb)
lbl_packages_fuzz=(clang libclang-rt-14-dev)

ensure_packages() {
    local wanted=() missing=() group pkg
    for group in "$@"; do
        local -n list="lbl_packages_${group}"
        wanted+=("${list[@]}")
    done
    for pkg in "${wanted[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$pkg")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    echo "Installing: ${missing[*]}"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo="sudo"
    fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
