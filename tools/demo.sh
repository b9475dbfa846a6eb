#!/usr/bin/env bash
# Installs what is missing, builds Uninstall.exe, installs a demo Corvina product into a
# Wine prefix of its own and starts the uninstaller on it. Without a display the wizard
# runs under Xvfb and a screenshot of its first page is saved instead.
set -eu
cd "$(dirname "$0")/.."
root=$PWD
tools/install-deps
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j "$(nproc)" --target Uninstall make-install-log make-shortcut
build=$(cd "$build" && pwd)

prefix="$build/demo-prefix"
rm -rf "$prefix" "$prefix.state"
run() { "$root/tools/wine-run" --prefix "$prefix" "$@"; }
winpath() { echo "Z:$1" | sed 's|/|\\|g'; }

# An empty program first: it creates the prefix, so its folders exist below.
run cmd /c exit 0

product="Corvina Trend Navigator"
drive="$prefix/drive_c"
product_dir="$drive/Program Files/$product"
terminal_dir="$drive/Program Files/MetaTrader 4"
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
"UninstallString"="C:\\\\Program Files\\\\$product\\\\Uninstall.exe"
EOF

pf='C:\Program Files'
links='C:\ProgramData\Microsoft\Windows\Start Menu\Programs'
tr -d '\r' <<EOF | sed 's/$/\r/' >"$build/demo-setup.bat"
@echo off
reg import "$(winpath "$build/demo-registration.reg")"
"$(winpath "$build/tools/make-install-log.exe")" "$pf\\$product\\Install.log" "$pf\\MetaTrader 4\\experts\\Corvina Trend Navigator.ex4" "$pf\\MetaTrader 4\\experts\\indicators\\CorvinaTrend.ex4" "$pf\\MetaTrader 4\\experts\\libraries\\corvina.dll" "$pf\\$product\\License.txt" "$pf\\$product\\Trend Navigator.chm"
"$(winpath "$build/tools/make-shortcut.exe")" "$links\\$product\\Uninstall $product.lnk" "$pf\\$product\\Uninstall.exe" "Removes $product"
"$(winpath "$build/tools/make-shortcut.exe")" "$links\\$product\\$product Help.lnk" "$pf\\$product\\Trend Navigator.chm" "Help"
"$(winpath "$build/tools/make-shortcut.exe")" "$links\\$product\\License.lnk" "$pf\\$product\\License.txt" "Licence"
EOF
run cmd /c "$(winpath "$build/demo-setup.bat")"

echo "Demo installation of \"$product\" ready in $prefix"
uninstaller="C:\\Program Files\\$product\\Uninstall.exe"
if [ -n "${DISPLAY:-}" ]; then
    run "$uninstaller"
    exit 0
fi

# No display: run the wizard on a virtual one and photograph its first page. Without a
# window manager there, Wine draws the window frames itself.
run reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
exec 3< <(Xvfb -displayfd 4 -screen 0 1024x768x24 -nolisten tcp 4>&1 2>/dev/null)
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT
read -r -t 20 number <&3
export DISPLAY=:$number
run "$uninstaller" &
wizard=$!
window=$(timeout 60 xdotool search --sync --limit 1 --name '^Uninstall$' 2>/dev/null) || true
sleep 2
shot="$build/demo-screenshot.png"
if [ -n "$window" ]; then
    eval "$(xdotool getwindowgeometry --shell "$window")"
    /usr/bin/import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" "$shot"
    echo "No display: the wizard ran under Xvfb; its window is in $shot"
fi
WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
wait $wizard 2>/dev/null || true
