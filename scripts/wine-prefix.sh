#!/usr/bin/env bash
# The build's Wine prefix: created once inside the build folder, with the null
# graphics driver (dialogs and message boxes work without a display) and our
# MSNET32.DLL preferred over Wine's builtin one, whose ordinal 58 is a stub.
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
  if [ ! -f "$WINEPREFIX/.zor-ready" ]; then
    rm -rf "$WINEPREFIX"
    WINEDLLOVERRIDES="mscoree,mshtml=" quiet wineboot -i
    quiet wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f
    quiet wine reg add 'HKCU\Software\Wine\DllOverrides' /v msnet32 /d native /f
    quiet wineserver -w
    touch "$WINEPREFIX/.zor-ready"
  fi
  quiet wineserver -p
  quiet wine wineboot
  ;;
stop)
  quiet wineserver -k || true
  ;;
*)
  echo "usage: $0 start|stop BUILD" >&2
  exit 2
  ;;
esac
