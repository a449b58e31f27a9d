#!/bin/sh
# A Secret Service of a test program's own, so that no test reaches the
# user's keyring: a D-Bus session bus and GNOME Keyring's secrets daemon in a
# temporary folder, the keyring made and unlocked with a password given on
# the daemon's standard input. Prints the bus's address once the Secret
# Service answers there. When its own standard input closes (the test
# program has ended) it stops both and removes the folder.
set -eu
folder=$(mktemp -d)
mkdir "$folder/home" "$folder/data" "$folder/runtime" "$folder/bus"
chmod 700 "$folder/runtime"
cat > "$folder/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=$folder/bus</listen>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF

stop() {
  kill $keyring $bus 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$folder"
}
keyring=""
dbus-daemon --config-file="$folder/bus.conf" --nofork --print-address=3 3>"$folder/address" 2>/dev/null &
bus=$!
for _ in $(seq 100); do [ -s "$folder/address" ] && break; sleep 0.05; done
address=$(head -n 1 "$folder/address")
if [ -z "$address" ]; then echo "dbus-daemon did not start" >&2; stop; exit 1; fi

export DBUS_SESSION_BUS_ADDRESS="$address" HOME="$folder/home" XDG_DATA_HOME="$folder/data" \
  XDG_RUNTIME_DIR="$folder/runtime" XDG_CONFIG_HOME="$folder/home/.config" XDG_CACHE_HOME="$folder/home/.cache"
printf '%s' keyring-password-of-the-tests |
  gnome-keyring-daemon --foreground --unlock --components=secrets >/dev/null 2>&1 &
keyring=$!
ready=""
for _ in $(seq 200); do
  if dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
       string:org.freedesktop.secrets 2>/dev/null | grep -q true; then ready=yes; break; fi
  sleep 0.05
done
if [ -z "$ready" ]; then echo "gnome-keyring-daemon did not offer the Secret Service" >&2; stop; exit 1; fi

echo "$address"
# Nothing more may be written: the reader is gone when the test program ends.
exec >/dev/null 2>&1
cat >/dev/null || true
stop
