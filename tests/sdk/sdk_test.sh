#!/bin/bash
# What a host developer and a user get from a build:
#   sdk_test.sh package-host SOURCE BUILD  install the tree, build a host project
#                                          against it with find_package, run it
#   sdk_test.sh zip SOURCE BUILD           make the release zip, check its file
#                                          list, open an MP3 with its TarviskHost.exe
#                                          in a Wine prefix of its own
#   sdk_test.sh guide-sample SOURCE BUILD  compile and link the host guide's C
#                                          sample as the guide says, warnings as errors
set -euo pipefail
mode=$1 source=$2 build=$3
work="$build/sdk/$mode"
rm -rf "$work"
mkdir -p "$work"
cache_value() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
version=$(cache_value CMAKE_PROJECT_VERSION)
config=$(cache_value CMAKE_BUILD_TYPE | tr '[:upper:]' '[:lower:]')

windows_path() { local path="Z:$1"; echo "${path//\//\\}"; }

case "$mode" in
package-host)
  cmake --install "$build" --prefix "$work/install" >/dev/null
  # A toolchain that keeps packages inside its root, as many do, finds the
  # package by its folder.
  cmake -S "$source/tests/sdk/package_host" -B "$work/host" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$source/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_FIND_ROOT_PATH_MODE_PACKAGE=ONLY -DTarvisk_DIR="$work/install/lib/cmake/Tarvisk" >/dev/null
  cmake --build "$work/host" >/dev/null
  wine "$work/host/PackageHost.exe" "$version" "$(windows_path "$work/install/bin")"
  ;;
guide-sample)
  awk '/^```c$/ {inside = 1; next} /^```$/ {inside = 0} inside' "$source/docs/HostGuide.md" >"$work/host.c"
  [ -s "$work/host.c" ] || { echo "no C sample in the guide"; exit 1; }
  x86_64-w64-mingw32-gcc-posix -Wall -Wextra -Werror -municode -I"$source/include" \
    "$work/host.c" -o "$work/host.exe" "$(find "$build" -name libTarvisk.dll.a -print -quit)"
  ;;
zip)
  (cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work" >/dev/null)
  name="Tarvisk-$version-win64"
  [ -f "$work/$name.zip" ] || { echo "no $name.zip"; exit 1; }

  {
    printf '%s\n' bin/Tarvisk.dll bin/AxisU.dll bin/TarviskHost.exe docs/HostGuide.md \
      lib/libTarvisk.dll.a lib/libAxisU.dll.a lib/Tarvisk.def lib/cmake/Tarvisk/TarviskConfig.cmake \
      lib/cmake/Tarvisk/TarviskConfigVersion.cmake lib/cmake/Tarvisk/TarviskTargets.cmake \
      lib/cmake/Tarvisk/TarviskTargets-${config:-noconfig}.cmake
    [ -f "$build/bin/Tarvisk.chm" ] && echo bin/Tarvisk.chm
    (cd "$source/skins" && find . -mindepth 2 -type f | sed 's#^\./#bin/skins/#')
    (cd "$source/include" && find . -type f | sed 's#^\./#include/#')
  } | sort >"$work/expected.txt"
  cmake -E tar tf "$work/$name.zip" | grep -v '/$' | sed "s#^$name/##" | sort >"$work/listed.txt"
  diff -u "$work/expected.txt" "$work/listed.txt"

  mkdir "$work/unpacked"
  (cd "$work/unpacked" && cmake -E tar xf "$work/$name.zip")
  sox -n -r 44100 -c 2 -b 16 -t wav - synth 3 sine 440 2>/dev/null |
    lame --quiet -b 128 - "$work/song.mp3"
  # A prefix of its own: nothing of the build's prefix may help the zip.
  export WINEPREFIX="$work/prefix" WINEDLLOVERRIDES="mscoree,mshtml="
  trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$WINEPREFIX"' EXIT
  wineboot -i >/dev/null 2>&1
  # No window manager runs on the test display (see tools/env.sh).
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  # The host prints that line once the file has opened; an open that failed
  # waits on its error box instead.
  opened="opened \"$(windows_path "$work/song.mp3")\""
  wine "$(windows_path "$work/unpacked/$name/bin/TarviskHost.exe")" \
    "$(windows_path "$work/song.mp3")" >"$work/host.out" 2>&1 &
  for _ in $(seq 600); do
    grep -qF "$opened" "$work/host.out" && exit 0
    sleep 0.1
  done
  echo "the host did not open the file:"
  cat "$work/host.out"
  exit 1
  ;;
esac
