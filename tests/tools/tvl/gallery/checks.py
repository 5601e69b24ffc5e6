"""What the gallery's browser and window tests share: a list of named checks
and waiting for a condition."""
import argparse
import time


class Checks:
    def __init__(self):
        self.failed = []

    def expect(self, ok, what):
        print(("ok   " if ok else "FAIL ") + what)
        if not ok:
            self.failed.append(what)

    def status(self):
        print("%d checks failed" % len(self.failed) if self.failed else "all checks passed")
        return 1 if self.failed else 0


def wait_for(condition, seconds=15.0):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        value = condition()
        if value:
            return value
        time.sleep(0.1)
    return condition()


def test_arguments(description):
    """--tvl PROGRAM --library LIBRARY --artifacts FOLDER."""
    p = argparse.ArgumentParser(description=description)
    p.add_argument("--tvl", required=True)
    p.add_argument("--library", required=True)
    p.add_argument("--artifacts", required=True)
    return p.parse_args()
