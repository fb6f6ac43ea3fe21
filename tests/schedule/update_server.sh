#!/bin/sh
# Starts or stops the update tests' HTTP server for a test working folder (CTest fixture steps).
#   update_server.sh start WORKDIR DEMO_FOLDER   serves WORKDIR/update-www (DEMO_FOLDER as demo/)
#   update_server.sh stop WORKDIR                ends the server this script started there
set -u
work=$2
pidfile=$work/update-server.pid
case $1 in
start)
  [ -f "$pidfile" ] && kill "$(cat "$pidfile")" 2>/dev/null
  rm -rf "$work/update-www" "$work/update-server.port"
  mkdir -p "$work/update-www"
  ln -s "$3" "$work/update-www/demo"
  setsid python3 "$(dirname "$0")/update_server.py" --root "$work/update-www" \
    --port-file "$work/update-server.port" >"$work/update-server.log" 2>&1 </dev/null &
  echo $! >"$pidfile"
  i=0
  while [ ! -s "$work/update-server.port" ]; do
    i=$((i + 1)); [ $i -gt 100 ] && { cat "$work/update-server.log"; exit 1; }
    sleep 0.1
  done
  ;;
stop)
  [ -f "$pidfile" ] && kill "$(cat "$pidfile")" 2>/dev/null
  rm -f "$pidfile" "$work/update-server.port"
  ;;
esac
exit 0
