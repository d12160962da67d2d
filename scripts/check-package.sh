#!/usr/bin/env bash
# Builds the Debian package from the build folder and checks it: its contents, its dependencies,
# lintian without errors, and the installed program (unpacked into a scratch root) running batch
# scripts on real data and on its own demo, with every user's state kept out of the installation.
#   scripts/check-package.sh            (after scripts/setup.sh; VEMORA_BUILD_DIR moves the build)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${VEMORA_BUILD_DIR:-$here/build}
testdata=${VEMORA_TESTDATA_DIR:-$here/../shared/testdata}
work="$build/package-check"
rm -rf "$work"
mkdir -p "$work"
fail() { echo "check-package: $*" >&2; exit 1; }

echo "== building the package"
(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log"; fail "cpack failed"; }
deb=$(ls "$work"/out/vemora_*.deb)
echo "$(basename "$deb"): $(du -h "$deb" | cut -f1)"

echo "== contents"
dpkg-deb --contents "$deb" >"$work/contents.txt"
lib=./usr/lib/vemora
for path in "$lib/Vemora" "$lib/vreadhelper" "$lib/libVemoraCommon.so" "$lib/libVemoraGUI.so" \
  "$lib/Modules/vSceneModule.so" "$lib/Soft/vReaderSTL.so" "$lib/Hard/vPhantomSource.so" \
  "$lib/Scripts/demo.v" "$lib/local/demo/head.qv" "$lib/docs/index.html" "$lib/Installed.txt" \
  "$lib/SystemRegistry/" "$lib/History/" \
  ./usr/share/applications/vemora.desktop ./usr/share/icons/hicolor/scalable/apps/vemora.svg \
  ./usr/share/mime/packages/vemora.xml ./usr/share/doc/vemora/copyright \
  ./usr/share/man/man1/vemora.1.gz; do
  grep -q " $path\$" "$work/contents.txt" || fail "the package lacks $path"
done
grep -q " ./usr/bin/vemora -> ../lib/vemora/Vemora$" "$work/contents.txt" ||
  fail "/usr/bin/vemora is not a link to the program"
# Nothing of the developer's own state, and no test or benchmark program.
if grep -E "SystemRegistry/.+\.(conf|ini)|History/.+|Tests$|Bench$|/vFuzz|/vqvwrite" \
  "$work/contents.txt"; then
  fail "the package holds files that must not ship"
fi

echo "== dependencies"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for need in libvtk9 libqt5widgets5 libgdcm; do
  [[ "$depends" == *"$need"* ]] || fail "no dependency on $need"
done

echo "== lintian"
# --fail-on error: warnings and informational tags are shown but do not fail the check.
lintian --fail-on error --allow-root --tag-display-limit 0 "$deb" | tee "$work/lintian.txt" ||
  fail "lintian reports errors"

echo "== the installed program"
root="$work/root"
dpkg-deb -x "$deb" "$root"
home="$work/user"
mkdir -p "$home"
# A user with nothing but a home folder; the installation folder comes from the /usr/bin link.
runas() {
  env -u VEMORA_HOME -u XDG_CONFIG_HOME -u XDG_DATA_HOME HOME="$home" "$@"
}
before=$(cd "$root" && find . | sort)
cat >"$work/meshes.v" <<SCRIPT
ver
info module
load $testdata/mesh/vtk/fran_cut.vtk
load $testdata/mesh/stl/$(cd "$testdata/mesh/stl" && ls | head -1)
ws
SCRIPT
(cd "$work" && runas xvfb-run -a "$root/usr/bin/vemora" --batch meshes.v) >"$work/meshes.out" 2>&1 ||
  { cat "$work/meshes.out"; fail "the installed program failed on real data"; }
cat "$work/meshes.out"
[ "$(grep -c '^File loaded' "$work/meshes.out")" -eq 2 ] || fail "the meshes were not loaded"
grep -q "Scene" "$work/meshes.out" || fail "the installed modules were not found"
grep -q "Phantom" "$work/meshes.out" || fail "the installed data source was not found"
[ -s "$home/.config/vemora/RecentFiles.conf" ] || fail "the recent files are not in the user's folder"
[ -L "$home/.local/share/vemora/local/demo" ] || fail "the user's repository does not show the demo"

# The demo names its data by the installed path (/usr/lib/vemora/local/demo); in the scratch root
# that path lies under $root.
grep -q "^cd /usr/lib/vemora/local/demo$" "$root/usr/lib/vemora/Scripts/demo.v" ||
  fail "the installed demo script does not name the installed demo folder"
sed "s|^cd /usr/lib/vemora/|cd $root/usr/lib/vemora/|" "$root/usr/lib/vemora/Scripts/demo.v" \
  >"$work/demo.v"
(cd "$work" && runas xvfb-run -a "$root/usr/bin/vemora" --batch demo.v \
  --screenshot "$work/demo.png") >"$work/demo.out" 2>&1 ||
  { cat "$work/demo.out"; fail "the installed demo failed"; }
[ -s "$work/demo.png" ] || fail "the demo drew no picture"
after=$(cd "$root" && find . | sort)
[ "$before" = "$after" ] || fail "running the program changed the installation folder:
$(diff <(echo "$before") <(echo "$after"))"

echo "== file types"
mime="$work/mime"
mkdir -p "$mime/mime/packages"
cp "$root/usr/share/mime/packages/vemora.xml" "$mime/mime/packages/"
XDG_DATA_DIRS="$mime:/usr/share" update-mime-database "$mime/mime"
cp "$root/usr/lib/vemora/local/demo/head.qv" "$work/volume-without-extension"
printf 'ver\n' >"$work/script.v"
type_of() { XDG_DATA_HOME="$mime" XDG_DATA_DIRS="$mime:/usr/share" gio info -a standard::content-type "$1" | sed -n 's/.*standard::content-type: //p'; }
[ "$(type_of "$work/volume-without-extension")" = "application/x-vemora-qv" ] ||
  fail "a QV volume is not recognised by its first bytes"
[ "$(type_of "$work/script.v")" = "text/x-vemora-script" ] || fail "a script is not recognised"
echo "check-package: all checks passed"
