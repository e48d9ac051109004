#!/usr/bin/env bash
# The build's Wine prefix: created once inside the build folder, with the
# settings of wine-prefix.reg (applied again whenever that file changes).
#   wine-prefix.sh start BUILD   create the prefix if needed, start its wineserver, boot it
#                                (nothing to do when it is running already)
# ZOR_WINEPREFIX chooses another prefix than BUILD/wineprefix; ZOR_PRISTINE=1 leaves
# the provider out of it (the install tests start from such a prefix).
#   wine-prefix.sh stop BUILD    end the wineserver and every process of the prefix
# Wine's background services inherit the output of whoever starts them, so
# everything here goes to /dev/null: otherwise ctest would wait for them forever.
set -euo pipefail
action=$1
build=$(cd "$2" && pwd)
export WINEPREFIX="${ZOR_WINEPREFIX:-$build/wineprefix}" WINEARCH=win32 WINEDEBUG=-all
quiet() { "$@" >/dev/null 2>&1 </dev/null; }
# The Windows name of a file of this machine: drive Z: is the root.
windows_path() { local p="Z:$1"; echo "${p//\//\\}"; }

case "$action" in
start)
  settings="$(dirname "$0")/wine-prefix.reg"
  stamp=$(cksum < "$settings")
  # Creating a prefix under an emulated CPU now and then deadlocks; it is
  # given up after a while and made again. Wine's device drivers are kept
  # from starting while it is made: they are what crashes there.
  attempt=0
  while [ ! -f "$WINEPREFIX/.zor-booted" ]; do
    attempt=$((attempt + 1))
    if [ $attempt -gt 3 ]; then
      echo "wine-prefix: could not create $WINEPREFIX" >&2
      exit 1
    fi
    quiet wineserver -k || true
    rm -rf "$WINEPREFIX"
    if WINEDLLOVERRIDES="mscoree,mshtml=;winedevice.exe=d" quiet timeout 240 wineboot -i &&
       quiet timeout 60 wineserver -w; then
      touch "$WINEPREFIX/.zor-booted"
      # The build's prefix as Wine made it, before any of our settings: the
      # install tests start their fresh prefixes from it instead of making one
      # more (which takes minutes under an emulated CPU). Its files are links
      # (Wine replaces files, never writes into them); the registry is copied.
      if [ "$WINEPREFIX" = "$build/wineprefix" ]; then
        rm -rf "$build/pristine-prefix"
        cp -al "$WINEPREFIX" "$build/pristine-prefix" &&
          find "$WINEPREFIX" -maxdepth 1 -type f -exec cp --remove-destination {} "$build/pristine-prefix/" \; ||
          rm -rf "$build/pristine-prefix"
      fi
    fi
  done
  # Wine's own fonts (package fonts-wine): Debian's Wine looks for them in
  # "<data folder>\../fonts", a path it cannot resolve, so it finds them only
  # in the prefix's Fonts folder. Without them there is no Marlett, which
  # draws the title-bar buttons (the close button shows the letter "r"), and
  # no MS Sans Serif, the dialogs' font.
  for font in /usr/share/wine/fonts/*; do
    [ -e "$font" ] || continue
    [ -e "$WINEPREFIX/drive_c/windows/Fonts/${font##*/}" ] ||
      ln -s "$font" "$WINEPREFIX/drive_c/windows/Fonts/${font##*/}"
  done
  # A prefix already running is left as it is, unless it shows its windows
  # through another graphics driver than the one asked for.
  graphics=${ZOR_GRAPHICS:-null}
  if ! quiet wineserver -p; then
    if [ "$(cat "$WINEPREFIX/.zor-graphics" 2>/dev/null)" = "$graphics" ]; then
      exit 0
    fi
    quiet wineserver -k || true
    quiet wineserver -w || true
    quiet wineserver -p
  fi
  if [ "$(cat "$WINEPREFIX/.zor-settings" 2>/dev/null)" != "$stamp" ]; then
    quiet timeout 120 wine regedit /S "$(windows_path "$(cd "$(dirname "$settings")" && pwd)/wine-prefix.reg")"
    echo "$stamp" > "$WINEPREFIX/.zor-settings"
    rm -f "$WINEPREFIX/.zor-graphics"
  fi
  # Headless runs use the null driver; "make demo INTERACTIVE=1" asks for x11.
  # The desktop process keeps the driver it started with, so a change
  # restarts the prefix's processes.
  if [ "$(cat "$WINEPREFIX/.zor-graphics" 2>/dev/null)" != "$graphics" ]; then
    quiet timeout 120 wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d "$graphics" /f
    echo "$graphics" > "$WINEPREFIX/.zor-graphics"
    quiet wineserver -k || true
    quiet wineserver -w || true
    quiet wineserver -p
  fi
  if ! quiet timeout 120 wine wineboot; then
    quiet wineserver -k || true
    quiet wineserver -p
    quiet timeout 120 wine wineboot || true
  fi
  # The provider's registry entries from its install file, as a machine would
  # get them, but without the NT-style ProviderOrder: Wine's router loads every
  # provider listed there into each process that loads it, and Wine's 16-bit
  # USER loads it, so once a process has crossed into 16-bit code the provider
  # would stay loaded in it for good. The tests load and release the provider
  # themselves; those that need Wine's router (and `router_console install`)
  # list it. A pristine prefix (ZOR_PRISTINE=1) gets none of it.
  if [ "${ZOR_PRISTINE:-0}" != 1 ] && [ -f "$build/bin/router_console.exe" ]; then
    quiet timeout 120 wine "$(windows_path "$build/bin/router_console.exe")" install
    quiet timeout 120 wine reg delete 'HKLM\System\CurrentControlSet\Control\NetworkProvider\Order' \
      /v ProviderOrder /f || true
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
