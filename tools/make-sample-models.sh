#!/usr/bin/env bash
# Regenerates the sample data set's models from their text sources with tmtool.
# Usage: tools/make-sample-models.sh [TMTOOL]   (without TMTOOL, tmtool is built in build/release first)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

tmtool="${1:-}"
if [ -z "$tmtool" ]; then
    cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$root/build/release" --target tmtool >/dev/null
    tmtool="$root/build/release/tools/tmtool/tmtool"
fi

# Source text and the model made from it, one pair a line, separated by "|".
while IFS='|' read -r source target; do
    [ -n "$source" ] || continue
    mkdir -p "$(dirname "$root/sample-data/$target")"
    "$tmtool" write "$root/sample-data/src/models/$source" "$root/sample-data/$target"
done <<'LIST'
Alert.txt|gamedata/gameart/TM Files/test/Alert.tm
LIST
