#!/usr/bin/env bash
# cmake --install into a temporary prefix, then the installed program as the
# desktop starts it: by name through PATH, under a private Xvfb, with a
# temporary HOME and XDG_CONFIG_HOME. It must come up with its main window,
# keep its settings in the settings folder (nothing beside the program), and
# find its own files in the installed program folder: F1 opens the installed
# help page beside the chime. A termination request delivered twice at once
# (a process group's signal passed on by the parent) ends it cleanly.
set -euo pipefail
build=${1:?usage: InstallTest.sh BUILD_DIR}
tmp=$(mktemp -d)
xvfb_pid= prog_pid=
cleanup() {
  [ -n "$prog_pid" ] && kill -KILL "$prog_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }
# wait_for SECONDS COMMAND...: polls until the command succeeds.
wait_for() {
  local n=$(($1 * 10))
  shift
  while [ $n -gt 0 ]; do
    "$@" && return 0
    sleep 0.1
    n=$((n - 1))
  done
  return 1
}

prefix=$tmp/prefix
cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" || { cat "$tmp/install.log"; exit 1; }

# The layout.
program=$prefix/lib/tavrel/tavrel-converter
[ -x "$program" ] || fail "no program in lib/tavrel"
[ "$(readlink -f "$prefix/bin/tavrel-converter")" = "$(readlink -f "$program")" ] ||
  fail "bin/tavrel-converter does not lead to the program"
for f in help.html sounds/ring001.wav; do
  [ -s "$prefix/lib/tavrel/$f" ] || fail "$f is not beside the installed program"
done
# A PNG of the size the folder names, with alpha (colour type 6).
for n in 16 32 48 64; do
  icon=$prefix/share/icons/hicolor/${n}x${n}/apps/tavrel-converter.png
  if [ ! -s "$icon" ]; then fail "no ${n}x${n} icon"; continue; fi
  header=$(od -An -tx1 -j0 -N26 "$icon" | tr -d ' \n')
  [ "${header:0:16}" = 89504e470d0a1a0a ] || fail "${n}x${n} icon is not a PNG"
  [ $((16#${header:32:8})) -eq $n ] && [ $((16#${header:40:8})) -eq $n ] || fail "${n}x${n} icon has another size"
  [ "${header:50:2}" = 06 ] || fail "${n}x${n} icon has no alpha"
done
entry=$prefix/share/applications/tavrel-converter.desktop
if [ -f "$entry" ]; then
  out=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate rejects the entry: $out"
  [ -z "$out" ] || fail "desktop-file-validate: $out"
  grep -qx 'Name=TavrelAndroid手机视频转换器' "$entry" || fail "the entry does not carry the program's name"
  exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
  icon_name=$(sed -n 's/^Icon=//p' "$entry")
  [ "$exec_name" = tavrel-converter ] && [ -e "$prefix/bin/$exec_name" ] || fail "Exec names no installed program"
  [ -e "$prefix/share/icons/hicolor/48x48/apps/$icon_name.png" ] || fail "Icon names no installed icon"
else
  fail "no desktop entry"
fi
[ $failed -eq 0 ] || exit 1

# The installed program on a private X server.
mkfifo "$tmp/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$tmp/display" 2>/dev/null &
xvfb_pid=$!
read -r -t 30 num <"$tmp/display" || { echo "FAIL: Xvfb did not start"; exit 1; }
export DISPLAY=:$num
mkdir -p "$tmp/home" "$tmp/bin"
export HOME=$tmp/home XDG_CONFIG_HOME=$tmp/config
printf '#!/bin/sh\nprintf "%%s\\n" "$1" >> "%s"\n' "$tmp/opened.txt" >"$tmp/bin/xdg-open"
chmod +x "$tmp/bin/xdg-open"
PATH=$tmp/bin:$prefix/bin:$PATH tavrel-converter >"$tmp/program.log" 2>&1 &
prog_pid=$!
window() { xdotool search --onlyvisible --name TavrelAndroid 2>/dev/null | head -n1; }
has_window() { [ -n "$(window)" ]; }
wait_for 60 has_window || { cat "$tmp/program.log"; echo "FAIL: no main window"; exit 1; }
ini=$XDG_CONFIG_HOME/tavrel/option.ini
wait_for 30 grep -q '^SetSkin=0' "$ini" || fail "no settings in $ini after the start"
[ ! -e "$prefix/lib/tavrel/option.ini" ] || fail "settings were written beside the program"

# F1: the help page from the program folder.
press_f1() {
  xdotool windowfocus "$(window)" key F1 2>/dev/null
  sleep 1
  [ -s "$tmp/opened.txt" ]
}
for _ in $(seq 30); do press_f1 && break; done
[ -s "$tmp/opened.txt" ] || fail "F1 opened nothing"
opened=$(head -n1 "$tmp/opened.txt" 2>/dev/null || true)
[ "$(readlink -f "$opened")" = "$(readlink -f "$prefix/lib/tavrel/help.html")" ] ||
  fail "F1 opened '$opened', not the installed help page"

# SIGTERM twice at once, as timeout and make deliver it: one request.
kill -TERM "$prog_pid"
kill -TERM "$prog_pid"
status=0
wait "$prog_pid" || status=$?
prog_pid=
[ $status -eq 0 ] || { cat "$tmp/program.log"; fail "the program ended with $status on a doubled termination request"; }
[ $failed -eq 0 ] && echo "installed program: window, settings in the settings folder, help from the program folder"
exit $failed
