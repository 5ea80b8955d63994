# Shared steps of the project's scripts; sourced, not run.
build=${MORVA_BUILD_DIR:-$repo/build}
deps=${MORVA_DEPS_DIR:-$repo/.deps}
export MORVA_DEPS_DIR=$deps

# Wine maps Windows file names to Unix ones through the Unix locale's
# character set: under a bare C locale (a fresh machine's empty environment)
# a name outside ASCII cannot be made. C.UTF-8 is always present; tests that
# need a locale of their own set it themselves.
if [ "$(locale charmap 2>/dev/null)" != UTF-8 ]; then
  unset LC_ALL LC_CTYPE
  export LANG=C.UTF-8
fi

morva_ensure_setup() {
  local need=0
  for tool in cmake ninja g++ x86_64-w64-mingw32-g++-posix i686-w64-mingw32-g++-posix \
              /usr/lib/wine/wine64 Xvfb; do
    command -v "$tool" >/dev/null 2>&1 || need=1
  done
  [ -f "$deps/libjpeg-x64/lib/libjpeg.a" ] && [ -f "$deps/libjpeg-x64/simd" ] || need=1
  command -v nasm >/dev/null 2>&1 || need=1
  [ -d /usr/src/googletest/googletest ] || need=1
  if [ $need = 1 ]; then "$repo/scripts/setup"; fi
}

morva_build_all() {
  # A compiler cache, where the machine has one, makes rebuilds in other work
  # trees of the same sources cheap; paths below the tree are kept relative.
  local launcher=()
  if command -v ccache >/dev/null 2>&1; then
    export CCACHE_BASEDIR=$repo CCACHE_NOHASHDIR=1
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S "$repo" -B "$build/x64" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-x86_64.cmake" \
        -DMORVA_DEPS_DIR="$deps" "${launcher[@]}" >/dev/null
  cmake -S "$repo" -B "$build/x86" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-i686.cmake" \
        -DMORVA_ACCESS_ONLY=ON -DMORVA_DEPS_DIR="$deps" "${launcher[@]}" >/dev/null
  cmake --build "$build/x64"
  cmake --build "$build/x86"
}

# Creates the private wine prefix once; later runs reuse it. The prefix loads
# the project's common property-sheet library (tools/compstui, beside the
# programs in the bin folder) in place of wine's, which reports no results.
morva_wine_prefix() {
  export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "test: creating wine prefix $WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
  fi
  if ! grep -q '^"compstui"="native,builtin"' "$WINEPREFIX/user.reg" 2>/dev/null; then
    /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\DllOverrides' /v compstui /d native,builtin /f >/dev/null 2>&1 || true
    wineserver -w
  fi
}

# Real windows (the message boxes of the interface tests) need a display under
# wine: a virtual X server on a display number it finds free itself. Exports
# DISPLAY; morva_stop_display ends it.
morva_start_display() {
  local numberFile
  numberFile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$numberFile" >/dev/null 2>&1 &
  morva_display_pid=$!
  for _ in $(seq 100); do
    if [ -s "$numberFile" ]; then
      export DISPLAY=:$(head -n1 "$numberFile")
      rm -f "$numberFile"
      return 0
    fi
    kill -0 "$morva_display_pid" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$numberFile"
  echo "test: the virtual display did not start" >&2
  morva_stop_display
  return 1
}

morva_stop_display() {
  if [ -n "${morva_display_pid:-}" ]; then
    kill "$morva_display_pid" 2>/dev/null || true
    wait "$morva_display_pid" 2>/dev/null || true
    morva_display_pid=
  fi
}
