#!/bin/sh
# Runs a command in a network namespace of its own that has only a loopback
# interface, so that the UDP ports it uses (7000, where the plug-ins send by
# default, among them) are its own: tests that bind them run side by side,
# and nothing they send leaves the machine. Needs no root: the namespace
# comes with a user namespace of its own (unshare --map-root-user); root
# without user namespaces gets a plain one. Where the system allows neither,
# the command runs as it is.
#   own-network.sh <command> [arguments...]
inside='PATH=$PATH:/usr/sbin:/sbin; ip link set lo up && exec "$@"'
if unshare --net --map-root-user true 2>/dev/null; then
  exec unshare --net --map-root-user sh -c "$inside" own-network "$@"
fi
if unshare --net true 2>/dev/null; then
  exec unshare --net sh -c "$inside" own-network "$@"
fi
exec "$@"
