#!/usr/bin/env bash
# Fills DIR with a small mixed set for the level round trips: text, Japanese text, an
# image and part of a program from CORPUS (when it is there), long runs, copies from the
# far end of the window, and a one-byte file. Usage: level_sources.sh DIR [CORPUS]
set -euo pipefail
dir=$1
corpus=${2:-}
mkdir -p "$dir"
if [[ -d $corpus ]]; then
    cp "$corpus/text/GPL-3.txt" "$dir/"
    cp "$(ls "$corpus"/docs-ja/* | head -1)" "$dir/manual.txt"
    cp "$(ls "$corpus"/media/* | head -1)" "$dir/image.png"
    head -c 300000 "$(ls "$corpus"/winapp/* | head -1)" >"$dir/program.bin"
fi
python3 - "$dir" <<'PY'
import random, sys
r = random.Random(1)
block = bytes(r.randrange(256) for _ in range(8192))
with open(sys.argv[1] + "/runs.bin", "wb") as f:
    f.write(b"\0" * 70000 + block + b"x" * 20 + block + bytes(range(256)) * 40)
open(sys.argv[1] + "/one.txt", "wb").write(b"A")
PY
