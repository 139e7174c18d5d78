#!/usr/bin/env bash
# Prints the game's window title as host/title.h defines it (LANTERN_TITLE),
# for the scripts that find the game's window by it:
#
#   title=$(bash tools/game_driver/title.sh)
#
# Fails, saying so, when host/title.h holds no such definition.
set -euo pipefail
header="$(dirname "$0")/../../host/title.h"
title=$(sed -n 's/^#define LANTERN_TITLE "\(.*\)"[[:space:]]*$/\1/p' "$header")
if [ -z "$title" ]; then
    echo "title.sh: no LANTERN_TITLE in $header" >&2
    exit 1
fi
printf '%s\n' "$title"
