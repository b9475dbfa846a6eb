#!/usr/bin/env bash
# Installs what is missing, builds Uninstall.exe, installs a demo Corvina product into a
# 64-bit Wine prefix of its own, where the family's 32-bit installer would put it (Program
# Files (x86), the 32-bit registry view), and starts the uninstaller on it. Without a
# display the wizard runs under Xvfb, is driven through to the end, and each page's
# screenshot is saved. Arguments, such as /S, are handed to the uninstaller instead.
# DEMO_CASE=restart holds a product file open, so that a restart finishes the removal;
# DEMO_CASE=stayed makes one read-only, so that it stays, and writes a removal log.
# DEMO_LANG=de_DE.UTF-8 (a locale of the host) shows the wizard in that locale's language.
set -eu
cd "$(dirname "$0")/.."
root=$PWD
tools/install-deps
# The shipped 32-bit program, or where the host runs no 32-bit code (tools/host-32bit), the
# 64-bit build of the same sources, which finds the same installation.
if tools/host-32bit; then
    build=${BUILD_DIR:-build}
    cmake --preset x86 -B "$build" >/dev/null
    echo "Showing the shipped 32-bit Uninstall.exe."
else
    [ $? = 1 ] || exit 1
    build=${BUILD_DIR:-build}-x64
    cmake --preset x64 -B "$build" >/dev/null
    echo "Showing the 64-bit build of Uninstall.exe: this host runs no 32-bit code."
fi
cmake --build "$build" -j "$(nproc)" --target Uninstall make-install-log make-shortcut hold-file
build=$(cd "$build" && pwd)

prefix="$build/demo-prefix"
rm -rf "$prefix" "$prefix.state"
# DEMO_DPI=144 (or 192) shows the wizard on a display scaled to 150% (200%).
run() { "$root/tools/wine-run" --prefix "$prefix" ${DEMO_DPI:+--dpi "$DEMO_DPI"} "$@"; }
# In the language of DEMO_LANG, else of the user's locale.
run_uninstaller() { WINE_RUN_LANG=${DEMO_LANG:-${LC_ALL:-${LANG:-C.UTF-8}}} run "$uninstaller" "$@"; }
winpath() { echo "Z:$1" | sed 's|/|\\|g'; }

# An empty program first: it creates the prefix, so its folders exist below.
run cmd /c exit 0

product="Corvina Trend Navigator"
drive="$prefix/drive_c"
product_dir="$drive/Program Files (x86)/$product"
terminal_dir="$drive/Program Files (x86)/MetaTrader 4"
group_dir="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/$product"
mkdir -p "$product_dir/Presets" "$terminal_dir/experts/indicators" "$terminal_dir/experts/libraries" "$group_dir"
cp "$build/app/Uninstall.exe" "$product_dir/"
echo "Corvina Trend Navigator: licence terms." >"$product_dir/License.txt"
echo "Trend Navigator help" >"$product_dir/Trend Navigator.chm"
echo "; default preset" >"$product_dir/Presets/default.set"
echo "; scalping preset" >"$product_dir/Presets/scalping.set"
echo "expert" >"$terminal_dir/experts/Corvina Trend Navigator.ex4"
echo "indicator" >"$terminal_dir/experts/indicators/CorvinaTrend.ex4"
echo "library" >"$terminal_dir/experts/libraries/corvina.dll"
echo "terminal" >"$terminal_dir/terminal.exe"

cat >"$build/demo-registration.reg" <<EOF
REGEDIT4

[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvina]
"CorvinaVersion"="111"
"ProductName"="$product"
"ProductDir"="$product"
"MenuGroup"="$product"
"Version"="2.4.1"
"ContactName"="Corvina Support Desk"
"Publisher"="Corvina Software"
"Email"="support@corvina.example"
"ProductURL"="https://www.corvina.example/"
"DisplayName"="$product"
"UninstallString"="\\"C:\\\\Program Files (x86)\\\\$product\\\\Uninstall.exe\\""
EOF

