#!/usr/bin/env bash
# cmake --install into a temporary prefix, the Debian package's fields and files, and Ardour's
# scanner finding the module unpacked from the package (which is never installed here).
. "$(dirname "$0")/common.sh"
files="bin/oplexa
bin/oplexa-host
lib/oplexa/oplexa-wrapper.so
lib/vst/Oplexa.so
share/doc/oplexa/README.md
share/doc/oplexa/docs/ardour-plugin-list.png
share/doc/oplexa/docs/ardour-wrapper-window.png
share/doc/oplexa/docs/ardour-wrappers.png
share/doc/oplexa/docs/budget.svg
share/doc/oplexa/docs/monitor-aeffect.png
share/doc/oplexa/docs/monitor-dispatcher.png
share/doc/oplexa/docs/problems-page.png
share/doc/oplexa/docs/trace-viewer.png
share/doc/oplexa/docs/window-cascade.png"

cmake --install "$OPLEXA_BUILD" --prefix "$WORK/prefix" > "$WORK/install.log" 2>&1
check "cmake --install succeeds" [ $? -eq 0 ]
check "it installs the module, the wrapper, oplexa-host, oplexa and the documentation, nothing else" \
    [ "$(cd "$WORK/prefix" && find . -not -type d | sed 's|^\./||' | sort)" = "$files" ]
"$WORK/prefix/bin/oplexa-host" --help > "$WORK/help.out" 2> "$WORK/help.err"
check "oplexa-host --help exits 0" [ $? -eq 0 ]
check "--help prints the usage on standard output" grep -q '^usage: oplexa-host' "$WORK/help.out"
mkdir "$WORK/wrappers"
"$WORK/prefix/bin/oplexa" wrap "$OPLEXA_DEMO" --into "$WORK/wrappers" > /dev/null 2>&1
check "the installed oplexa makes wrappers of the installed module" \
    grep -q "oplexaModule=\"$WORK/prefix/lib/vst/Oplexa.so\"" "$WORK/wrappers/oplexa-demo-gain-oplexa.xml"
check "and of the installed wrapper" \
    cmp -s "$WORK/prefix/lib/oplexa/oplexa-wrapper.so" "$WORK/wrappers/oplexa-demo-gain-oplexa.so"

cpack --config "$OPLEXA_BUILD/CPackConfig.cmake" -B "$WORK/package" > "$WORK/cpack.log" 2>&1
check "cpack makes the package" [ $? -eq 0 ]
deb=$(ls "$WORK"/package/oplexa_*.deb)
field() { dpkg-deb -f "$deb" "$1"; }
check "the package is named oplexa" [ "$(field Package)" = oplexa ]
for package in libc6 libstdc++6 libfreetype6 libpng16-16; do
    check "it depends on $package, found by dpkg-shlibdeps" grep -qF "$package (>=" <<< "$(field Depends)"
done
check "it names a maintainer" [ -n "$(field Maintainer)" ]
check "it describes itself" [ "$(field Description | wc -l)" -gt 2 ]
check "it holds the same files under /usr" \
    [ "$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort)" = "./usr/${files//$'\n'/$'\n'./usr/}" ]

plugin=/usr/lib/vst/MVerb-vst.so
# Ardour's scanner is not built with sanitizers and can't load a module that is.
if [ -x /usr/lib/ardour7/ardour-vst-scanner ] && [ -e "$plugin" ] && ! sanitized; then
    dpkg-deb -x "$deb" "$WORK/root"
    export HOME="$WORK"
    direct=$(ardour_scan "$plugin" | grep 'Found Plugin')
    via=$(OPLEXA_PLUGIN="$plugin" ardour_scan "$WORK/root/usr/lib/vst/Oplexa.so" | grep 'Found Plugin')
    check "Ardour's scanner finds the plug-in through the unpacked module ($via)" [ "${direct:-none}" = "$via" ]
else
    echo "skipped: Ardour's scanner on the unpacked module (not installed, or a sanitizer build)"
fi
finish
