#!/usr/bin/env bash
# package_test.sh BUILD_DIR APP_ID VERSION
# Builds the .deb from BUILD_DIR's install rules (twice: the two must be the same bytes), checks
# what it holds, what lintian and hardening-check say of it, and (as root, where the package is
# not installed already) that a purge leaves nothing.
set -euo pipefail
build=$1 id=$2 version=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

for tool in cpack dpkg-deb dpkg-shlibdeps desktop-file-validate appstreamcli update-mime-database man readelf lintian hardening-check; do
  command -v "$tool" >/dev/null || { echo "missing tool: $tool (scripts/install-deps.sh installs it)" >&2; exit 1; }
done

echo "== cpack"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; exit 1; }
debs=("$work"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "expected one .deb in $work/out"; ls -l "$work/out"; exit 1; }
deb=${debs[0]}
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes"

echo "== reproducible"
# A second packing a little later, with SOURCE_DATE_EPOCH left to the package's rules as above.
sleep 1.1
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/again" >"$work/cpack2.log" 2>&1 || { cat "$work/cpack2.log"; exit 1; }
again=$work/again/$(basename "$deb")
if ! cmp "$deb" "$again"; then
  fail "two packings of one build differ"
  diff <(dpkg-deb -c "$deb") <(dpkg-deb -c "$again") | head -5 >&2 || true
fi

echo "== contents"
# Exactly these files, nothing from elsewhere in the build.
expected=(
  ./usr/bin/veskel
  ./usr/bin/veskel-render
  ./usr/bin/veskel-serve
  ./usr/lib/systemd/system/veskel-serve.service
  ./usr/lib/systemd/system/veskel-serve.socket
  ./usr/share/applications/$id.desktop
  ./usr/share/metainfo/$id.metainfo.xml
  ./usr/share/mime/packages/$id.xml
  ./usr/share/icons/hicolor/scalable/apps/$id.svg
  ./usr/share/man/man1/veskel.1.gz
  ./usr/share/man/man1/veskel-render.1.gz
  ./usr/share/man/man1/veskel-serve.1.gz
  ./usr/share/doc/veskel/README.md
  ./usr/share/doc/veskel/copyright
  ./usr/share/doc/veskel/changelog.gz
  ./usr/share/bash-completion/completions/veskel
  ./usr/share/bash-completion/completions/veskel-render
  ./usr/share/zsh/vendor-completions/_veskel
  ./usr/share/zsh/vendor-completions/_veskel-render
  ./usr/share/fish/vendor_completions.d/veskel.fish
  ./usr/share/fish/vendor_completions.d/veskel-render.fish
  ./usr/share/locale/en/LC_MESSAGES/veskel.mo
  ./usr/share/locale/ru/LC_MESSAGES/veskel.mo
)
sizes=(16 24 32 48 64 128 256 512)
for s in "${sizes[@]}"; do expected+=("./usr/share/icons/hicolor/${s}x${s}/apps/$id.png"); done
dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sort >"$work/files"
printf '%s\n' "${expected[@]}" | sort >"$work/expected"
if ! diff -u "$work/expected" "$work/files"; then fail "the package holds other files than expected (diff above)"; fi

mkdir "$work/root"
dpkg-deb -x "$deb" "$work/root"
root=$work/root
# Executables keep their mode; the rest is plain data.
for p in veskel veskel-render veskel-serve; do
  [ -x "$root/usr/bin/$p" ] || fail "/usr/bin/$p is not executable"
done

echo "== lintian"
# No errors and no warnings; notes (I:) are shown but allowed.
lintian --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 || true
grep -v 'running with root privileges' "$work/lintian.log" || true
if grep -qE '^[EW]: ' "$work/lintian.log"; then fail "lintian reports errors or warnings (above)"; fi