pf='C:\Program Files (x86)'
links='C:\ProgramData\Microsoft\Windows\Start Menu\Programs'
tr -d '\r' <<EOF | sed 's/$/\r/' >"$build/demo-setup.bat"
@echo off
reg import "$(winpath "$build/demo-registration.reg")" /reg:32
"$(winpath "$build/tools/make-install-log.exe")" "$pf\\$product\\Install.log" "$pf\\MetaTrader 4\\experts\\Corvina Trend Navigator.ex4" "$pf\\MetaTrader 4\\experts\\indicators\\CorvinaTrend.ex4" "$pf\\MetaTrader 4\\experts\\libraries\\corvina.dll" "$pf\\$product\\License.txt" "$pf\\$product\\Trend Navigator.chm"
"$(winpath "$build/tools/make-shortcut.exe")" "$links\\$product\\Uninstall $product.lnk" "$pf\\$product\\Uninstall.exe" "Removes $product"
"$(winpath "$build/tools/make-shortcut.exe")" "$links\\$product\\$product Help.lnk" "$pf\\$product\\Trend Navigator.chm" "Help"
"$(winpath "$build/tools/make-shortcut.exe")" "$links\\$product\\License.lnk" "$pf\\$product\\License.txt" "Licence"
EOF
run cmd /c "$(winpath "$build/demo-setup.bat")"

echo "Demo installation of \"$product\" ready in $prefix"
uninstaller="$pf\\$product\\Uninstall.exe"
# Arguments go to the uninstaller: "bash tools/demo.sh /S" removes the demo unattended.
if [ $# -gt 0 ]; then
    log="$build/demo-removal.log"
    status=0
    time run "$uninstaller" "$@" /LOG="$(winpath "$log")" || status=$?
    WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
    echo "Exit code (its low byte, as the host sees it): $status; the removal log:"
    cat "$log"
    exit 0
fi
if [ -n "${DISPLAY:-}" ]; then
    run_uninstaller
    exit 0
fi

# No display: run the wizard on a virtual one, photograph each page and go on with the
# keyboard as a user would (Enter for Next, Escape for Finish). Without a window manager
# there, Wine draws the window frames itself.
run reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
exec 3< <(Xvfb -displayfd 4 -screen 0 1600x1200x24 -nolisten tcp 4>&1 2>/dev/null)
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT
read -r -t 20 number <&3
export DISPLAY=:$number
case ${DEMO_CASE:-} in
    restart) run "$build/tools/hold-file.exe" "$pf\\$product\\Trend Navigator.chm" 120 & ;;
    stayed) run cmd /c attrib +r "$pf\\$product\\Presets\\scalping.set" ;;
esac
if [ "${DEMO_CASE:-}" = stayed ]; then
    run_uninstaller '/LOG=C:\Windows\Temp\Corvina-uninstall.log' &
else
    run_uninstaller &
fi
wizard=$!
page=
# Waits for the next page's window, photographs it as demo-NAME.png and presses KEY.
next_page() {
    local window
    for _ in $(seq 60); do
        # By the program's window class: the title is the page's, in the wizard's language.
        window=$(xdotool search --onlyvisible --classname '^uninstall\.exe$' 2>/dev/null |
            tail -1) || true
        [ -n "$window" ] && [ "$window" != "$page" ] && break
        sleep 1
    done
    [ -n "$window" ] && [ "$window" != "$page" ] || { echo "No $1 page appeared" >&2; return 1; }
    page=$window
    sleep "$3"
    eval "$(xdotool getwindowgeometry --shell "$page")"
    /usr/bin/import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" "$build/demo-$1.png"
    xdotool windowfocus --sync "$page" key "$2"
}
next_page welcome Return 2 && next_page progress Return 5 &&
    next_page "complete${DEMO_CASE:+-$DEMO_CASE}" Escape 2 || true
wait $wizard 2>/dev/null || true
WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
echo "No display: the wizard ran under Xvfb; its pages are in $build/demo-*.png"
if [ -e "$product_dir/Install.log" ] || [ -e "$group_dir" ] ||
    run reg query 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Corvina' /reg:32 \
        >/dev/null 2>&1; then
    echo "The demo installation is still there."
    exit 1
fi
if [ -d "$product_dir" ]; then
    echo "The demo installation was removed; the product folder keeps: $(ls "$product_dir")"
else
    # Each new wineserver is a restart to the prefix: the deletions due then are done.
    echo "The demo installation was removed, and with Wine's next start its product folder."
fi
