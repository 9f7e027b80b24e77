#!/usr/bin/env bash
# Makes the Debian package from the build tree the suite has just built, checks it with
# lintian, desktop-file-validate and appstreamcli, installs it on this machine with dpkg -i,
# runs the installed program from another folder as a user would, and removes it again,
# checking that nothing of it is left.
# Usage: PackageInstallTest.sh BUILD_DIR VERSION SANITIZED
# Exit 77 (skipped) when it must not install: a sanitizer build, no dpkg, not root, or the
# package already installed (that copy is the user's and stays untouched).
set -euo pipefail
build=$1 version=$2 sanitized=$3
package=tolvane-rss-editor

skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAILED: $*" >&2; exit 1; }

[ "$sanitized" = 1 ] && skip "a sanitizer build; the package is made from the normal build"
command -v dpkg >/dev/null || skip "no dpkg: not a Debian system"
[ "$(id -u)" -eq 0 ] || skip "not root: installing the package with dpkg -i needs root"
for tool in cpack dpkg-shlibdeps lintian desktop-file-validate appstreamcli man; do
  command -v "$tool" >/dev/null || fail "$tool is missing (./deps.sh --tests installs it)"
done
# One run at a time on a machine: two would install and remove the same package under each other.
lock_folder=/run/lock
[ -d "$lock_folder" ] || lock_folder=/tmp
exec 9>"$lock_folder/tolvane-rss-editor-package-test.lock"
flock -w 300 9 || skip "another run of this test kept the machine's package for 5 minutes"
status() { dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || echo not-installed; }
[ "$(status)" = not-installed ] ||
  skip "$package is installed on this machine; the test leaves that copy alone"

# dpkg waits for another dpkg or apt on the machine to finish instead of failing at once.
run_dpkg() {
  local output
  for _ in $(seq 90); do
    output=$(dpkg "$@" 2>&1) && { echo "$output"; return 0; }
    grep -qi "lock" <<<"$output" || { echo "$output" >&2; return 1; }
    sleep 2
  done
  echo "$output" >&2
  return 1
}

