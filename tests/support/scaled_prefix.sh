#!/bin/bash
# A Wine prefix of its own at a display scale, for a test run at that scale:
# made like the standard one, with LogPixels set, and its Wine server and
# desktop started detached as tools/test starts the standard prefix's.
#   scaled_prefix.sh PREFIX start DPI KEEPER   |   scaled_prefix.sh PREFIX stop
set -euo pipefail
export WINEPREFIX="$1"
source "$(dirname "$0")/../../tools/env.sh"
if [ "$2" = stop ]; then
  wineserver -k || true
  exit
fi
tarvisk_start_wine
if ! grep -q "\"LogPixels\"=dword:$(printf %08x "$3")" "$WINEPREFIX/user.reg"; then
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$3" /f
  wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
    /v LogPixels /t REG_DWORD /d "$3" /f
  tarvisk_start_wine
fi
tarvisk_keep_desktop "$4"
