#!/usr/bin/env bash
# A module in a folder its user can't write (a system-wide install) keeps its settings in the
# user's configuration folder; a file beside a module in a writable folder still comes first.
. "$(dirname "$0")/common.sh"
chmod 755 "$WORK"
# Root may write anywhere, so as root the sessions run as nobody.
as_user() { if [ "$(id -u)" -eq 0 ]; then runuser -u nobody -- "$@"; else "$@"; fi; }
as_user test -r "$OPLEXA_MODULE" -a -x "$OPLEXA_HOST" -a -r "$OPLEXA_DEMO" ||
    { echo "skipped: nobody can't reach the build folder"; exit 77; }
mkdir -p "$WORK/ro" "$WORK/rw" "$WORK/config" "$WORK/home" "$WORK/closed"
[ "$(id -u)" -eq 0 ] && chown nobody "$WORK/rw" "$WORK/config" "$WORK/home"
ln -s "$OPLEXA_MODULE" "$WORK/ro/Oplexa.so"
ln -s "$OPLEXA_MODULE" "$WORK/rw/Oplexa.so"
chmod 555 "$WORK/ro" "$WORK/closed"
trap 'chmod 755 "$WORK/ro"; rm -rf "$WORK"' EXIT
config=$WORK/config/oplexa/Oplexa.xml
switch_off() { sed -i 's/name="processReplacing" enabled="1"/name="processReplacing" enabled="0"/' "$1"; }

# session NAME MODULE-FOLDER XDG_CONFIG_HOME SETTINGS-FILE-LINE LOGGED(yes|no) [WRITE-FAILURE]
session() {
    as_user env OPLEXA_PLUGIN="$OPLEXA_DEMO" XDG_CONFIG_HOME="$3" HOME="$WORK/home" \
        timeout 60 "$OPLEXA_HOST" --blocks 4 --quiet "$2/Oplexa.so" > "$WORK/$1.log" 2>&1
    check "$1: the session ends normally" [ $? -eq 0 ]
    check "$1: start line 'Settings file $4'" \
        grep -qx "([0-9A-F]*) Oplexa.so:Settings file $4" "$WORK/$1.log"
    local logged=no
    grep -q 'processReplacing(inputs:' "$WORK/$1.log" && logged=yes
    check "$1: processReplacing logged: $5" [ "$logged" = "$5" ]
    check "$1: write-failure line '${6:-}'" \
        [ "$(grep -o 'Failed to write logger state to .*' "$WORK/$1.log")" = "${6:-}" ]
}

session first "$WORK/ro" "$WORK/config" "$config" yes
check "the settings file appeared in \$XDG_CONFIG_HOME/oplexa/" [ -f "$config" ]
cp "$config" "$WORK/on.xml"
switch_off "$config"
session switched-off "$WORK/ro" "$WORK/config" "$config" no
cp "$WORK/on.xml" "$WORK/rw/Oplexa.xml"
session beside-wins "$WORK/rw" "$WORK/config" "$WORK/rw/Oplexa.xml" yes
# A file beside a read-only module (left by a root session, say) is read until the user's own
# file exists, and never hides it after. Without XDG_CONFIG_HOME that is ~/.config/oplexa/.
chmod 755 "$WORK/ro" && cp "$WORK/on.xml" "$WORK/ro/Oplexa.xml" && chmod 555 "$WORK/ro"
home=$WORK/home/.config/oplexa/Oplexa.xml
session read-only-beside "$WORK/ro" "" "$home (read from $WORK/ro/Oplexa.xml)" yes
switch_off "$home"
session user-file-wins "$WORK/ro" "" "$home" no
# A session writes only settings that changed: this one's chooser folder does.
chmod 755 "$WORK/ro" && sed -i 's|<LastDir>.*</LastDir>|<LastDir>/</LastDir>|' "$WORK/ro/Oplexa.xml" &&
    chmod 555 "$WORK/ro"
session neither-writable "$WORK/ro" "$WORK/closed" "$WORK/ro/Oplexa.xml" yes \
    "Failed to write logger state to $WORK/ro/Oplexa.xml"
finish
