#!/bin/sh
# Prepares the wine prefix that the Windows build's tests run in
# ($WINEPREFIX) and starts the one wine server, and its services, that they
# all use. Every wine process here has its output in the log, away from
# CTest's pipes: a server or a service started with one of them as its
# standard error would hold it open for as long as it runs, and CTest would
# wait for it. Wine's null display driver stands in for a display: without
# one, each console's first read waits seconds for a desktop process that
# cannot start.
log="$WINEPREFIX/start.log"
mkdir -p "$WINEPREFIX"
if ! (
    set -e
    wineserver -k || true  # a server left from an earlier run
    wineserver -w
    wineboot -i
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f
    # A fresh server, so that none of the prefix's first-run work is still
    # going on when the tests begin; its services start with the next process.
    wineserver -k
    wineserver -w
    wineserver -p
    wine reg query 'HKCU\Software\Wine\Drivers' /v Graphics
) </dev/null >"$log" 2>&1; then
    cat "$log" >&2
    exit 1
fi
