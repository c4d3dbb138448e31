#!/usr/bin/env bash
# x_clipboard.sh REPLAY DOC FOLDER — run under xvfb-run. Copies the text box of
# DOC with canvas-replay on the X server and reads the clipboard with xclip
# (FOLDER/plain.txt, FOLDER/html.txt); then sets text and a PNG with xclip and
# pastes each with canvas-replay (FOLDER/text-out.qvleaf, picture-out.qvleaf).
# Every step waits for the clipboard to change, however slow the machine.
set -u
replay=$1 doc=$2 dir=$3
export QT_QPA_PLATFORM=xcb

# Whether the clipboard offers the target.
offers() {
  xclip -o -selection clipboard -t TARGETS 2> /dev/null | grep -qxF "$1"
}

# Reads the clipboard's target into a file; a busy X server may refuse a
# connection, so a refused read is tried again.
save() {  # save TARGET FILE
  for _ in $(seq 100); do
    xclip -o -selection clipboard -t "$1" > "$2" 2> /dev/null && return 0
    sleep 0.1
  done
  return 1
}

# Sets the clipboard with xclip and waits until the clipboard holds it:
# xclip returns before the copy it leaves behind has taken the clipboard, and
# a busy X server may refuse it a connection, so a set that never shows is
# made again. The tries are bounded only so that a broken X server ends the run.
hold() {  # hold TARGET FILE CHECK...
  local target=$1 file=$2
  shift 2
  for _ in $(seq 30); do
    xclip -i -selection clipboard -t "$target" "$file" < /dev/null > /dev/null 2>&1
    for _ in $(seq 100); do
      "$@" && return 0
      sleep 0.05
    done
  done
  echo "the clipboard never held $file" >&2
  return 1
}

printf 'click 200 180\nmenu Edit/Copy\nwait 60000\n' > "$dir/copy.txt"
"$replay" "$doc" "$dir/copy.txt" "$dir/copy-out.qvleaf" > /dev/null 2>&1 &
copier=$!
# The copier holds the clipboard for a minute once it has copied, however
# long it takes to start.
until offers com.quiverleaf.Quiverleaf; do
  kill -0 "$copier" 2> /dev/null || { echo "the copier ended without copying" >&2; exit 1; }
  sleep 0.1
done
save text/plain "$dir/plain.txt"
save text/html "$dir/html.txt"
kill "$copier" 2> /dev/null
wait "$copier" 2> /dev/null

printf 'menu Edit/Paste\n' > "$dir/paste.txt"
printf 'Words from elsewhere' > "$dir/words.txt"
reads_words() { [[ "$(xclip -o -selection clipboard -t UTF8_STRING 2> /dev/null)" == 'Words from elsewhere' ]]; }
hold UTF8_STRING "$dir/words.txt" reads_words || exit 1
"$replay" "$doc" "$dir/paste.txt" "$dir/text-out.qvleaf" || exit 1
hold image/png "$dir/picture.png" offers image/png || exit 1
"$replay" "$doc" "$dir/paste.txt" "$dir/picture-out.qvleaf" || exit 1
