# Shared by the scripts: installing what the build needs,
# and a private X display, Wine prefix and wineserver for the Windows programs.
# Source it; it defines functions and changes nothing by itself.

KESTREL_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# Inside scripts/wow64's chroot they are set already, to unstable's Wine.
if [ -z "${KESTREL_WOW64:-}" ]; then
    WINE_LOADER=/usr/lib/wine/wine64
    WINE_SERVER=/usr/lib/wine/wineserver
fi

log() { printf '[%s] %s\n' "$(date +%H:%M:%S)" "$*" >&2; }

# Debian packages, installed only when something they bring is missing.
kestrel_install_deps() {
    local missing=()
    command -v cmake >/dev/null || missing+=(cmake)
    command -v ninja >/dev/null || missing+=(ninja-build)
    command -v g++ >/dev/null || missing+=(g++)
    [ -f /usr/src/googletest/CMakeLists.txt ] || missing+=(googletest)
    command -v x86_64-w64-mingw32-g++-posix >/dev/null || missing+=(g++-mingw-w64-x86-64-posix)
    command -v i686-w64-mingw32-g++-win32 >/dev/null || missing+=(g++-mingw-w64-i686-win32)
    command -v x86_64-w64-mingw32-windres >/dev/null || missing+=(binutils-mingw-w64-x86-64)
    command -v i686-w64-mingw32-windres >/dev/null || missing+=(binutils-mingw-w64-i686)
    [ -x "$WINE_LOADER" ] || missing+=(wine64)
    # Wine's own fonts: without them title-bar buttons and dialogs lack glyphs.
    [ -f /usr/share/wine/fonts/marlett.ttf ] || missing+=(fonts-wine)
    command -v Xvfb >/dev/null || missing+=(xvfb)
    command -v xwd >/dev/null || missing+=(x11-apps)
    [ -x /usr/bin/convert ] || missing+=(imagemagick)
    command -v xmllint >/dev/null || missing+=(libxml2-utils)
    if [ ${#missing[@]} -gt 0 ]; then
        log "installing: ${missing[*]}"
        local sudo=
        [ "$(id -u)" -eq 0 ] || sudo=sudo
        $sudo apt-get update -q >/dev/null
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
    fi
}

kestrel_build() {
    local preset
    for preset in "$@"; do
        log "building $preset"
        cmake --preset "$preset" >/dev/null
        cmake --build --preset "$preset"
    done
}

# Starts an Xvfb of our own on a free display and a Wine prefix kept under
# build/ with a persistent wineserver; everything is stopped on exit.
# $1: the prefix folder.
kestrel_start_desktop() {
    export WINEPREFIX=$1
    export WINEDEBUG=-all
    export WINEARCH=win64
    # No Mono or Gecko installers: nothing here needs them and they would be fetched.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    unset WAYLAND_DISPLAY

    local fdfile
    fdfile=$(mktemp)
    # -displayfd picks a free display, so another Xvfb already running is no obstacle.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
    KESTREL_XVFB_PID=$!
    trap kestrel_stop_desktop EXIT
    local i
    for i in $(seq 100); do
        [ -s "$fdfile" ] && break
        sleep 0.1
    done
    [ -s "$fdfile" ] || { log "Xvfb did not start"; return 1; }
    export DISPLAY=:$(head -n1 "$fdfile")
    rm -f "$fdfile"
    log "Xvfb on $DISPLAY"

    # A server left over from an interrupted run would hold the prefix.
    "$WINE_SERVER" -k >/dev/null 2>&1 || true
    if [ ! -f "$WINEPREFIX/.kestrel-ready" ]; then
        log "creating the Wine prefix $WINEPREFIX"
        rm -rf "$WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        "$WINE_LOADER" wineboot -i >/dev/null 2>&1
        # A default virtual desktop: without a window manager every hide costs
        # two seconds, and the desktop's taskbar holds the notification area.
        "$WINE_LOADER" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
        "$WINE_LOADER" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
        "$WINE_SERVER" -w
        touch "$WINEPREFIX/.kestrel-ready"
    fi
    # Persistent, so that each Windows program starts in a fraction of a second.
    "$WINE_SERVER" -p
    "$WINE_LOADER" wineboot >/dev/null 2>&1 || true
}

kestrel_stop_desktop() {
    if [ -n "${WINEPREFIX:-}" ]; then
        "$WINE_SERVER" -k >/dev/null 2>&1 || true
    fi
    if [ -n "${KESTREL_XVFB_PID:-}" ]; then
        kill "$KESTREL_XVFB_PID" 2>/dev/null || true
        wait "$KESTREL_XVFB_PID" 2>/dev/null || true
        KESTREL_XVFB_PID=
    fi
}

# The stand-in script runner where Kestrel starts halyard.exe, with no record
# of an earlier start. $1: the build folder holding kestrel_stub_runner.exe.
kestrel_stage_runner() {
    local scripts="$WINEPREFIX/drive_c/Program Files/tamarind/scripts"
    mkdir -p "$scripts"
    cp "$1/kestrel_stub_runner.exe" "$scripts/halyard.exe"
    rm -f "$scripts/halyard.exe.log"
}

# Sample settings in place of any earlier ones: source window $1, document
# type Claims, search field CustomerNo, hotkey Ctrl+Shift+F11.
kestrel_store_sample_settings() {
    local key='HKCU\Software\VB and VBA Program Settings\Kestrel\Settings' pair
    "$WINE_LOADER" reg delete 'HKCU\Software\VB and VBA Program Settings\Kestrel' /f >/dev/null 2>&1 || true
    for pair in "SourceWindow=$1" AppName=Claims Field=CustomerNo Hotkey=122 HotKeyShift=3 SaveNext=False; do
        "$WINE_LOADER" reg add "$key" /v "${pair%%=*}" /d "${pair#*=}" /f >/dev/null 2>&1
    done
}
