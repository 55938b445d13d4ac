"""A logger that outlives an unplugged adapter: orma-cli download --continuous --reconnect,
given the kernel name of a port whose stable name is a link in its own serial folder, loses
the port in mid-line (the pseudo-terminal hangs up and its link goes), says so once, waits,
and takes the port up again when a new pseudo-terminal appears under the same stable name.
The file holds every whole line sent before and after, once each, and no fragment;
orma-cli ports lists the port by its stable name beside its kernel name. Without
--reconnect the same hang-up still ends the logging with status 5; with --append a logger
started again continues its file.

python3 reconnect_journey.py [--gap SECONDS] keeps the port away for SECONDS (default 3)."""

import argparse
import os
import signal
import subprocess
import tempfile
import termios
import threading
import time
import tty

from journey_checks import check, run, wait_for

CLI = os.environ["ORMA_CLI"]
STABLE_NAME = "usb-KALMIRON_Pyrometer_A1B2C3-if00-port0"


class Adapter:
    """A pseudo-terminal standing in for a USB adapter, its stable name a link to its device
    end. The device end goes to another speed, so that its 9600 baud tell when orma-cli has
    opened and configured it: only then do the bytes written here reach the logger."""

    def __init__(self, link):
        self.master, slave = os.openpty()
        self.port = os.ttyname(slave)
        tty.setraw(slave)
        settings = termios.tcgetattr(slave)
        settings[4] = settings[5] = termios.B38400
        termios.tcsetattr(slave, termios.TCSANOW, settings)
        os.close(slave)
        self.link = link
        os.symlink(self.port, link)

    def opened(self):
        return termios.tcgetattr(self.master)[4] == termios.B9600

    def send(self, data):
        os.write(self.master, data)

    def unplug(self):
        os.close(self.master)
        os.remove(self.link)


class Logger:
    def __init__(self, port, log, *options, env):
        self.process = subprocess.Popen(
            [CLI, "download", port, "--continuous", "-o", log, *options],
            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True, env=env)
        self.said = []
        self.reader = threading.Thread(target=self._collect, daemon=True)
        self.reader.start()

    def _collect(self):
        for line in self.process.stderr:
            self.said.append(line.rstrip("\n"))

    def saying(self, words):
        return [line for line in self.said if words in line]

    def stop(self):
        self.process.send_signal(signal.SIGTERM)
        return self.finish()

    def finish(self):
        status = self.process.wait(timeout=20)
        self.reader.join(timeout=5)
        return status


def reading(n):
    return b"10:%02d:%02d:%02d E=0.95 T=%4d\r\n" % (n // 6000 % 60, n // 100 % 60, n % 100,
                                                  500 + n)


def logged(log):
    if not os.path.exists(log):
        return b""
    with open(log, "rb") as f:
        return f.read()


def send_and_wait(adapter, log, numbers):
    for n in numbers:
        adapter.send(reading(n))
        time.sleep(0.01)
    last = reading(numbers[-1])
    wait_for(lambda: logged(log).endswith(last), f"reading {numbers[-1]} was not logged")


def survives_unplug(work, gap):
    folder = os.path.join(work, "serial")
    os.makedirs(os.path.join(folder, "by-id"))
    link = os.path.join(folder, "by-id", STABLE_NAME)
    env = {**os.environ, "ORMA_SERIAL_DIR": folder}
    log = os.path.join(work, "unplugged.orm")

    adapter = Adapter(link)
    typed = adapter.port
    listed = subprocess.run([CLI, "ports"], capture_output=True, text=True, env=env)
    check(listed.returncode == 0 and f"{link}\t{typed}\t\n" in listed.stdout,
          f"orma-cli ports does not list the stable name: {listed.stdout!r}")
    # The kernel name, as a user types it: the logger follows the device by its stable name.
    logger = Logger(typed, log, "--reconnect", env=env)
    try:
        wait_for(adapter.opened, "the port was not opened")
        send_and_wait(adapter, log, range(0, 40))
        # Unplugged in the middle of a line: its fragment is no reading.
        adapter.send(reading(40)[:15])
        time.sleep(0.2)
        adapter.unplug()
        wait_for(lambda: logger.saying("waiting for it to come back"),
                 "the logger did not say the device was gone")
        check(logger.process.poll() is None, "the logger ended when the device went")
        time.sleep(gap)
        check(logged(log).endswith(reading(39)), "something was written while the port was away")

        adapter = Adapter(link)
        wait_for(adapter.opened, "the port was not taken up again under its stable name")
        wait_for(lambda: logger.saying("the device is back"), "the return was not told")
        send_and_wait(adapter, log, range(41, 80))
        status = logger.stop()
    finally:
        if logger.process.poll() is None:
            logger.process.kill()
    check(status == 0, f"the logger ended with status {status}: {logger.said}")
    expected = b"".join(reading(n) for n in range(80) if n != 40)
    check(logged(log) == expected,
          f"the file differs from the readings sent: {logged(log)[-200:]!r}")
    gone = logger.saying("waiting for it to come back")
    check(len(gone) == 1 and f"{link} ({typed})" in gone[0],
          f"the gap was not told once, by both names: {logger.said}")
    check(len(logger.saying("the device is back")) == 1, f"the return told not once: {logger.said}")

    # A logger restarted (by its service) continues the file with --append.
    adapter = Adapter(os.path.join(work, "restart-link"))
    logger = Logger(adapter.port, log, "--reconnect", "--append", env=env)
    try:
        wait_for(adapter.opened, "the port was not opened again")
        send_and_wait(adapter, log, range(80, 85))
        status = logger.stop()
    finally:
        if logger.process.poll() is None:
            logger.process.kill()
    check(status == 0 and logged(log) == expected + b"".join(reading(n) for n in range(80, 85)),
          f"the restarted logger did not continue the file: status {status}, {logger.said}")

    # Without --reconnect a hang-up still ends the logging, keeping what came.
    adapter = Adapter(os.path.join(work, "plain-link"))
    plain = os.path.join(work, "plain.orm")
    logger = Logger(adapter.port, plain, env=env)
    try:
        wait_for(adapter.opened, "the port was not opened")
        send_and_wait(adapter, plain, range(0, 5))
        adapter.unplug()
        status = logger.finish()
    finally:
        if logger.process.poll() is None:
            logger.process.kill()
    check(status == 5, f"a hang-up without --reconnect ended with status {status}")
    check(logged(plain) == b"".join(reading(n) for n in range(5)), "the plain log lost lines")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--gap", type=float, default=3)
    gap = parser.parse_args().gap
    with tempfile.TemporaryDirectory(prefix="orma-reconnect-") as work:
        started = time.monotonic()
        survives_unplug(work, gap)
        print(f"survives_unplug (away {gap:g} s): passed in {time.monotonic() - started:.1f} s")


if __name__ == "__main__":
    run(main)
