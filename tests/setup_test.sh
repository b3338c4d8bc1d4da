#!/usr/bin/env bash
# scripts/setup and `make check-windows` while a package index fails to download, against
# stand-ins of apt-get, dpkg-query, dpkg and sudo first on the PATH, in a copy of the scripts and
# the Makefile in a scratch folder: nothing is installed and the system is not touched.
# Arguments: the source folder.
set -uo pipefail
source_dir=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/tree"
cp -r "$source_dir/scripts" "$source_dir/Makefile" "$scratch/tree/"
export PATH="$source_dir/tests/setup:$PATH"
export STANDIN_LOG="$scratch/installed"
failures=0
check() {  # description, then a command that must succeed
  local what=$1
  shift
  if ! "$@"; then
    echo "FAILED: $what" >&2
    failures=$((failures + 1))
  fi
}
contains() { grep -qF -- "$2" "$1"; }

# Wine cannot be installed: a warning for the index, the rest installed, apt's reason kept.
rm -rf "$scratch/tree/.setup" "$STANDIN_LOG"
STANDIN_MISSING="valgrind g++-mingw-w64-i686-posix wine wine32 wine64" \
  STANDIN_UNINSTALLABLE="wine32" "$scratch/tree/scripts/setup" --windows > "$scratch/out" 2>&1
check "setup --windows succeeds without Wine (status $?)" test $? -eq 0
check "the failed index is a warning" contains "$scratch/out" "warning: a package index failed to download"
check "the index's reason is given" contains "$scratch/out" "Mirror sync in progress?"
check "the other packages are installed" contains "$STANDIN_LOG" "g++-mingw-w64-i686-posix"
check "i386 is added for Wine" contains "$STANDIN_LOG" "architecture i386"
check "the 64-bit Wine is installed without the 32-bit one" contains "$STANDIN_LOG" "wine64"
check "apt's reason for the 32-bit Wine is kept" contains "$scratch/tree/.setup/wine32-unavailable" "E: Unable to locate package wine32"
check "Wine itself is not reported missing" test ! -e "$scratch/tree/.setup/wine-unavailable"

# No Wine at all: apt's reason kept for check-windows.
rm -rf "$scratch/tree/.setup"
STANDIN_MISSING="wine wine32 wine64" STANDIN_UNINSTALLABLE="wine wine32" \
  "$scratch/tree/scripts/setup" --windows > "$scratch/out" 2>&1
check "setup --windows succeeds without any Wine (status $?)" test $? -eq 0
check "apt's reason for Wine is kept" contains "$scratch/tree/.setup/wine-unavailable" "E: Unable to locate package wine"

# The same when apt says nothing: the reason still names what failed.
rm -rf "$scratch/tree/.setup"
STANDIN_MISSING="wine wine32 wine64" STANDIN_UNINSTALLABLE="wine" STANDIN_QUIET_FAILURE=1 \
  "$scratch/tree/scripts/setup" --windows > "$scratch/out" 2>&1
check "a silent Wine failure still succeeds (status $?)" test $? -eq 0
check "a silent Wine failure has a reason" contains "$scratch/tree/.setup/wine-unavailable" "apt-get install wine wine32 wine64 failed"

# make check-windows, with no Windows build to make: the skip line with apt's reason.
rm -rf "$scratch/tree/.setup"
if command -v wine > /dev/null 2>&1; then
  echo "setup_test: wine is installed here; the skip line is not checked"
else
  STANDIN_MISSING="wine wine32 wine64" STANDIN_UNINSTALLABLE="wine wine32" \
    make -s -C "$scratch/tree" check-windows WINDOWS_BUILDS= > "$scratch/out" 2>&1
  check "check-windows passes without Wine (status $?)" test $? -eq 0
  check "check-windows says why the Wine tests are skipped" \
    contains "$scratch/out" "check-windows: Wine tests SKIPPED: E: Unable to locate package wine"
fi

# Any other package that cannot be installed fails the setup, with apt's reason.
STANDIN_MISSING="valgrind" STANDIN_UNINSTALLABLE="valgrind" "$scratch/tree/scripts/setup" > "$scratch/out" 2>&1
check "a missing build package fails the setup (status $?)" test $? -ne 0
check "its reason is apt's" contains "$scratch/out" "could not install valgrind: E: Unable to locate package valgrind"

if [ $failures -ne 0 ]; then
  cat "$scratch/out" >&2
  exit 1
fi
echo "setup_test: passed"
