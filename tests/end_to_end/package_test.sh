#!/usr/bin/env bash
# Checks what scripts/package made and what a plain install puts in place:
# lintian's verdict on the Debian package, the files each package holds,
# the packaged game answering --version (the Windows one --help, under
# wine), a stripped install that man finds, and its uninstall.
#
#   tests/end_to_end/package_test.sh DIST BUILD WINDOWS_BUILD
set -euo pipefail
dist=$(realpath "$1")
build=$(realpath "$2")
windows_build=$(realpath "$3")
cd "$(dirname "$0")/../.."

work=$(mktemp -d)
manifest=$build/install_manifest.txt
# The test's own install must not take the place of the record of a real one.
[[ -f $manifest ]] && cp -p "$manifest" "$work/manifest.kept"
cleanup() {
  if [[ -f $work/manifest.kept ]]; then cp -p "$work/manifest.kept" "$manifest"; else rm -f "$manifest"; fi
  WINEPREFIX=$windows_build/wine-prefix timeout 60 wineserver -w 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

failed=0
fail() {
  echo "FAIL: $*" >&2
  failed=1
}

# expect_files ROOT FILE...: ROOT holds these files and no others.
expect_files() {
  local root=$1
  shift
  local listed
  listed=$(cd "$root" && find . -type f | sed 's|^\./||' | sort)
  [[ $listed == "$(printf '%s\n' "$@" | sort)" ]] || fail "$root holds:"$'\n'"$listed"
}

expect_stripped() {
  file -L "$1" | grep -q ', stripped' || fail "not stripped: $(file -L "$1")"
}

echo "-- the Debian package"
deb=$(echo "$dist"/rallix_*_amd64.deb)
version=$(dpkg-deb -f "$deb" Version)
lintian_status=0
lintian --fail-on error,warning "$deb" >"$work/lintian" 2>&1 || lintian_status=$?
verdict=$(grep -v '^running with root privileges' "$work/lintian" || true)
[[ $lintian_status == 0 ]] || fail "lintian, status $lintian_status:"$'\n'"$verdict"
[[ -z $verdict ]] || echo "$verdict"
[[ $(dpkg-deb -f "$deb" Depends) == *libc6* ]] || fail "Depends names no libc6"
root=$work/deb-root
dpkg-deb -x "$deb" "$root"
expect_files "$root" usr/games/rallix usr/share/man/man6/rallix.6.gz \
  usr/share/doc/rallix/changelog.gz usr/share/doc/rallix/copyright
expect_stripped "$root/usr/games/rallix"
answer=$("$root/usr/games/rallix" --version) || fail "the packaged rallix --version failed"
[[ $answer == "rallix $version" ]] || fail "the packaged rallix --version says '$answer'"
gzip -9n -c docs/rallix.6 | cmp -s - "$root/usr/share/man/man6/rallix.6.gz" ||
  fail "the manual page is not docs/rallix.6 under gzip -9n"
gzip -9n -c packaging/changelog | cmp -s - "$root/usr/share/doc/rallix/changelog.gz" ||
  fail "the changelog is not packaging/changelog under gzip -9n"

echo "-- a plain install, found by man, and its uninstall"
prefix=$work/prefix
cmake --install "$build" --strip --prefix "$prefix" >/dev/null
expect_files "$prefix" bin/rallix share/man/man6/rallix.6 share/doc/rallix/README.md \
  share/doc/rallix/LICENSE
expect_stripped "$prefix/bin/rallix"
page=$(env -u MANPATH PATH="$prefix/bin:$PATH" man -w rallix 2>&1) || true
[[ $page == "$prefix/share/man/man6/rallix.6" ]] || fail "man -w rallix found '$page'"
xargs rm <"$manifest"
[[ -z $(find "$prefix" -type f) ]] || fail "the uninstall left $(find "$prefix" -type f)"

echo "-- the Windows zip"
zip=$dist/rallix-$version-windows-x86_64.zip
(cd "$work" && cmake -E tar xf "$zip")
folder=$work/rallix-$version-windows-x86_64
expect_files "$work/rallix-$version-windows-x86_64" rallix.exe README.txt LICENSE.txt
cmp -s README.md "$folder/README.txt" || fail "README.txt is not README.md"
cmp -s LICENSE "$folder/LICENSE.txt" || fail "LICENSE.txt is not LICENSE"
status=0
help=$(cmake/wine-run.sh "$windows_build/wine-prefix" "$folder/rallix.exe" --help 2>&1) || status=$?
[[ $status == 0 && $(head -n 1 <<<"$help" | tr -d '\r') == "Usage: rallix [--help | --version]" ]] ||
  fail "the zipped rallix.exe --help: status $status:"$'\n'"$help"

[[ $failed == 0 ]] && echo "the packages and the install hold what they should"
exit $failed
