#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks that exactly the expected files land there,
# that the programs run from it, and that the desktop entry and the metainfo pass their validators.
set -euo pipefail
build=${1:?usage: install_layout_test.sh <build folder>}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null

expected=(
    bin/tarvik-config
    bin/tarvikctl
    lib/udev/rules.d/70-tarvik-mouse.rules
    share/applications/org.tarvik.TarvikConfig.desktop
    share/metainfo/org.tarvik.TarvikConfig.metainfo.xml
    share/man/man1/tarvik-config.1.gz
    share/man/man1/tarvikctl.1.gz
    share/doc/tarvik-config/changelog.gz
    share/doc/tarvik-config/copyright
    share/bash-completion/completions/tarvikctl
    share/zsh/vendor-completions/_tarvikctl
)
for size in 16 22 24 32 48 64 128 256; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/tarvik-config.png")
done

actual=$(cd "$prefix" && find . -type f | sed 's|^\./||' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
if [ "$actual" != "$wanted" ]; then
    echo "installed files differ from the expected list:"
    diff <(echo "$wanted") <(echo "$actual") || true
    exit 1
fi

for program in tarvik-config tarvikctl; do
    [ -x "$prefix/bin/$program" ] || { echo "$program is not executable"; exit 1; }
    "$prefix/bin/$program" --version | grep -q '^'"$program"' [0-9]' ||
        { echo "$program --version does not name itself and its version"; exit 1; }
done

# The window's command line answers without a display and refuses what it does not know.
"$prefix/bin/tarvik-config" --help | grep -q -- '--virtual-mouse-state' ||
    { echo "tarvik-config --help does not list --virtual-mouse-state"; exit 1; }
if "$prefix/bin/tarvik-config" --virtual-mouse usb 2>/dev/null; then
    echo "tarvik-config accepted --virtual-mouse usb"; exit 1
fi

# Each icon is a PNG of its size (the width and height sit at bytes 16-23 of the header).
for size in 16 22 24 32 48 64 128 256; do
    icon="$prefix/share/icons/hicolor/${size}x${size}/apps/tarvik-config.png"
    header=$(od -An -tx1 -j16 -N8 "$icon" | tr -d ' \n')
    want=$(printf '%08x%08x' "$size" "$size")
    [ "$header" = "$want" ] || { echo "$icon is not $size x $size"; exit 1; }
done

desktop-file-validate "$prefix/share/applications/org.tarvik.TarvikConfig.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/org.tarvik.TarvikConfig.metainfo.xml"
# The desktop entry starts the program the install put in bin, and names the icon it installed.
grep -qx 'Exec=tarvik-config' "$prefix/share/applications/org.tarvik.TarvikConfig.desktop"
grep -qx 'Icon=tarvik-config' "$prefix/share/applications/org.tarvik.TarvikConfig.desktop"
# Both manual pages render without a warning, and tarvikctl's names its exit codes and its commands.
for page in tarvik-config tarvikctl; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$prefix/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
    [ -z "$warnings" ] || { echo "man $page warns:"; echo "$warnings"; exit 1; }
done
rendered=$(LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$prefix/share/man/man1/tarvikctl.1.gz" 2>/dev/null | col -b)
for text in 'EXIT STATUS' 'The mouse refused a report' 'backup restore' 'macros delete' 'set light-color' \
    'TARVIK_EMULATOR_STATE' 'Tarvik-Macro.bin'; do
    grep -qF -- "$text" <<<"$rendered" || { echo "man tarvikctl does not mention '$text'"; exit 1; }
done
# Every command that tarvikctl --help lists is in its manual page.
for command in $("$prefix/bin/tarvikctl" --help | sed -n '/^Subcommands:/,$p' | awk 'NR > 1 && NF {print $1}'); do
    grep -qE "^ {7}$command( |\$)" <<<"$rendered" || { echo "man tarvikctl lacks the command $command"; exit 1; }
done

# bash's completion offers the commands after "tarvikctl ", and a work mode after "set button".
complete_words() {
    bash -c 'source /usr/share/bash-completion/bash_completion
             source "$1"; shift
             COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
             COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
             _tarvikctl; echo "${COMPREPLY[*]}"' _ "$prefix/share/bash-completion/completions/tarvikctl" "$@"
}
[ "$(complete_words tarvikctl '')" = "list show set profile export import macros patch backup" ] ||
    { echo "completion after 'tarvikctl ' offers: $(complete_words tarvikctl '')"; exit 1; }
[ "$(complete_words tarvikctl --no-backup set button '')" = "office game third" ] ||
    { echo "completion after 'set button' offers: $(complete_words tarvikctl --no-backup set button '')"; exit 1; }
[ "$(complete_words tarvikctl ma)" = "macros" ] || { echo "completion of 'ma' is wrong"; exit 1; }

echo "install layout: ${#expected[@]} files as expected"
