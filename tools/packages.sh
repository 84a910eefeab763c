# Debian packages that building, testing and the demo need; sourced by tools/test and tools/demo.
NETROVE_BUILD_PACKAGES=(cmake ninja-build g++ qt6-base-dev libgl-dev)
# onvif-tools: Debian's own ONVIF client, which tst_onviflab runs against the simulated cameras.
NETROVE_LAB_PACKAGES=(iproute2 iputils-ping procps nftables onvif-tools)
# Building the Debian package (dpkg-shlibdeps, dpkg-buildflags) and checking it.
# xmllint (libxml2-utils) reads the firewalld service file.
NETROVE_PACKAGE_PACKAGES=(dpkg-dev lintian desktop-file-utils util-linux libxml2-utils)
NETROVE_DISPLAY_PACKAGES=(xvfb xauth imagemagick fonts-dejavu-core)

# Installs whichever of the named packages are missing (as root, with apt-get).
netrove_install_missing() {
    local missing=() package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages: ${missing[*]}. Run as root, or install them with apt-get." >&2
        return 1
    fi
    echo "Installing ${missing[*]} ..."
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
