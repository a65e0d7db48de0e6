# shellcheck shell=bash
# Shared by scripts/run and scripts/test: the package list, dependency
# installation and the CMake steps. Source it; it sets nothing but functions
# and the variables below.

# Every Debian package a build or test run needs, in one place. Later tools
# (Qt, a virtual display, ...) are added here and nowhere else.
PLOVANE_PACKAGES=(
  cmake
  ninja-build
  g++
  make
  pkg-config
  libgtest-dev
  libgmock-dev
  libcli11-dev
  g++-mingw-w64-x86-64-posix
  wine
  wine64
  qt6-base-dev
  libgl-dev
  fonts-liberation
  xvfb
  xauth
  xdotool
  x11-utils
  xclip
  libxlsxwriter-dev
  unzip
  lintian
  help2man
  man-db
  dosfstools
  fusefat
  libfuse-dev
  rsync
  clang-format
  clang-tidy
)

PLOVANE_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

# The everyday build, shared by scripts/run and scripts/test so that either
# one finds the other's build up to date.
# shellcheck disable=SC2034 # used by the scripts that source this file
PLOVANE_BUILD="$PLOVANE_ROOT/build"
# shellcheck disable=SC2034
PLOVANE_BUILD_OPTIONS=(-DPLOVANE_BUILD_TESTS=ON -DPLOVANE_BUILD_BENCH=ON -DPLOVANE_BUILD_WINDOW=ON -DPLOVANE_SANITIZE=OFF)
# CI builds the project's own code with warnings as errors (.ci/run sets it).
if [[ ${PLOVANE_WARNINGS_AS_ERRORS:-OFF} == ON ]]; then
  PLOVANE_BUILD_OPTIONS+=(-DPLOVANE_WARNINGS_AS_ERRORS=ON)
fi

# Build parallelism; defaults to every core. Set PLOVANE_JOBS=1 on a shared machine.
PLOVANE_JOBS="${PLOVANE_JOBS:-$(nproc 2>/dev/null || echo 2)}"

say() { printf '==> %s\n' "$*"; }
fail() {
  printf 'error: %s\n' "$*" >&2
  exit 1
}

package_installed() {
  local status
  status="$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" || return 1
  # "install ok installed" or "hold ok installed"; removed packages whose
  # configuration files remain read "deinstall ok config-files".
  [[ "$status" == *" ok installed"* ]]
}

# Installs whichever of PLOVANE_PACKAGES are missing: as root directly,
# otherwise through sudo. Does nothing (and needs no privileges) when all
# are present.
ensure_packages() {
  if ! command -v dpkg-query >/dev/null 2>&1; then
    say "dpkg-query not found: not a Debian/Ubuntu system, so nothing is installed."
    say "The build needs: ${PLOVANE_PACKAGES[*]} (or their equivalents)."
    return 0
  fi

  local missing=() pkg
  for pkg in "${PLOVANE_PACKAGES[@]}"; do
    package_installed "$pkg" || missing+=("$pkg")
  done
  if ((${#missing[@]} == 0)); then
    say "All required packages are installed."
    return 0
  fi

  local as_root=()
  if ((EUID != 0)); then
    if command -v sudo >/dev/null 2>&1; then
      as_root=(sudo)
    else
      fail "missing packages: ${missing[*]}. Install them as root (apt-get install ${missing[*]}) or install sudo, then run this again."
    fi
  fi

  say "Installing missing packages: ${missing[*]}"
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y --no-install-recommends "${missing[@]}"

  for pkg in "${missing[@]}"; do
    package_installed "$pkg" || fail "package $pkg is still not installed."
  done
}

# configure BUILD_DIR [extra CMake arguments...]
configure() {
  local dir="$1"
  shift
  # A folder configured earlier with another generator would make CMake refuse;
  # the build folders belong to these scripts, so start that cache afresh.
  if [[ -f "$dir/CMakeCache.txt" ]] &&
    ! grep -qx 'CMAKE_GENERATOR:INTERNAL=Ninja' "$dir/CMakeCache.txt"; then
    say "Discarding $dir/CMakeCache.txt (not a Ninja build)"
    rm -rf "$dir/CMakeCache.txt" "$dir/CMakeFiles"
  fi
  say "Configuring $dir"
  cmake -S "$PLOVANE_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
}

# build BUILD_DIR [targets...]
build() {
  local dir="$1"
  shift
  local targets=()
  if (($# > 0)); then
    targets=(--target "$@")
  fi
  say "Building $dir (${PLOVANE_JOBS} jobs)"
  cmake --build "$dir" -j "$PLOVANE_JOBS" "${targets[@]}"
}
