# Shared by the scripts: install missing Debian packages, configure and build.
# shellcheck shell=bash

root_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

# Installs the named Debian packages that are not installed yet.
ensure_packages() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
  done
  ((${#missing[@]})) || return 0
  echo "Installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build_packages=(cmake ninja-build g++ gettext libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev
                nlohmann-json3-dev python3 libssl-dev openssl
                qt6-base-dev qt6-svg-dev qt6-translations-l10n libgl-dev fonts-dejavu-core)
fuzz_packages=(clang libclang-rt-14-dev)
# GNU time, for the scale run's peak memory.
bench_packages=(time dovecot-imapd)
thunderbird_packages=(thunderbird xvfb)
# Dovecot reads back the Maildir we write; mutt, a client of its own, reads one folder of it.
dovecot_packages=(dovecot-imapd mutt)
# Making and checking the Debian package: dpkg-shlibdeps and dpkg-buildflags, file for CPack,
# manual pages, and the checkers.
package_packages=(dpkg-dev file help2man lintian appstream desktop-file-utils)
# The Windows build: MinGW-w64, the libraries' sources and headers, the installer and the zip.
windows_packages=(cmake ninja-build gettext g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 googletest
                  libcli11-dev nlohmann-json3-dev nsis zip python3)
# Running the Windows programs: Wine (64-bit) on an X server of its own, and the German locale.
wine_packages=(wine wine64 fonts-wine fonts-liberation xvfb xdotool imagemagick locales)

# configure_and_build DIR [cmake options...]
configure_and_build() {
  local dir=$1
  shift
  cmake -S "$root_dir" -B "$root_dir/$dir" -G Ninja "$@"
  cmake --build "$root_dir/$dir" -j "$jobs"
}

# The version scripts/package builds, and the path of its package.
package_version() {
  sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$root_dir/build-package/CMakeCache.txt"
}
package_path() {
  echo "$root_dir/build-package/vandrel_$(package_version)_$(dpkg --print-architecture).deb"
}
