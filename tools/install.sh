#!/usr/bin/env bash
# Installs the Talvane client for the current user.
#
#   bash tools/install.sh [--from BIN_DIR] [--no-autostart] [INSTALL_DIR]
#
# INSTALL_DIR defaults to $XDG_DATA_HOME/talvane (~/.local/share/talvane). BIN_DIR defaults to
# build/bin beside this script's folder. Lays out:
#   INSTALL_DIR/       Tlvc, TLVUninstall (when built), skin/, urls.config, Config.ini,
#                      update/upgrade.ini, web/link.config
#   desktop folder     Talvane.desktop and the web shortcuts that web/link.config lists (.url)
#   menus              $XDG_DATA_HOME/applications/Talvane/Talvane.desktop and
#                      $XDG_DATA_HOME/applications/Talvane-uninstall.desktop (the uninstaller)
#   autostart          $XDG_CONFIG_HOME/autostart/Tlvc.desktop (left out with --no-autostart)
# These are exactly what TLVUninstall removes. Installing again over an installation replaces the
# programs and the skin and keeps the configuration files and the resource cache.
set -euo pipefail

fail() {
    echo "install.sh: $*" >&2
    exit 1
}

script_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
from="$script_dir/../build/bin"
autostart=1
target=""
while [ $# -gt 0 ]; do
    case "$1" in
    --from)
        [ $# -ge 2 ] || fail "--from needs a folder"
        from=$2
        shift 2
        ;;
    --no-autostart)
        autostart=0
        shift
        ;;
    -h | --help)
        sed -n '2,15p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'
        exit 0
        ;;
    -*) fail "unknown option $1" ;;
    *)
        [ -z "$target" ] || fail "only one installation folder, please"
        target=$1
        shift
        ;;
    esac
done

