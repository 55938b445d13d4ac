"""A Mosquitto broker of its own for a test or a benchmark: its own configuration on a free
port of localhost, its sessions kept on disk across a stop and a start, and a subscriber that
writes every message it gets, with the time it came, to a file."""

import getpass
import os
import socket
import subprocess
import time

MOSQUITTO = "/usr/sbin/mosquitto"


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def wait_for(condition, seconds, what):
    deadline = time.monotonic() + seconds
    while not condition():
        if time.monotonic() > deadline:
            raise TimeoutError(what)
        time.sleep(0.05)


class Broker:
    def __init__(self, folder, users=None):
        """users: {name: password}; none lets anyone in."""
        self.folder = folder
        self.port = free_port()
        self.process = None
        os.makedirs(os.path.join(folder, "store"), exist_ok=True)
        lines = [f"listener {self.port} 127.0.0.1", "persistence true",
                 f"persistence_location {os.path.join(folder, 'store')}/",
                 "max_queued_messages 0", "log_dest none",
                 # Started by root, it would become the user mosquitto, who cannot write here.
                 f"user {getpass.getuser()}"]
        if users:
            passwords = os.path.join(folder, "passwords")
            open(passwords, "w").close()
            for name, password in users.items():
                subprocess.run(["mosquitto_passwd", "-b", passwords, name, password],
                               check=True, capture_output=True)
            lines += ["allow_anonymous false", f"password_file {passwords}"]
        else:
            lines.append("allow_anonymous true")
        self.config = os.path.join(folder, "mosquitto.conf")
        with open(self.config, "w") as f:
            f.write("\n".join(lines) + "\n")

    def start(self):
        self.process = subprocess.Popen([MOSQUITTO, "-c", self.config],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

        def listening():
            try:
                socket.create_connection(("127.0.0.1", self.port), timeout=0.2).close()
                return True
            except OSError:
                return False
        wait_for(listening, 10, "the broker did not start")

    def stop(self):
        if self.process is not None:
            self.process.terminate()
            self.process.wait(timeout=10)
            self.process = None

    def url(self, prefix="orma", user=None):
        return f"mqtt://{user + '@' if user else ''}127.0.0.1:{self.port}/{prefix}"


# Every subscriber started, for stop_all at the end of a run that failed half way.
SUBSCRIBERS = []


def stop_all():
    for subscriber in SUBSCRIBERS:
        subscriber.stop()


class Subscriber:
    """mosquitto_sub with a lasting session: what the broker keeps for it while it is away is
    delivered when it is back. Each line of its file: receipt time, topic, payload."""

    def __init__(self, broker, topic, path, user=None, password=None):
        self.path = path
        self.broker = broker
        self.credentials = ["-u", user, "-P", password] if user else []
        self.process = subprocess.Popen(
            ["mosquitto_sub", "-h", "127.0.0.1", "-p", str(broker.port), "-q", "1", "-c",
             "-i", f"subscriber-{broker.port}", "-t", topic, "-t", "probe/#", "-F",
             "%U %t %p", *self.credentials],
            stdout=open(path, "wb"), stderr=subprocess.DEVNULL)
        SUBSCRIBERS.append(self)
        # Subscribed once a message of its own comes back; one sent before is lost.
        deadline = time.monotonic() + 10
        while b"probe/ready" not in open(path, "rb").read():
            if time.monotonic() > deadline:
                self.stop()
                raise TimeoutError("the subscriber did not subscribe")
            subprocess.run(["mosquitto_pub", "-h", "127.0.0.1", "-p", str(broker.port), "-q",
                            "1", "-t", "probe/ready", "-m", "ready", *self.credentials],
                           check=True)
            time.sleep(0.2)

    def messages(self):
        """(receipt time in seconds, topic, payload) of each whole line, probes left out."""
        found = []
        with open(self.path, "rb") as f:
            for line in f.read().split(b"\n")[:-1]:
                stamp, topic, payload = line.decode().split(" ", 2)
                if not topic.startswith("probe/"):
                    seconds, _, fraction = stamp.partition(".")
                    found.append((int(seconds) + float("0." + (fraction or "0")), topic,
                                  payload))
        return found

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            self.process.wait(timeout=10)
