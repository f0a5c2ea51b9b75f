#!/bin/sh
# Runs a cross-built Windows program under Wine, for ctest.
# Usage: wine-run.sh WINE PREFIX PROGRAM [ARGUMENTS...]
#
# The prefix (Wine's own Windows installation) lives in the build folder and
# is created on first use, without offering to download Mono or Gecko.
# One wineserver and one set of Wine's background services serve every test
# and end 30 s after the last. They are started here, detached from our
# output: started by a test, they would inherit its output, and ctest would
# wait for them to end after every test. (So run the tests one at a time.)
wine=$1
export WINEPREFIX="$2"
shift 2
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

mkdir -p "$WINEPREFIX"
if "$(dirname "$wine")/wineserver" -p30 </dev/null >/dev/null 2>&1; then
    "$wine" wineboot </dev/null >/dev/null 2>&1 || true
fi
exec "$wine" "$@"
