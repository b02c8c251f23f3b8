#!/usr/bin/env bash
# Runs a Windows program of the game under Wine, in a Wine prefix of its own: the emulator of
# the Windows build (CMAKE_CROSSCOMPILING_EMULATOR, and the end-to-end harness's --emulator).
#   scripts/wine-run.sh --prefix DIR PROGRAM [ARGUMENTS...]
#       runs PROGRAM in the prefix DIR (made first if it is missing), with the program's
#       standard streams and exit status as its own
#   scripts/wine-run.sh --prefix DIR --new
#       makes DIR a fresh prefix, removing what was there: one per test run
# Without --prefix, WINEPREFIX names the prefix. A prefix is made with no Mono or Gecko
# installer to ask anything, and with Wine's windows unmanaged, so that closing a display does
# not wait two seconds for a window manager that a virtual X server does not have. Wine says
# nothing of its own (WINEDEBUG=-all).
#
# Programs started close together share one Wine session (a wineserver, with Wine's services and
# its desktop), which stays a few seconds after the last one ends, so that the next start is not
# a cold one. The session takes the screen size from the X display it was started on: a program
# with a DISPLAY other than its session's (a test's new virtual screen) waits for that session to
# end and starts one of its own; a program without one (a console program) joins any.
set -euo pipefail
usage() {
  echo "usage: scripts/wine-run.sh [--prefix DIR] PROGRAM [ARGUMENTS...] | [--prefix DIR] --new" >&2
  exit 2
}
if [ "${1:-}" = --prefix ]; then
  [ $# -ge 2 ] || usage
  WINEPREFIX=$2
  shift 2
fi
[ -n "${WINEPREFIX:-}" ] && [ $# -ge 1 ] || usage
case "$WINEPREFIX" in
  /*) ;;
  *) WINEPREFIX=$PWD/$WINEPREFIX ;; # Wine wants it absolute
esac
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

session=$WINEPREFIX.display # the DISPLAY of the running Wine session

# Makes the prefix; the caller holds its lock.
make_prefix() {
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  # The first start of a 64-bit Wine without its 32-bit half says it cannot find syswow64's
  # rundll32: harmless, and nothing else is said on a good start.
  if ! wineboot --init >"$WINEPREFIX.log" 2>&1; then
    cat "$WINEPREFIX.log" >&2
    echo "wine-run: wineboot could not make the prefix $WINEPREFIX" >&2
    exit 1
  fi
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >>"$WINEPREFIX.log" 2>&1
  wineserver -w
  touch "$WINEPREFIX/.made"
}

mkdir -p "$(dirname "$WINEPREFIX")"
exec {lock}>"$WINEPREFIX.lock"
flock "$lock"
if [ "$1" = --new ]; then
  [ $# -eq 1 ] || usage
  make_prefix
  exit 0
fi
# Two tests may start at once: the first makes the prefix, the other waits for it.
[ -e "$WINEPREFIX/.made" ] || make_prefix
# The server and Wine's own services are started here, with none of the caller's streams: those
# that the program's start brought up would hold its output open after it ended.
if [ -n "${DISPLAY:-}" ] && [ "$(cat "$session" 2>/dev/null)" != "$DISPLAY" ]; then
  wineserver -w
fi
if wineserver -p3 </dev/null >/dev/null 2>&1; then
  echo "${DISPLAY:-}" >"$session"
  wineboot </dev/null >/dev/null 2>&1
elif [ $? -ne 2 ]; then # 2: one runs already
  echo "wine-run: wineserver did not start for $WINEPREFIX" >&2
  exit 1
fi
flock -u "$lock"
exec {lock}>&-
exec wine "$@"
