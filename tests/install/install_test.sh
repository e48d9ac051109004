#!/usr/bin/env bash
# Installs and uninstalls the client with its INF through Wine's own setup API
# (rundll32 setupapi.dll,InstallHinfSection, which picks the .NT sections), and
# runs the undecorated sections as Windows 95 runs them, each case in a fresh
# Wine prefix: a copy of a pristine prefix that has the build's Wine settings
# and no provider. The disk installed is the one on the floppy image
# build/ZORNET.IMA, its files read back. Usage: install_test.sh BUILD [CASE...]
# (all cases when none is named: the case_ functions without their prefix).
#
# Wine itself changes two things between the sessions of a prefix, and the
# registry comparisons leave them out: the display driver's key
# HKLM\System\CurrentControlSet\Control\Video\{GUID} (a new GUID each session)
# and its "DriverDateData" value (the time the session started).
set -uo pipefail
build=$(cd "$1" && pwd)
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
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

# The pristine prefix, made once per build folder; the disks (below), and a
# probe folder with the stand-ins of the network client, the platform's domain
# validation and the simulated network, the programs that play the router,
# the client and the setup, and what each help topic should show, but none of
# the product.
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
  for f in wnet_probe.exe inf_probe.exe help_probe.exe router_console.exe zornet32_help_topics.txt \
           TORVEK.DLL ZORN1632.DLL QENTHUNK.DLL MSNET32.DLL SIMNET.DLL simnet.ini; do
    cp "$bin/$f" "$probe/" || return 1
  done
  read_disk || return 1
  make_newer_disk || newer_problem="no disk of the next version: $newer_problem"
}

# The disk as the floppy image holds it (its files read back from
# build/ZORNET.IMA), and a disk of the next version made from it: the same
# files, each DLL's fixed info restamped one version up, as the setup reads
# it. The help file and the INF carry no version and stay as they are.
disk=$work/disk
newer=$work/disk-newer
newer_problem=""
disk_files=(ZORNET.INF ZORNET32.DLL ZORN3216.DLL QENREGIO.DLL ZORSETUP.DLL ZORNET32.HLP)
read_disk() {
  local f
  rm -rf "$disk" && mkdir -p "$disk" || return 1
  for f in "${disk_files[@]}"; do
    MTOOLS_NO_VFAT=1 mcopy -n -i "$build/ZORNET.IMA" "::$f" "$disk/$f" || return 1
  done
}

make_newer_disk() {
  local version next f
  rm -rf "$newer" && mkdir -p "$newer" || return 1
  version=$(sed -n 's/^#define ZOR_VERSION_TEXT "\(.*\)"$/\1/p' "$build/include/product_version.h")
  next=$(awk -F. '{ print $1 "." $2 "." $3 "." $4 + 1 }' <<<"$version")
  for f in "${disk_files[@]}"; do
    case $f in
      *.DLL) newer_problem=$(python3 "$here/restamp_version.py" "$disk/$f" "$newer/$f" "$next" 2>&1) ||
               return 1 ;;
      *) cp "$disk/$f" "$newer/" || return 1 ;;
    esac
  done
}

