# Sourced by scripts/run and scripts/test: installs the Debian packages the
# build, the tests and the demo need, when any is missing.
KZ_PACKAGES=(
  cmake g++ make pkg-config ccache
  qt6-base-dev qt6-serialport-dev qt6-svg-dev qt6-base-dev-tools qt6-charts-dev libqt6opengl6-dev
  qt6-l10n-tools qt6-tools-dev
  libgtest-dev libgmock-dev
  python3 python3-pymodbus python3-serial python3-serial-asyncio mbpoll
  fonts-noto-cjk fonts-wqy-microhei poppler-utils
)

kz_install_deps() {
  local missing=()
  local p
  for p in "${KZ_PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Configures and builds into $1 (default build/), extra CMake options after.
kz_build() {
  local dir="${1:-build}"
  shift || true
  # ccache, where it is installed, keeps compiled objects across build folders
  # and clones: paths below the source tree count relative to it.
  local launcher=()
  if command -v ccache >/dev/null 2>&1; then
    export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(pwd)}"
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE="${KZ_BUILD_TYPE:-RelWithDebInfo}" "${launcher[@]}" "$@"
  cmake --build "$dir" -j"$(nproc)"
}
