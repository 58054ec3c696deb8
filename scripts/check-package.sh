#!/usr/bin/env bash
# Makes the Debian package from the build in build/ (test.sh's, so little is
# built again) and checks it without installing it: what it holds and how,
# lintian, the menu entry, the AppStream page, the manual pages, and the tools
# started from the unpacked package.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
deb="$("$top/scripts/package.sh" "$top/build" | tail -n 1)"
fail() { echo "check-package: $*" >&2; exit 1; }
echo "check-package: $(basename "$deb")"

# Every file a lab machine needs, and in /usr/bin nothing else: the test-only
# helpers (screenshot, make_assets, make_demo, make_demo_results) stay out.
listing="$(dpkg-deb --contents "$deb")"
paths="$(awk '{ sub(/^\./, "", $6); print $6 }' <<<"$listing")"
doc=/usr/share/doc/sondarium
for f in /usr/bin/sondarium /usr/bin/sondarium-check /usr/bin/sondarium-pairs /usr/bin/sondarium-report \
         /usr/share/applications/sondarium.desktop /usr/share/icons/hicolor/128x128/apps/sondarium.png \
         /usr/share/metainfo/org.example.sondarium.metainfo.xml \
         /usr/share/man/man1/sondarium.1.gz /usr/share/man/man1/sondarium-check.1.gz \
         /usr/share/man/man1/sondarium-pairs.1.gz /usr/share/man/man1/sondarium-report.1.gz \
         $doc/README.md $doc/copyright $doc/changelog.gz $doc/demo/demo.lst $doc/demo/demo.cmb \
         $doc/demo/excerpt1_top_left.wav $doc/demo/results/candidate-01.txt; do
  grep -qxF "$f" <<<"$paths" || fail "the package lacks $f"
done
[ "$(grep -c '^/usr/bin/.' <<<"$paths")" -eq 4 ] || fail "unexpected programs: $(grep '^/usr/bin/.' <<<"$paths" | tr '\n' ' ')"
if grep -v '^/usr/\|^/$\|^/usr$' <<<"$paths"; then fail "files outside /usr (above)"; fi
# Owned by root, programs 0755, everything else 0644, folders 0755.
awk '$2 != "root/root" || ($1 !~ /^(-rw-r--r--|-rwxr-xr-x|drwxr-xr-x)$/) { print; bad = 1 } END { exit bad }' \
  <<<"$listing" || fail "wrong owner or permissions (above)"
awk '$1 == "-rwxr-xr-x" && $6 !~ /^\.\/usr\/bin\// { print; bad = 1 } END { exit bad }' <<<"$listing" ||
  fail "executable files outside /usr/bin (above)"

# No maintainer scripts and no conffiles: dpkg alone puts the files in place,
# and `apt remove` takes every one of them away again.
control="$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | sed 's|^\./||' | grep . | sort | tr '\n' ' ')"
[ "$control" = "control md5sums " ] || fail "control members: $control"
depends="$(dpkg-deb --field "$deb" Depends)"
for lib in libqt6widgets6 libasound2 libebur128-1 libqt6svg6; do
  grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib: $depends"
done
if grep -q libjack <<<"$depends"; then fail "Depends names libjack, which is only opened at run time"; fi
[ "$(dpkg-deb --field "$deb" Recommends)" = "pipewire-jack | jackd2, fonts-liberation" ] || fail "Recommends"

# lintian: an error fails; the warnings and notes are printed for the log.
lintian --fail-on error --info "$deb" || fail "lintian reports errors"

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
dpkg -x "$deb" "$scratch"
desktop-file-validate "$scratch/usr/share/applications/sondarium.desktop"
appstreamcli validate --no-net "$scratch/usr/share/metainfo/org.example.sondarium.metainfo.xml" || fail "AppStream page"
for page in "$scratch"/usr/share/man/man1/*.1.gz; do
  warnings="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)"
  [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done
for program in "$scratch"/usr/bin/*; do
  file -b "$program" | grep -q ', stripped' || fail "$(basename "$program") is not stripped"
  if readelf -d "$program" | grep -q 'RPATH\|RUNPATH'; then fail "$(basename "$program") has an RPATH"; fi
done

# The tools answer from the unpacked package, with the package's version,
# which the changelog, the AppStream page and the manual pages name too.
version="$(dpkg-deb --field "$deb" Version)"
zcat "$scratch$doc/changelog.gz" | sed -n 1p | grep -qF "sondarium ($version)" || fail "changelog is not at $version"
grep -qF "<release version=\"$version\"" "$scratch"/usr/share/metainfo/*.xml || fail "AppStream page is not at $version"
for page in "$scratch"/usr/share/man/man1/*.1.gz; do
  zcat "$page" | sed -n 1p | grep -qF "\"Sondarium $version\"" || fail "$(basename "$page") is not at $version"
done
bin="$scratch/usr/bin"
[ "$("$bin/sondarium-pairs" --version)" = "sondarium-pairs (Sondarium) $version" ] || fail "sondarium-pairs --version"
[ "$("$bin/sondarium-check" --version)" = "sondarium-check (Sondarium) $version" ] || fail "sondarium-check --version"
"$bin/sondarium-report" --help | grep -q -- '--plot FILE.svg|FILE.png' || fail "sondarium-report --help"
echo "check-package: $(basename "$deb") is complete"
