#!/usr/bin/env bash
# The installed package with a real xboard. xboard looks for plugin files only in its own
# system folder, so this installs the .deb with dpkg, and it runs only where that is wanted: as
# root with TARLOWICK_INSTALL_TEST=1 (CI's throwaway machine). With a scratch HOME, xboard -noGUI
# -autoInstall first saves settings without tarlowick; after the installation its next start must
# add tarlowick to its engine list (xboard adds plugins newer than the settings it last saved),
# and a game started with that entry must reach the engine. The package is removed at the end,
# and must leave nothing behind.
#
# usage: xboard_install_test.sh OUT     (OUT: the folder holding tarlowick_*.deb)
#        exit 77: not root, TARLOWICK_INSTALL_TEST unset, a tool missing, or tarlowick installed
set -uo pipefail

out=${1:?folder of the .deb}

[ "$(id -u)" -eq 0 ] && [ "${TARLOWICK_INSTALL_TEST:-}" = 1 ] ||
  { echo "SKIP: installs a package; runs as root with TARLOWICK_INSTALL_TEST=1"; exit 77; }
PATH=$PATH:/usr/games
for tool in dpkg xboard xvfb-run; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
if [ "$(dpkg-query -W -f='${db:Status-Status}' tarlowick 2>/dev/null)" = installed ]; then
  echo "SKIP: a tarlowick package is installed already; it is left alone"
  exit 77
fi
debs=("$out"/tarlowick_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: no tarlowick .deb in $out"; exit 1; }
deb=${debs[0]}

work=$(mktemp -d)
installed=0
runner=
end() {
  [ -n "$runner" ] && kill -0 "$runner" 2>/dev/null && kill -KILL -- "-$runner" 2>/dev/null
  [ "$installed" -eq 1 ] && dpkg -r tarlowick >/dev/null 2>&1
  rm -rf "$work"
}
trap end EXIT
fail() {
  echo "FAIL: $*"
  echo "--- xboard ---"; grep -v -e '^ALSA' -e '^aplay' "$work/xboard.out" 2>/dev/null | tail -20
  exit 1
}

# One start of xboard, headless, with the scratch settings file: it scans the plugin folder and
# starts up; a polite SIGTERM then makes it save its settings and leave.
# usage: run_xboard MARK [OPTION...]     MARK: text in the debug file that shows it got far enough
run_xboard() {
  local mark=$1
  shift
  rm -f "$work/debug.txt"
  (
    cd "$work" || exit 1
    export HOME=$work/home  # no settings of the user's are read or written
    exec setsid xvfb-run -a xboard -noGUI -autoInstall ALL \
      -settingsFile "$work/xboardrc" -saveSettingsFile "$work/xboardrc" -saveSettingsOnExit true \
      -debug -nameOfDebugFile "$work/debug.txt" -popupExitMessage false -soundProgram "" "$@"
  ) >"$work/xboard.out" 2>&1 &
  runner=$!
  local deadline=$((SECONDS + 60)) xboard=
  until grep -q -F -e "$mark" "$work/debug.txt" 2>/dev/null; do
    [ $SECONDS -lt $deadline ] || fail "xboard did not get to '$mark' within 60 s"
    kill -0 "$runner" 2>/dev/null || fail "xboard ended early"
    sleep 0.1
  done
  xboard=$(pgrep -P "$runner" -x xboard)
  [ -n "$xboard" ] || fail "no xboard process below xvfb-run"
  kill -TERM "$xboard"
  wait "$runner"
  runner=
  [ -s "$work/xboardrc" ] || fail "xboard saved no settings"
}

# The engine list xboard saved: the lines of its firstChessProgramNames value.
engine_list() {
  awk '/^-firstChessProgramNames \{/ { inside = 1; sub(/^-firstChessProgramNames \{/, "") }
       inside && /^\}/ { exit }
       inside { print }' "$work/xboardrc"
}

mkdir -p "$work/home"
# "Reset(" is logged after the plugin scan and the set-up, once xboard waits for events.
run_xboard "Reset(" -ncp
engine_list | grep -q -x tarlowick &&
  fail "tarlowick is listed before the package is installed (another tarlowick.eng in /usr/local/share/games/plugins?)"
sleep 1.1  # the settings' date has whole seconds; the plugin file must be newer

dpkg -i "$deb" >"$work/dpkg.out" 2>&1 || { cat "$work/dpkg.out"; fail "dpkg -i failed"; }
installed=1
[ "$(command -v tarlowick)" = /usr/games/tarlowick ] || fail "tarlowick on the PATH is '$(command -v tarlowick)'"
if command -v man >/dev/null; then
  [ "$(man -w tarlowick 2>/dev/null)" = /usr/share/man/man6/tarlowick.6.gz ] || fail "man does not find tarlowick(6)"
fi

run_xboard "Reset(" -ncp
echo "xboard's engine list after the installation:"
engine_list | sed 's/^/  /'
entry=$(engine_list | grep -x -E 'tarlowick|"tarlowick.*' | head -1)
[ -n "$entry" ] || fail "xboard -autoInstall did not add tarlowick to its engine list"

# A game with the listed engine: xboard starts it by that command and gets its features.
[ "$entry" = tarlowick ] || fail "unexpected engine list entry '$entry'"
run_xboard 'myname="tarlowick' -fcp "$entry" -scp "$entry"
grep -q -E '^[0-9]+ <first *: feature .*myname="tarlowick' "$work/debug.txt" ||
  fail "the engine xboard started from the list did not announce itself"

dpkg -r tarlowick >"$work/dpkg.out" 2>&1 || { cat "$work/dpkg.out"; fail "dpkg -r failed"; }
installed=0
for file in /usr/games/tarlowick /usr/share/games/plugins/xboard/tarlowick.eng \
  /usr/share/games/plugins/logos/tarlowick.png /usr/share/man/man6/tarlowick.6.gz /usr/share/doc/tarlowick; do
  [ -e "$file" ] && fail "$file is left after dpkg -r"
done
echo PASS
