#!/usr/bin/env bash
# The program as a user gets it: installed into a prefix, started by a user who may not
# write beside it, validated as a desktop program, and packed as a Debian package.
# usage: check_install.sh BUILD_FOLDER
set -euo pipefail
build="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
prefix="$work/prefix"

fail() {
  echo "FAIL: $*"
  exit 1
}

cmake --install "$build" --prefix "$prefix" >/dev/null

for file in bin/kalvetra bin/kalvetra-render bin/Kalvetra.chm \
            share/applications/io.github.kalvetra.Kalvetra.desktop \
            share/metainfo/io.github.kalvetra.Kalvetra.metainfo.xml \
            share/icons/hicolor/16x16/apps/kalvetra.png share/icons/hicolor/32x32/apps/kalvetra.png \
            share/icons/hicolor/48x48/apps/kalvetra.png share/icons/hicolor/256x256/apps/kalvetra.png \
            share/icons/hicolor/scalable/apps/kalvetra.svg; do
  [ -s "$prefix/$file" ] || fail "$file is not installed"
done

desktop-file-validate "$prefix/share/applications/io.github.kalvetra.Kalvetra.desktop" || fail "the desktop entry is not valid"
appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/io.github.kalvetra.Kalvetra.metainfo.xml" >"$work/appstream.log" 2>&1 \
  || { cat "$work/appstream.log"; fail "the AppStream metadata is not valid"; }
# Docks tie the running windows to the entry by their class, the program's name.
grep -qx "StartupWMClass=Kalvetra" "$prefix/share/applications/io.github.kalvetra.Kalvetra.desktop" \
  || fail "the desktop entry does not name the windows' class"

# An unprivileged user, who cannot write into the program's folder: the settings go to the
# user's configuration folder.
user=nobody
home="$work/home"
mkdir -p "$home"
chown "$user" "$home"
chmod -R a+rX "$prefix"
as_user=(runuser -u "$user" --)
if [ "$(id -u)" -ne 0 ]; then
  as_user=()  # not root: this user cannot write into the prefix either once it is read-only
  chmod -R a-w "$prefix/bin"
fi
"${as_user[@]}" env HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home" QT_QPA_PLATFORM=offscreen \
  "$prefix/bin/kalvetra" >"$work/program.log" 2>&1 &
pid=$!
sleep 3
kill -0 "$pid" 2>/dev/null || { cat "$work/program.log"; fail "the installed program did not keep running"; }
kill -TERM "$pid"
wait "$pid" || true
ini="$home/config/Kalvetra/Kalvetra.ini"
[ -s "$ini" ] || { cat "$work/program.log"; fail "no settings were written to $ini"; }
grep -q "AutoSave=True" "$ini" || fail "the settings file lacks its options"
[ ! -e "$prefix/bin/Kalvetra.ini" ] || fail "the program wrote beside itself"

# The Debian package: its files and what it depends on.
(cd "$build" && cpack -G DEB -B "$work/package" >/dev/null) || fail "cpack could not build the package"
deb=$(ls "$work"/package/kalvetra_*.deb | head -1)
[ -n "$deb" ] || fail "no package was made"
dpkg-deb -c "$deb" >"$work/contents"
for file in ./usr/bin/kalvetra ./usr/bin/kalvetra-render ./usr/bin/Kalvetra.chm \
            ./usr/share/applications/io.github.kalvetra.Kalvetra.desktop \
            ./usr/share/icons/hicolor/scalable/apps/kalvetra.svg; do
  grep -q " $file\$" "$work/contents" || fail "the package lacks $file"
done
depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6widgets6 libqt6printsupport6 libpolyclipping22 fonts-ipafont-gothic libchm1 qt6-qpa-plugins qt6-translations-l10n; do
  echo "$depends" | grep -q "$package" || fail "the package does not depend on $package: $depends"
done
echo "1 passed, 0 failed"
