#!/usr/bin/env bash
# Installs and uninstalls the client with its INF through Wine's own setup API
# (rundll32 setupapi.dll,InstallHinfSection, which picks the .NT sections), and
# runs the undecorated sections as Windows 95 runs them, each case in a fresh
# Wine prefix: a copy of a pristine prefix that has the build's Wine settings
# and no provider. Usage: install_test.sh BUILD
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
windows=drive_c/windows
system=$windows/system32
failures=0
case_name=setup

fail() { echo "FAIL [$case_name] $*"; failures=$((failures + 1)); }
say() { echo "[$case_name] $*"; }
# The Windows name of a file of this machine: drive Z: is the root.
windows_path() { local p="Z:$1"; echo "${p//\//\\}"; }
quiet() { "$@" >/dev/null 2>&1 </dev/null; }

# The pristine prefix, made once per build folder; the shipped files as they
# go onto a disk (the three DLLs, the help file, ZORSETUP.DLL, ZORNET.INF:
# build/bin), and a probe folder with the stand-ins of the network client, the
# platform's domain validation and the simulated network, and what each help
# topic should show, but none of the product.
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
  for f in wnet_probe.exe inf_probe.exe help_probe.exe zornet32_help_topics.txt \
           TORVEK.DLL ZORN1632.DLL QENTHUNK.DLL MSNET32.DLL SIMNET.DLL simnet.ini; do
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

inf=$(windows_path "$bin/ZORNET.INF")

setup_api() { # SECTION
  timeout 120 wine rundll32 setupapi.dll,InstallHinfSection "$1" 132 "$inf" >/dev/null 2>&1 </dev/null
}

install() { setup_api DefaultInstall || fail "InstallHinfSection DefaultInstall: exit status $?"; }
uninstall() { setup_api DefaultUninstall || fail "InstallHinfSection DefaultUninstall: exit status $?"; }

registry_export() { # FILE: the whole registry as text, without what Wine changes itself
  rm -f "$1.raw"
  timeout 120 wine regedit /E "$(windows_path "$1.raw")" >/dev/null 2>&1 </dev/null
  iconv -f UTF-16 -t UTF-8 "$1.raw" | tr -d '\r' |
    awk '/^\[/ { skip = ($0 ~ /\\Control\\Video\\\{/) } !skip && !/^"DriverDateData"=/' > "$1"
}

# Every file of the Windows folder, the system folder's included.
windows_folder() { (cd "$WINEPREFIX/$windows" && find . -type f | sort); }

# One key of a registry export, its header and its values; nothing when absent.
key_of() { # FILE KEY
  KEY="[$2]" awk -v RS= 'BEGIN { key = ENVIRON["KEY"] } $0 == key || index($0, key "\n") == 1' "$1"
}

# The NT-style ProviderOrder as inf_probe last printed it ("(none)": no such value).
order=""

expect_same() { # WHAT BEFORE AFTER
  if ! diff -q "$2" "$3" >/dev/null; then
    fail "$1 differs from before the install:"
    diff "$2" "$3" | head -20
  fi
}

# The files where they belong, each as build/bin has it; the registry as the
# AddReg of the install section (DefaultInstall unless named) writes it.
expect_installed() { # [SECTION]
  for dll in ZORNET32.DLL ZORN3216.DLL QENREGIO.DLL; do
    cmp -s "$bin/$dll" "$WINEPREFIX/$system/$dll" || fail "$dll is not in the system folder"
  done
  cmp -s "$bin/ZORNET32.HLP" "$WINEPREFIX/$windows/ZORNET32.HLP" || fail "ZORNET32.HLP is not in the Windows folder"
  [ ! -e "$WINEPREFIX/$system/ZORSETUP.DLL" ] || fail "ZORSETUP.DLL was copied into the system folder"
  out=$(wine_in_probe inf_probe.exe installed "$inf" ${1:+"$1"}) ||
    fail "the registry is not as the install file writes it: $out"
  order=$(sed -n 's/^ProviderOrder: //p' <<<"$out")
}

expect_removed() { # [SECTION]
  for dll in ZORNET32.DLL ZORN3216.DLL QENREGIO.DLL; do
    [ ! -e "$WINEPREFIX/$system/$dll" ] || fail "$dll is still in the system folder"
  done
  [ ! -e "$WINEPREFIX/$windows/ZORNET32.HLP" ] || fail "ZORNET32.HLP is still in the Windows folder"
  out=$(wine_in_probe inf_probe.exe removed "$inf" ${1:+"$1"}) ||
    fail "entries of the install file are left: $out"
  order=$(sed -n 's/^ProviderOrder: //p' <<<"$out")
}

