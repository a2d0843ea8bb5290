#!/usr/bin/env bash
# The .deb as a user gets it. CPack builds it from the build folder into OUT (where the install
# test finds it); dpkg-deb unpacks it into a scratch folder. Passes when the control fields are
# those of a Debian game, the files sit where Debian keeps them with the right modes, the
# unpacked program answers both protocols, the plugin file names it, the logo is the 100x50
# PNG the project's script draws, the manual page renders without a warning and documents every
# setting, console command and UCI option, and lintian (when installed) reports no error.
#
# usage: package_test.sh CPACK BUILD OUT SOURCE     exit 77: dpkg-deb or dpkg-shlibdeps missing
set -uo pipefail

cpack=${1:?cpack}
build=${2:?build folder}
out=${3:?folder for the .deb}
source=${4:?source folder}

rm -rf "$out"  # a package of an earlier run must not stand in for this one
for tool in dpkg-deb dpkg-shlibdeps; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Built into a folder of its own, so nothing of the normal build is touched.
if ! "$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$out" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  echo "FAIL: cpack could not build the package"
  exit 1
fi
debs=("$out"/tarlowick_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { ls -l "$out"; echo "FAIL: not exactly one tarlowick .deb"; exit 1; }
deb=${debs[0]}
echo "package: ${deb##*/}"

# --- Control fields. The version must be the one the engine announces.
root=$work/root
dpkg-deb -x "$deb" "$root" || { echo "FAIL: dpkg-deb cannot unpack the package"; exit 1; }
program=$root/usr/games/tarlowick
announced=$(printf 'xboard\nprotover 2\nquit\n' | "$program" 2>/dev/null | sed -n 's/.*myname="tarlowick \([^"]*\)".*/\1/p')
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = tarlowick ] || fail "Package is '$(field Package)'"
[ -n "$announced" ] && [ "$(field Version)" = "$announced" ] ||
  fail "Version '$(field Version)' is not the version the engine announces ('$announced')"
[ "$(field Section)" = games ] || fail "Section is '$(field Section)'"
[ "$(field Priority)" = optional ] || fail "Priority is '$(field Priority)'"
for library in libc6 libstdc++6; do
  field Depends | tr ',' '\n' | sed 's/^ *//; s/ .*//' | grep -q -x -F "$library" ||
    fail "Depends lacks $library: '$(field Depends)'"
done
[ "$(field Recommends)" = "xboard | polyglot" ] || fail "Recommends is '$(field Recommends)'"
field Suggests | grep -q gnuchess-book || fail "Suggests lacks gnuchess-book: '$(field Suggests)'"
[ "$(field Description | wc -l)" -ge 3 ] || fail "the description has no long part"
changelog_entry=$(zcat "$root/usr/share/doc/tarlowick/changelog.gz" 2>/dev/null | head -1)
[[ $changelog_entry == "tarlowick ($(field Version)) "* ]] ||
  fail "the changelog's latest entry is not for this version: '$changelog_entry'"

# --- The files, their modes and owners, and the md5sums.
expected="./usr/games/tarlowick
./usr/share/doc/tarlowick/changelog.gz
./usr/share/doc/tarlowick/copyright
./usr/share/doc/tarlowick/examples/tarlowick.ini
./usr/share/games/plugins/logos/tarlowick.png
./usr/share/games/plugins/xboard/tarlowick.eng
./usr/share/man/man6/tarlowick.6.gz"
actual=$(cd "$root" && find . -type f | sort)
[ "$actual" = "$expected" ] || fail "the package's files differ from the expected ones:
$(diff <(echo "$expected") <(echo "$actual"))"
odd_modes=$(cd "$root" && find . \( -type d ! -perm 0755 \) -o \( -type f ! -path ./usr/games/tarlowick ! -perm 0644 \) \
  -o \( -path ./usr/games/tarlowick ! -perm 0755 \))
[ -z "$odd_modes" ] || fail "files or folders with other modes than 0755/0644: $odd_modes"
not_root=$(dpkg-deb -c "$deb" | awk '$2 != "root/root"')
[ -z "$not_root" ] || fail "entries not owned by root: $not_root"
dpkg-deb -e "$deb" "$work/control"
(cd "$root" && md5sum --quiet -c "$work/control/md5sums") || fail "md5sums does not match the files"
if command -v file >/dev/null; then
  file -b "$program" | grep -q ', stripped' || fail "the program is not stripped: $(file -b "$program")"
fi

# --- The unpacked program in both protocols, and its console help for the manual page below.
printf 'xboard\nprotover 2\nquit\n' | "$program" >"$work/xboard.out" 2>&1
grep -q '^feature .*done=1$' "$work/xboard.out" || fail "no feature line: $(cat "$work/xboard.out")"
printf 'uci\nquit\n' | "$program" >"$work/uci.out" 2>&1
grep -q "^id name tarlowick $announced\$" "$work/uci.out" && grep -q '^uciok$' "$work/uci.out" ||
  fail "no UCI handshake: $(cat "$work/uci.out")"
printf 'console\nhelp\nquit\n' | "$program" >"$work/help.out" 2>&1

# --- The plugin file: its format line, the command xboard runs (the program, on a Debian PATH
# through /usr/games), the variants.
plugin=$root/usr/share/games/plugins/xboard/tarlowick.eng
[ "$(sed -n 1p "$plugin")" = "plugin spec 0.0" ] || fail "plugin file line 1: '$(sed -n 1p "$plugin")'"
[ "$(sed -n 2p "$plugin")" = tarlowick ] || fail "plugin file line 2 (the command): '$(sed -n 2p "$plugin")'"
sed -n 3p "$plugin" | grep -q -E '(^|,)chess(,|$)' || fail "plugin file line 3 (variants): '$(sed -n 3p "$plugin")'"
[ "$(wc -l <"$plugin")" -eq 3 ] || fail "the plugin file has $(wc -l <"$plugin") lines, not 3"

