#!/bin/sh
# Runs a command under an X server of its own, so a test that measures
# itself shares neither the server nor its load with other tests.
# Usage: own_x_server.sh COMMAND [ARG...]
. "$(dirname "$0")/../../scripts/x-server.sh"
run_under_x 1280x1024x24 "$@"
