#!/bin/sh
# Qtractor's own plug-in scanner on the built Orvalis.clap: it loads the file, creates and
# initialises the plug-in and prints one line per plug-in,
#   CLAP|NAME|AUDIO_IN:AUDIO_OUT|NOTE_IN:NOTE_OUT|PARAMS_IN:PARAMS_OUT|FLAGS|PATH|INDEX|ID
# which must show an instrument with two outputs, a note input and 61 parameters. Without
# Qtractor the test is skipped (exit 77) with a line saying so.
clap=$1
scan=${QTRACTOR_SCAN:-/usr/lib/x86_64-linux-gnu/qtractor/qtractor_plugin_scan}
if [ ! -x "$scan" ]; then
  echo "SKIPPED: Qtractor's scanner is not installed ($scan; apt-get install qtractor)"
  exit 77
fi
line=$(printf 'CLAP:%s\n' "$clap" | timeout 60 "$scan" 2>&1 | grep '^CLAP|')
echo "scanner: $line"
case $line in
  "CLAP|Orvalis|0:2|1:0|61:0|"*) exit 0 ;;
  *) echo "error: Qtractor's scanner does not list Orvalis as an instrument with 2 outputs, a note input and 61 parameters" >&2
     exit 1 ;;
esac
