#!/usr/bin/env bash
# The build is reproducible: the source tree, copied to another folder at another depth, builds
# the four programs once more, with the clock years ahead (faketime), under another
# SOURCE_DATE_EPOCH, time zone and locale, and every program has the same SHA-256 as in the
# given build folder.
#   reproducible_build.sh <source folder> <build folder>
set -euo pipefail
source=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
programs=(MarlowindSetup.exe payloads/Marlowind.exe payloads/UninstallMW.exe payloads/MarlUpdate.exe)
dir=$build/reproducible
copy=$dir/another/deeper/source
rm -rf "$dir"
mkdir -p "$copy"
tar -C "$source" --exclude=./build --exclude=./.git -cf - . | tar -C "$copy" -xf -

# One job: the other slot of the test run stays free for the Wine tests.
cd "$copy"
export SOURCE_DATE_EPOCH=86400 TZ=Pacific/Kiritimati LC_ALL=C
cmake --preset windows >/dev/null
faketime '2031-06-15 03:00:00' cmake --build build/windows -j1 --target MarlowindSetup \
  >"$dir/build.log" 2>&1 || {
  tail -n 40 "$dir/build.log"; echo "FAILED: the second build"; exit 1; }

status=0
for p in "${programs[@]}"; do
  first=$(sha256sum <"$build/$p" | cut -d' ' -f1)
  second=$(sha256sum <"$copy/build/windows/$p" | cut -d' ' -f1)
  if [ "$first" = "$second" ]; then
    echo "$first  $p"
  else
    echo "FAILED: $p differs: $first in $build, $second in $copy/build/windows"
    status=1
  fi
done
# The second build stays for a look when it differs.
[ $status -ne 0 ] || rm -rf "$dir"
exit $status
