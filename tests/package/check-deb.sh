#!/bin/sh
# The Debian package: its version, the dependencies computed from the programs, every file
# a desktop installation needs, a menu entry and metainfo that their checkers accept, and
# maintainer scripts that reload udev where it runs and pass where it does not.
# Usage: check-deb.sh BUILD_DIR VERSION
set -u
build=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

set -- "$build"/package/framewise_*.deb
[ $# -eq 1 ] && [ -f "$1" ] || fail "not one package in $build/package: $*"
deb=$1

[ "$(dpkg-deb -f "$deb" Package)" = framewise ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "version $(dpkg-deb -f "$deb" Version)"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6 \
           libudev1; do
    echo "$depends" | grep -q "\(^\|, \)$lib\( \|,\|$\)" || fail "Depends lacks $lib: $depends"
done

dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/files"
for f in /usr/bin/framewise /usr/bin/framewise-cli \
         /usr/share/framewise/StartInfoUnicode.ini /usr/share/framewise/LanguageUnicode.ini \
         /usr/share/applications/org.example.framewise.desktop \
         /usr/share/metainfo/org.example.framewise.metainfo.xml \
         /usr/share/icons/hicolor/scalable/apps/framewise.svg \
         /usr/share/icons/hicolor/16x16/apps/framewise.png \
         /usr/share/icons/hicolor/256x256/apps/framewise.png \
         /usr/lib/udev/rules.d/70-framewise.rules \
         /usr/share/man/man1/framewise.1.gz /usr/share/man/man1/framewise-cli.1.gz \
         /usr/share/bash-completion/completions/framewise-cli \
         /usr/share/doc/framewise/copyright /usr/share/doc/framewise/changelog.gz; do
    grep -qxF "$f" "$work/files" || fail "the package lacks $f"
done
# Nothing outside /usr: no build tree path, no /usr/local.
grep -v '^/usr\(/\|$\)\|^/$' "$work/files" && fail "files outside /usr"
grep -q '^/usr/local' "$work/files" && fail "files under /usr/local"

dpkg-deb -x "$deb" "$work/root"
dpkg-deb -e "$deb" "$work/control"
desktop-file-validate "$work/root/usr/share/applications/org.example.framewise.desktop" ||
    fail "desktop-file-validate"
# The tree as a software centre sees it: metainfo, the menu entry it names, the icons.
appstreamcli validate-tree --no-net "$work/root" >"$work/appstream.log" 2>&1 ||
    { cat "$work/appstream.log"; fail "appstreamcli validate-tree"; }
gzip -dc "$work/root/usr/share/doc/framewise/changelog.gz" | head -1 |
    grep -qF "framewise ($version)" || fail "the changelog is not of $version"
grep -qF "version=\"$version\"" "$work/root/usr/share/metainfo/org.example.framewise.metainfo.xml" ||
    fail "the metainfo's release notes are not of $version"

# Maintainer scripts: with udev the rules are reloaded and the frames' nodes triggered; an
# udevadm that fails (no udev daemon in a container) or none at all does not stop dpkg.
mkdir "$work/bin"
printf '#!/bin/sh\necho "$*" >>"%s/udevadm.log"\nexit ${UDEVADM_EXIT:-0}\n' "$work" \
    >"$work/bin/udevadm"
chmod +x "$work/bin/udevadm"
for script in postinst postrm; do
    [ -x "$work/control/$script" ] || fail "$script is not executable"
    case $script in postinst) action=configure ;; postrm) action=remove ;; esac
    rm -f "$work/udevadm.log"
    PATH="$work/bin:$PATH" sh -e "$work/control/$script" "$action" || fail "$script with udev"
    grep -qx "control --reload-rules" "$work/udevadm.log" || fail "$script did not reload"
    grep -q "^trigger .*--subsystem-match=scsi_generic" "$work/udevadm.log" ||
        fail "$script did not trigger"
    out=$(UDEVADM_EXIT=1 PATH="$work/bin:$PATH" sh -e "$work/control/$script" "$action" 2>&1) ||
        fail "$script with a failing udevadm"
    [ -z "$out" ] || fail "$script says: $out"
    out=$(PATH=/nonexistent /bin/sh -e "$work/control/$script" "$action" 2>&1) ||
        fail "$script without udevadm"
    [ -z "$out" ] || fail "$script without udevadm says: $out"
done
rm -f "$work/udevadm.log"
PATH="$work/bin:$PATH" sh -e "$work/control/postrm" upgrade || fail "postrm upgrade"
[ ! -e "$work/udevadm.log" ] || fail "postrm reloaded udev on an upgrade"
echo OK