# The user's folders, by the same rules the uninstaller reads them (platform/UserFolders.h):
# an XDG_* variable counts only when it is an absolute path.
absolute_or() {
    case "$1" in
    /*) printf '%s' "${1%/}" ;;
    *) printf '%s' "$2" ;;
    esac
}
[ -n "${HOME:-}" ] || fail "HOME is not set"
home=${HOME%/}
config_home=$(absolute_or "${XDG_CONFIG_HOME:-}" "$home/.config")
data_home=$(absolute_or "${XDG_DATA_HOME:-}" "$home/.local/share")
desktop="$home/Desktop"
if [ -f "$config_home/user-dirs.dirs" ]; then
    # The last XDG_DESKTOP_DIR="$HOME/..." or "/..." line wins, as when a shell sources the file.
    line=$(grep -E '^[[:space:]]*XDG_DESKTOP_DIR="(\$HOME(/[^"]*)?|/[^"]*)"' "$config_home/user-dirs.dirs" | tail -n 1 || true)
    if [ -n "$line" ]; then
        value=${line#*=\"}
        value=${value%\"*}
        case "$value" in
        '$HOME'*) desktop="$home${value#\$HOME}" ;;
        *) desktop=$value ;;
        esac
        desktop=${desktop%/}
    fi
fi
programs="$data_home/applications"

[ -n "$target" ] || target="$data_home/talvane"
case "$target" in
/*) ;;
*) target="$(pwd)/$target" ;;
esac
target=${target%/}
case "$target" in
*$'\n'*) fail "the installation folder may not hold a line break" ;;
esac

[ -f "$from/Tlvc" ] || fail "no client program in $from (build it first: bash tlv.sh run, or cmake --build build)"
[ -d "$from/skin/default" ] || fail "no skin in $from/skin (build the default_skin target)"

# Never spread the client over a folder that holds other things: the uninstaller deletes the
# installation folder with everything in it.
if [ -e "$target" ] && [ ! -d "$target" ]; then
    fail "$target is no folder"
fi
if [ -d "$target" ] && [ ! -e "$target/Tlvc" ] && [ -n "$(ls -A "$target")" ]; then
    fail "$target holds other files; choose an empty or new folder"
fi
resolved_target=$(realpath -m "$target")
for folder in / "$home" "$config_home" "$data_home" "$desktop" "$programs"; do
    if [ "$resolved_target" = "$(realpath -m "$folder")" ]; then
        fail "$target is one of your own folders; choose a folder of its own, such as $data_home/talvane"
    fi
done

# Strings of desktop entries escape the backslash; the Exec key also quotes its argument.
entry_string() {
    local text=${1//\\/\\\\}
    printf '%s' "$text"
}
exec_argument() {
    local text=$1
    text=${text//\\/\\\\}
    text=${text//\"/\\\"}
    text=${text//\`/\\\`}
    text=${text//\$/\\\$}
    text=${text//%/%%}
    entry_string "\"$text\""
}

# Writes a file only when it is not there yet: the user's and the operator's settings survive a
# second installation.
write_once() {
    local path=$1
    if [ -e "$path" ]; then
        cat >/dev/null
    else
        cat >"$path"
    fi
}

mkdir -p "$target" "$target/update" "$target/web"

# The programs and the skin.
install -m 0755 "$from/Tlvc" "$target/Tlvc"
if [ -f "$from/TLVUninstall" ]; then
    install -m 0755 "$from/TLVUninstall" "$target/TLVUninstall"
else
    echo "install.sh: no TLVUninstall in $from; the uninstall entry points at a program still to come" >&2
fi
rm -rf "$target/skin"
cp -RL "$from/skin" "$target/skin"

# Configuration: an operator's file beside the built programs wins over the built-in defaults.
for file in urls.config Config.ini; do
    if [ -f "$from/$file" ] && [ ! -e "$target/$file" ]; then cp "$from/$file" "$target/$file"; fi
done
# The client's built-in values (app/ConfigKeys.h), written out so that they can be edited.
# resourceurl is left out on purpose: the update engine and the cache clearing read it with
# different defaults, and one written value would change the clearing.
write_once "$target/urls.config" <<'EOF'
[URLS]
loginurl=http://www.talvane.example/mclient.html
kxmainurl=
gameviewurl=http://www.talvane.example/
suggesturl=http://www.talvane.example/auth/mclient/mc_feedback.php
mainpage=http://www.talvane.example
logstat=http://service.talvane.example/mc_log
loguninstallreson=http://service.talvane.example/mc_rea
flashtip=http://service.talvane.example/mc_msg
version=http://service.talvane.example/mc_version
[WINDOW]
shadowwnd=1
EOF
write_once "$target/Config.ini" <<'EOF'
[CONFIG]
NAME=Talvane
EOF
write_once "$target/update/upgrade.ini" <<'EOF'
[UPGRADE]
need=0
upgrade-exe=
myupgradetype=a
EOF

# Web shortcuts on the desktop, listed in web/link.config for the uninstaller.
ini_value() { # file section key
    awk -v section="[$2]" -v key="$3" '
        { sub(/\r$/, "") }
        /^[[:space:]]*\[/ { inside = (tolower($0) == tolower(section)); next }
        inside { split($0, part, "="); if (tolower(part[1]) == tolower(key)) { sub(/^[^=]*=/, ""); print; exit } }
    ' "$1"
}
main_page=$(ini_value "$target/urls.config" URLS mainpage)
suggest_page=$(ini_value "$target/urls.config" URLS suggesturl)
web_names=("Talvane官网" "Talvane意见反馈")
web_urls=("${main_page:-http://www.talvane.example}" "${suggest_page:-http://www.talvane.example/auth/mclient/mc_feedback.php}")
{
    echo "[DESKTOPICON]"
    echo "number=${#web_names[@]}"
    for i in "${!web_names[@]}"; do
        echo "[WEB$i]"
        echo "name=${web_names[$i]}"
    done
} >"$target/web/link.config"

mkdir -p "$desktop" "$programs/Talvane"
for i in "${!web_names[@]}"; do
    printf '[InternetShortcut]\nURL=%s\n' "${web_urls[$i]}" >"$desktop/${web_names[$i]}.url"
done

icon="$target/skin/default/app_icon_128.png"
client_entry() { # name comment exec
    cat <<EOF
[Desktop Entry]
Type=Application
Name=$1
Comment=$2
Exec=$3
Path=$(entry_string "$target")
Icon=$(entry_string "$icon")
Terminal=false
Categories=Game;CardGame;
StartupWMClass=bf.tlvc
EOF
}

client_entry Talvane "Talvane 桌面客户端" "$(exec_argument "$target/Tlvc")" >"$programs/Talvane/Talvane.desktop"
client_entry Talvane "Talvane 桌面客户端" "$(exec_argument "$target/Tlvc")" >"$desktop/Talvane.desktop"
# Desktops start an entry on the desktop only when it may be executed.
chmod 0755 "$desktop/Talvane.desktop"
client_entry "卸载 Talvane" "Talvane 卸载程序" "$(exec_argument "$target/TLVUninstall")" >"$programs/Talvane-uninstall.desktop"
if [ "$autostart" = 1 ]; then
    mkdir -p "$config_home/autostart"
    client_entry Talvane "Talvane 桌面客户端" "$(exec_argument "$target/Tlvc")" >"$config_home/autostart/Tlvc.desktop"
fi

echo "Talvane is installed in $target"
