#!/usr/bin/env bash
# The build's Wine prefix: created once inside the build folder, with the
# settings of wine-prefix.reg (applied again whenever that file changes).
#   wine-prefix.sh start BUILD   create the prefix if needed, start its wineserver, boot it
#   wine-prefix.sh stop BUILD    end the wineserver and every process of the prefix
# Wine's background services inherit the output of whoever starts them, so
# everything here goes to /dev/null: otherwise ctest would wait for them forever.
set -euo pipefail
action=$1
build=$(cd "$2" && pwd)
export WINEPREFIX="$build/wineprefix" WINEARCH=win32 WINEDEBUG=-all
quiet() { "$@" >/dev/null 2>&1 </dev/null; }

case "$action" in
start)
  settings="$(dirname "$0")/wine-prefix.reg"
  stamp=$(cksum < "$settings")
  if [ ! -f "$WINEPREFIX/.zor-booted" ]; then
    rm -rf "$WINEPREFIX"
    WINEDLLOVERRIDES="mscoree,mshtml=" quiet wineboot -i
    quiet wineserver -w
    touch "$WINEPREFIX/.zor-booted"
  fi
  quiet wineserver -p
  if [ "$(cat "$WINEPREFIX/.zor-settings" 2>/dev/null)" != "$stamp" ]; then
    quiet wine regedit /S "$(winepath -w "$settings" 2>/dev/null)"
    echo "$stamp" > "$WINEPREFIX/.zor-settings"
  fi
  quiet wine wineboot
  # The provider's install file, as a machine would get it.
  if [ -f "$build/bin/zornet32.reg" ]; then
    quiet wine regedit /S "$(winepath -w "$build/bin/zornet32.reg" 2>/dev/null)"
  fi
  ;;
stop)
  quiet wineserver -k || true
  quiet wineserver -w || true
  ;;
*)
  echo "usage: $0 start|stop BUILD" >&2
  exit 2
  ;;
esac
