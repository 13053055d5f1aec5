#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine and runs the main job on the bundled example:
# installs what is missing, builds the tool and both stubs, packs examples/sample into a
# self-extracting build/sample.exe, then lists, tests and extracts it on Linux.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build >/dev/null
cmake --build build -j"$(nproc)"

tool=build/bin/quillmere
echo
echo "== pack examples/sample into build/sample.exe"
rm -f build/sample.exe
"$tool" pack examples/sample -o build/sample.exe --message-file examples/message.txt
echo
echo "== list"
"$tool" list build/sample.exe
echo
echo "== test"
"$tool" test build/sample.exe
echo
echo "== extract into build/sample-out"
rm -rf build/sample-out
mkdir -p build/sample-out
"$tool" extract build/sample.exe -d build/sample-out
diff -r examples/sample build/sample-out && echo "extracted files are identical to examples/sample"
