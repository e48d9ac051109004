#!/usr/bin/env bash
# Runs a command with the build's Wine prefix started, and stops the prefix
# afterwards whatever the command's outcome. Usage: run-in-prefix.sh BUILD COMMAND...
set -uo pipefail
here=$(dirname "$0")
build=$1; shift
"$here/wine-prefix.sh" start "$build" || exit 1
"$@"
status=$?
"$here/wine-prefix.sh" stop "$build"
exit $status
