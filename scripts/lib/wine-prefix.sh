# Wine prefix and display helpers shared by scripts/wine-run, scripts/demo and the e2e tests.
# Sourced, not run.

# Where prefixes live: under the build tree, never the user's ~/.wine.
talvex_wine_root() {
    local top
    top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
    echo "${TALVEX_WINE_ROOT:-$top/build/wine}"
}

# Prints the template prefix, making it once (under a lock, so parallel tests wait for it).
talvex_wine_template() {
    local root template
    root=$(talvex_wine_root)
    template=$root/template
    mkdir -p "$root"
    (
        flock 9
        if [ ! -f "$template/.talvex-ready" ]; then
            rm -rf "$template"
            mkdir -p "$template"
            export WINEPREFIX=$template WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
            wineboot -i >/dev/null 2>&1
            # Wine's NDIS driver rewrites the NetworkCards entries from the host's interfaces
            # each time the prefix starts; switch it off so seeded adapters stay as seeded.
            wine reg add 'HKLM\SYSTEM\CurrentControlSet\Services\NDIS' /v Start /t REG_DWORD /d 4 /f >/dev/null 2>&1
            wine reg delete 'HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\NetworkCards' /f >/dev/null 2>&1 || true
            wineserver -w
            touch "$template/.talvex-ready"
        fi
    ) 9>"$root/.template.lock"
    echo "$template"
}

# A prefix is ~700 MB, mostly DLLs that Wine only reads: hard-link those and copy the registry
# files, which wineserver rewrites.
talvex_copy_prefix() {
    mkdir -p "$2"
    cp -al "$1/." "$2/"
    local reg
    for reg in "$1"/*.reg; do
        rm -f "$2/$(basename "$reg")"
        cp -p "$reg" "$2/"
    done
}

# Prints a folder of the prefix holding the files (not the subfolders) of the folder given: hard
# links, made afresh each time. The programs' marks are files beside them, and a prefix's
# wineserver knows only the files its own processes opened: two prefixes running programs from one
# folder would take each other's marks for free, and one's end would delete the other's. Run from
# here, the programs of each test see only the marks of their own prefix.
talvex_program_folder() {
    local copy=$2/drive_c/talvex-bin
    rm -rf "$copy"
    mkdir -p "$copy"
    find "$1" -maxdepth 1 -type f -exec cp -l -t "$copy" {} + 2>/dev/null ||
        find "$1" -maxdepth 1 -type f -exec cp -t "$copy" {} +
    echo "$copy"
}

# Starts an Xvfb on a free display number and exports DISPLAY; sets xvfb_pid. The screen is
# 1024x768 unless TALVEX_XVFB_SCREEN says otherwise (a window laid out at 200 % needs more).
talvex_start_xvfb() {
    local fifo display
    fifo=$(mktemp -u "${TMPDIR:-/tmp}/talvex-xvfb.XXXXXX")
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 "${TALVEX_XVFB_SCREEN:-1024x768x24}" -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    xvfb_pid=$!
    read -r display <"$fifo"
    rm -f "$fifo"
    export DISPLAY=":$display"
}
