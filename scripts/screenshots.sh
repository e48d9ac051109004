#!/usr/bin/env bash
# make screenshots: one PNG per dialog and message box of a logon and a
# password change, into BUILD/screenshots, with no display of this machine's
# own. Usage: screenshots.sh BUILD
#
# A private Xvfb server shows Wine's virtual desktop, which draws every frame
# and caption itself. screenshots.exe brings the windows up on the simulated
# network and asks for each picture with a NAME.want file ("left top width
# height" on the desktop); this script takes it with ImageMagick's import,
# cropped to the window, and removes the request. At the end every picture is
# checked: it exists, has its window's size and more than a handful of colours.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
out="$build/screenshots"
desktop=800x600
started=$SECONDS
fail() { echo "make screenshots: $*" >&2; exit "${status:-1}"; }

for tool in Xvfb import identify; do
  command -v $tool >/dev/null || status=2 fail "needs Xvfb and ImageMagick ($tool is missing):" \
    "run scripts/install-deps.sh as root, or install the packages xvfb and imagemagick"
done
[ -f "$build/bin/screenshots.exe" ] || status=2 fail "$build/bin/screenshots.exe is not built; run make screenshots"
rm -rf "$out"
mkdir -p "$out"

# A display of our own: Xvfb picks a free number and writes it to fd 3.
Xvfb -displayfd 3 -screen 0 ${desktop}x24 -nolisten tcp 3>"$out/.display" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT
for _ in $(seq 100); do
  [ -s "$out/.display" ] && break
  sleep 0.1
done
[ -s "$out/.display" ] || fail "Xvfb did not start"
export DISPLAY=":$(cat "$out/.display")"

export ZOR_GRAPHICS=x11
"$here/wine-prefix.sh" start "$build" || exit 1
# Wine draws the buttons of a title bar with the Marlett font, which the
# prefix's Fonts folder holds; without it they show plain letters.
if ! find -L "$build/wineprefix/drive_c/windows/Fonts" -maxdepth 1 -iname marlett.ttf -type f | grep -q .; then
  "$here/wine-prefix.sh" stop "$build"
  fail "the Marlett font is not in the prefix (package fonts-wine): title-bar buttons would show letters"
fi
folder="Z:$out"
(cd "$build/bin" && WINEPREFIX="$build/wineprefix" WINEARCH=win32 WINEDEBUG=-all \
  exec wine explorer /desktop=zorshots,$desktop screenshots.exe "${folder//\//\\}") \
  >"$out/screenshots.log" 2>&1 </dev/null &
runner=$!

# Serve the requests until the program says it has finished. A program that
# ends without saying so (wine returns when it does) or stops answering is
# given up rather than waited for.
deadline=$((SECONDS + 600))
while [ ! -f "$out/finished.txt" ]; do
  if ! kill -0 $runner 2>/dev/null; then
    [ -f "$out/finished.txt" ] && break
    echo "make screenshots: screenshots.exe ended before it finished; see $out/screenshots.log" >&2
    break
  fi
  for want in "$out"/*.want; do
    [ -e "$want" ] || continue
    read -r left top width height <"$want"
    import -window root -crop "${width}x${height}+${left}+${top}" +repage -strip "PNG24:${want%.want}.png"
    echo "$(basename "$want" .want) ${width}x${height}" >>"$out/pictures.txt"
    rm -f "$want"
  done
  if [ $SECONDS -gt $deadline ]; then
    echo "make screenshots: gave up after $((SECONDS - started)) s; see $out/screenshots.log" >&2
    break
  fi
  sleep 0.2
done
"$here/wine-prefix.sh" stop "$build"

# The program's own complaints (a line per picture taken is not one), then
# each picture asked for: there, its window's size, not blank.
problems=0
[ "$(cat "$out/finished.txt" 2>/dev/null)" = 0 ] || problems=1
tr -d '\r' <"$out/screenshots.log" | grep '^screenshots:' | grep -v '^screenshots: [a-z0-9-]*$' >&2
while read -r name size; do
  file="$out/$name.png"
  read -r width height colours <<<"$(identify -format '%w %h %k' "$file" 2>/dev/null)"
  if [ ! -f "$file" ]; then
    echo "missing: $name.png" >&2
  elif [ "${width}x${height}" != "$size" ]; then
    echo "$name.png is ${width}x${height}, its window $size" >&2
  elif [ "$colours" -le 8 ]; then
    echo "$name.png is blank ($colours colours)" >&2
  else
    printf '  %-40s %9s %4d colours\n' "$name.png" "$size" "$colours"
    continue
  fi
  problems=1
done <"$out/pictures.txt"
[ $problems -eq 0 ] || fail "not as expected; see above and $out/screenshots.log"
echo "make screenshots: $(grep -c . "$out/pictures.txt") pictures in $out, $((SECONDS - started)) s"
