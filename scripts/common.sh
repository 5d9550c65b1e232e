# Shared by the README commands: installing what is missing, building, and the
# Wine environment the Windows program runs in. Source it; do not run it.

VORDA_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_NATIVE="$VORDA_ROOT/build/native"
BUILD_WIN="$VORDA_ROOT/build/win"
export WINEPREFIX="${VORDA_WINEPREFIX:-$VORDA_ROOT/build/wineprefix}"
export WINEARCH=win64
export WINEDEBUG=-all,err+module
export WINEDLLOVERRIDES="mscoree,mshtml="

PACKAGES=(cmake ninja-build g++ clang libclang-rt-14-dev pkg-config
  libgcrypt20-dev libgtest-dev googletest libbenchmark-dev
  mingw-w64 libgcrypt-mingw-w64-dev
  wine wine64 xvfb xauth x11-utils xdotool imagemagick fonts-wqy-microhei locales)

say() { printf '\n== %s\n' "$*"; }

install_missing() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if ((${#missing[@]})); then
    say "installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    apt-get install -y -q --no-install-recommends "${missing[@]}"
  fi
  # Wine shows Chinese only with a generated zh_CN.UTF-8 locale.
  if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf8$'; then
    say "generating the zh_CN.UTF-8 locale"
    sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen >/dev/null
  fi
  export LC_ALL=zh_CN.UTF-8 LANG=zh_CN.UTF-8
}

build_native() {
  say "native build ($BUILD_NATIVE)"
  cmake -S "$VORDA_ROOT" -B "$BUILD_NATIVE" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$BUILD_NATIVE" -j"$(nproc)"
}

build_windows() {
  say "Windows cross build ($BUILD_WIN)"
  cmake -S "$VORDA_ROOT" -B "$BUILD_WIN" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$VORDA_ROOT/cmake/mingw-w64-x86_64.cmake" \
    -DVORDA_NATIVE_STORETOOL="$BUILD_NATIVE/cmake/native/vorda_storetool" >/dev/null
  cmake --build "$BUILD_WIN" -j"$(nproc)"
}

# A private Wine prefix, made once. Managed=N: without a window manager every
# closing message box or menu otherwise stalls for two seconds.
wine_setup() {
  export LC_ALL=zh_CN.UTF-8 LANG=zh_CN.UTF-8
  if [ ! -f "$WINEPREFIX/.vorda-ready" ]; then
    say "creating the Wine prefix $WINEPREFIX"
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.vorda-ready"
  fi
}

# Starts a virtual display when none is there; sets DISPLAY and VORDA_XVFB_PID.
VORDA_XVFB_PID=
ensure_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  local n
  for n in $(seq 90 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    VORDA_XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 1 100); do
      xdpyinfo >/dev/null 2>&1 && return 0
      sleep 0.1
    done
    kill "$VORDA_XVFB_PID" 2>/dev/null
  done
  echo "could not start a virtual display" >&2
  return 1
}

stop_display() {
  if [ -n "$VORDA_XVFB_PID" ]; then
    kill "$VORDA_XVFB_PID" 2>/dev/null || true
    wait "$VORDA_XVFB_PID" 2>/dev/null || true
  fi
}
