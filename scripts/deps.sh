# Sourced by the scripts: installs the Debian packages the project needs,
# asking apt only when one is missing.
# Usage: ensure_packages PKG...

ensure_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages: ${missing[*]}; run as root or install them with apt-get." >&2
        return 1
    fi
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Generates the C library's locales the tests run under, where missing.
# Usage: ensure_locales NAME.UTF-8...
ensure_locales() {
    local name
    for name in "$@"; do
        locale -a | grep -qix "${name%.UTF-8}.utf8" && continue
        if [ "$(id -u)" -ne 0 ]; then
            echo "Missing locale: $name; run as root or generate it with localedef." >&2
            return 1
        fi
        echo "Generating the locale $name"
        localedef -i "${name%.UTF-8}" -f UTF-8 "$name"
    done
}

# What building and running the program needs.
BUILD_PACKAGES=(cmake ninja-build g++ qt6-base-dev libgl-dev fonts-dejavu-core)
# What the tests need on top: GoogleTest, an X server, a window manager and a
# keyboard driver for the end-to-end test.
TEST_PACKAGES=(googletest libgtest-dev xvfb xauth openbox xdotool x11-utils fonts-dejavu-core xclip)
# The Linux provider's tests: the system's account tools and pam_faillock for
# the real-tools test, clang's libFuzzer for the fuzz targets.
TEST_PACKAGES+=(passwd login util-linux libpam-modules libpam-modules-bin pamtester sqlite3 clang-14 libclang-rt-14-dev)
# The Linux provider reads lastlog2's and wtmpdb's SQLite databases.
BUILD_PACKAGES+=(libsqlite3-dev)
# What the Windows cross build needs: mingw-w64 (the POSIX-threads compilers,
# which bring the ADSI headers and import libraries), Wine to run its tests,
# and GoogleTest's sources to build for Windows.
WINDOWS_CROSS_PACKAGES=(cmake ninja-build g++-mingw-w64-x86-64-posix wine64 googletest)
# objdump lists the DLLs the release tramsel.exe imports.
WINDOWS_CROSS_PACKAGES+=(binutils-mingw-w64-x86-64)
# The walk-through of tramsel.exe: the wine command, Wine's own fonts (Tahoma,
# MS Sans Serif, Marlett), an X server, a window manager, keystrokes and the clipboard.
WINDOWS_CROSS_PACKAGES+=(wine fonts-wine xvfb xauth openbox xdotool x11-utils xclip)
# A face with the widths of the classic dialog font, so that the about box's
# one-line texts stay on one line.
BUILD_PACKAGES+=(fonts-liberation2)
# Active Directory domains: OpenLDAP's client library, SASL with its
# Kerberos (GSSAPI) module, which libldap loads at run time, and MIT Kerberos.
BUILD_PACKAGES+=(pkg-config libldap2-dev libsasl2-dev libkrb5-dev libsasl2-modules-gssapi-mit)
# The domain test runs two Samba domain controllers in network namespaces and
# makes logins with Kerberos' and OpenLDAP's tools; it asks the controllers'
# DNS with Samba's own DNS toolkit. With nsupdate (bind9-dnsutils), as on many
# admin machines, a joining controller registers its DNS records itself, at a
# moment of its own: installed, so that the test always meets that case.
TEST_PACKAGES+=(samba samba-ad-dc samba-ad-provision samba-dsdb-modules winbind krb5-user ldap-utils iproute2 util-linux)
# The audit's tests and benchmark import many users at once, as one LDIF, with ldbadd.
TEST_PACKAGES+=(ldb-tools)
TEST_PACKAGES+=(python3-dnspython bind9-dnsutils)
# The audit writes JSON with JSON for Modern C++ (header-only, and used by the
# Windows cross build too).
BUILD_PACKAGES+=(nlohmann-json3-dev)
WINDOWS_CROSS_PACKAGES+=(nlohmann-json3-dev)
# The command-line test builds a Latin-1 locale to pass arguments in.
TEST_PACKAGES+=(locales)
# What the desktop-integration and packaging checks need.
TEST_PACKAGES+=(desktop-file-utils appstream dpkg-dev file groff-base)
# The command-line test runs under a Turkish locale, whose "i" upper-cases
# to a dotted capital: the C library's locale data and localedef.
TEST_PACKAGES+=(locales)
TEST_LOCALES=(tr_TR.UTF-8)
