# shellcheck shell=bash
# Sourced by the lanes that run Windows programs under Wine:
#   start_wine_display LOGFILE PREFIX
# starts Xvfb on the first free display from :90, exports DISPLAY and Wine's
# settings for PREFIX, stops both on exit, and fails (through the caller's
# `fail`) when Xvfb does not come up within 5 s;
#   wine64_loader
# prints the path of Wine's 64-bit loader.
start_wine_display() {
  local log=$1 prefix=$2 display=90
  while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
  Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >"$log" 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$display" WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  trap 'wineserver -k 2>/dev/null || true; kill "$xvfb_pid" 2>/dev/null || true' EXIT
  for _ in $(seq 50); do
    [ -e "/tmp/.X11-unix/X$display" ] && break
    sleep 0.1
  done
  [ -e "/tmp/.X11-unix/X$display" ] || fail "Xvfb did not start on :$display"
}

# The 64-bit loader starts 64-bit programs without the 32-bit one, which
# Debian's `wine` starts whenever wine32 is installed and which cannot run
# where 32-bit programs cannot. Debian ships it as /usr/lib/wine/wine64,
# other builds as wine64 on the PATH. Fails when there is none.
wine64_loader() {
  command -v wine64 && return
  [ -x /usr/lib/wine/wine64 ] && echo /usr/lib/wine/wine64
}
