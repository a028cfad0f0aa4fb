# Sourced by scripts/test.sh and bench/road/run.sh: a private X server with a window manager and a
# private PulseAudio whose default microphone hears what is played into its null sink.
# Each is started in the background and stopped by its PID.

SERVICES_DIR=""
XVFB_PID=""
OPENBOX_PID=""
PULSE_PID=""

# start_display DIR [FIRST]: Xvfb on the first free display number from FIRST (90 unless given),
# exported as DISPLAY, with openbox; their logs go to DIR.
start_display() {
  local dir=$1 n=${2:-90}
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$dir/xvfb.log" 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.05; done
  openbox --sm-disable >"$dir/openbox.log" 2>&1 &
  OPENBOX_PID=$!
}

# start_sound DIR: PulseAudio with a null sink and its monitor remapped as the default
# microphone, exported as PULSE_SERVER; its runtime folder, home and log live in DIR.
start_sound() {
  local dir=$1
  mkdir -p "$dir/pulse-runtime" "$dir/pulse-home"
  chmod 700 "$dir/pulse-runtime"
  cat >"$dir/default.pa" <<PA
load-module module-native-protocol-unix auth-anonymous=1 socket=$dir/pulse-runtime/native
load-module module-null-sink sink_name=out
load-module module-remap-source master=out.monitor source_name=mic
load-module module-null-source source_name=silence
load-module module-loopback source=silence sink=out
set-default-sink out
set-default-source mic
PA
  XDG_RUNTIME_DIR="$dir/pulse-runtime" HOME="$dir/pulse-home" \
    pulseaudio -n -F "$dir/default.pa" --daemonize=no --exit-idle-time=-1 \
    >"$dir/pulse.log" 2>&1 &
  PULSE_PID=$!
  export PULSE_SERVER="unix:$dir/pulse-runtime/native"
  for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.05; done
  # The first stream after start-up is held back for a while; take it here, so that the
  # first recording hears from the start: half a second read from the microphone.
  timeout 10 parec -d mic --raw --format=s16le --rate=44100 --channels=2 2>/dev/null \
    | head -c 88200 >/dev/null || true
}

start_services() {
  SERVICES_DIR=$(mktemp -d /tmp/mellix-services.XXXXXX)
  chmod 700 "$SERVICES_DIR"
  start_display "$SERVICES_DIR"
  start_sound "$SERVICES_DIR"
  export MELLIX_SERVICES_DIR="$SERVICES_DIR"
}

stop_services() {
  for pid in "$PULSE_PID" "$OPENBOX_PID" "$XVFB_PID"; do
    [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  done
  [ -n "$SERVICES_DIR" ] && rm -rf "$SERVICES_DIR"
  return 0
}
