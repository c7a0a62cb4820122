#!/usr/bin/env bash
# Checks a built sorteggina .deb as it will land on disk: the files it installs, its
# desktop entry and AppStream data, and the run-time packages it depends on.
#   packaging/check-package.sh build-pkg/sorteggina_2.0.1_amd64.deb
set -euo pipefail
deb=${1:?usage: check-package.sh FILE.deb}
[ -f "$deb" ] || { echo "check-package: no package at $deb" >&2; exit 2; }

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"

status=0
fail() { echo "check-package: $*" >&2; status=1; }

for f in usr/bin/sorteggina \
         usr/share/applications/sorteggina.desktop \
         usr/share/metainfo/it.orvanet.Sorteggina.metainfo.xml \
         usr/share/icons/hicolor/scalable/apps/sorteggina.svg \
         usr/share/icons/hicolor/{32x32,64x64,128x128,256x256}/apps/sorteggina.png; do
  [ -s "$root/$f" ] || fail "missing /$f"
done
[ -x "$root/usr/bin/sorteggina" ] || fail "/usr/bin/sorteggina is not executable"

desktop-file-validate "$root/usr/share/applications/sorteggina.desktop" || fail "desktop entry not valid"
appstreamcli validate-tree --no-net "$root" || fail "AppStream data not valid"

depends=$(dpkg-deb -f "$deb" Depends)
for p in libqt6widgets6 libqt6texttospeech6 libqt6svg6 qt6-qpa-plugins qt6-speech-speechd-plugin \
         speech-dispatcher speech-dispatcher-espeak-ng fonts-liberation; do
  grep -Eq "(^|, )$p( |,|$)" <<<"$depends" || fail "Depends lacks $p"
done

echo "check-package: $(basename "$deb"), $(du -k "$deb" | cut -f1) KiB, installs $(dpkg-deb -f "$deb" Installed-Size) KiB"
echo "Depends: $depends"
exit $status
