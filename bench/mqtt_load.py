"""Many instruments into one broker: each a pseudo-terminal this script writes timed lines to,
10 a second, each read by its own `orma-cli download --continuous --mqtt` into one Mosquitto
broker on a free localhost port, one subscriber taking every message with the time it came.

It reports, per run: readings written, in the data files, at the subscriber (repeats after a
lost link de-duplicated by time and number, and counted), missing and out of order; the CPU
of each orma-cli as a share of one core; the time from a line's last byte written to its
receipt by the subscriber (median, 99th percentile, largest). With --outage S the broker is
stopped a third into the run for S seconds and started again: the readings of the outage must
all arrive, and the time they take after the start is reported. The baseline in the same run
is the CPU of the same loggers without --mqtt.

  python3 bench/mqtt_load.py --cli build/release/cli/orma-cli [--instruments 50]
         [--seconds 60] [--outage 20]
"""

import argparse
import json
import os
import signal
import statistics
import subprocess
import sys
import tempfile
import termios
import threading
import time
import tty

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                                "cli"))
from mqtt_broker import Broker, Subscriber, stop_all, wait_for  # noqa: E402

TICKS = os.sysconf("SC_CLK_TCK")
INTERVAL = 0.1


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS


class Instruments:
    """count pseudo-terminals under stable names in folder, written to by one thread: each a
    timed line every INTERVAL seconds, its moments spread over the interval."""

    def __init__(self, folder, count):
        self.names = []
        self.masters = []
        self.written = [[] for _ in range(count)]
        for index in range(count):
            master, slave = os.openpty()
            tty.setraw(master)
            name = f"sim-{index:02}"
            os.symlink(os.ttyname(slave), os.path.join(folder, name))
            # The logger wants the port to itself.
            os.close(slave)
            self.names.append(name)
            self.masters.append(master)
        self.running = False
        self.thread = None

    def start(self):
        self.running = True
        self.thread = threading.Thread(target=self.run)
        self.thread.start()

    def run(self):
        count = len(self.masters)
        start = time.monotonic()
        step = 0
        while self.running:
            for index in range(count):
                due = start + step * INTERVAL + index * INTERVAL / count
                delay = due - time.monotonic()
                if delay > 0:
                    time.sleep(delay)
                if not self.running:
                    return
                now = time.time()
                local = time.localtime(now)
                hundredths = int(now * 100) % 100
                temperature = 700 + (step + index) % 300
                line = (f"{local.tm_hour:02}:{local.tm_min:02}:{local.tm_sec:02}:"
                        f"{hundredths:02} E=0.95 T={temperature:4d}\r\n").encode()
                os.write(self.masters[index], line)
                self.written[index].append(time.time())
            step += 1

    def stop(self):
        self.running = False
        self.thread.join()

    def close(self):
        for master in self.masters:
            os.close(master)


def run_loggers(cli, folder, instruments, seconds, broker=None, outage=0):
    """Starts a logger per instrument, runs seconds, stops them; returns their CPU shares and
    exit statuses, and the outage's stop and start times."""
    loggers = []
    for name in instruments.names:
        args = [cli, "download", os.path.join(folder, name), "--continuous", "-o",
                os.path.join(folder, f"{name}{'-mqtt' if broker else ''}.orm")]
        if broker:
            args += ["--mqtt", broker.url()]
        loggers.append(subprocess.Popen(args, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL))
    time.sleep(1)
    started = time.monotonic()
    cpu_before = [cpu_seconds(logger.pid) for logger in loggers]
    instruments.start()
    window = None
    if outage:
        time.sleep(seconds / 3)
        stopped = time.time()
        broker.stop()
        time.sleep(outage)
        broker.start()
        window = (stopped, time.time())
        time.sleep(max(0.0, seconds - (time.monotonic() - started)))
    else:
        time.sleep(seconds)
    instruments.stop()
    time.sleep(1)
    elapsed = time.monotonic() - started
    cpu = [(cpu_seconds(logger.pid) - before) / elapsed
           for logger, before in zip(loggers, cpu_before)]
    for logger in loggers:
        logger.send_signal(signal.SIGINT)
    statuses = [logger.wait(timeout=60) for logger in loggers]
    return cpu, statuses, window


