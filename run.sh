#!/usr/bin/env bash
# Installs what is missing, builds Tamberol and starts it.
#   ./run.sh              an untitled catalogue
#   ./run.sh FILE.cdi     opens that catalogue
# On a machine without an optical drive (and without TAMBEROL_DRIVES), the bundled sample disc is drive E:.
set -euo pipefail

# Paths given relative to where we were called from must survive the cd below.
args=()
for arg in "$@"; do
  # Also for a path that does not exist: it is reported, or found, where the caller meant, not in this folder.
  case "$arg" in
    -*) args+=("$arg") ;;
    *) args+=("$(realpath -m -- "$arg")") ;;
  esac
done
cd "$(dirname "$0")"

./scripts/install-deps.sh
# A build directory of its own, without warnings as errors: a newer compiler's new warning must not stop
# anyone from starting the program. Sharing ./test.sh's directory would rebuild everything whenever one
# script followed the other, since the flags differ.
if [ ! -f build-run/build.ninja ]; then
  cmake -S . -B build-run -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAMBEROL_WERROR=OFF -DBUILD_TESTING=OFF \
    -DTAMBEROL_BENCH=OFF >/dev/null
fi
cmake --build build-run -j"$(nproc)" --target tamberol

if [ -z "${TAMBEROL_DRIVES+set}" ] && ! compgen -G '/sys/block/sr*' >/dev/null; then
  export TAMBEROL_DRIVES="E=$PWD/samples/disc"
  echo "No optical drive found: the sample disc $PWD/samples/disc is drive E: (TAMBEROL_DRIVES=$TAMBEROL_DRIVES)."
fi
exec build-run/app/tamberol "${args[@]}"
