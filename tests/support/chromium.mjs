// Headless Chromium for the tests' browser checks, started the one way that works here: the
// distribution's browser, no sandbox (root), no GPU, no background traffic on a closed
// network, sound allowed without a gesture, and no sound server, so that no page ever plays
// into the PulseAudio that the sound tests record from (pages still render their audio).
import { chromium } from 'playwright-core';

export function launchChromium() {
  return chromium.launch({
    env: { ...process.env, PULSE_SERVER: 'unix:/nonexistent/mellix-no-sound-server' },
    executablePath: '/usr/bin/chromium',
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
           '--disable-component-update', '--disable-sync', '--autoplay-policy=no-user-gesture-required'],
  });
}
