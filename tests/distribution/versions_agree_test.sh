#!/usr/bin/env bash
# The project's version reaches the command, the Debian changelog, the LV2 description and the
# manual page.
#   versions_agree_test.sh VERSION MIRAL CHANGELOG MIRAL_TTL MANUAL_PAGE
set -uo pipefail
version=$1 miral=$2 changelog=$3 turtle=$4 page=$5
IFS=. read -r _ minor patch <<<"$version"
status=0
fail() {
    echo "$1" >&2
    status=1
}

"$miral" --version | head -n 1 | grep -qx "miral $version" || fail "miral --version is not $version"
head -n 1 "$changelog" | grep -qF "miral ($version" || fail "debian/changelog is not at $version"
# Without the LV2 headers the build makes no bundle (the argument names none then).
if [ "$turtle" != /miral.ttl ]; then
    grep -qx "    lv2:minorVersion $minor ;" "$turtle" || fail "lv2:minorVersion is not $minor"
    grep -qx "    lv2:microVersion $patch ;" "$turtle" || fail "lv2:microVersion is not $patch"
fi
grep -q "^\.TH MIRAL 1 .* \"MIRAL $version\"" "$page" || fail "the manual page is not of $version"
exit $status