# --- The logo: a whole, valid 100x50 PNG (every chunk's CRC, the image data) whose pixels are
# those the project's script draws, so the committed file cannot fall behind the script.
logo=$root/usr/share/games/plugins/logos/tarlowick.png
if command -v python3 >/dev/null; then
  python3 "$source/packaging/draw_logo.py" "$work/drawn.png"
  python3 - "$logo" "$work/drawn.png" <<'EOF' || fail "the logo is not the script's valid 100x50 PNG"
import struct, sys, zlib

def pixels(path):
    data = open(path, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "no PNG signature"
    pos, kinds, image, header = 8, [], b"", None
    while pos < len(data):
        length, = struct.unpack(">I", data[pos:pos + 4])
        kind, body = data[pos + 4:pos + 8], data[pos + 8:pos + 8 + length]
        crc, = struct.unpack(">I", data[pos + 8 + length:pos + 12 + length])
        assert zlib.crc32(kind + body) & 0xFFFFFFFF == crc, "bad CRC in %r" % kind
        kinds.append(kind)
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            image += body
        pos += 12 + length
    assert kinds[0] == b"IHDR" and kinds[-1] == b"IEND", "chunks out of order"
    width, height, depth, colour = header[:4]
    assert (width, height) == (100, 50), "size %dx%d" % (width, height)
    assert (depth, colour) == (8, 2), "not 8-bit RGB"
    raw = zlib.decompress(image)
    assert len(raw) == height * (1 + width * 3), "image data of the wrong size"
    return raw

installed, drawn = pixels(sys.argv[1]), pixels(sys.argv[2])
assert installed == drawn, "the installed logo differs from what draw_logo.py draws"
EOF
else
  [ "$(head -c 8 "$logo" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "the logo is no PNG"
  [ "$(od -An -tu1 -j16 -N8 "$logo" | tr -s ' ')" = " 0 0 0 100 0 0 0 50" ] || fail "the logo is not 100x50"
fi

# --- The manual page: no warnings from man or groff, the sections a manual page has, and every
# setting of the example configuration (with its default), console command and UCI option.
page=$root/usr/share/man/man6/tarlowick.6.gz
if command -v man >/dev/null; then
  warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "man -l warns: $warnings"
  LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$page" 2>/dev/null | col -b >"$work/page.txt"
else
  echo "note: man is not installed; the page is rendered by groff alone"
  zcat "$page" | groff -man -Tutf8 -P-cbou 2>/dev/null >"$work/page.txt"
fi
if command -v groff >/dev/null; then
  warnings=$(zcat "$page" | groff -man -ww -z 2>&1)
  [ -z "$warnings" ] || fail "groff -ww warns: $warnings"
fi
for section in NAME SYNOPSIS DESCRIPTION "CONFIGURATION FILE" "OPENING BOOK" "GAME LOG" "CONSOLE COMMANDS" \
  FILES EXAMPLES "SEE ALSO"; do
  grep -q "^$section\$" "$work/page.txt" || fail "the manual page has no section $section"
done
grep -q '^       tarlowick - ' "$work/page.txt" || fail "the NAME line is not 'tarlowick - ...'"
# The items of a section's lists: its lines seven blanks in (list tags and paragraph lines).
section_lines() {
  awk -v name="$1" '/^[A-Z]/ { inside = ($0 == name); next } inside && /^       [^ ]/ { print substr($0, 8) }' \
    "$work/page.txt"
}
section_lines "CONFIGURATION FILE" >"$work/settings.txt"
section_lines "CONSOLE COMMANDS" | sed 's/, /\n/g; s/ .*//' >"$work/commands.txt"
section_lines DESCRIPTION >"$work/description.txt"
section=
while IFS= read -r line; do
  line=${line%$'\r'}
  case $line in
    \[*\]) section=${line#[}; section=${section%]} ;;
    *=*)
      key=${line%%=*} value=${line#*=}
      grep -q -E "^\[$section\] (.*, )?$key[ ,].*\(default $value( |\))" "$work/settings.txt" ||
        fail "the manual page does not give [$section] $key with its default $value"
      ;;
  esac
done < <(grep -v -E '^\s*(;|$)' "$root/usr/share/doc/tarlowick/examples/tarlowick.ini")
commands=$(sed -n 's/^\([a-z.?]\{1,\}\) .* - .*/\1/p' "$work/help.out")
[ -n "$commands" ] || fail "no commands in the console help: $(cat "$work/help.out")"
for command in $commands; do
  grep -q -F -x -e "$command" "$work/commands.txt" ||
    fail "the manual page does not list the console command $command"
done
# Option names may hold blanks ("Clear Hash").
while IFS= read -r option; do
  awk -v item="$option (" 'index($0, item) == 1 { found = 1 } END { exit !found }' "$work/description.txt" ||
    fail "the manual page does not list the UCI option $option"
done < <(sed -n "s/^option name \(.*\) type .*/\1/p" "$work/uci.out")

# --- lintian's verdict, shown in full.
if command -v lintian >/dev/null; then
  echo "lintian $(lintian --version | sed 's/^Lintian v//'):"
  lintian --display-info --display-experimental --pedantic --fail-on error "$deb" 2>&1 | grep -v 'root privileges' | tee "$work/lintian.out"
  status=${PIPESTATUS[0]}
  [ -s "$work/lintian.out" ] || echo "(no tags)"
  [ "$status" -eq 0 ] || fail "lintian reports errors"
else
  echo "note: lintian is not installed"
fi

[ "$failures" -eq 0 ] || exit 1
echo PASS
