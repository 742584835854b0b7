"""Picture and sound in step, in a real window: the page in Chromium under
Xvfb, its sound going to a PulseAudio null sink whose monitor is recorded.
The recording is matched against the track (decoded with ffmpeg) to find the
wall-clock time the track's start was heard, and the frame log (frame times
summed, stamped by the console) gives the time the picture put show time 0.
Prints both, and the first loud onset as heard and as the frame log places
it; fails past 50 ms. Needs Xvfb, pulseaudio, parec, ffmpeg; run by hand.
Usage: audio_sync.py SITE_DIR"""
import array
import os
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import cdp  # noqa: E402
import test_page  # noqa: E402

RATE = 48000


def envelope(samples):
    """Peak of each millisecond."""
    per = RATE // 1000
    return [max(abs(v) for v in samples[i:i + per]) for i in range(0, len(samples) - per, per)]


def best_lag(recorded, track):
    """Where in the recording (ms) the track's envelope fits best (normalised correlation)."""
    mean_t = sum(track) / len(track)
    track = [v - mean_t for v in track]
    best = (None, 0)
    for lag in range(0, len(recorded) - len(track)):
        seg = recorded[lag:lag + len(track)]
        mean = sum(seg) / len(seg)
        score = sum((seg[i] - mean) * track[i] for i in range(0, len(track), 2))
        scale = sum((seg[i] - mean) ** 2 for i in range(0, len(track), 2)) ** 0.5 or 1
        if best[0] is None or score / scale > best[0]:
            best = (score / scale, lag)
    return best[1]


def main():
    site = sys.argv[1]
    run = tempfile.mkdtemp(prefix="quorvex-sync-")
    env = dict(os.environ, PULSE_RUNTIME_PATH=run, XDG_RUNTIME_DIR=run, DISPLAY=":79")
    os.environ.update(env)
    pulse = subprocess.Popen(["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--disallow-exit",
                              "-L", f"module-null-sink sink_name=rec rate={RATE}",
                              "-L", "module-native-protocol-unix"],
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    xvfb = subprocess.Popen(["Xvfb", ":79", "-screen", "0", "1024x768x24"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(2)
    subprocess.run(["pactl", "set-default-sink", "rec"], check=True)
    track_raw = subprocess.run(["ffmpeg", "-v", "error", "-i", os.path.join(site, "d", "termite.mp3"), "-t", "10",
                                "-ac", "1", "-ar", str(RATE), "-f", "s16le", "-"],
                               check=True, stdout=subprocess.PIPE).stdout
    cdp.FLAGS = [f for f in cdp.FLAGS if f != "--headless"]
    server, url = test_page.serve(site)
    browser = cdp.Browser()
    chunks, first = [], []
    try:
        browser.open(url)
        test_page.ready(browser)
        rec = subprocess.Popen(["parec", "-d", "rec.monitor", "--format=s16le", f"--rate={RATE}", "--channels=1",
                                "--latency-msec=5"], stdout=subprocess.PIPE)

        def reader():
            while True:
                data = rec.stdout.read1(4096)
                if not data:
                    break
                if not first:  # the wall time of the recording's first sample
                    first.append(time.time() * 1000 - len(data) / 2 / (RATE / 1000))
                chunks.append(data)

        threading.Thread(target=reader, daemon=True).start()
        time.sleep(1)
        browser.click(450, 350)
        browser.pump(11)
        rec.terminate()
        time.sleep(0.3)
    finally:
        browser.close()
        server.shutdown()
        pulse.terminate()
        xvfb.terminate()

    raw = b"".join(chunks)
    recorded = array.array("h")
    recorded.frombytes(raw[:len(raw) // 2 * 2])
    track = array.array("h")
    track.frombytes(track_raw)
    heard, wanted = envelope(recorded), envelope(track)
    heard_zero = best_lag(heard, wanted[:6000])
    onset = next(i for i, v in enumerate(wanted) if v > 0.4 * max(wanted))
    # The frame log around the onset: each frame's console time less its show time.
    show, offsets = 0, []
    for e in browser.events:
        if e.get("method") == "Runtime.consoleAPICalled" and e["params"]["type"] == "log":
            line = e["params"]["args"][0].get("value", "")
            if test_page.LOG_LINE.match(line):
                show += int(line.split()[0])
                if abs(show - onset) <= 500:
                    offsets.append(e["params"]["timestamp"] - show)
    offsets.sort()
    picture_zero = offsets[len(offsets) // 2] - first[0]  # in recording ms
    heard_onset = next(i for i, v in enumerate(heard[heard_zero:], heard_zero) if v > 0.4 * max(heard))
    error = heard_onset - (picture_zero + onset)
    print(f"sync: {len(offsets)} frames around the onset; track start heard at {heard_zero} ms of the recording, "
          f"the picture's show time 0 at {picture_zero:.0f} ms; first loud onset (track {onset} ms) heard "
          f"at {heard_onset} ms, the frame log's {picture_zero + onset:.0f} ms: {error:+.0f} ms")
    return 0 if abs(error) <= 50 else 1


if __name__ == "__main__":
    sys.exit(main())
