"""Whether a recording carries the show's track: the loudness envelope (10 ms
steps) of the track's first seconds is slid along the recording's, and the
best normalised correlation must reach 0.6 (noise scores about 0.2, the show
recorded through a null sink about 0.75). Prints the score and where the track
began in the recording.
Usage: heard.py RECORDING.raw TRACK.raw  (both s16le mono at 8000 Hz)"""
import array
import sys

STEP = 80  # samples in 10 ms at 8000 Hz
SPAN = 400  # steps of the track to find: its first 4 s


def envelope(path):
    samples = array.array("h")
    with open(path, "rb") as f:
        samples.frombytes(f.read())
    return [sum(v * v for v in samples[i:i + STEP]) / STEP for i in range(0, len(samples) - STEP + 1, STEP)]


def correlation(a, b):
    ma, mb = sum(a) / len(a), sum(b) / len(b)
    num = sum((x - ma) * (y - mb) for x, y in zip(a, b))
    den = (sum((x - ma) ** 2 for x in a) * sum((y - mb) ** 2 for y in b)) ** 0.5
    return num / den if den else 0.0


def main():
    recorded, track = envelope(sys.argv[1]), envelope(sys.argv[2])[:SPAN]
    if len(track) < SPAN or len(recorded) < SPAN:
        print("too short to compare")
        return 1
    score, lag = max((correlation(recorded[lag:lag + SPAN], track), lag) for lag in range(len(recorded) - SPAN + 1))
    print(f"correlation {score:.2f} with the track, which starts {lag * 10} ms into the recording")
    return 0 if score >= 0.6 else 1


sys.exit(main())
