"""What the command line's journeys share: a failed check, the wait for a condition, and the
run of a journey script that ends with status 1 and the reason when a check fails."""

import sys
import time


class Failure(Exception):
    pass


def check(condition, what):
    if not condition:
        raise Failure(what)


def wait_for(condition, what, seconds=20):
    deadline = time.monotonic() + seconds
    while not condition():
        check(time.monotonic() < deadline, what)
        time.sleep(0.02)


def run(main, failures=(Failure,)):
    """Runs main; a failure of one of failures is told on stderr and ends with status 1."""
    try:
        main()
    except failures as failure:
        print(f"FAILED: {failure}", file=sys.stderr)
        sys.exit(1)
