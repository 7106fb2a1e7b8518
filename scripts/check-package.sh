#!/usr/bin/env bash
# Makes the Debian package from the build folder given ($1) and checks it
# as a user's system would: Debian's own checkers on the package, the
# desktop entry and the AppStream file, then the programs run from the
# package unpacked into a temporary root (offscreen, with a home of their
# own). Exits non-zero on the first failure.
set -euo pipefail
build=$(cd "$1" && pwd)
tmp=$(mktemp -d)
trap 'kill "${pid:-}" 2>/dev/null || true; rm -rf "$tmp"' EXIT
fail() { echo "check-package: $*" >&2; exit 1; }

version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
[ -n "$version" ] || fail "no package version in $build/CPackConfig.cmake"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$tmp/out" >"$tmp/cpack.log" 2>&1 ||
  { cat "$tmp/cpack.log"; fail "cpack failed"; }
deb="$tmp/out/corvanta_${version}_amd64.deb"
[ -f "$deb" ] || { ls "$tmp/out"; fail "no $(basename "$deb")"; }

echo "== $(basename "$deb")"
dpkg-deb --info "$deb" control
dpkg-deb --contents "$deb" | awk '{ print $1, $6 }'
depends=$(dpkg-deb --field "$deb" Depends)
# The libraries the programs link, found by dpkg-shlibdeps.
for lib in libc6 libqt6core6 libqt6widgets6 libqt6svg6; do
  [[ $depends == *"$lib "* || $depends == *"$lib" || $depends == *"$lib,"* ]] ||
    fail "Depends lacks $lib: $depends"
done

root="$tmp/root"
dpkg-deb -x "$deb" "$root"
share="$root/usr/share"
metainfo="$share/metainfo/com.corvanta.addressbook.metainfo.xml"
grep -q "<release version=\"$version\"" "$metainfo" ||
  fail "the AppStream file has no release $version"

echo "== desktop-file-validate"
desktop-file-validate "$share/applications/corvanta.desktop"
echo "== appstreamcli validate --no-net"
appstreamcli validate --no-net --pedantic "$metainfo"
echo "== lintian"
# Warnings kept on purpose are overridden, with the reason, in
# packaging/lintian-overrides; any other warning fails the check.
lintian --fail-on error,warning --show-overrides "$deb"

echo "== the unpacked programs"
home="$tmp/home"
mkdir -p "$home"
runenv=(env HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share"
        XDG_RUNTIME_DIR="$tmp" QT_QPA_PLATFORM=offscreen)
run() { "${runenv[@]}" "$@"; }
out=$(run "$root/usr/bin/corvanta" --version)
[ "$out" = "Corvanta Address Book $version" ] || fail "corvanta --version said: $out"
out=$(run "$root/usr/bin/corvanta" --help)
[[ $out == *"[file]"* ]] || fail "corvanta --help does not list the file argument: $out"
out=$(run "$root/usr/bin/corvanta-convert" --version)
[ "$out" = "corvanta-convert $version" ] || fail "corvanta-convert --version said: $out"
run "$root/usr/bin/corvanta-convert" "$share/corvanta/Sample_AB.cvt" "$tmp/sample.csv"
head -c 60 "$tmp/sample.csv" | grep -q '^Name,Street,City' ||
  fail "the converter did not write the sample as comma text"

# At its first start the installed program copies the sample, the tips
# and the guide from share/corvanta into the user's data folder and opens
# the sample. It runs until it is stopped, so wait for both to be done.
data="$home/.local/share/Corvanta Address Book"
ini="$home/.config/Corvanta/AddressBook.ini"
# A simple command, not the function: then $! is the program itself (env
# execs it), and the trap's kill reaches it.
"${runenv[@]}" "$root/usr/bin/corvanta" >"$tmp/corvanta.log" 2>&1 &
pid=$!
for _ in $(seq 600); do
  if [ -f "$data/Sample_AB.cvt" ] && [ -f "$data/tips.vti" ] && [ -f "$data/guide.html" ] &&
    grep -qs "Sample_AB.cvt" "$ini"; then
    break
  fi
  kill -0 "$pid" 2>/dev/null || { cat "$tmp/corvanta.log"; fail "corvanta ended at start"; }
  sleep 0.1
done
kill -0 "$pid" 2>/dev/null || { cat "$tmp/corvanta.log"; fail "corvanta ended at start"; }
for f in Sample_AB.cvt tips.vti guide.html; do
  cmp -s "$share/corvanta/$f" "$data/$f" || fail "corvanta did not find the shipped $f"
done
grep -qs "Sample_AB.cvt" "$ini" || fail "corvanta did not open the sample: $(cat "$ini")"
echo "corvanta started from the package, found its sample, tips and guide"
