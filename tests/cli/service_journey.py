"""The logging service as systemd would run it: its unit passes systemd-analyze verify without
a remark, its user is one systemd-sysusers makes in the group dialout, and the command line of
its ExecStart, with the instance, the state folder and the options of the instance's
configuration filled in as systemd fills them, logs an instrument named by its stable name
into the day's file, continues that file when started again before its adapter is plugged in,
and ends on SIGTERM with status 0."""

import datetime
import os
import re
import shlex
import signal
import subprocess
import tempfile
import termios
import time
import tty

from journey_checks import check, run, wait_for

UNIT = os.environ["ORMA_SERVICE_UNIT"]
SYSUSERS = os.environ["ORMA_SYSUSERS"]
INSTANCE = "usb-KALMIRON_Pyrometer_A1B2C3-if00-port0"


def verified(work):
    # An instance of the template, as systemctl would load it.
    result = subprocess.run(["systemd-analyze", "verify", "--man=no",
                             os.path.join(os.path.dirname(UNIT), f"orma-cli@{INSTANCE}.service")],
                            capture_output=True, text=True, cwd=work)
    check(result.returncode == 0 and result.stderr == "",
          f"systemd-analyze verify: {result.returncode} {result.stderr}")

    root = os.path.join(work, "root")
    os.makedirs(os.path.join(root, "etc"))
    with open(os.path.join(root, "etc", "group"), "w") as f:
        f.write("root:x:0:\ndialout:x:20:\n")
    with open(os.path.join(root, "etc", "passwd"), "w") as f:
        f.write("root:x:0:0:root:/root:/bin/sh\n")
    result = subprocess.run(["systemd-sysusers", "--dry-run", f"--root={root}", SYSUSERS],
                            capture_output=True, text=True)
    check(result.returncode == 0 and "Creating user 'orma'" in result.stderr + result.stdout,
          f"systemd-sysusers: {result.returncode} {result.stderr}")


def exec_start(state, options):
    with open(UNIT) as f:
        unit = f.read()
    line = re.search(r"^ExecStart=(.*)$", unit, re.MULTILINE).group(1)
    check("User=orma" in unit and "SupplementaryGroups=dialout" in unit,
          "the service does not run as orma in dialout")
    check(re.search(r"^EnvironmentFile=-/etc/orma/%I\.conf$", unit, re.MULTILINE),
          "the instance's configuration is not read")
    # Each of these closes every device but a few to the service: the port would not open.
    closing = re.findall(r"^(ProtectClock=yes|PrivateDevices=yes|DeviceAllow=.*|DevicePolicy=.*)$",
                         unit, re.MULTILINE)
    check(not closing, f"the service cannot open its port with {closing}")
    words = []
    for word in shlex.split(line):
        if word == "$ORMA_OPTIONS":
            words += options.split()
        else:
            words.append(word.replace("%I", INSTANCE).replace("${STATE_DIRECTORY}", state))
    return words


def reading(n):
    return b"11:%02d:%02d:%02d E=0.95 T=%4d\r\n" % (n // 6000 % 60, n // 100 % 60, n % 100,
                                                  300 + n)


def plug(link):
    master, slave = os.openpty()
    port = os.ttyname(slave)
    tty.setraw(slave)
    settings = termios.tcgetattr(slave)
    settings[4] = settings[5] = termios.B38400
    termios.tcsetattr(slave, termios.TCSANOW, settings)
    os.close(slave)
    os.symlink(port, link)
    return master


def run_once(command, env, link, log, numbers, plugged_late=False):
    master = None if plugged_late else plug(link)
    logger = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.PIPE, text=True)
    if plugged_late:
        # The service started before its adapter was plugged in waits for it.
        said = logger.stderr.readline()
        check("waiting for it to come back" in said, f"the missing port was not told: {said!r}")
        time.sleep(0.5)
        check(logger.poll() is None, "the service's logger ended without its port")
        master = plug(link)
    try:
        wait_for(lambda: termios.tcgetattr(master)[4] == termios.B9600,
                 "the service's logger did not open the port")
        for n in numbers:
            os.write(master, reading(n))
        last = reading(numbers[-1])
        wait_for(lambda: os.path.exists(log) and open(log, "rb").read().endswith(last),
                 "the readings did not reach the day's file")
        logger.send_signal(signal.SIGTERM)
        _, err = logger.communicate(timeout=20)
    finally:
        if logger.poll() is None:
            logger.kill()
        os.close(master)
        os.remove(link)
    check(logger.returncode == 0, f"the service's logger ended with {logger.returncode}: {err}")


def logs_as_a_service(work):
    serial = os.path.join(work, "serial")
    os.makedirs(os.path.join(serial, "by-id"))
    state = os.path.join(work, "state")
    os.mkdir(state)
    command = exec_start(state, "--period 0")
    env = {**os.environ, "ORMA_SERIAL_DIR": serial}
    link = os.path.join(serial, "by-id", INSTANCE)
    log = os.path.join(state, f"readings-{datetime.date.today().isoformat()}.orm")
    run_once(command, env, link, log, range(0, 20))
    # Started again the same day, by a restart or a reboot, before the adapter is plugged in:
    # the day's file goes on.
    run_once(command, env, link, log, range(20, 30), plugged_late=True)
    with open(log, "rb") as f:
        check(f.read() == b"".join(reading(n) for n in range(30)),
              "the day's file does not hold every reading of both runs once")


def main():
    with tempfile.TemporaryDirectory(prefix="orma-service-") as work:
        for journey in (verified, logs_as_a_service):
            started = time.monotonic()
            journey(work)
            print(f"{journey.__name__}: passed in {time.monotonic() - started:.1f} s")


if __name__ == "__main__":
    run(main)