def percentile(values, share):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(share * len(ordered)))]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--instruments", type=int, default=50)
    parser.add_argument("--seconds", type=float, default=60)
    parser.add_argument("--outage", type=float, default=0)
    options = parser.parse_args()

    with tempfile.TemporaryDirectory(prefix="orma-mqtt-load-") as folder:
        # The baseline: the same loggers writing their files only.
        baseline = Instruments(folder, options.instruments)
        base_cpu, _, _ = run_loggers(options.cli, folder, baseline,
                                     min(options.seconds, 20))
        baseline.close()
        for name in baseline.names:
            os.remove(os.path.join(folder, name))

        broker = Broker(os.path.join(folder, "broker"))
        broker.start()
        try:
            return measure(options, folder, broker, base_cpu)
        finally:
            stop_all()
            broker.stop()


def measure(options, folder, broker, base_cpu):
    subscriber = Subscriber(broker, "orma/#", os.path.join(folder, "received"))
    instruments = Instruments(folder, options.instruments)
    cpu, statuses, window = run_loggers(options.cli, folder, instruments, options.seconds,
                                        broker, options.outage)
    try:
        wait_for(lambda: len(subscriber.messages()) >=
                 sum(len(w) for w in instruments.written), 30, "")
    except TimeoutError:
        pass  # what is missing is counted below
    time.sleep(1)
    messages = subscriber.messages()
    subscriber.stop()
    broker.stop()

    received = {name: [] for name in instruments.names}
    for at, topic, payload in messages:
        received[topic.split("/", 1)[1]].append((at, json.loads(payload)))
    written = sum(len(w) for w in instruments.written)
    in_files = missing = disordered = repeats = 0
    latencies = []
    drain = 0.0
    for index, name in enumerate(instruments.names):
        with open(os.path.join(folder, f"{name}-mqtt.orm"), "rb") as f:
            in_files += f.read().count(b"\n")
        seen = {}
        order = []
        for at, reading in received[name]:
            key = (reading["time"], reading["number"])
            if key in seen:
                repeats += 1
                continue
            seen[key] = at
            order.append(reading["number"])
        numbers = sorted(order)
        expected = list(range(1, len(instruments.written[index]) + 1))
        missing += len(set(expected) - set(numbers))
        disordered += sum(1 for a, b in zip(order, order[1:]) if b < a)
        arrival = {number: at for (_, number), at in seen.items()}
        for number, sent in enumerate(instruments.written[index], start=1):
            if number not in arrival:
                continue
            if window and window[0] - 0.5 <= sent <= window[1] + 10:
                if sent <= window[1]:
                    drain = max(drain, arrival[number] - window[1])
                continue
            latencies.append(arrival[number] - sent)

    print(f"instruments: {options.instruments}, {1 / INTERVAL:.0f} readings a second each, "
          f"{options.seconds:.0f} s" +
          (f", broker stopped for {options.outage:.0f} s" if options.outage else ""))
    print(f"readings written {written}, in the data files {in_files}, at the subscriber "
          f"{written - missing} once, repeats {repeats}, missing {missing}, "
          f"out of order {disordered}; logger exit statuses {sorted(set(statuses))}")
    print(f"CPU per logger: mean {100 * statistics.mean(cpu):.2f} %, largest "
          f"{100 * max(cpu):.2f} % of a core; without --mqtt: mean "
          f"{100 * statistics.mean(base_cpu):.2f} %, largest {100 * max(base_cpu):.2f} %")
    if latencies:
        print(f"last byte to subscriber: median {1000 * statistics.median(latencies):.1f} ms,"
              f" p99 {1000 * percentile(latencies, 0.99):.1f} ms, largest "
              f"{1000 * max(latencies):.1f} ms ({len(latencies)} readings)")
    if window:
        print(f"the outage's readings all arrived {drain:.2f} s after the broker's start")
    instruments.close()
    return 0 if missing == 0 and disordered == 0 and in_files == written else 1


if __name__ == "__main__":
    sys.exit(main())
