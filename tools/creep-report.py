#!/usr/bin/env python3
# creep-report.py -- runs each demo at rest in each view mode for many frames
# and prints how far the modelview has moved from the one the view came to
# rest with; too slow for the test suite, so the suite runs a shorter version.
#
# usage: tools/with-display.sh tools/creep-report.py [FRAMES] [DEMO...]
import json, os, re, shutil, subprocess, sys, tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
REPLAY = os.path.join(ROOT, "build", "bin", "ambler-replay")
VIEW_MODE_FIELD = 27  # the view mode is the 27th number of the file, before any name
REST_STEP = 100  # the follow boom eases out from length 0 within 80 frames


# A copy of the demo whose file asks for another view mode.
def copy_in_view_mode(demo, mode, tmp):
    dst = os.path.join(tmp, "%s-%d" % (demo, mode))
    shutil.copytree(os.path.join(ROOT, "scenes", demo), dst)
    path = os.path.join(dst, "Hod.pro")
    text = open(path).read()
    tok = list(re.finditer(r"\S+", text))[VIEW_MODE_FIELD - 1]
    open(path, "w").write(text[: tok.start()] + str(mode) + text[tok.end() :])
    return dst


# The modelview of every step of an untouched run.
def modelviews(scene, frames, tmp):
    trace = os.path.join(tmp, "trace.jsonl")
    # A tiny window: the matrix does not depend on it and the run is cheaper.
    subprocess.run([REPLAY, scene, "--steps", str(frames), "--size", "32x24", "--trace", trace],
                   stdin=subprocess.DEVNULL, check=True)
    with open(trace) as f:
        return [json.loads(line)["modelview"] for line in f]


def largest_difference(a, b):
    return max(abs(x - y) for x, y in zip(a, b))


def main():
    frames = int(sys.argv[1]) if len(sys.argv) > 1 else 15000
    demos = sys.argv[2:] or ["walk", "follow", "drive", "chase"]
    print("frames %d, against the matrix after frame %d" % (frames, REST_STEP))
    print("%-7s %4s %14s %18s %18s" % ("demo", "mode", "last - rest", "sway 1st half", "sway 2nd half"))
    for demo in demos:
        for mode in (1, 2, 3, 4):
            with tempfile.TemporaryDirectory() as tmp:
                m = modelviews(copy_in_view_mode(demo, mode, tmp), frames, tmp)
            rest = m[REST_STEP]
            half = (REST_STEP + len(m)) // 2
            # The sway in each half, measured from the rest matrix; a drift
            # would make the second half's figure grow.
            first = max(largest_difference(x, rest) for x in m[REST_STEP:half])
            second = max(largest_difference(x, rest) for x in m[half:])
            print("%-7s %4d %14.3g %18.3g %18.3g" % (demo, mode, largest_difference(m[-1], rest),
                                                      first, second), flush=True)


if __name__ == "__main__":
    main()
