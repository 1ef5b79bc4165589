#!/bin/sh
# An installation under a prefix the build was not configured for, with a space in it: the
# programs find their data files under their own prefix, every file of a desktop
# installation is there, the manual pages render without a warning, and the manual pages and
# bash completion know every command and option framewise-cli's help lists.
# Usage: check-install.sh BUILD_DIR
set -u
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

prefix="$work/opt/frame wise"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
    { cat "$work/install.log"; fail "cmake --install"; }
for f in bin/framewise bin/framewise-cli \
         share/framewise/StartInfoUnicode.ini share/framewise/LanguageUnicode.ini \
         share/applications/org.example.framewise.desktop \
         share/metainfo/org.example.framewise.metainfo.xml \
         share/icons/hicolor/scalable/apps/framewise.svg \
         lib/udev/rules.d/70-framewise.rules \
         share/man/man1/framewise.1.gz share/man/man1/framewise-cli.1.gz \
         share/bash-completion/completions/framewise-cli; do
    [ -f "$prefix/$f" ] || fail "not installed: $f"
done
for size in 16 22 24 32 48 64 128 256; do
    png="$prefix/share/icons/hicolor/${size}x${size}/apps/framewise.png"
    file "$png" | grep -q "PNG image data, $size x $size, 8-bit/color RGBA" ||
        fail "icon $size: $(file "$png")"
done

# The installed programs, run from their prefix; the build tree's keep theirs beside them.
cli="$prefix/bin/framewise-cli"
out=$("$cli" --work-root "$work/root" config) || fail "installed config: $out"
echo "$out" | grep -qxF "Data folder: $prefix/share/framewise" || fail "installed data: $out"
echo "$out" | grep -q "Current language: English" || fail "installed language: $out"
out=$("$build/bin/framewise-cli" --work-root "$work/root2" config) || fail "build tree config"
echo "$out" | grep -qxF "Data folder: $build/bin" || fail "build tree data: $out"
"$prefix/bin/framewise" --version | grep -q "^framewise [0-9]" || fail "framewise --version"

for page in framewise framewise-cli; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z \
               "$prefix/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man page $page: $warnings"
done

# What bash completes after the words given (the last one being completed).
complete_words() {
    bash -c '. "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _framewise_cli
             printf "%s\n" "${COMPREPLY[@]}"' _ \
        "$prefix/share/bash-completion/completions/framewise-cli" "$@" | sort -u | tr '\n' ' '
}
# The manual page's text with "\-" as "-".
manual=$(gzip -dc "$prefix/share/man/man1/framewise-cli.1.gz" | sed 's/\\-/-/g')
words() { tr ' ' '\n' | grep -v '^$' | sort -u | tr '\n' ' '; }

help=$("$cli" --help)
commands=$(echo "$help" | sed -n 's/^  \([a-z][a-z-]*\).*/\1/p' | words)
[ "$(echo "$commands" | wc -w)" -ge 10 ] || fail "commands read from --help: $commands"
[ "$(complete_words framewise-cli "")" = "$commands" ] ||
    fail "completion of commands: $(complete_words framewise-cli "") for $commands"
globals=$(echo "$help" | sed -n 's/^  \(--[a-z-]*\).*/\1/p' | words)
[ "$(complete_words framewise-cli --)" = "$globals" ] ||
    fail "completion of global options: $(complete_words framewise-cli --) for $globals"
for option in $globals; do
    echo "$manual" | grep -q -- "^\.[BI]*  *$option" || fail "man page lacks global $option"
done

subcommands=$(echo "$help" | grep -o 'sim [a-z]*' | sed 's/sim //' | words)
[ "$(complete_words framewise-cli --simulate x.img sim "")" = "$subcommands" ] ||
    fail "completion of sim: $(complete_words framewise-cli --simulate x.img sim "")"

for command in $commands; do
    line=$(echo "$help" | grep "^  $command\( \|$\)")
    echo "$manual" | grep -q "^\.SS \"\?$command\( \|\"\|$\)" || fail "man page lacks $command"
    options=$(echo "$line" | grep -o -- '--[a-z-]*' | words)
    [ -n "$options" ] || continue
    case $command in sim) words_before="sim create" ;; *) words_before=$command ;; esac
    # shellcheck disable=SC2086
    got=$(complete_words framewise-cli $words_before --)
    [ "$got" = "$(echo "$options --help" | words)" ] ||
        fail "completion of $command's options: $got for $options"
    for option in $options; do
        echo "$manual" | grep -q -- "$option" || fail "man page lacks $command $option"
    done
done
echo OK
