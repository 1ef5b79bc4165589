#!/bin/sh
# lintian on the Debian package: no error and no warning; the tags that are right as they
# are carry an override with its reason in the package.
# Usage: check-lintian.sh BUILD_DIR
set -u
set -- "$1"/package/framewise_*.deb
lintian --fail-on error,warning --display-info "$1"
status=$?
[ $status -eq 0 ] && echo OK || echo "FAIL: lintian ($status)"
exit $status
