# Sourced by scripts/test.sh: a private X server with a window manager and a private
# PulseAudio whose default microphone hears what is played into its null sink.
# Each is started in the background and stopped by its PID.

SERVICES_DIR=""
XVFB_PID=""
OPENBOX_PID=""
PULSE_PID=""

start_services() {
  SERVICES_DIR=$(mktemp -d /tmp/mellix-services.XXXXXX)
  chmod 700 "$SERVICES_DIR"

  # X server on the first free display number.
  local n=90
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$SERVICES_DIR/xvfb.log" 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.05; done
  openbox --sm-disable >"$SERVICES_DIR/openbox.log" 2>&1 &
  OPENBOX_PID=$!

  # PulseAudio with a null sink and its monitor remapped as the default microphone.
  mkdir -p "$SERVICES_DIR/pulse-runtime" "$SERVICES_DIR/pulse-home"
  chmod 700 "$SERVICES_DIR/pulse-runtime"
  cat >"$SERVICES_DIR/default.pa" <<PA
load-module module-native-protocol-unix auth-anonymous=1 socket=$SERVICES_DIR/pulse-runtime/native
load-module module-null-sink sink_name=out
load-module module-remap-source master=out.monitor source_name=mic
load-module module-null-source source_name=silence
load-module module-loopback source=silence sink=out
set-default-sink out
set-default-source mic
PA
  XDG_RUNTIME_DIR="$SERVICES_DIR/pulse-runtime" HOME="$SERVICES_DIR/pulse-home" \
    pulseaudio -n -F "$SERVICES_DIR/default.pa" --daemonize=no --exit-idle-time=-1 \
    >"$SERVICES_DIR/pulse.log" 2>&1 &
  PULSE_PID=$!
  export PULSE_SERVER="unix:$SERVICES_DIR/pulse-runtime/native"
  for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.05; done
  # The first stream after start-up is held back for a while; take it here, so that the
  # tests' first recording hears from the start: half a second read from the microphone.
  timeout 10 parec -d mic --raw --format=s16le --rate=44100 --channels=2 2>/dev/null \
    | head -c 88200 >/dev/null || true
  export MELLIX_SERVICES_DIR="$SERVICES_DIR"
}

stop_services() {
  for pid in "$PULSE_PID" "$OPENBOX_PID" "$XVFB_PID"; do
    [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  done
  [ -n "$SERVICES_DIR" ] && rm -rf "$SERVICES_DIR"
  return 0
}
