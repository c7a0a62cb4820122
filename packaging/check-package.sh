#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks a built sorteggina .deb as it will land on disk: the files it installs, its
# desktop entry and AppStream data, the run-time packages it depends on, and lintian.
#   packaging/check-package.sh build-pkg/sorteggina_2.0.1-1_amd64.deb
set -euo pipefail
deb=${1:?usage: check-package.sh FILE.deb}
[ -f "$deb" ] || { echo "check-package: no package at $deb" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
dpkg-deb -x "$deb" "$root"

status=0
fail() { echo "check-package: $*" >&2; status=1; }

doc=usr/share/doc/sorteggina
for f in usr/games/sorteggina \
         usr/share/applications/sorteggina.desktop \
         usr/share/metainfo/it.orvanet.Sorteggina.metainfo.xml \
         usr/share/icons/hicolor/scalable/apps/sorteggina.svg \
         usr/share/icons/hicolor/{16x16,22x22,24x24,32x32,48x48,64x64,128x128,256x256}/apps/sorteggina.png \
         usr/share/man/man6/sorteggina.6.gz $doc/copyright $doc/changelog.Debian.gz; do
  [ -s "$root/$f" ] || fail "missing /$f"
done
[ -x "$root/usr/games/sorteggina" ] || fail "/usr/games/sorteggina is not executable"

desktop-file-validate "$root/usr/share/applications/sorteggina.desktop" || fail "desktop entry not valid"
appstreamcli validate-tree --no-net "$root" || fail "AppStream data not valid"

has() { grep -Eq "(^|, )$2( |,|$)" <<<"$(dpkg-deb -f "$deb" "$1")"; }
for p in libqt6widgets6 libqt6svg6 qt6-qpa-plugins speech-dispatcher speech-dispatcher-espeak-ng \
         fonts-liberation libqt6sql6-sqlite; do
  has Depends $p || fail "Depends lacks $p"
done
for p in festvox-italp16k speech-dispatcher-festival; do
  has Recommends $p || fail "Recommends lacks $p"
done

# Every error or warning of lintian fails the check, except the two that only say that
# the maintainer has no e-mail address yet (in the control file and in the changelog).
lintian --fail-on none --display-info "$deb" >"$work/lintian" 2>&1 || fail "lintian did not run"
echo "lintian $(basename "$deb"):"
grep -v '^running with root privileges' "$work/lintian" | sed 's/^/  /' || echo "  (nothing to report)"
no_address='^[EW]: sorteggina[^:]*: (malformed-contact Maintainer |bogus-mail-host-in-debian-changelog )'
if grep -E '^[EW]: ' "$work/lintian" | grep -Ev "$no_address" >/dev/null; then
  fail "lintian reports errors or warnings"
fi

echo "check-package: $(basename "$deb"), $(du -k "$deb" | cut -f1) KiB, installs $(dpkg-deb -f "$deb" Installed-Size) KiB"
echo "Depends: $(dpkg-deb -f "$deb" Depends)"
echo "Recommends: $(dpkg-deb -f "$deb" Recommends)"
exit $status
