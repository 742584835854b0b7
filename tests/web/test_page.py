"""The browser build's page in headless Chromium: start card, music and frame
log, frames equal to the desktop capture's, quitting and playing again, and
the failure line for a broken picture.
Usage: test_page.py SITE_DIR FRAMES_DIR  (SITE_DIR: the test build's folder;
FRAMES_DIR: frame-<ms>.png from the desktop capture tool)"""
import functools
import http.server
import os
import re
import shutil
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import cdp  # noqa: E402

LOG_LINE = re.compile(r"^ *-?\d+ +\d+\.\d\d +(\d+\.\d\d|inf)$")
results = []


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


class QuietServer(http.server.ThreadingHTTPServer):
    def handle_error(self, request, client_address):
        pass  # the browser closing while the track streams


def serve(directory):
    handler = functools.partial(QuietHandler, directory=directory)
    server = QuietServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server, f"http://127.0.0.1:{server.server_address[1]}/"


def check(name, ok, detail=""):
    results.append(ok)
    print(f"{'ok  ' if ok else 'FAIL'} {name}" + (f": {detail}" if detail else ""), flush=True)


def open_page(site):
    server, url = serve(site)
    browser = cdp.Browser()
    browser.open(url)
    return server, browser


def ready(browser):
    browser.wait_for("document.getElementById('prompt').textContent.startsWith('Click') || "
                     "!document.getElementById('failed').hidden", timeout=60)


def start_and_quit(site):
    server, b = open_page(site)
    try:
        ready(b)
        check("start card shown", b.eval("!document.getElementById('start').hidden && "
                                          "document.querySelector('#start h1').textContent === 'QUORVEX'"))
        clicked = time.monotonic()
        b.click(400, 300)
        while not any(LOG_LINE.match(l) for l in b.console(("log",))):
            b.pump(0.01)
        print(f"     first frame {1000 * (time.monotonic() - clicked):.0f} ms after the click")
        t0 = b.eval("window.quorvexAudio.currentTime")
        b.pump(1.5)
        t1 = b.eval("window.quorvexAudio.currentTime")
        check("music plays after the click", b.eval("!window.quorvexAudio.paused") and t1 > t0 + 0.5,
              f"position {t0:.2f} s then {t1:.2f} s")
        lines = [l for l in b.console(("log",)) if LOG_LINE.match(l)]
        check("frame log in the console", len(lines) > 20, f"{len(lines)} lines, last '{lines[-1] if lines else ''}'")
        if lines:
            times = sorted(int(l.split()[0]) for l in lines[5:])
            print(f"     frame time median {times[len(times) // 2]} ms, slowest {times[-1]} ms "
                  f"({len(times)} frames)")
        b.key("keyDown", "l", "KeyL", 76)
        b.key("keyUp", "l", "KeyL", 76)
        b.pump(0.2)
        shown = b.eval("document.getElementById('logline').hidden ? '' : "
                       "document.getElementById('logline').textContent")
        check("L shows the last log line", bool(LOG_LINE.match(shown or "")), repr(shown))
        b.key("keyDown", "Escape", "Escape", 27)
        b.pump(0.3)
        check("Escape press alone keeps the show", b.eval("document.getElementById('end').hidden"))
        b.key("keyUp", "Escape", "Escape", 27)
        b.wait_for("!document.getElementById('end').hidden", timeout=5)
        before = len(b.console(("log",)))
        b.pump(0.5)
        check("Escape release ends show and music",
              b.eval("window.quorvexAudio.paused") and len(b.console(("log",))) == before)
        b.eval("document.getElementById('again').click()")
        b.wait_for("document.getElementById('end').hidden", timeout=5)
        b.pump(0.5)
        elapsed = b.eval("Module._web_elapsed_ms()")
        check("play again restarts at 0", 0 <= elapsed < 2000 and not b.eval("window.quorvexAudio.paused"),
              f"{elapsed} ms after restarting")
        errors = b.console(("error",))
        check("no console errors", not errors, "; ".join(errors)[:300])
    finally:
        b.close()
        server.shutdown()


def frames(site, frames_dir):
    moments = sorted(int(m.group(1)) for m in
                     (re.match(r"frame-(\d+)\.png$", f) for f in os.listdir(frames_dir)) if m)
    shutil.copytree(frames_dir, os.path.join(site, "ref"), dirs_exist_ok=True)
    server, b = open_page(site)
    try:
        ready(b)
        compare = """(async (ms) => {
            Module._web_draw_at(ms, 1);
            const shown = document.getElementById('canvas').getContext('2d').getImageData(0, 0, 800, 600).data;
            const blob = await (await fetch('ref/frame-' + ms + '.png')).blob();
            const image = await createImageBitmap(blob, {colorSpaceConversion: 'none', premultiplyAlpha: 'none'});
            const c = new OffscreenCanvas(800, 600).getContext('2d');
            c.drawImage(image, 0, 0);
            const want = c.getImageData(0, 0, 800, 600).data;
            let differ = 0, first = -1;
            for (let i = 0; i < want.length; i += 4)
                if (shown[i] !== want[i] || shown[i + 1] !== want[i + 1] || shown[i + 2] !== want[i + 2]) {
                    if (first < 0) first = i / 4;
                    ++differ;
                }
            return [differ, first, image.width, image.height];
        })"""
        for ms in moments:
            differ, first, w, h = b.eval(f"{compare}({ms})")
            where = f", first at ({first % 800}, {first // 800})" if first >= 0 else ""
            check(f"frame at {ms} ms equals the capture", differ == 0 and (w, h) == (800, 600),
                  f"{differ} pixels differ{where}")
        # Where a frame's time goes (a figure, not a check): drawing alone,
        # then drawing and the copy to the canvas.
        timing = """((present) => {
            const moments = [3000, 9000, 15000, 17500, 20500, 40000, 52250, 60000, 100000, 120000, 145000, 155000];
            const start = performance.now();
            for (let i = 0; i < 240; ++i) Module._web_draw_at(moments[i % 12], present);
            return (performance.now() - start) / 240;
        })"""
        draw, whole = b.eval(f"{timing}(0)"), b.eval(f"{timing}(1)")
        print(f"     frame cost: draw {draw:.2f} ms, copy to the canvas {whole - draw:.2f} ms")
    finally:
        b.close()
        server.shutdown()


def broken_picture(site):
    with tempfile.TemporaryDirectory(prefix="quorvex-web-") as tmp:
        broken = os.path.join(tmp, "site")
        shutil.copytree(site, broken)
        open(os.path.join(broken, "d", "kelpi.jpg"), "wb").close()
        server, b = open_page(broken)
        try:
            ready(b)
            text = b.eval("document.getElementById('failed').hidden ? '' : "
                          "document.getElementById('failure').textContent")
            check("zero-byte picture gives the error line on the page",
                  text == "kuvia\nquorvex: cannot load d/kelpi.jpg: empty file", repr(text))
        finally:
            b.close()
            server.shutdown()


def main():
    site, frames_dir = sys.argv[1], sys.argv[2]
    started = time.monotonic()
    start_and_quit(site)
    frames(site, frames_dir)
    broken_picture(site)
    failed = results.count(False)
    print(f"web: {len(results) - failed} passed, {failed} failed ({time.monotonic() - started:.0f} s)")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
