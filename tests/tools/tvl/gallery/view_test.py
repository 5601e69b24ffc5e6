#!/usr/bin/python3
"""tvl view in a real window: under its own Xvfb display the window opens on a
symbol, lists and filters the library, and a scripted mouse drag (xdotool)
turns the camera so that a screenshot (xwd) of the picture changes.  The
screenshots are kept as PNG files in the artefacts folder.

Exits 77 (skipped) when Xvfb, xdotool or xwd is missing or tvl was built
without its window."""
import os
import pathlib
import shutil
import struct
import subprocess
import sys
import time
import zlib

from checks import Checks, test_arguments, wait_for


class Screenshot:
    """A window's pixels from xwd (ZPixmap, 24 or 32 bits per pixel)."""

    def __init__(self, data):
        fields = struct.unpack(">25I", data[:100])
        header_size, self.width, self.height = fields[0], fields[4], fields[5]
        byte_order, bits_per_pixel, self.stride = fields[7], fields[11], fields[12]
        masks, colours = fields[14:17], fields[19]
        if fields[2] != 2 or bits_per_pixel not in (24, 32):
            raise ValueError("unexpected xwd picture format")
        self.bytes_per_pixel = bits_per_pixel // 8
        self.order = "<" if byte_order == 0 else ">"
        self.masks = masks
        self.pixels = data[header_size + 12 * colours:]

    def rgb(self, x, y):
        at = y * self.stride + x * self.bytes_per_pixel
        raw = self.pixels[at:at + self.bytes_per_pixel]
        value = int.from_bytes(raw, "little" if self.order == "<" else "big")
        out = []
        for mask in self.masks:
            shift = (mask & -mask).bit_length() - 1
            out.append((value & mask) >> shift)
        return tuple(out)

    def region(self, left, top, width, height):
        return [self.rgb(x, y) for y in range(top, top + height, 2) for x in range(left, left + width, 2)]

    def save_png(self, path):
        rows = b"".join(b"\0" + bytes(c for x in range(self.width) for c in self.rgb(x, y))
                        for y in range(self.height))
        chunk = lambda kind, body: (struct.pack(">I", len(body)) + kind + body +
                                    struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
        png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0))
               + chunk(b"IDAT", zlib.compress(rows, 6)) + chunk(b"IEND", b""))
        pathlib.Path(path).write_bytes(png)


def xdotool(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True, env=os.environ).stdout.strip()


def start_display():
    for number in range(90, 140):
        if os.path.exists("/tmp/.X11-unix/X%d" % number) or os.path.exists("/tmp/.X%d-lock" % number):
            continue
        server = subprocess.Popen(["Xvfb", ":%d" % number, "-screen", "0", "1280x800x24", "-nolisten", "tcp"],
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if wait_for(lambda: os.path.exists("/tmp/.X11-unix/X%d" % number), 10):
            return server, ":%d" % number
        server.kill()
        server.wait()
    return None, None


def main():
    args = test_arguments(__doc__)
    artifacts = pathlib.Path(args.artifacts)
    artifacts.mkdir(parents=True, exist_ok=True)
    if not all(shutil.which(p) for p in ("Xvfb", "xdotool", "xwd")):
        print("skipped: Xvfb, xdotool or xwd (x11-apps) is not installed")
        return 77
    help_text = subprocess.run([args.tvl, "view", "--help"], capture_output=True, text=True).stdout
    if "Drag the picture" not in help_text:
        print("skipped: tvl has no view command")
        return 77
    names = subprocess.run([args.tvl, "list", args.library], capture_output=True, text=True).stdout.split()

    checks = Checks()
    server, display = start_display()
    if server is None:
        print("FAIL cannot start Xvfb")
        return 1
    os.environ["DISPLAY"] = display
    probe = subprocess.run([args.tvl, "view", args.library, "NO_SUCH_SYMBOL"], capture_output=True, text=True)
    checks.expect(probe.returncode == 1 and "no symbol NO_SUCH_SYMBOL" in probe.stderr,
                  "an unknown symbol is refused: " + probe.stderr.strip())
    first = names[1]
    view = subprocess.Popen([args.tvl, "view", args.library, first], stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, text=True)
    try:
        window = wait_for(lambda: xdotool("search", "--name", "^tvl view"))
        checks.expect(bool(window), "the window opens")
        window = window.split()[0]
        title = lambda: xdotool("getwindowname", window)
        checks.expect(("- %s (%d of %d)" % (first, len(names), len(names))) in title(),
                      "it shows %s and lists every symbol: %s" % (first, title()))
        xdotool("windowsize", "--sync", window, "960", "640")
        time.sleep(1.0)
        grab = lambda: Screenshot(subprocess.run(["xwd", "-id", window, "-silent"], capture_output=True).stdout)

        def screenshot(name):
            picture = grab()
            picture.save_png(artifacts / (name + ".png"))
            return picture

        area = (300, 40, 620, 560)
        # Under a busy machine the first picture may take a while.
        wait_for(lambda: len(set(grab().region(*area))) > 2, 15)
        before = screenshot("view_before")
        # The picture fills the right of the window: drag across its middle.
        xdotool("mousemove", "--window", window, "600", "320")
        xdotool("mousedown", "1")
        for step in range(1, 7):
            xdotool("mousemove", "--window", window, str(600 + 15 * step), "320")
            time.sleep(0.05)
        xdotool("mouseup", "1")
        checks.expect(wait_for(lambda: "rotation" in title(), 10), "the drag turns the camera: " + title())
        differing = lambda: sum(a != b for a, b in zip(before.region(*area), grab().region(*area)))
        wait_for(lambda: differing() > 200, 15)
        after = screenshot("view_turned")
        changed = sum(a != b for a, b in zip(before.region(*area), after.region(*area)))
        checks.expect(changed > 200, "the picture changed after the drag (%d sampled pixels differ)" % changed)
        checks.expect(len(set(after.region(*area))) > 2, "the turned picture is not blank")

        # Keys for the views and the drawing mode.
        xdotool("key", "--window", window, "p")
        checks.expect(wait_for(lambda: "- plan -" in title(), 5), "p shows the plan: " + title())
        xdotool("key", "--window", window, "m")
        checks.expect(wait_for(lambda: title().endswith("classic"), 5), "m switches the mode: " + title())

        # Typing in the filter box narrows the list.
        query = names[2][:3].lower()
        expected = sum(query in n.lower() for n in names)
        xdotool("mousemove", "--window", window, "100", "20", "click", "1")
        xdotool("type", "--window", window, "--delay", "50", query)
        checks.expect(wait_for(lambda: "(%d of %d)" % (expected, len(names)) in title(), 5),
                      "typing %r in the filter leaves %d: %s" % (query, expected, title()))
        screenshot("view_filtered")
        xdotool("key", "--window", window, "Escape")
        try:
            status = view.wait(timeout=10)
        except subprocess.TimeoutExpired:
            status = None
        said = view.stderr.read() if status is not None else ""
        checks.expect(status == 0, "Escape closes the window, exit status %s %s" % (status, said[-2000:]))
    finally:
        if view.poll() is None:
            view.kill()
            view.wait()
        server.terminate()
        server.wait()
    return checks.status()


if __name__ == "__main__":
    sys.exit(main())