echo "== hardening"
# Our code is built with -fcf-protection, but a program is marked for it only when every object
# is, and the C library start files of Debian 12 are not: that one check is left to the platform.
hardening-check --nocfprotection "$root/usr/bin/veskel" "$root/usr/bin/veskel-render" "$root/usr/bin/veskel-serve" || fail "hardening-check (above)"
for p in veskel veskel-render veskel-serve; do
  if readelf -S "$root/usr/bin/$p" | grep -q ' \.comment '; then fail "/usr/bin/$p keeps a .comment section"; fi
done

echo "== one version"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "the package's version is not $version"
for p in veskel veskel-render veskel-serve; do
  [ "$("$root/usr/bin/$p" --version 2>&1)" = "$p $version" ] || fail "$p --version does not say $p $version"
done
grep -q "<release version=\"$version\"" "$root/usr/share/metainfo/$id.metainfo.xml" || fail "the metainfo's release is not $version"
zcat "$root/usr/share/doc/veskel/changelog.gz" | head -1 | grep -qF "veskel ($version)" || fail "the changelog's entry is not $version"

echo "== dependencies"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
# Every shared library the programs need must be provided by a package the .deb depends on.
for p in veskel veskel-render; do
  for lib in $(readelf -d "$root/usr/bin/$p" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
    # ldd names the dynamic loader by its path, every other library by its name.
    path=$(ldd "$build/$( [ $p = veskel ] && echo app || echo cli )/$p" |
      awk -v l="$lib" '$1 == l { print $3 } $1 ~ ("/" l "$") { print $1 }')
    [ -n "$path" ] || { fail "$p: cannot resolve $lib"; continue; }
    pkg=$(dpkg -S "$(readlink -f "$path")" 2>/dev/null | head -1 | cut -d: -f1) || true
    [ -n "$pkg" ] || pkg=$(dpkg -S "$path" 2>/dev/null | head -1 | cut -d: -f1) || true
    [ -n "$pkg" ] || { fail "$p: no Debian package owns $path"; continue; }
    if ! sed 's/ *([^)]*)//g; s/, */\n/g' <<<"$depends" | grep -qxF "$pkg"; then
      fail "$p needs $lib from $pkg, which Depends lacks"
    fi
  done
done
for font in fonts-wine fonts-liberation2 fonts-dejavu-core; do
  grep -q "$font" <<<"$depends" || fail "Depends lacks $font"
done

echo "== desktop entry"
entry=$root/usr/share/applications/$id.desktop
desktop-file-validate "$entry" || fail "desktop-file-validate: $entry"
key() { sed -n "s/^$1=//p" "$entry"; }
[ "$(key Icon)" = "$id" ] || fail "Icon= is not $id"
exe=$(key Exec | cut -d' ' -f1)
[ -x "$root/usr/bin/$exe" ] || fail "Exec= names $exe, which the package does not install"
grep -q '^Exec=.*%f' "$entry" || fail "Exec= takes no file (%f)"
[ "$(key StartupWMClass)" = "$id" ] || fail "StartupWMClass= is not $id"
# The designer opens pictures too, but claims only its own file type: it must not become the
# desktop's picture opener.
[ "$(key MimeType)" = "application/x-veskel-project;" ] || fail "the desktop entry claims $(key MimeType)"
# A designer with windows tells the desktop this entry's name, so docks match its windows to it.
if readelf -d "$root/usr/bin/veskel" | grep -q 'libQt6Gui'; then
  grep -aq "$id" "$root/usr/bin/veskel" || fail "the designer does not name its desktop entry $id"
fi

echo "== metainfo"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" || fail "appstreamcli validate"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$root/usr/share/metainfo/$id.metainfo.xml" ||
  fail "the metainfo does not launch $id.desktop"

echo "== file type"
# Build the MIME database from the package's file alone: *.vzk must map to the type that the
# desktop entry opens.
mkdir -p "$work/mime/packages"
cp "$root/usr/share/mime/packages/$id.xml" "$work/mime/packages/"
update-mime-database "$work/mime" 2>"$work/mime.log" || { cat "$work/mime.log"; false; } || fail "update-mime-database rejected $id.xml"
vzk_type=$(awk -F: '$3 == "*.vzk" { print $2 }' "$work/mime/globs2")
[ -n "$vzk_type" ] || fail "no glob for *.vzk in the MIME database"
grep -q "^MimeType=.*$vzk_type;" "$entry" || fail "the desktop entry does not open $vzk_type"

echo "== icons"
# Every PNG has the size its folder names (width and height from the IHDR chunk).
for s in "${sizes[@]}"; do
  png=$root/usr/share/icons/hicolor/${s}x${s}/apps/$id.png
  read -r w h < <(od -An -tu1 -j16 -N8 "$png" | awk '{ print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }')
  [ "$w" = "$s" ] && [ "$h" = "$s" ] || fail "$png is ${w}x$h"
done
grep -q '<svg' "$root/usr/share/icons/hicolor/scalable/apps/$id.svg" || fail "the scalable icon is no SVG"

echo "== programs and manual page"
help=$("$root/usr/bin/veskel-render" --help) || fail "the packaged veskel-render --help failed"
"$root/usr/bin/veskel" --help | grep -q '^Usage: veskel' || fail "the packaged veskel --help failed"
for page in "$root"/usr/share/man/man1/*.1.gz; do
  warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) || fail "man cannot format $page"
  [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done
page=$root/usr/share/man/man1/veskel-render.1.gz
text=$(MANWIDTH=200 man -l "$page" 2>/dev/null)
# Every option and every field the program knows is in the manual page, and every option in the
# shells' completions.
completions=("$root"/usr/share/bash-completion/completions/veskel-render "$root"/usr/share/zsh/vendor-completions/_veskel-render
             "$root"/usr/share/fish/vendor_completions.d/veskel-render.fish)
for opt in $(grep -oE -- '--[a-z][a-z-]+' <<<"$help" | sort -u); do
  grep -q -- "$opt" <<<"$text" || fail "the manual page lacks $opt"
  for c in "${completions[@]}"; do
    grep -qE -- "(--|-l )${opt#--}\b" "$c" || fail "$(basename "$c") lacks $opt"
  done
done
for c in "$root"/usr/share/bash-completion/completions/*; do bash -n "$c" || fail "$(basename "$c"): bash cannot read it"; done
for field in $(sed -n '/^Fields for --set:/,$p' <<<"$help" | awk 'NF > 1 { print $1 }' | grep -v '^Fields$'); do
  grep -q "^ *$field " <<<"$text" || fail "the manual page lacks the field $field"
done

echo "== install and purge"
# Installed for real and purged again, nothing of the package may stay: no file, no folder, no
# entry in the desktop's MIME and application caches.
if [ "$(id -u)" -ne 0 ]; then
  echo "skipped: installing needs root"
elif dpkg-query -W -f='${Status}' veskel 2>/dev/null | grep -q 'installed'; then
  echo "skipped: a veskel package is installed on this machine already"
else
  leftovers() {
    { find /usr /etc /var/lib/dpkg/info -iname '*veskel*' 2>/dev/null || true; } | sort
    { grep -rls -e "$id" -e 'x-veskel-project' /usr/share/applications/mimeinfo.cache /usr/share/mime/globs2 \
      /usr/share/mime/application 2>/dev/null || true; } | sort
  }
  leftovers >"$work/before"
  if dpkg -i "$deb" >"$work/dpkg.log" 2>&1; then
    [ -x /usr/bin/veskel-render ] || fail "dpkg -i did not install /usr/bin/veskel-render"
    dpkg --purge veskel >>"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg --purge failed"; }
    leftovers >"$work/after"
    diff -u "$work/before" "$work/after" && echo "installed and purged: nothing left" || fail "the purge left the files above"
  else
    cat "$work/dpkg.log"
    dpkg --purge veskel >/dev/null 2>&1 || true
    fail "dpkg -i failed"
  fi
fi

if [ $failures -gt 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "package OK"
