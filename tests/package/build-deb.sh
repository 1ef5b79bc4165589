#!/bin/sh
# Makes the Debian package of the build tree once for the package checks that follow.
# Usage: build-deb.sh BUILD_DIR
set -u
build=$1
rm -f "$build"/package/framewise_*.deb
if ! cpack -G DEB --config "$build/CPackConfig.cmake" >"$build/package-build.log" 2>&1; then
    cat "$build/package-build.log"
    echo "FAIL: cpack"
    exit 1
fi
ls "$build"/package/framewise_*.deb && echo OK
