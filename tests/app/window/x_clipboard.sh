#!/usr/bin/env bash
# x_clipboard.sh REPLAY DOC FOLDER — run under xvfb-run. Copies the text box of
# DOC with canvas-replay on the X server and reads the clipboard with xclip
# (FOLDER/plain.txt, FOLDER/html.txt); then sets text and a PNG with xclip and
# pastes each with canvas-replay (FOLDER/text-out.qvleaf, picture-out.qvleaf).
set -u
replay=$1 doc=$2 dir=$3
export QT_QPA_PLATFORM=xcb

printf 'click 200 180\nmenu Edit/Copy\nwait 60000\n' > "$dir/copy.txt"
"$replay" "$doc" "$dir/copy.txt" "$dir/copy-out.qvleaf" > /dev/null 2>&1 &
copier=$!
for _ in $(seq 500); do
  if xclip -o -selection clipboard -t TARGETS 2> /dev/null | grep -q '^com\.quiverleaf\.Quiverleaf$'; then
    xclip -o -selection clipboard -t text/plain > "$dir/plain.txt"
    xclip -o -selection clipboard -t text/html > "$dir/html.txt"
    break
  fi
  sleep 0.1
done
kill "$copier" 2> /dev/null
wait "$copier" 2> /dev/null

printf 'menu Edit/Paste\n' > "$dir/paste.txt"
printf 'Words from elsewhere' > "$dir/words.txt"
xclip -i -selection clipboard "$dir/words.txt" < /dev/null > /dev/null 2>&1
"$replay" "$doc" "$dir/paste.txt" "$dir/text-out.qvleaf" || exit 1
xclip -i -selection clipboard -t image/png "$dir/picture.png" < /dev/null > /dev/null 2>&1
"$replay" "$doc" "$dir/paste.txt" "$dir/picture-out.qvleaf" || exit 1
