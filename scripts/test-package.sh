#!/usr/bin/env bash
# Builds the Debian package from a build folder (default: build), installs it
# with apt-get, checks the installed program, its manual pages, desktop entry
# and metainfo, and removes the package again.  Needs root or sudo.
#
#   bash scripts/test-package.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
SUDO=""; [ "$(id -u)" = 0 ] || SUDO=sudo
export DEBIAN_FRONTEND=noninteractive

fail() { echo "FAIL $*" >&2; exit 1; }
ok() { echo "ok   $*"; }

cmake --build "$build" -j"${VOSTRA_JOBS:-2}" --target vostra vostra-problems
rm -f "$build"/vostra_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
debs=("$build"/vostra_*.deb)
[ -f "${debs[0]}" ] || fail "cpack made no vostra_*.deb in $build"
deb="$(realpath "${debs[0]}")"
version="$(dpkg-deb -f "$deb" Version)"
depends="$(dpkg-deb -f "$deb" Depends)"
echo "package: $(basename "$deb"), depends: $depends"
for lib in libsdl2 libpng16 libstdc++6 libc6; do
  [[ "$depends" == *"$lib"* ]] || fail "the package does not depend on $lib"
done
ok "dependencies taken from the programs' shared libraries"

work="$(mktemp -d)"
installed=0
cleanup() {
  [ "$installed" = 1 ] && $SUDO apt-get remove -y -qq vostra >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

$SUDO apt-get install -y -qq "$deb" >/dev/null
installed=1
[ "$(dpkg-query -W -f '${Status}' vostra)" = "install ok installed" ] || fail "vostra is not installed"
ok "apt-get install $(basename "$deb")"

# Nothing installed may point back into the source or build tree.
files=()
while IFS= read -r f; do [ -f "$f" ] && files+=("$f"); done < <(dpkg -L vostra)
if grep -l -F -e "$PWD" -e "$(realpath "$build")" "${files[@]}"; then
  fail "installed files above name the source or build folder"
fi
ok "${#files[@]} installed files, none naming the source or build folder"

cd "$work"
[ "$(command -v vostra)" = /usr/bin/vostra ] || fail "vostra is not /usr/bin/vostra"
[ "$(vostra --version)" = "vostra ${version%-*}" ] || fail "vostra --version gives '$(vostra --version)'"
ok "vostra --version: $(vostra --version)"

# A headless game from a folder outside the source tree: the first problem's
# screen, a tap on the board, the state.
printf 'shot start.png\ntap 100 100\ndump\n' >play.txt
VOSTRA_CONFIG_DIR="$work/config" vostra --headless --script play.txt >out.txt || fail "the headless run failed"
grep -q '^state problem=1 ' out.txt || fail "the headless run shows no problem 1: $(cat out.txt)"
[ "$(head -c 8 start.png | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "no PNG screenshot"
grep -q CurrentProblemNo config/registry.reg || fail "the headless run kept no current problem"
ok "headless run of the installed program"

vostra-problems check >check.txt || fail "vostra-problems check of the installed catalogue: $(tail -1 check.txt)"
shown="$(vostra-problems show --number 100000 2>&1 || true)"
[[ "$shown" == *"/usr/share/vostra/catalogue.txt holds"* ]] || fail "vostra-problems reads another catalogue: $shown"
ok "vostra-problems reads the installed catalogue: $(tail -1 check.txt)"

# The pages as the package holds them (a minimal system may be set up to
# leave manual pages out when installing).
dpkg-deb -x "$deb" "$work/deb"
man_excluded=0
grep -qs 'path-exclude.*/usr/share/man' /etc/dpkg/dpkg.cfg /etc/dpkg/dpkg.cfg.d/* && man_excluded=1
for page in /usr/share/man/man6/vostra.6 /usr/share/man/man1/vostra-problems.1; do
  [ -f "$work/deb$page" ] || fail "the package holds no manual page $page"
  [ -f "$page" ] || [ "$man_excluded" = 1 ] || fail "$page is not installed"
  warnings="$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$work/deb$page" 2>&1 >/dev/null)"
  [ -z "$warnings" ] || fail "man -l $page: $warnings"
  ok "man -l $page renders without warnings"
done

desktop=/usr/share/applications/org.vostra.Vostra.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
grep -q '^Exec=vostra$' "$desktop" || fail "$desktop does not start vostra"
for size in 16 32 48 256; do
  [ -f /usr/share/icons/hicolor/${size}x${size}/apps/org.vostra.Vostra.png ] || fail "no ${size}x${size} icon"
done
[ -f /usr/share/icons/hicolor/scalable/apps/org.vostra.Vostra.svg ] || fail "no scalable icon"
ok "desktop-file-validate $desktop, and its icons"
appstreamcli validate --no-net /usr/share/metainfo/org.vostra.Vostra.metainfo.xml >/dev/null \
  || fail "appstreamcli validate of the metainfo"
ok "appstreamcli validate"

cd - >/dev/null
$SUDO apt-get remove -y -qq vostra >/dev/null
installed=0
dpkg-query -W -f '${Status}' vostra 2>/dev/null | grep -q "installed$" && fail "vostra is still installed"
for f in "${files[@]}"; do [ ! -e "$f" ] || fail "$f is left after removing the package"; done
ok "apt-get remove vostra took every file away"
echo "package checks passed"
