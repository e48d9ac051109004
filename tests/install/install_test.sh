#!/usr/bin/env bash
# Installs and uninstalls the client with its INF through Wine's own setup API
# (rundll32 setupapi.dll,InstallHinfSection), each case in a fresh Wine prefix:
# a copy of a pristine prefix that has the build's Wine settings and no
# provider. Usage: install_test.sh BUILD
#
# Wine itself changes two things between the sessions of a prefix, and the
# registry comparisons leave them out: the display driver's key
# HKLM\System\CurrentControlSet\Control\Video\{GUID} (a new GUID each session)
# and its "DriverDateData" value (the time the session started).
set -uo pipefail
build=$(cd "$1" && pwd)
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
bin=$build/bin
work=$build/install-tests
template=$work/template
probe=$work/probe
system=drive_c/windows/system32
failures=0
case_name=setup

fail() { echo "FAIL [$case_name] $*"; failures=$((failures + 1)); }
say() { echo "[$case_name] $*"; }
# The Windows name of a file of this machine: drive Z: is the root.
windows_path() { local p="Z:$1"; echo "${p//\//\\}"; }
quiet() { "$@" >/dev/null 2>&1 </dev/null; }

# The pristine prefix, made once per build folder; the shipped files as they
# go onto a disk (the three DLLs, ZORSETUP.DLL, ZORNET.INF: build/bin), and a
# probe folder with the stand-ins of the network client, the platform's domain
# validation and the simulated network, but none of the product.
setup() {
  mkdir -p "$work"
  if [ ! -f "$template/.zor-settings" ]; then
    # From the copy of the build's prefix as Wine made it, where there is one;
    # otherwise wine-prefix.sh makes a prefix from nothing.
    rm -rf "$template"
    if [ -f "$build/pristine-prefix/.zor-booted" ]; then
      link_prefix "$build/pristine-prefix" "$template" || return 1
    fi
    ZOR_WINEPREFIX=$template ZOR_PRISTINE=1 "$scripts/wine-prefix.sh" start "$build" || return 1
    ZOR_WINEPREFIX=$template "$scripts/wine-prefix.sh" stop "$build"
  fi
  rm -rf "$probe" && mkdir -p "$probe"
  for f in wnet_probe.exe inf_probe.exe TORVEK.DLL ZORN1632.DLL QENTHUNK.DLL MSNET32.DLL SIMNET.DLL simnet.ini; do
    cp "$bin/$f" "$probe/" || return 1
  done
}

# A copy of a prefix: its files linked (Wine replaces files, never writes into
# them), its registry and the other files at its top copied.
link_prefix() { # FROM TO
  cp -al "$1" "$2" && find "$1" -maxdepth 1 -type f -exec cp --remove-destination {} "$2/" \;
}

# A fresh prefix for one case: a copy of the pristine one.
fresh_prefix() {
  case_name=$1
  export WINEPREFIX=$work/$1 WINEARCH=win32 WINEDEBUG=-all
  rm -rf "$WINEPREFIX"
  link_prefix "$template" "$WINEPREFIX"
}

end_prefix() {
  quiet wineserver -k || true
  quiet wineserver -w || true
  rm -rf "$WINEPREFIX"
}

wine_in_probe() { (cd "$probe" && timeout 120 wine "$@" 2>/dev/null | tr -d '\r'; exit "${PIPESTATUS[0]}"); }

setup_api() { # SECTION
  timeout 120 wine rundll32 setupapi.dll,InstallHinfSection "$1" 132 "$(windows_path "$bin/ZORNET.INF")" \
    >/dev/null 2>&1 </dev/null
}

install() { setup_api DefaultInstall || fail "InstallHinfSection DefaultInstall: exit status $?"; }
uninstall() { setup_api DefaultUninstall || fail "InstallHinfSection DefaultUninstall: exit status $?"; }

registry_export() { # FILE: the whole registry as text, without what Wine changes itself
  rm -f "$1.raw"
  timeout 120 wine regedit /E "$(windows_path "$1.raw")" >/dev/null 2>&1 </dev/null
  iconv -f UTF-16 -t UTF-8 "$1.raw" | tr -d '\r' |
    awk '/^\[/ { skip = ($0 ~ /\\Control\\Video\\\{/) } !skip && !/^"DriverDateData"=/' > "$1"
}

system_folder() { (cd "$WINEPREFIX/$system" && find . -type f | sort); }

# The NT-style ProviderOrder as inf_probe last printed it.
order=""

expect_same() { # WHAT BEFORE AFTER
  if ! diff -q "$2" "$3" >/dev/null; then
    fail "$1 differs from before the install:"
    diff "$2" "$3" | head -20
  fi
}