work=$(mktemp -d)
installed=no
window=
cleanup() {
  [ -n "$window" ] && kill "$window" 2>/dev/null
  [ "$installed" = yes ] && run_dpkg -r "$package" >/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

echo "== the package"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack -G DEB failed"; }
deb="$work/out/${package}_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "cpack did not make $(basename "$deb"): $(ls "$work/out")"
dpkg-deb -f "$deb" Depends | grep -q "libqt6widgets6" ||
  fail "Depends does not name the libraries the program links: $(dpkg-deb -f "$deb" Depends)"
lintian --fail-on error "$deb" || fail "lintian reports errors"

# What the package holds, and which of those paths the machine had before it came.
dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./|/|; s|/$||' | grep -v '^$' >"$work/contents"
while read -r path; do
  if [ -e "$path" ] || [ -L "$path" ]; then echo "$path"; fi
done <"$work/contents" >"$work/before"
# What the folders the package puts its files in hold, to find anything else left behind later
# (a file the program wrote beside itself).
entries() {
  while read -r path; do
    if [ ! -d "$path" ] || [ -L "$path" ]; then dirname "$path"; fi
  done <"$work/contents" | sort -u | while read -r folder; do
    if [ -d "$folder" ]; then find "$folder" -mindepth 1 -maxdepth 1; fi
  done | sort
}
entries >"$work/entries-before"

echo "== installing"
run_dpkg -i "$deb"
installed=yes
[ "$(status)" = installed ] || fail "dpkg -i left the package $(status)"
dpkg -L "$package" | grep -vx '/\.' >"$work/listed"

echo "== where a software centre and a desktop look"
desktop=/usr/share/applications/$package.desktop
metainfo=$(ls /usr/share/metainfo/*.metainfo.xml | xargs grep -l "<launchable type=\"desktop-id\">$package.desktop<" ||
  true)
[ -f "$desktop" ] || fail "no desktop entry at $desktop"
[ -n "$metainfo" ] || fail "no metainfo in /usr/share/metainfo launches $package.desktop"
desktop-file-validate "$desktop" || fail "desktop-file-validate: $desktop"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate: $metainfo"
exec_command=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ "$(command -v "$exec_command")" = "/usr/bin/$exec_command" ] ||
  fail "the desktop entry runs $exec_command, which is not on PATH"
icon=$(sed -n 's/^Icon=//p' "$desktop")
for size in 48x48 128x128 256x256; do
  [ -f "/usr/share/icons/hicolor/$size/apps/$icon.png" ] || fail "no $size icon named $icon"
done
[ -f "/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable icon named $icon"
for binary in $(sed -n 's|.*<binary>\(.*\)</binary>.*|\1|p' "$metainfo"); do
  [ -x "/usr/bin/$binary" ] || fail "the metainfo provides $binary, which is not installed"
done
newest_release=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$metainfo" | head -1)
[ "$newest_release" = "$version" ] ||
  fail "the metainfo's newest release is $newest_release, the program is $version"

echo "== the installed program, from another folder"
mkdir -p "$work/elsewhere" "$work/home"
cd "$work/elsewhere"
cat >good.xml <<'FEED'
<?xml version="1.0" encoding="UTF-8"?>
<rss version="2.0">
  <channel>
    <title>Installed</title>
    <link>https://example.org/</link>
    <description>A feed checked by the installed program</description>
    <item><title>First</title><guid isPermaLink="false">first</guid></item>
  </channel>
</rss>
FEED
sed 's|<link>https://example.org/</link>||' good.xml >bad.xml
as_user() { env -i PATH=/usr/bin:/bin HOME="$work/home" "$@"; }
[ "$(as_user tolvane-rss-editor --version)" = "TolvaneRssEditor $version" ] ||
  fail "tolvane-rss-editor --version: $(as_user tolvane-rss-editor --version 2>&1)"
as_user tolvane-rss-editor --check good.xml >check.txt || fail "--check good.xml: $(cat check.txt)"
! grep -q ": error: " check.txt || fail "--check good.xml found errors: $(cat check.txt)"
code=0; as_user TolvaneRssEditor --check --format=json bad.xml >check.json || code=$?
[ "$code" = 1 ] || fail "--check bad.xml exited with $code, not 1"
grep -Eq '^{"file":"bad.xml",("line":[0-9]+,)?"severity":"error","place":"channel",.*link' check.json ||
  fail "--check --format=json bad.xml: $(cat check.json)"

# The window, even run by root who may write into /usr/bin, keeps the list in the user's folder.
list="$work/home/.config/Tolvane RSS Editor/feeds.cfg"
# env runs the program in its own process, so $! is the window's and the kill below ends it.
env -i PATH=/usr/bin:/bin HOME="$work/home" QT_QPA_PLATFORM=offscreen tolvane-rss-editor good.xml \
  >window.log 2>&1 9>&- &
window=$!
for _ in $(seq 300); do
  if [ -f "$list" ] && grep -aq "$work/elsewhere/good.xml" "$list"; then break; fi
  [ -e /usr/bin/feeds.cfg ] && break
  sleep 0.1
done
kill "$window" 2>/dev/null || true
wait "$window" 2>/dev/null || true
window=
[ ! -e /usr/bin/feeds.cfg ] || { rm -f /usr/bin/feeds.cfg; fail "the installed window wrote /usr/bin/feeds.cfg"; }
grep -aq "$work/elsewhere/good.xml" "$list" 2>/dev/null ||
  fail "the installed window did not keep good.xml in $list: $(cat window.log)"

echo "== the manual"
page=/usr/share/man/man1/$package.1.gz
if grep -rqs '^path-exclude.*/usr/share/man' /etc/dpkg/dpkg.cfg.d; then
  echo "dpkg is set to leave manual pages out on this machine: man is not checked"
else
  [ "$(man -w "$package")" = "$page" ] || fail "man -w $package: $(man -w "$package" 2>&1)"
  [ "$(readlink -f "$(man -w TolvaneRssEditor)")" = "$page" ] || fail "man TolvaneRssEditor is not the same page"
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings "$package" 2>&1 >"$work/man.txt")
  [ -z "$warnings" ] || fail "man reports: $warnings"
  for text in --check --format=json --summary --publish --force TOLVANE_PUBLISH_PASSWORD "EXIT STATUS" feeds.cfg publish.ini; do
    grep -q -- "$text" "$work/man.txt" || fail "the manual page does not mention $text"
  done
fi

echo "== removing"
run_dpkg -r "$package"
installed=no
[ "$(status)" = not-installed ] || fail "dpkg -r left the package $(status)"
left=$(grep -vxFf "$work/before" "$work/listed" | while read -r path; do
  if [ -e "$path" ] || [ -L "$path" ]; then echo "$path"; fi
done)
[ -z "$left" ] || fail "dpkg -r left: $left"
# Beside those, only another package's files (one installed meanwhile) and the desktop's caches
# (other packages' triggers make them) may be new, and the caches no longer name the editor.
for path in $(entries | comm -13 "$work/entries-before" -); do
  case "$path" in
    /usr/share/applications/mimeinfo.cache | /usr/share/icons/hicolor/icon-theme.cache) ;;
    *) dpkg -S "$path" >/dev/null 2>&1 ||
         fail "after dpkg -r the machine holds $path, which it did not before" ;;
  esac
done
for cache in /usr/share/applications/mimeinfo.cache /usr/share/icons/hicolor/icon-theme.cache; do
  if [ -f "$cache" ] && grep -aq "$package" "$cache"; then fail "$cache still names $package"; fi
done
echo "The package installs, runs and goes without a trace."
