#!/usr/bin/env bash
# Builds the Debian package and checks what a user gets from it: the files in their places, a
# valid menu entry tied to the data file type, and installed programs that start. The package
# is unpacked into a scratch folder; the system itself is left as it was.
set -euo pipefail
cd "$(dirname "$0")/.."

fail() {
  echo "Package check failed: $*" >&2
  exit 1
}

deb=$(bash tools/package.sh | tail -n 1)
[ -f "$deb" ] || fail "tools/package.sh made no package"
echo "Package: $deb"

info=$(dpkg-deb --info "$deb") || fail "dpkg-deb cannot read $deb"
grep -q '^ Package: orma$' <<<"$info" || fail "the package is not named orma"
# The library dependencies come from the binaries; without them the package would install on
# a system that cannot run it.
grep -q '^ Depends: .*libqt6widgets6' <<<"$info" || fail "Depends lacks the Qt libraries"

# What Debian itself would say of the package: no error and no warning.
lintian --fail-on error,warning --tag-display-limit 0 "$deb" ||
  fail "lintian finds errors or warnings in $deb"

contents=$(dpkg-deb --contents "$deb" | awk '{ print $6 }')
expected=(
  usr/bin/orma usr/bin/orma-instrument usr/bin/orma-cli
  usr/share/applications/orma.desktop
  usr/share/mime/packages/orma.xml
  usr/share/man/man1/orma.1.gz usr/share/man/man1/orma-instrument.1.gz
  usr/share/man/man1/orma-cli.1.gz
  usr/share/orma/help/MainIndex.html
  usr/share/doc/orma/copyright usr/share/doc/orma/changelog.gz
  usr/lib/systemd/system/orma-cli@.service usr/lib/sysusers.d/orma.conf
)
for size in 16 24 32 48 64 128 256; do
  expected+=("usr/share/icons/hicolor/${size}x${size}/apps/orma.png")
done
for path in "${expected[@]}"; do
  grep -qx "\./$path" <<<"$contents" || fail "/$path is missing from the package"
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
root=$scratch/root
dpkg-deb -x "$deb" "$root"
share=$root/usr/share

# Hints count too: a menu entry the validator finds nothing to say about shows up where meant.
if ! remarks=$(desktop-file-validate "$share/applications/orma.desktop" 2>&1) || [ -n "$remarks" ]; then
  echo "$remarks" >&2
  fail "desktop-file-validate does not pass orma.desktop"
fi
for page in orma.1.gz orma-instrument.1.gz orma-cli.1.gz; do
  gzip -t "$share/man/man1/$page" || fail "manual page $page is not a valid gzip file"
done
# The caches the system's triggers build from these folders, built here for the unpacked copy:
# .orm files must be our type, and our type must open in orma.
XDG_DATA_DIRS=$share update-mime-database "$share/mime" || fail "orma.xml is not a valid shared MIME package"
grep -qx 'application/x-orma-data:\*\.orm' <(cut -d: -f2- "$share/mime/globs2") ||
  fail "the MIME database does not map *.orm to application/x-orma-data"
update-desktop-database "$share/applications" || fail "update-desktop-database failed"
grep -qx 'application/x-orma-data=orma.desktop;' "$share/applications/mimeinfo.cache" ||
  fail "no desktop entry opens application/x-orma-data"

# The installed programs, in a home of their own so that no settings of this machine are used.
mkdir "$scratch/home"
mkdir -m 700 "$scratch/runtime"
run() {
  env -i PATH=/usr/bin:/bin HOME="$scratch/home" XDG_RUNTIME_DIR="$scratch/runtime" \
    QT_QPA_PLATFORM=offscreen "$@"
}
data=$scratch/download.orm
run "$root/usr/bin/orma-instrument" --help | grep -q '^Usage: orma-instrument' ||
  fail "orma-instrument --help printed no usage"
run "$root/usr/bin/orma-instrument" --memory 20 --write-file "$data" ||
  fail "orma-instrument could not write a data file"
status=0
run "$root/usr/bin/orma" --bogus 2>"$scratch/usage" || status=$?
[ "$status" -eq 2 ] && grep -q '^Usage: orma \[--\] \[DATA-FILE\.\.\.\]' "$scratch/usage" ||
  fail "orma --bogus ended with status $status instead of 2 and a usage line"
# The command-line tool reads the same file without a display.
run "$root/usr/bin/orma-cli" stats "$data" | grep -q . || fail "orma-cli stats printed nothing"
# Still running when the time is up: it started with the file and did not fail.
status=0
run timeout 5 "$root/usr/bin/orma" "$data" || status=$?
[ "$status" -eq 124 ] || fail "orma with a data file ended with status $status within 5 s"
echo "Package checks passed: $(basename "$deb")"