expect_installed() {
  for dll in ZORNET32.DLL ZORN3216.DLL QENREGIO.DLL; do
    cmp -s "$bin/$dll" "$WINEPREFIX/$system/$dll" || fail "$dll is not in the system folder"
  done
  [ ! -e "$WINEPREFIX/$system/ZORSETUP.DLL" ] || fail "ZORSETUP.DLL was copied into the system folder"
  out=$(wine_in_probe inf_probe.exe installed "$(windows_path "$bin/ZORNET.INF")") ||
    fail "the registry is not as the install file writes it: $out"
  order=$(sed -n 's/^ProviderOrder: //p' <<<"$out")
}

expect_removed() {
  for dll in ZORNET32.DLL ZORN3216.DLL QENREGIO.DLL; do
    [ ! -e "$WINEPREFIX/$system/$dll" ] || fail "$dll is still in the system folder"
  done
  out=$(wine_in_probe inf_probe.exe removed "$(windows_path "$bin/ZORNET.INF")") ||
    fail "entries of the install file are left: $out"
  order=$(sed -n 's/^ProviderOrder: //p' <<<"$out")
}

# The INF as the setup API reads it; install puts the files and the keys where
# the router finds them and a silent logon works through the installed
# provider; uninstall leaves the registry and the system folder as they were.
case_install_and_uninstall() {
  fresh_prefix install-uninstall || { fail "no prefix"; return; }
  out=$(wine_in_probe inf_probe.exe check "$(windows_path "$bin/ZORNET.INF")") ||
    fail "the INF is not a complete Windows 95 network-client INF: $out"
  registry_export "$work/before.reg"
  system_folder > "$work/before.files"

  install
  expect_installed
  [ "$order" = ZORNET32 ] || fail "ProviderOrder is \"$order\", not ZORNET32"
  out=$(wine_in_probe wnet_probe.exe --logon alice secret zordom)
  say "$(echo "$out" | tr '\n' ';')"
  grep -q 'WNetGetProviderNameA: 0 "ZOR Networks Client"' <<<"$out" || fail "Wine's router does not find the provider"
  grep -qi 'ZORNET32.DLL loaded from: C:\\windows\\system32\\ZORNET32.DLL' <<<"$out" ||
    fail "the router did not load the installed provider"
  grep -q 'NPLogon: 0$' <<<"$out" || fail "the silent logon through the installed provider failed"

  uninstall
  expect_removed
  registry_export "$work/after.reg"
  system_folder > "$work/after.files"
  expect_same "the registry" "$work/before.reg" "$work/after.reg"
  expect_same "the system folder" "$work/before.files" "$work/after.files"
  end_prefix
}

# Another provider already in the NT-style order keeps its place, before
# and after.
case_other_provider() {
  fresh_prefix other-provider || { fail "no prefix"; return; }
  quiet timeout 60 wine reg add 'HKLM\System\CurrentControlSet\Control\NetworkProvider\Order' \
    /v ProviderOrder /d 'LanmanWorkstation,OtherNet' /f
  quiet timeout 60 wine reg add 'HKLM\System\CurrentControlSet\Control\NetworkProvider\Order' \
    /v OtherNet /d OtherNet /f
  registry_export "$work/before.reg"
  install
  expect_installed
  [ "$order" = 'LanmanWorkstation,OtherNet,ZORNET32' ] ||
    fail "after install ProviderOrder is \"$order\""
  uninstall
  expect_removed
  [ "$order" = 'LanmanWorkstation,OtherNet' ] || fail "after uninstall ProviderOrder is \"$order\""
  registry_export "$work/after.reg"
  expect_same "the registry" "$work/before.reg" "$work/after.reg"
  end_prefix
}

# Install twice, uninstall twice: no error, the provider listed once.
case_twice() {
  fresh_prefix twice || { fail "no prefix"; return; }
  registry_export "$work/before.reg"
  install
  install
  expect_installed
  [ "$order" = ZORNET32 ] || fail "after two installs ProviderOrder is \"$order\""
  uninstall
  uninstall
  expect_removed
  registry_export "$work/after.reg"
  expect_same "the registry" "$work/before.reg" "$work/after.reg"
  end_prefix
}

start=$(date +%s)
if ! setup; then
  echo "FAIL: could not make the pristine prefix or the probe folder"
  exit 1
fi
case_install_and_uninstall
case_other_provider
case_twice
echo "install tests: $failures failures, $(($(date +%s) - start)) s"
[ $failures -eq 0 ]