# The INF as the setup API reads it; install puts the files and the keys where
# the router finds them, a silent logon works through the installed provider
# and the help viewer finds the help file by its bare name; uninstall leaves
# the registry and the Windows folder as they were.
case_install_and_uninstall() {
  fresh_prefix install-uninstall || { fail "no prefix"; return; }
  out=$(wine_in_probe inf_probe.exe check "$inf") ||
    fail "the INF is not a complete Windows 95 network-client INF: $out"
  registry_export "$work/before.reg"
  windows_folder > "$work/before.files"

  install
  expect_installed
  [ "$order" = ZORNET32 ] || fail "ProviderOrder is \"$order\", not ZORNET32"
  out=$(wine_in_probe wnet_probe.exe --logon alice secret zordom)
  say "$(echo "$out" | tr '\n' ';')"
  grep -q 'WNetGetProviderNameA: 0 "ZOR Networks Client"' <<<"$out" || fail "Wine's router does not find the provider"
  grep -qi 'ZORNET32.DLL loaded from: C:\\windows\\system32\\ZORNET32.DLL' <<<"$out" ||
    fail "the router did not load the installed provider"
  grep -q 'NPLogon: 0$' <<<"$out" || fail "the silent logon through the installed provider failed"
  # The dialogs name the help file without a folder: the viewer, started in a
  # folder without it, finds the installed copy by itself.
  out=$(wine_in_probe help_probe.exe zornet32_help_topics.txt 3010) ||
    fail "the help viewer does not show the installed help file from another folder: $out"

  uninstall
  expect_removed
  registry_export "$work/after.reg"
  windows_folder > "$work/after.files"
  expect_same "the registry" "$work/before.reg" "$work/after.reg"
  expect_same "the Windows folder" "$work/before.files" "$work/after.files"
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

# An INF deletes the provider's Order value, never the key that held it: Wine's
# prefix has no such key, so the key stays, empty, with its parent, as on any
# machine that had none. The comparison leaves out those two while empty.
without_empty_order_keys() { # FILE
  awk -v RS= -v ORS='\n\n' '
    $0 != "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\NetworkProvider]" &&
    $0 != "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\NetworkProvider\\Order]"' "$1"
}

# The undecorated sections as Windows 95 runs them, each under exactly its
# name: the right-click Install's DefaultInstall and DefaultUninstall, then the
# Network control panel's ZORNET.Install and ZORNET.Remove. They name no
# ZORSETUP.DLL, so the INF alone must take everything out again. The prefix
# first gets what a Windows 95 machine has before any network client: the
# screen saver's password provider, which must stay exactly as it was.
password_providers='HKEY_LOCAL_MACHINE\System\CurrentControlSet\Control\PwdProvider'
case_windows95() {
  fresh_prefix windows95 || { fail "no prefix"; return; }
  printf '%s\r\n' REGEDIT4 '' "[$password_providers\\SCRSAVE]" '"ProviderPath"="password.cpl"' \
    '"Description"="Windows Screen Saver"' '"ChangePassword"="PPChangePassword"' \
    '"GetPasswordStatus"="PPGetPasswordStatus"' > "$work/screen-saver.reg"
  quiet timeout 60 wine regedit /S "$(windows_path "$work/screen-saver.reg")"
  registry_export "$work/before.reg"
  windows_folder > "$work/before.files"
  [ -n "$(key_of "$work/before.reg" "$password_providers\\SCRSAVE")" ] ||
    fail "the screen saver's password provider is not in the prefix"

  for sections in "DefaultInstall DefaultUninstall" "ZORNET.Install ZORNET.Remove"; do
    set -- $sections
    case_name="windows95 $1/$2"
    out=$(wine_in_probe inf_probe.exe run "$inf" "$1") || fail "inf_probe run [$1]: $out"
    expect_installed "$1"
    [ "$order" = "(none)" ] || fail "the NT-style ProviderOrder was written: \"$order\""
    out=$(wine_in_probe inf_probe.exe run "$inf" "$2") || fail "inf_probe run [$2]: $out"
    expect_removed "$1"
  done

  case_name=windows95
  registry_export "$work/after.reg"
  windows_folder > "$work/after.files"
  [ -z "$(key_of "$work/after.reg" "$password_providers\\ZORNET32")" ] ||
    fail "the password provider PwdProvider\\ZORNET32 is still registered"
  [ "$(key_of "$work/after.reg" "$password_providers\\SCRSAVE")" = \
    "$(key_of "$work/before.reg" "$password_providers\\SCRSAVE")" ] ||
    fail "the screen saver's password provider PwdProvider\\SCRSAVE was changed"
  without_empty_order_keys "$work/before.reg" > "$work/before.cmp"
  without_empty_order_keys "$work/after.reg" > "$work/after.cmp"
  expect_same "the registry" "$work/before.cmp" "$work/after.cmp"
  expect_same "the Windows folder" "$work/before.files" "$work/after.files"
  end_prefix
}

start=$(date +%s)
if [ ! -f "$bin/ZORNET32.HLP" ]; then
  echo "FAIL: $bin/ZORNET32.HLP is missing: the install file copies it from beside itself"
  exit 1
fi
if ! setup; then
  echo "FAIL: could not make the pristine prefix or the probe folder"
  exit 1
fi
case_install_and_uninstall
case_other_provider
case_twice
case_windows95
echo "install tests: $failures failures, $(($(date +%s) - start)) s"
[ $failures -eq 0 ]
