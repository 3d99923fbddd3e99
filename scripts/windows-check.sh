#!/usr/bin/env bash
# The Windows build, called by scripts/test-extra.sh: cross-compiles
# Obrantule.dll and Obrantule.eng as 32-bit DLLs into build-win32/bin, checks
# their export and import tables, and runs the check program under wine
# (32-bit code runs through qemu-user where the processor cannot run it).
# Without the cross compiler the step is skipped, except in CI, where
# .ci/run installs it. OBRANTULE_WINE=0 skips the wine run.
set -euo pipefail
cd "$(dirname "$0")/.."
step() { printf '\n==== %s ====\n' "$*"; }
fail() { echo "windows check: $*" >&2; exit 1; }
prefix=i686-w64-mingw32

if ! command -v $prefix-g++ >/dev/null; then
  [ "${CI:-}" = true ] && fail "$prefix-g++ not found"
  echo "$prefix-g++ not found: Windows build skipped"
  exit 0
fi

step "Windows build (32-bit DLLs)"
gen=()
command -v ninja >/dev/null && gen=(-G Ninja)
cmake -S . -B build-win32 "${gen[@]}" --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/i686-w64-mingw32.cmake \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-win32 -j"$(nproc)"
bin=build-win32/bin

step "Windows export and import tables"
# Exported names in the module's name table, one a line, sorted.
exports() {
  $prefix-objdump -p "$1" | awk '/^\[Ordinal\/Name Pointer\] Table/ { t = 1; next }
    t && /^\t\[/ { print $NF; next } t { t = 0 }' | LC_ALL=C sort
}
# Imported DLL names, lower-cased, sorted.
imports() { $prefix-objdump -p "$1" | awk '/DLL Name:/ { print tolower($3) }' | LC_ALL=C sort -u; }
# check_module FILE ALLOWED-IMPORTS EXPORT...
check_module() {
  local file=$1 allowed=$2
  shift 2
  [ -f "$file" ] || fail "$file missing"
  [[ "$($prefix-objdump -f "$file")" == *"file format pei-i386"* ]] || fail "$file is not a 32-bit PE file"
  local expected actual
  expected=$(printf '%s\n' "$@" | LC_ALL=C sort)
  actual=$(exports "$file")
  if [ "$expected" != "$actual" ]; then
    diff <(echo "$expected") <(echo "$actual") || true
    fail "$file: exports differ from the expected names (< expected, > found)"
  fi
  local dll
  for dll in $(imports "$file"); do
    [[ " $allowed " == *" $dll "* ]] || fail "$file imports $dll"
  done
  echo "$file: $# exports as expected; imports: $(imports "$file" | tr '\n' ' ')"
}
system="kernel32.dll user32.dll msvcrt.dll"
check_module $bin/Obrantule.dll "$system" \
  ObrantuleInit ObrantuleQuit ObrantuleSetPosition ObrantuleSetStartPosition ObrantuleEnterMove \
  ObrantuleSetTime ObrantuleSetInfinite ObrantuleSetDepth ObrantuleSetBlitz ObrantuleAnalyse \
  ObrantuleStopAnalyse ObrantulePonderingOff ObrantuleNextBest ObrantuleClearHashtable \
  ObrantuleGetVersion ObrantuleGetAuthor ObrantuleGetParamList ObrantuleSetParam
check_module $bin/Obrantule.eng "$system chess32.dll" \
  Eng1 Eng2 Eng3 Eng4 Eng5 Eng6 Eng7 Eng8 Eng9 Eng10 Eng11 Eng12 Eng13 Eng14 Eng15 Eng19 \
  ShowNodes ShowDepth ShowMove ShowMainline ShowText TBProbeBoard TBProbeList
[[ " $(imports $bin/Obrantule.eng | tr '\n' ' ') " == *" chess32.dll "* ]] || fail "Obrantule.eng does not import Chess32.dll"

if [ "${OBRANTULE_WINE:-1}" = 0 ]; then
  echo "OBRANTULE_WINE=0: wine run skipped"
  exit 0
fi
if ! command -v wine >/dev/null; then
  [ "${CI:-}" = true ] && fail "wine not found"
  echo "wine not found: Windows check program not run"
  exit 0
fi

step "Windows check program under wine"
# 32-bit ELF programs (wine's i386 loader) go through qemu-user when the
# processor cannot run them itself.
if [ -x /usr/bin/qemu-i386 ] && [ ! -e /proc/sys/fs/binfmt_misc/qemu-i386 ]; then
  [ -e /proc/sys/fs/binfmt_misc/register ] || mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:F' \
    >/proc/sys/fs/binfmt_misc/register
fi
# Without a reserved address range each emulated start takes over a minute.
export QEMU_RESERVED_VA=0x84000000
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
WINEPREFIX=$(mktemp -d /tmp/obrantule-wine.XXXXXX)
export WINEPREFIX
log=build-win32/wine.log
# Wine's background server keeps output pipes open until it is ended.
finish() {
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
}
trap finish EXIT
timeout 600 wineboot -i >"$log" 2>&1 || { tail -n 40 "$log"; fail "wineboot failed"; }
# A KQK table for the probe through TBProbeBoard, made by the Linux
# generator of the release tree when there is one (and the prober is real).
args=()
tables=${OBRANTULE_WIN_TABLES:-}
if [ -z "$tables" ] && [ ! -f adapter/host/tablebase_stub.cpp ] && [ -x build/bin/obrantule-tb ]; then
  if build/bin/obrantule-tb gen kqk --compress --dir build-win32/tables >>"$log" 2>&1 &&
      ls build-win32/tables/kqk.* >/dev/null 2>&1; then
    tables=$PWD/build-win32/tables
  else
    echo "note: no KQK table could be made (build/bin/obrantule-tb gen): probe check skipped"
  fi
fi
if [ -n "$tables" ]; then
  args=(--tables "$(winepath -w "$tables" 2>/dev/null)")
fi
# Output goes to files, not pipes, so no lingering wine process can hold
# this script up.
status=0
timeout 600 wine $bin/obrantule-wincheck.exe "${args[@]}" >build-win32/wincheck.out 2>>"$log" || status=$?
tr -d '\r' <build-win32/wincheck.out
tr -d '\r' <build-win32/wincheck.out | grep -qE '^[0-9]+ passed, 0 failed$' || status=1
[ $status = 0 ] || { tail -n 40 "$log"; fail "check program failed under wine"; }
