#!/bin/sh
# framewise-cli config on a fresh work root: English first, a chosen language kept by the next
# run, usage errors exit 2, a refused work root exits 1.
set -u
cli=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

out=$("$cli" --work-root "$work/root" config) || fail "first run"
echo "$out" | grep -q "Current language: English (LangIndex 0)" || fail "first run: $out"
echo "$out" | grep -q "(new)" || fail "first run not new: $out"
"$cli" --work-root "$work/root" config --language 2 >/dev/null || fail "switch"
out=$("$cli" --work-root "$work/root" config) || fail "second run"
echo "$out" | grep -q "Current language: German (LangIndex 2)" || fail "choice not kept: $out"

"$cli" --work-root "$work/root" config extra 2>/dev/null; [ $? -eq 2 ] || fail "extra argument"
"$cli" --work-root "$work/root" config --language x 2>/dev/null; [ $? -eq 2 ] || fail "bad index"
"$cli" --work-root 2>/dev/null; [ $? -eq 2 ] || fail "missing option value"
"$cli" nosuchcommand 2>/dev/null; [ $? -eq 2 ] || fail "unknown command"
ln -s "$work/root" "$work/link"
"$cli" --work-root "$work/link" config 2>/dev/null; [ $? -eq 1 ] || fail "symlinked root"
"$cli" --version | grep -q "^framewise-cli " || fail "version"
"$cli" config --help | grep -q "config \[--data DIR\]" || fail "command help"
echo OK
