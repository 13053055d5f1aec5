#!/usr/bin/env bash
# Both stubs are exactly as long as the archive offset and import only system DLLs.
set -euo pipefail
bin=${1:?bin folder}
allowed='^(KERNEL32|USER32|GDI32|SHELL32)\.dll$'
status=0
for pair in "stub32 i686" "stub64 x86_64"; do
    name=${pair% *} arch=${pair#* }
    image=$bin/$name.exe
    size=$(stat -c %s "$image")
    echo "$name: $size bytes, $(cat "$image.size" 2>/dev/null || echo '?') before padding"
    [[ $size == 31744 ]] || { echo "FAIL: $name is $size bytes, not 31744"; status=1; }
    dlls=$("$arch-w64-mingw32-objdump" -p "$image" | sed -n 's/^\s*DLL Name: //p')
    echo "$name imports:" $dlls
    for dll in $dlls; do
        grep -qiE "$allowed" <<<"$dll" || { echo "FAIL: $name imports $dll"; status=1; }
    done
    [[ -n $dlls ]] || { echo "FAIL: $name imports nothing"; status=1; }
done
exit $status