# The cases that install the next version fail at once without its disk.
have_newer() {
  case_name=${FUNCNAME[1]#case_}
  [ -z "$newer_problem" ] && return 0
  fail "$newer_problem"
  return 1
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

inf=$(windows_path "$disk/ZORNET.INF")

setup_api() { # SECTION [DISK]
  timeout 120 wine rundll32 setupapi.dll,InstallHinfSection "$1" 132 "$(windows_path "${2:-$disk}/ZORNET.INF")" \
    >/dev/null 2>&1 </dev/null
}

install() { setup_api DefaultInstall "$@" || fail "InstallHinfSection DefaultInstall: exit status $?"; }
uninstall() { setup_api DefaultUninstall "$@" || fail "InstallHinfSection DefaultUninstall: exit status $?"; }

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

# The files where they belong, each as the disk (the built one unless named)
# has it; the registry as the AddReg of the install section (DefaultInstall
# unless named) writes it.
expect_installed() { # [SECTION] [DISK]
  local from=${2:-$disk}
  for dll in ZORNET32.DLL ZORN3216.DLL QENREGIO.DLL; do
    cmp -s "$from/$dll" "$WINEPREFIX/$system/$dll" || fail "$dll of ${from##*/} is not in the system folder"
  done
  cmp -s "$from/ZORNET32.HLP" "$WINEPREFIX/$windows/ZORNET32.HLP" || fail "ZORNET32.HLP is not in the Windows folder"
  [ ! -e "$WINEPREFIX/$system/ZORSETUP.DLL" ] || fail "ZORSETUP.DLL was copied into the system folder"
  out=$(wine_in_probe inf_probe.exe installed "$(windows_path "$from/ZORNET.INF")" ${1:+"$1"}) ||
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
# Runs one section from a disk as Windows 95's setup runs it; its output in out.
windows95_run() { # DISK SECTION
  out=$(wine_in_probe inf_probe.exe run "$(windows_path "$1/ZORNET.INF")" "$2") ||
    fail "inf_probe run [$2] from ${1##*/}: $out"
}

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
    windows95_run "$disk" "$1"
    expect_installed "$1"
    [ "$order" = "(none)" ] || fail "the NT-style ProviderOrder was written: \"$order\""
    windows95_run "$disk" "$2"
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

# What a user and an administrator set on an installed client, each through
# the installed DLLs as the client sets it: a logon that remembers its domain,
# two persistent connections through QENREGIO, the policy settings, and
# another provider after this one in the router's order (NT-style: the
# ProviderOrder text; Windows 95: a value of its own in the Order key).
order_key='HKLM\System\CurrentControlSet\Control\NetworkProvider\Order'
set_state() { # nt|windows95
  local out kind=$1 connection
  out=$(wine_in_probe router_console.exe logon --domain ZORDOM --user alice --password secret) ||
    fail "the logon that remembers its domain failed: $(tr '\n' ';' <<<"$out")"
  for connection in 'F: \\ZORSRV1\DOCS' 'G: \\ZORSRV1\TOOLS'; do
    set -- $connection
    out=$(wine_in_probe router_console.exe registry set connections "$1" "$2" --user alice) ||
      fail "the persistent connection $1 was not stored: $(tr '\n' ';' <<<"$out")"
  done
  out=$(wine_in_probe router_console.exe policy --configure '\\ZORSRV1\NETLOGON\CONFIG.POL') ||
    fail "the policy settings were not set: $(tr '\n' ';' <<<"$out")"
  if [ "$kind" = nt ]; then
    quiet timeout 60 wine reg add "$order_key" /v ProviderOrder /d 'ZORNET32,OtherNet' /f
  fi
  quiet timeout 60 wine reg add "$order_key" /v OtherNet /d OtherNet /f
}

# The state set_state left is in a registry export: a test of the upgrade
# cannot pass for a state that was never there.
expect_state() { # FILE
  local what
  for what in '"AuthenticatingAgent"="ZORDOM"' 'ZORSRV1\\DOCS' 'ZORSRV1\\TOOLS' 'CONFIG.POL' '"OtherNet"="OtherNet"'; do
    grep -qF "$what" "$1" || fail "the state set on the client has no $what"
  done
}

# Saves the registry export and the Windows folder's file list under NAME and
# expects them as they were under BEFORE: an install over an installed client
# keeps every setting and writes the same registration.
expect_kept() { # BEFORE NAME
  registry_export "$work/$2.reg"
  expect_same "the registry" "$work/$1.reg" "$work/$2.reg"
  windows_folder > "$work/$2.files"
  expect_same "the file list" "$work/$1.files" "$work/$2.files"
}

# A whole life of the client through the setup API (the NT sections): version
# N installed and used, N+1 over it (the upgrade), N+1 again, then N over N+1
# (the downgrade), then one uninstall. Every install must keep every setting,
# write the same registration and report success; the DLLs must be N+1 from
# the upgrade on.
case_versions() {
  have_newer || return
  fresh_prefix versions || { fail "no prefix"; return; }
  install
  expect_installed
  set_state nt
  registry_export "$work/state.reg"
  expect_state "$work/state.reg"
  windows_folder > "$work/state.files"
  local step from
  for step in upgrade same-again downgrade; do
    case_name="versions $step"
    from=$newer
    [ $step = downgrade ] && from=$disk
    install "$from"
    expect_installed "" "$newer"
    expect_kept state $step
  done

  case_name="versions uninstall"
  uninstall
  expect_removed
  [ "$order" = OtherNet ] || fail "after uninstall ProviderOrder is \"$order\", not OtherNet"
  end_prefix
}

# The same life through the sections Windows 95 runs, each under its name:
# the copy lines must keep the newer file without the question Windows 95's
# setup would otherwise ask (inf_probe says so as a finding).
case_windows95_versions() {
  have_newer || return
  fresh_prefix windows95-versions || { fail "no prefix"; return; }
  windows95_run "$disk" DefaultInstall
  set_state windows95
  registry_export "$work/state.reg"
  expect_state "$work/state.reg"
  windows_folder > "$work/state.files"

  case_name="windows95 upgrade"
  windows95_run "$newer" DefaultInstall
  expect_installed DefaultInstall "$newer"
  expect_kept state upgrade

  case_name="windows95 downgrade"
  windows95_run "$disk" DefaultInstall
  grep -q 'kept the newer .*ZORNET32.DLL' <<<"$out" || fail "the setup did not compare versions: $out"
  expect_installed DefaultInstall "$newer"
  expect_kept state downgrade

  case_name="windows95 uninstall"
  windows95_run "$disk" DefaultUninstall
  expect_removed DefaultInstall
  end_prefix
}

# A program of the probe folder that keeps ZORNET32.DLL loaded through the
# router, as a running machine's router does, until release_holder; then it
# logs on through the provider it kept, to show it still works.
holder_pid=""
start_holder() {
  rm -f "$probe/release" "$work/holder.out"
  (cd "$probe" && exec timeout 300 wine wnet_probe.exe --logon alice secret zordom --after release \
    >"$work/holder.out" 2>/dev/null </dev/null) &
  holder_pid=$!
  for _ in $(seq 600); do
    grep -q '^holding' "$work/holder.out" 2>/dev/null && return 0
    sleep 0.1
  done
  fail "the holder never loaded ZORNET32.DLL: $(tr -d '\r' <"$work/holder.out" 2>/dev/null)"
}

release_holder() { # what it must print after the release
  touch "$probe/release"
  wait "$holder_pid"
  local out
  out=$(tr -d '\r' <"$work/holder.out")
  grep -q "$1" <<<"$out" || fail "the running process's provider stopped working: $(tr '\n' ';' <<<"$out")"
}

# The restart the Network control panel asks for: Wine's wineboot carries out
# the renames and deletions queued for it.
restart() { quiet timeout 120 wine wineboot -r; }

# Each of the three DLLs either is the disk's or is queued to be replaced by a
# copy of the disk's at the restart: nothing is left half-installed.
pending_renames() {
  timeout 60 wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' \
    /v PendingFileRenameOperations 2>/dev/null | tr -d '\r' | grep -i pending
}

expect_queued_or_installed() { # DISK
  local pending dll
  pending=$(pending_renames)
  for dll in ZORNET32.DLL ZORN3216.DLL QENREGIO.DLL; do
    cmp -s "$1/$dll" "$WINEPREFIX/$system/$dll" && continue
    grep -qi "system32\\\\$dll" <<<"$pending" || fail "$dll is neither replaced nor queued for the restart"
  done
}

# An upgrade and an uninstall while the router of a running machine holds the
# provider: the running process keeps working, the install reports success
# and is complete once the process has ended and the machine restarted.
case_in_use() {
  have_newer || return
  fresh_prefix in-use || { fail "no prefix"; return; }
  install
  start_holder
  install "$newer"
  cmp -s "$disk/ZORNET32.DLL" "$WINEPREFIX/$system/ZORNET32.DLL" ||
    fail "ZORNET32.DLL was replaced under the running process"
  expect_queued_or_installed "$newer"
  out=$(wine_in_probe inf_probe.exe installed "$(windows_path "$newer/ZORNET.INF")") ||
    fail "the registry is not as the install file writes it: $out"
  release_holder 'NPLogon: 0$'
  restart
  expect_installed "" "$newer"
  [ -z "$(find "$WINEPREFIX/$system" -maxdepth 1 -iname 'ZOR*.TMP')" ] || fail "a temporary copy is left"

  # The older disk while the newer files are held: nothing is queued that
  # would put the older files in at the restart.
  case_name="in-use downgrade, uninstall"
  start_holder
  install
  [ -z "$(pending_renames)" ] || fail "the older disk's files were queued for the restart"
  uninstall "$newer"
  out=$(wine_in_probe inf_probe.exe removed "$(windows_path "$newer/ZORNET.INF")") ||
    fail "entries of the install file are left: $out"
  release_holder 'ZORNET32.DLL loaded from'
  restart
  expect_removed
  quiet timeout 60 wine reg query 'HKLM\System\CurrentControlSet\Services\ZORNET32' &&
    fail "the provider's key is back after the uninstall"
  end_prefix
}

start=$(date +%s)
if [ ! -f "$build/ZORNET.IMA" ]; then
  echo "FAIL: $build/ZORNET.IMA is missing: the install tests install from the disk's image"
  exit 1
fi
if ! setup; then
  echo "FAIL: could not make the pristine prefix or the probe folder"
  exit 1
fi
# The cases named after BUILD, or all of them.
cases=("${@:2}")
[ ${#cases[@]} -gt 0 ] || cases=(install_and_uninstall other_provider twice windows95 versions windows95_versions in_use)
for c in "${cases[@]}"; do "case_$c"; done
echo "install tests: $failures failures, $(($(date +%s) - start)) s"
[ $failures -eq 0 ]
