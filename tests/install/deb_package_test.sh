#!/usr/bin/env bash
# Builds the .deb with CPack and checks its contents and that its maintainer scripts reload udev.
set -euo pipefail
build=${1:?usage: deb_package_test.sh <build folder>}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; exit 1; }
deb=$(find "$work" -maxdepth 1 -name 'tarvik-config_*.deb' | head -n 1)
[ -n "$deb" ] || { echo "no .deb was made"; cat "$work/cpack.log"; exit 1; }

contents=$(dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|')
for file in /usr/bin/tarvik-config /usr/bin/tarvikctl /usr/lib/udev/rules.d/70-tarvik-mouse.rules \
    /usr/share/applications/org.tarvik.TarvikConfig.desktop \
    /usr/share/metainfo/org.tarvik.TarvikConfig.metainfo.xml \
    /usr/share/icons/hicolor/256x256/apps/tarvik-config.png; do
    grep -qx "$file" <<<"$contents" || { echo "$file is not in the package"; exit 1; }
done

dpkg-deb -e "$deb" "$work/control"
for script in postinst postrm; do
    [ -x "$work/control/$script" ] || { echo "$script is missing or not executable"; exit 1; }
    grep -q 'udevadm control --reload-rules' "$work/control/$script" ||
        { echo "$script does not reload the udev rules"; exit 1; }
    sh -n "$work/control/$script"
done
# The shared libraries it needs are declared, so that apt brings Qt and hidapi along.
dpkg-deb -f "$deb" Depends | grep -q 'libhidapi' || { echo "Depends lacks hidapi"; exit 1; }
# What Debian's own checker says of the package: no error and no warning.
lintian_out=$(lintian --no-tag-display-limit "$deb" 2>&1) || true
problems=$(grep -E '^[EW]: ' <<<"$lintian_out" || true)
[ -z "$problems" ] || { echo "lintian:"; echo "$problems"; exit 1; }
for file in /usr/share/doc/tarvik-config/copyright /usr/share/doc/tarvik-config/changelog.gz \
    /usr/share/man/man1/tarvikctl.1.gz /usr/share/bash-completion/completions/tarvikctl; do
    grep -qx "$file" <<<"$contents" || { echo "$file is not in the package"; exit 1; }
done
echo "deb package: $(basename "$deb") as expected"
