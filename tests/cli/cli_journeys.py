"""orma-cli from a shell, as a script or a user runs it: a memory download from the simulated
instrument into a file that holds exactly the instrument's bytes; a continuous logging killed
outright that keeps every line it had; each conversion of the sample data file read back and
checked; the statistics against figures computed here; and the refusals, each with its own
status and without a partial file."""

import csv
import io
import html
import json
import math
import os
import re
import signal
import resource
import select
import shutil
import socket
import stat
import struct
import subprocess
import tempfile
import termios
import threading
import time
import tty
import xml.etree.ElementTree as ElementTree
import zipfile

from journey_checks import check, run

CLI = os.environ["ORMA_CLI"]
INSTRUMENT = os.environ["ORMA_INSTRUMENT"]
SAMPLE = os.path.join(os.environ["ORMA_SAMPLES"], "measurements.orm")
SHEET = "{http://schemas.openxmlformats.org/spreadsheetml/2006/main}"


def cli(*args, status=0, says=None):
    result = subprocess.run([CLI, *args], capture_output=True, timeout=120)
    check(result.returncode == status,
          f"orma-cli {' '.join(args)}: status {result.returncode}, not {status}; "
          f"stderr {result.stderr.decode(errors='replace')!r}")
    lines = result.stderr.decode().strip().splitlines()
    if status != 0:
        check(len(lines) == 1 and lines[0].startswith("orma-cli: "),
              f"orma-cli {' '.join(args)}: not one line of reason: {lines!r}")
    if says is not None:
        check(any(says in line for line in lines),
              f"orma-cli {' '.join(args)}: {says!r} not said in {lines!r}")
    return result.stdout.decode()


def start_instrument(*args):
    instrument = subprocess.Popen([INSTRUMENT, *args], stdout=subprocess.PIPE,
                                  stderr=subprocess.DEVNULL, text=True)
    return instrument, instrument.stdout.readline().strip()


def csv_rows(path):
    with open(path, encoding="utf-8-sig", newline="") as f:
        return list(csv.reader(f, delimiter=";"))


def seconds(text):
    hours, minutes, rest = text.split(":")
    return int(hours) * 3600 + int(minutes) * 60 + float(rest)


def memory_download(work):
    records = 40
    instrument, port = start_instrument("--memory", str(records), "--delay", "1",
                                        "--line-delay", "5")
    try:
        received = os.path.join(work, "download.orm")
        cli("download", port, "-o", received, "--first-wait", "20")
    finally:
        instrument.kill()
        instrument.wait()
    sent = os.path.join(work, "sent.orm")
    subprocess.run([INSTRUMENT, "--memory", str(records), "--write-file", sent], check=True,
                   timeout=20)
    with open(received, "rb") as a, open(sent, "rb") as b:
        check(a.read() == b.read(), "the downloaded file differs from the instrument's bytes")


def continuous_logging_killed(work):
    instrument, port = start_instrument("--continuous", "--interval", "40")
    log = os.path.join(work, "log.orm")
    logger = subprocess.Popen([CLI, "download", port, "--continuous", "-o", log],
                              stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    try:
        deadline = time.monotonic() + 20
        while (not os.path.exists(log) or os.path.getsize(log) < 2000) and \
                time.monotonic() < deadline:
            time.sleep(0.1)
        with open(log, "rb") as f:
            before = f.read()
        # Whatever was in the file a second and more before the kill stays, and lines keep
        # coming in between: they are written as they arrive, not at the end.
        time.sleep(1.2)
        logger.send_signal(signal.SIGKILL)
        logger.wait()
    finally:
        instrument.kill()
        instrument.wait()
    with open(log, "rb") as f:
        after = f.read()
    complete = before[:before.rfind(b"\n") + 1]
    check(len(complete) > 0, "nothing was logged")
    check(after.startswith(complete), "lines logged before the kill were lost")
    check(after.count(b"\n") >= complete.count(b"\n") + 10,
          "the lines of the last second were not in the file")
    lines = after[:after.rfind(b"\n") + 1].count(b"\n")
    figures = json.loads(cli("stats", log, "--mode", "continuous", "--json"))
    check(figures["count"] == lines, f"{figures['count']} readings of {lines} logged lines")


def conversions(work):
    # The CSV is the table's export; the others are checked against it.
    table = os.path.join(work, "measurements.csv")
    cli("convert", SAMPLE, "--to", "csv", "-o", table)
    rows = csv_rows(table)
    check(rows[0] == ["№", "Время", "T °C", "Е", "Режим"], f"CSV titles {rows[0]}")
    check(len(rows) == 121, f"{len(rows) - 1} CSV rows, not 120")
    check(rows[1] == ["1", "09:12:37.410", "19", "0,950", "Измерение"], f"first row {rows[1]}")
    with open(table, "rb") as f:
        raw = f.read()
    check(raw.startswith(b"\xef\xbb\xbf") and raw.endswith(b"\r\n"), "CSV not as Excel opens it")

    workbook = os.path.join(work, "measurements.xlsx")
    cli("convert", SAMPLE, "--to", "xlsx", "-o", workbook)
    with zipfile.ZipFile(workbook) as archive:
        sheet = ElementTree.fromstring(archive.read("xl/worksheets/sheet1.xml"))
    sheet_rows = list(sheet.iter(SHEET + "row"))
    check(len(sheet_rows) == 120, f"{len(sheet_rows)} workbook rows")
    for sheet_row, row in zip(sheet_rows, rows[1:]):
        cells = list(sheet_row.iter(SHEET + "c"))
        values = [cell.find(SHEET + "v").text for cell in cells[:4]]
        kinds = [cell.get("t") for cell in cells]
        # The mode is text written into its cell: a sheet of any length is written a row at a
        # time, with no table of texts kept to its end.
        check(kinds == [None, None, None, None, "inlineStr"], f"cell types {kinds}")
        check(int(values[0]) == int(row[0]) and int(values[2]) == int(row[2]),
              f"numbers {values} for {row}")
        check(abs(float(values[1]) * 86400 - seconds(row[1])) < 0.0005, f"time {values[1]}")
        check(abs(float(values[3]) - float(row[3].replace(",", "."))) < 1e-9, "emissivity")
        check(cells[4].find(f"{SHEET}is/{SHEET}t").text == row[4], "mode")

    # The text form read back through the parser gives the same table, numbered from 0.
    text = os.path.join(work, "measurements.txt")
    cli("convert", SAMPLE, "--to", "txt", "-o", text)
    again = os.path.join(work, "again.csv")
    cli("convert", text, "--to", "csv", "-o", again)
    back = csv_rows(again)
    check(len(back) == len(rows), "the text form lost rows")
    for a, b in zip(rows[1:], back[1:]):
        check(int(a[0]) - 1 == int(b[0]) and a[1:] == b[1:], f"text form row {b} for {a}")

    # Several inputs into a folder, one output each; two inputs of one name would share one.
    folder = os.path.join(work, "out")
    os.mkdir(folder)
    cli("convert", SAMPLE, text, "--to", "xlsx", "-o", folder, status=2)
    second = os.path.join(work, "second.orm")
    with open(SAMPLE, "rb") as source, open(second, "wb") as copy:
        copy.write(source.read())
    cli("convert", SAMPLE, second, "--to", "csv", "-o", folder)
    check(sorted(os.listdir(folder)) == ["measurements.csv", "second.csv"], "outputs in the folder")
    check(csv_rows(os.path.join(folder, "second.csv")) == rows, "second output differs")


def elapsed(ms):
    """A length of time as the statistics show it: 2:17.780, 1:00:00.000, 05.000."""
    hours, rest = divmod(ms, 3600000)
    minutes, rest = divmod(rest, 60000)
    return ((f"{hours}:" if hours else "") + (f"{minutes}:" if minutes or hours else "")
            + f"{rest // 1000:02}.{rest % 1000:03}")


def statistics(work):
    rows = csv_rows(os.path.join(work, "measurements.csv"))[1:]
    times = [seconds(row[1]) for row in rows]
    temperatures = [int(row[2]) for row in rows]
    mean = sum(temperatures) / len(temperatures)
    deviation = math.sqrt(sum((t - mean) ** 2 for t in temperatures) / len(temperatures))
    above = sum(times[i + 1] - times[i] for i in range(len(rows) - 1) if temperatures[i] > 600)
    below = sum(times[i + 1] - times[i] for i in range(len(rows) - 1) if temperatures[i] < 100)
    figures = json.loads(cli("stats", SAMPLE, "--above", "600", "--below", "100", "--json"))
    check(figures["count"] == len(rows), "count")
    check(figures["lowest"]["temperature"] == min(temperatures), "lowest")
    check(figures["highest"]["temperature"] == max(temperatures), "highest")
    check(figures["highest"]["time"] == rows[temperatures.index(max(temperatures))][1],
          "time of the highest")
    check(abs(figures["mean"] - mean) < 1e-9, "mean")
    check(abs(figures["standard_deviation"] - deviation) < 1e-9, "standard deviation")
    check(abs(figures["duration_ms"] / 1000 - (times[-1] - times[0])) < 0.0005, "duration")
    check(abs(figures["time_above_ms"] / 1000 - above) < 0.0005, "time above")
    check(abs(figures["time_below_ms"] / 1000 - below) < 0.0005, "time below")
    window = json.loads(cli("stats", SAMPLE, "--from", rows[10][1][:8], "--to",
                            rows[20][1][:8], "--json"))
    inside = [t for t, when in zip(temperatures, times)
              if seconds(rows[10][1][:8]) <= when <= seconds(rows[20][1][:8])]
    check(window["count"] == len(inside), "count in a window")
    # The duration is the window's length, as the graph window shows it for the same stretch.
    check(window["duration_ms"] == round((seconds(rows[20][1][:8]) - seconds(rows[10][1][:8]))
                                         * 1000), f"duration of a window {window['duration_ms']}")
    # A comma reads as a point; a whole number of degrees either way.
    comma = json.loads(cli("stats", SAMPLE, "--above", "600,0", "--json"))
    check(comma["time_above_ms"] == figures["time_above_ms"], "a threshold with a comma")

    # The text form: one figure a line, the values in a column, worded as in the graph window.
    text = cli("stats", SAMPLE, "--above", "600").splitlines()
    expected = [("Readings", str(len(rows))), ("Mean", f"{mean:.1f} °C"),
                ("Duration", elapsed(round((times[-1] - times[0]) * 1000))),
                ("Above 600 °C", elapsed(round(above * 1000)))]
    for label, value in expected:
        check(f"{label + ':':21}{value}" in text, f"{label} {value!r} not in {text!r}")


def plot(work):
    picture = os.path.join(work, "graph.png")
    cli("plot", SAMPLE, "-o", picture, "--size", "640x480")
    with open(picture, "rb") as f:
        header = f.read(24)
    check(header[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG")
    check(struct.unpack(">II", header[16:24]) == (640, 480), "PNG size")
    for form in ("svg", "pdf"):
        cli("plot", SAMPLE, "-o", os.path.join(work, "graph." + form))
    # A name of no picture form is refused, as the window refuses it, and nothing is written.
    for name in ("graph.jpg", "graph"):
        cli("plot", SAMPLE, "-o", os.path.join(work, name), status=2, says=".png, .svg or .pdf")
        check(not os.path.exists(os.path.join(work, name)), f"{name} written")


def pdf_words(pdf):
    """The words of a one-page PDF, each with its box in points, and the page's size."""
    layout = subprocess.run(["pdftotext", "-bbox", pdf, "-"], capture_output=True, check=True,
                            timeout=60).stdout.decode()
    page = re.search(r'<page width="([\d.]+)" height="([\d.]+)"', layout)
    words = [(html.unescape(text), *map(float, box)) for *box, text in re.findall(
        r'<word xMin="([-\d.]+)" yMin="([-\d.]+)" xMax="([-\d.]+)" yMax="([-\d.]+)">(.*?)</word>',
        layout)]
    return words, float(page.group(1)), float(page.group(2))


REPORT_ROW = re.compile(r"^(\d+) (\d\d:\d\d:\d\d\.\d{3}) (-?\d+) (\d\.\d+)(?: (\S.*?))?$")


def report(work):
    """One PDF of the sample with notes beside it: the title block, the same figures as stats
    gives, the notes, every row of the table once and in order, numbered pages on the paper
    asked for; a report of a window holds that window's rows alone."""
    rows = csv_rows(os.path.join(work, "measurements.csv"))[1:]
    run = os.path.join(work, "run.orm")
    with open(SAMPLE, "rb") as source, open(run, "wb") as copy:
        copy.write(source.read())
    # A note on the tenth reading, one on a moment after the last, which the window leaves out
    # once it ends before it.
    with open(run + ".notes", "w", encoding="utf-8") as notes:
        notes.write(f"{rows[9][1]}\tдверь печи открыта\n{rows[-1][1]}\tобразец 3\n")
    pdf = os.path.join(work, "report.pdf")
    cli("report", run, "-o", pdf, "--above", "600", "--below", "100", "--title", "Печь 2",
        "--page", "letter")
    info = subprocess.run(["pdfinfo", pdf], capture_output=True, text=True, check=True).stdout
    check("612 x 792 pts" in info, f"not a Letter page: {info!r}")
    text = subprocess.run(["pdftotext", "-layout", pdf, "-"], capture_output=True, text=True,
                          check=True).stdout
    pages = [[" ".join(line.split()) for line in page.splitlines() if line.strip()]
             for page in text.split("\f")[:-1]]
    count = int(re.search(r"Pages:\s+(\d+)", info).group(1))
    check(len(pages) == count and count >= 3, f"{len(pages)} pages read of {count}")
    for number, page in enumerate(pages, 1):
        check(any(line.endswith(f"стр. {number} из {count}") for line in page),
              f"page {number} is not numbered of {count}: {page[-2:]}")
        check(any(line.startswith("ORMA ") for line in page), f"no version at page {number}")
    lines = [line for page in pages for line in page]
    figures = json.loads(cli("stats", run, "--above", "600", "--below", "100", "--json"))
    temperatures = [int(row[2]) for row in rows]
    within = sum(100 <= t <= 600 for t in temperatures)
    # Its name gives no day: the day it was last written is the recording's.
    day = time.strftime("%d.%m.%Y", time.localtime(os.path.getmtime(run)))
    expected = ["Печь 2", "Источник: run.orm", f"Дата измерений: {day}",
                f"Окно времени: {rows[0][1]} - {rows[-1][1]}",
                "Пороги: верхний 600 °C, нижний 100 °C",
                f"Измерений: {figures['count']}",
                f"Минимум: {figures['lowest']['temperature']} °C ({figures['lowest']['time']})",
                f"Максимум: {figures['highest']['temperature']} °C "
                f"({figures['highest']['time']})",
                f"Среднее: {figures['mean']:.1f} °C",
                f"Ст. отклонение: {figures['standard_deviation']:.1f} °C",
                f"Длительность: {elapsed(figures['duration_ms'])}",
                f"Выше 600 °C: {elapsed(figures['time_above_ms'])}",
                f"Ниже 100 °C: {elapsed(figures['time_below_ms'])}",
                f"В пределах порогов: {100 * within / len(rows):.1f} % ({within} из {len(rows)})",
                f"1. {rows[9][1]} дверь печи открыта", f"2. {rows[-1][1]} образец 3",
                f"Все измерения окна: {len(rows)}"]
    for line in expected:
        check(line in lines, f"{line!r} not in the report")
    check(figures["within_limits"] == within, "stats counts the readings within the thresholds")

    def table(lines):
        return [[cell or "" for cell in m.groups()] for m in map(REPORT_ROW.match, lines) if m]
    printed = [[n, t, T, e.replace(",", ".")[:4], mode] for n, t, T, e, mode in rows]
    check(table(lines) == printed, f"{len(table(lines))} rows in the report's table for "
          f"{len(printed)}; first {table(lines)[:1]}")

    # A window: its rows alone, the note after it left out; A4 when asked.
    cli("report", run, "-o", pdf, "--from", rows[10][1][:8], "--to", rows[20][1][:8], "--force",
        "--page", "a4")
    text = subprocess.run(["pdftotext", "-layout", pdf, "-"], capture_output=True, text=True,
                          check=True).stdout
    lines = [" ".join(line.split()) for line in text.splitlines() if line.strip()]
    inside = [row for row in printed
              if seconds(rows[10][1][:8]) <= seconds(row[1]) <= seconds(rows[20][1][:8])]
    check(table(lines) == inside, f"the window's table {table(lines)[:1]}..., not {inside[:1]}")
    check(not any("образец 3" in line for line in lines), "a note outside the window reported")
    check("(A4)" in subprocess.run(["pdfinfo", pdf], capture_output=True, text=True).stdout,
          "not an A4 page")
    # Two days joined: the table heads each day's rows with its date.
    days = [os.path.join(work, f"kiln-2026-12-0{day}.orm") for day in (7, 8)]
    for path in days:
        shutil.copyfile(SAMPLE, path)
    cli("report", *days, "-o", pdf, "--force")
    text = subprocess.run(["pdftotext", "-layout", pdf, "-"], capture_output=True, text=True,
                          check=True).stdout
    lines = [" ".join(line.split()) for line in text.splitlines() if line.strip()]
    check(table(lines) == printed + printed, f"{len(table(lines))} rows of two days")
    first, second = lines.index("07.12.2026"), lines.index("08.12.2026")
    check(lines.index("Таблица измерений") < first < second,
          "the days' headings are not in the table's order")
    check(lines[first + 2].startswith("1 ") and lines[second + 2].startswith("1 "),
          f"a day's rows do not follow its heading: {lines[second:second + 3]}")
    # Refusals in one line each, and no report left behind.
    os.remove(pdf)
    cli("report", run, "-o", os.path.join(work, "report.png"), status=2, says=".pdf")
    cli("report", run, "-o", pdf, "--page", "a5", status=2, says="a4")
    cli("report", run, "-o", pdf, "--from", "25:00:00", status=2)
    check(not os.path.exists(pdf), "a refused report was written")


def clock(text):
    hours, minutes, rest = text.split(":")
    second, millisecond = rest.split(".")
    return f"{int(hours)}:{int(minutes)}:{int(second)}.{millisecond}"


def picture_layout(work):
    """A plot's texts lie whole inside the picture at every size, and its header names what is
    drawn; the refusals of plot are said in one line each, and nothing is asked."""
    captions = {"Температурный", "Интервал", "Степень", "Время", "Температура,"}
    for size in ("100x100", "800x500", "1000x700", "3000x100", "100x3000"):
        pdf = os.path.join(work, f"layout-{size}.pdf")
        cli("plot", SAMPLE, "-o", pdf, "--size", size)
        words, width, height = pdf_words(pdf)
        for text, left, top, right, bottom in words:
            check(left >= -0.5 and top >= -0.5 and right <= width + 0.5 and bottom <= height + 0.5,
                  f"{size}: {text!r} at {left:.1f},{top:.1f}-{right:.1f},{bottom:.1f} leaves the "
                  f"page of {width:.1f}x{height:.1f}")
        shown = {text for text, *_ in words}
        check(captions <= shown, f"{size}: {captions - shown} not drawn")
        if size == "800x500":
            degrees = [text for text in shown if re.fullmatch(r"-?\d+°", text)]
            check(len(degrees) >= 3, f"{size}: temperature labels {degrees}")

    rows = csv_rows(os.path.join(work, "measurements.csv"))[1:]
    inside = [row for row in rows if seconds("09:13:00") <= seconds(row[1]) <= seconds("09:13:30")]
    temperatures = [int(row[2]) for row in inside]
    pdf = os.path.join(work, "window.pdf")
    cli("plot", SAMPLE, "-o", pdf, "--from", "09:13:00", "--to", "09:13:30")
    shown = [text for text, *_ in pdf_words(pdf)[0]]
    check(f"{min(temperatures)}...{max(temperatures)}" in shown, f"range not of the window: {shown}")
    interval = shown.index("Интервал")
    check(shown[interval + 1:interval + 4] == [clock(inside[0][1]), "-", clock(inside[-1][1]) + ","],
          f"interval not of the window: {shown[interval:interval + 4]}")

    cli("plot", SAMPLE, "-o", pdf, "--from", "23:00:00", "--force", status=3,
        says="no readings between")
    cli("plot", SAMPLE, "-o", pdf, "--size", "800", "x", "500", "--force", status=2,
        says="--size 800x500")
    # Times that fall back: the readings before are drawn, and said so in the user's words.
    with open(SAMPLE, "rb") as f:
        lines = f.read().splitlines(keepends=True)
    falling = os.path.join(work, "falling.orm")
    with open(falling, "wb") as f:
        f.write(b"".join(lines[:3] + lines[:3]))
    result = subprocess.run([CLI, "plot", falling, "-o", os.path.join(work, "falling.png")],
                            capture_output=True, timeout=60)
    said = result.stderr.decode()
    check(result.returncode == 0 and "the first 3 are drawn" in said and
          not re.search("[а-яА-Я]", said), f"falling times: {result.returncode} {said!r}")


def unusual_outputs(work):
    """A device or a pipe named as the output is written in place and stays what it was, its
    failures said; what cannot be written so is refused; a failed save says why."""
    cli("convert", SAMPLE, "--to", "csv", "-o", "/dev/null")
    cli("convert", SAMPLE, "--to", "xlsx", "-o", "/dev/null", "--force")
    check(stat.S_ISCHR(os.stat("/dev/null").st_mode), "/dev/null is no longer a device")
    cli("convert", SAMPLE, "--to", "csv", "-o", "/dev/full", status=1,
        says="No space left on device")
    full = os.path.join(work, "full.png")
    os.symlink("/dev/full", full)
    cli("plot", SAMPLE, "-o", full, status=1, says="No space left on device")
    check(os.readlink(full) == "/dev/full", "the link to /dev/full was replaced")

    pipe = os.path.join(work, "pipe.txt")
    os.mkfifo(pipe)
    received = []
    reader = threading.Thread(target=lambda: received.append(open(pipe, "rb").read()))
    reader.start()
    cli("convert", SAMPLE, "--to", "txt", "-o", pipe)
    reader.join(timeout=60)
    check(stat.S_ISFIFO(os.stat(pipe).st_mode), "the pipe was replaced")
    check(received and received[0].count(b"\r\n") == 120, "the pipe did not get the text form")

    with socket.socket(socket.AF_UNIX) as listening:
        sock = os.path.join(work, "socket.csv")
        listening.bind(sock)
        cli("convert", SAMPLE, "--to", "csv", "-o", sock, "--force", status=1, says=sock)
        check(stat.S_ISSOCK(os.stat(sock).st_mode), "the socket was replaced")
    cli("convert", SAMPLE, "--to", "csv", "-o", os.path.join(work, "none", "x.csv"), status=1,
        says="x.csv: not written: ")
    for stray in (pipe, sock, full):
        os.remove(stray)


def pipe_input(work):
    """A named pipe is read until its writer closes it, the writer silent at first; a pipe that
    no program opens for writing is given up, not waited on for ever."""
    pipe = os.path.join(work, "input.orm")
    os.mkfifo(pipe)
    with open(SAMPLE, "rb") as f:
        sample = f.read()

    def write_late():
        with open(pipe, "wb") as writer:
            time.sleep(1)
            writer.write(sample)
    writer = threading.Thread(target=write_late)
    writer.start()
    figures = json.loads(cli("stats", pipe, "--json"))
    writer.join()
    check(figures["count"] == 120, f"{figures['count']} readings through the pipe")
    cli("stats", pipe, status=3, says="no program opened the pipe for writing")
    os.remove(pipe)


def refusals(work):
    table = os.path.join(work, "measurements.csv")
    with open(table, "rb") as f:
        kept = f.read()
    cli("convert", SAMPLE, "--to", "csv", "-o", table, status=6)
    with open(table, "rb") as f:
        check(f.read() == kept, "a refused output was changed")
    cli("convert", SAMPLE, "--to", "csv", "-o", table, "--force")

    garbage = os.path.join(work, "garbage.orm")
    with open(garbage, "wb") as f:
        f.write(b"\x00\xff not an instrument line\r\n" * 50)
    for args in (("convert", garbage, "--to", "xlsx", "-o", os.path.join(work, "g.xlsx")),
                 ("convert", os.path.join(work, "missing.orm"), "--to", "csv", "-o",
                  os.path.join(work, "m.csv")),
                 ("plot", garbage, "-o", os.path.join(work, "g.png")),
                 ("stats", work)):
        cli(*args, status=3)
    leftovers = [name for name in os.listdir(work) if name.startswith(("g.", "m.", "ORMA-"))]
    check(not leftovers, f"partial outputs left: {leftovers}")

    cli("convert", SAMPLE, "--to", "ods", "-o", os.path.join(work, "x"), status=2)
    cli("stats", SAMPLE, "--frm", "10:00:00", status=2)
    cli("stats", SAMPLE, "--from", "25:00:00", status=2)
    cli("stats", SAMPLE, "--from", "09:14:00", "--to", "09:13:00", status=2)
    # Thresholds as the graph window takes them: whole degrees, the upper above the lower.
    cli("stats", SAMPLE, "--above", "100", "--below", "600", status=2,
        says="--above must be higher than --below")
    cli("stats", SAMPLE, "--above", "12.5", status=2, says="--above: a whole number of degrees")
    cli("stats", SAMPLE, "--below", "", status=2, says="--below: a whole number of degrees")
    cli("plot", SAMPLE, "-o", os.path.join(work, "g.png"), "--size", "50 x 50", status=2)
    cli("launch", status=2)
    cli("download", "/dev/orma-no-such-port", "-o", os.path.join(work, "p.orm"), status=4)
    check(not os.path.exists(os.path.join(work, "p.orm")), "a file for a port that failed")

    english = subprocess.run([CLI, "--help"], capture_output=True, text=True,
                             env={**os.environ, "LC_ALL": "", "LANG": "en_GB.UTF-8"})
    russian = subprocess.run([CLI, "--help"], capture_output=True, text=True,
                             env={**os.environ, "LC_ALL": "ru_RU.UTF-8"})
    check("Exit status" in english.stdout and "Коды завершения" in russian.stdout,
          "help not in the locale's language")


LINE = b"12:00:%02d:00 E=0.950 T= 8%02d TRC\r\n"


def crafted_port():
    """A pseudo-terminal whose bytes the journey writes itself; its device end is closed here,
    so that it is no busy port."""
    master, slave = os.openpty()
    name = os.ttyname(slave)
    tty.setraw(slave)
    os.close(slave)
    return master, name


def start_logger(master, port, *args, **options):
    # The port goes back to another speed, so that its 9600 baud tell when orma-cli has opened
    # and flushed it: only then do the bytes written here reach it.
    slave = os.open(port, os.O_RDWR | os.O_NOCTTY)
    settings = termios.tcgetattr(slave)
    settings[4] = settings[5] = termios.B38400
    termios.tcsetattr(slave, termios.TCSANOW, settings)
    os.close(slave)
    logger = subprocess.Popen([CLI, "download", port, *args], **options)
    deadline = time.monotonic() + 20
    while termios.tcgetattr(master)[4] != termios.B9600:
        check(logger.poll() is None and time.monotonic() < deadline, "the port was not opened")
        time.sleep(0.01)
    return logger


def stop(logger):
    logger.send_signal(signal.SIGTERM)
    _, err = logger.communicate(timeout=20)
    return logger.returncode, err.decode()


def hostile_line(work):
    """A noisy port, a line without end and a kill in mid-line: the file holds whole lines
    only, the short line costs no reading, the endless one is dropped and counted; the log
    continued through a pipe still reads line by line. A line that only ever grows ends in a
    message, not a silent success; the port itself is refused as the output; the disk filling
    or the file reaching its size limit leaves whole lines and says how many."""
    master, port = crafted_port()
    log = os.path.join(work, "hostile.orm")
    logger = start_logger(master, port, "--continuous", "-o", log,
                          stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    os.write(master, b"\x7f\x00~\r\n" + LINE % (1, 1))
    endless = b"9" * (200 * 1024)
    for start in range(0, len(endless), 4096):
        os.write(master, endless[start:start + 4096])
    os.write(master, b"\r\n" + LINE % (2, 2) + LINE % (3, 3) + b"12:00:04:00 E=0.9")
    deadline = time.monotonic() + 20
    while (not os.path.exists(log) or os.path.getsize(log) < 5 + 3 * len(LINE % (1, 1))) and \
            time.monotonic() < deadline:
        time.sleep(0.05)
    status, err = stop(logger)
    check(status == 0, f"the kill ended with {status}: {err!r}")
    check("64 KiB dropped: 1" in err, f"the dropped line was not told: {err!r}")
    with open(log, "rb") as f:
        kept = f.read()
    check(kept == b"\x7f\x00~\r\n" + LINE % (1, 1) + LINE % (2, 2) + LINE % (3, 3),
          f"the file holds {kept[-80:]!r}")

    # Continued: the next run's lines follow whole lines, and all three of its readings count.
    logger = start_logger(master, port, "--continuous", "-o", "/dev/stdout",
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    os.write(master, LINE % (5, 5) + LINE % (6, 6) + LINE % (7, 7))
    piped = b""
    while piped.count(b"\n") < 3:
        check(select.select([logger.stdout], [], [], 20)[0], "nothing came through the pipe")
        piped += os.read(logger.stdout.fileno(), 4096)
    status, err = stop(logger)
    check(status == 0, f"a pipe as output failed: {status} {err!r}")
    with open(log, "ab") as f:
        f.write(piped)
    figures = json.loads(cli("stats", log, "--mode", "continuous", "--json"))
    check(figures["count"] == 6, f"{figures['count']} readings in the continued log, not 6")

    # Only bytes, never a line feed: a failure that says so, and no empty file left.
    endless_log = os.path.join(work, "endless.orm")
    logger = start_logger(master, port, "--continuous", "--first-wait", "2", "-o", endless_log,
                          stderr=subprocess.PIPE)
    os.set_blocking(master, False)
    while logger.poll() is None:
        try:
            os.write(master, endless[:4096])
        except BlockingIOError:
            select.select([], [master], [], 0.1)
    os.set_blocking(master, True)
    err = logger.stderr.read().decode()
    check(logger.returncode == 1 and "dropped: 1" in err,
          f"an endless line ended with {logger.returncode}: {err!r}")
    check(not os.path.exists(endless_log), "an empty file was left")

    # orma-cli never writes to the instrument. The device end held open here keeps the
    # master from reading as hung up.
    slave = os.open(port, os.O_RDWR | os.O_NOCTTY)
    cli("download", port, "--continuous", "-o", port, status=2)
    sent = select.select([master], [], [], 0.2)[0]
    os.close(slave)
    check(not sent, "bytes were sent to the instrument")

    # No room: the disk full, then a file at its size limit, cut back to its last whole line.
    logger = start_logger(master, port, "--continuous", "-o", "/dev/full",
                          stderr=subprocess.PIPE)
    os.write(master, LINE % (8, 8))
    _, err = logger.communicate(timeout=20)
    check(logger.returncode == 7 and "disk full" in err.decode(),
          f"a full disk ended with {logger.returncode}: {err!r}")

    def small_files():
        signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
        resource.setrlimit(resource.RLIMIT_FSIZE, (1000, resource.RLIM_INFINITY))

    limited = os.path.join(work, "limited.orm")
    logger = start_logger(master, port, "--continuous", "-o", limited,
                          stderr=subprocess.PIPE, preexec_fn=small_files)
    lines = b"".join(LINE % (second, second) for second in range(60))
    os.write(master, lines)
    _, err = logger.communicate(timeout=20)
    whole = 1000 // len(LINE % (0, 0))
    check(logger.returncode == 1 and f"after {whole} readings" in err.decode(),
          f"a file at its limit ended with {logger.returncode}: {err!r}")
    with open(limited, "rb") as f:
        check(f.read() == lines[:whole * len(LINE % (0, 0))], "the limited file is not whole lines")
    os.close(master)


def joined_days(work):
    """Three files of a daily rotation, given out of order, through stats and plot as one
    timeline across two midnights: the figures are those of the readings laid end to end by
    their days, the time of an extreme given with its day."""
    days = {"2026-12-07": range(22 * 3600, 86400, 13), "2026-12-08": range(0, 86400, 17),
            "2026-12-09": range(0, 2 * 3600, 11)}
    files, times, temperatures = [], [], []
    for number, (day, seconds) in enumerate(days.items()):
        path = os.path.join(work, f"kiln-{day}.orm")
        files.insert(0, path)
        with open(path, "wb") as f:
            for second in seconds:
                temperature = 600 + (second * 7 + number * 131) % 397
                f.write(b"%02d:%02d:%02d:00 E=0.95 T=%4d\r\n"
                        % (second // 3600, second // 60 % 60, second % 60, temperature))
                times.append(number * 86400 + second)
                temperatures.append(temperature)
    mean = sum(temperatures) / len(temperatures)
    highest = temperatures.index(max(temperatures))
    above = sum(times[i + 1] - times[i] for i in range(len(times) - 1) if temperatures[i] > 900)
    figures = json.loads(cli("stats", *files, "--mode", "continuous", "--above", "900", "--json"))
    check(figures["count"] == len(times), f"{figures['count']} readings of {len(times)}")
    check(abs(figures["mean"] - mean) < 1e-9, "the mean of the joined days")
    check(figures["duration_ms"] == (times[-1] - times[0]) * 1000,
          f"duration {figures['duration_ms']} across two midnights")
    check(figures["time_above_ms"] == above * 1000, "time above across midnight")
    check(figures["first_day"] == "2026-12-07" and figures["highest"]["date"] ==
          list(days)[times[highest] // 86400], f"the days of the figures {figures}")
    check(figures["highest"]["time_ms"] == times[highest] * 1000, "the time of the highest")
    # The text form dates the times of the later days instead of counting hours past 24.
    shown = cli("stats", *files, "--mode", "continuous")
    day, second = divmod(times[highest], 86400)
    check(f"({list(days)[day]} {second // 3600:02d}:{second // 60 % 60:02d}:{second % 60:02d}.000)"
          in shown, f"the highest's date and time in {shown!r}")
    cli("plot", *files, "--mode", "continuous", "-o", os.path.join(work, "days.png"))
    # One file stays one day, its times of day unchanged.
    single = json.loads(cli("stats", files[-1], "--mode", "continuous", "--json"))
    check("first_day" not in single and single["highest"]["time_ms"] < 86400000, f"{single}")


# A build with the address sanitizer reserves terabytes of address space for its shadow and
# keeps freed memory aside: there the runs are not bounded and their peaks not judged.
SANITIZED = os.environ.get("ORMA_SANITIZED") == "1"


def bounded(*args, stdin=None):
    """orma-cli run with its address space limited to 128 MiB, as a small machine has it."""
    limit = [] if SANITIZED else ["prlimit", f"--as={128 * 1024 * 1024}"]
    return subprocess.Popen([*limit, CLI, *args], stdin=stdin,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE)


def check_peak(peak, what):
    """A bounded run stayed within a few tens of MiB."""
    check(SANITIZED or peak < 48 * 1024, f"{what} took {peak} KiB at its peak")


def ended(process):
    """The status, stderr and peak memory in KiB of a bounded run whose stdout was read."""
    err = process.stderr.read().decode()
    _, status, usage = os.wait4(process.pid, 0)
    process.returncode = os.waitstatus_to_exitcode(status)
    return process.returncode, err, usage.ru_maxrss


def long_inputs(work):
    """Inputs larger than the memory given: a 1 GiB file of readings converted in one pass
    under a 128 MiB address space, every row reaching the output and no workbook left past a
    worksheet's row limit; /dev/zero, one line without end, read until Ctrl+C, which ends it
    with a message that counts the dropped line. Each stays within a few tens of MiB."""
    big = os.path.join(work, "big.orm")
    lines = [b"%4d 10:%02d:%02d:%02d E=0.950 T=%4d TRC\r\n"
             % (n % 10000, n // 6000 % 60, n // 100 % 60, n % 100, 200 + n % 800)
             for n in range(28340)]
    block = b"".join(lines)
    repeats = (1 << 30) // len(block) + 1
    with open(big, "wb") as f:
        for _ in range(repeats):
            f.write(block)
    readings = repeats * len(lines)
    n = len(lines) - 1
    last_row = (f"{n % 10000};10:{n // 6000 % 60:02}:{n // 100 % 60:02}.{n % 100 * 10:03};"
                f"{200 + n % 800};0,950;Измерение\r\n").encode()

    converting = bounded("convert", big, "--to", "csv", "-o", "/dev/stdout")
    rows = 0
    tail = b""
    for chunk in iter(lambda: converting.stdout.read(1 << 20), b""):
        rows += chunk.count(b"\n")
        tail = (tail + chunk)[-200:]
    status, err, peak = ended(converting)
    check(status == 0, f"the 1 GiB conversion ended with {status}: {err}")
    check(rows == readings + 1, f"{rows - 1} CSV rows of {readings} readings")
    check(tail.endswith(last_row), f"the last row {tail[-60:]!r}")
    check_peak(peak, "the 1 GiB conversion")

    workbook = os.path.join(work, "big.xlsx")
    status, err, _ = ended(bounded("convert", big, "--to", "xlsx", "-o", workbook))
    check(status == 1 and "a worksheet holds at most 1048576" in err,
          f"a workbook past its rows ended with {status}: {err!r}")
    check(not os.path.exists(workbook), "a workbook was left past the row limit")
    os.remove(big)

    zero = bounded("stats", "/dev/zero")
    time.sleep(2)
    check(zero.poll() is None, "/dev/zero ended by itself")
    zero.send_signal(signal.SIGINT)
    status, err, peak = ended(zero)
    check(status == 1 and "reading interrupted" in err and ". Lines longer than 64 KiB dropped: 1" in err,
          f"/dev/zero ended with {status}: {err!r}")
    check_peak(peak, "/dev/zero")

    # A pipe that never ends is read as it comes, neither held nor copied anywhere.
    endless = subprocess.Popen(["yes", "12:00:01:00 E=0.95 T= 850"], stdout=subprocess.PIPE)
    piped = bounded("stats", "/dev/stdin", "--mode", "continuous", stdin=endless.stdout)
    endless.stdout.close()
    time.sleep(2)
    piped.send_signal(signal.SIGINT)
    status, err, peak = ended(piped)
    endless.kill()
    endless.wait()
    check(status == 1 and re.search(r"after \d+ bytes and [1-9]\d* readings", err),
          f"an endless pipe ended with {status}: {err!r}")
    check_peak(peak, "an endless pipe")


def ports_that_are_none(work):
    """A device that is no terminal is no serial port, and is told so in the locale's
    language."""
    for device in ("/dev/null", "/dev/zero", work):
        result = subprocess.run([CLI, "download", device, "-o", os.path.join(work, "n.orm")],
                                capture_output=True, text=True)
        check(result.returncode == 4 and result.stderr.endswith("It is not a serial port.\n"),
              f"{device}: {result.returncode} {result.stderr!r}")
        check(not any(0x400 <= ord(c) <= 0x4ff for c in result.stderr),
              f"Russian under an English locale: {result.stderr!r}")
    # The window's two lines, what failed and why, read as two sentences on one line.
    russian = subprocess.run([CLI, "download", "/dev/null", "-o", os.path.join(work, "n.orm")],
                             capture_output=True, text=True,
                             env={**os.environ, "LC_ALL": "ru_RU.UTF-8"})
    check(russian.stderr == "orma-cli: /dev/null: Ошибка открытия порта. "
          "Это не последовательный порт.\n", f"{russian.stderr!r}")


def download_alarm(work):
    """A download with thresholds: one line on stderr and one run of the alarm command per
    crossing, the reading in its environment; the reception neither waits for the commands
    nor changes a byte of the file."""
    records = 40
    instrument, port = start_instrument("--memory", str(records), "--delay", "1",
                                        "--line-delay", "5")
    alarms = os.path.join(work, "alarms.txt")
    release = os.path.join(work, "release")
    # Each run holds on until the test lets it go: the download must end before any does.
    command = (f'echo "$ORMA_SIDE $ORMA_LIMIT $ORMA_TEMPERATURE $ORMA_TIME $ORMA_EMISSIVITY '
               f'$ORMA_PORT $ORMA_FILE" >> {alarms}; '
               f'while [ ! -e {release} ]; do sleep 0.1; done; echo ended >> {alarms}')
    received = os.path.join(work, "alarm.orm")
    # The commands inherit stderr: a pipe would stay open until the last of them ends.
    stderr = os.path.join(work, "alarm-stderr.txt")
    try:
        with open(stderr, "w") as err:
            status = subprocess.run([CLI, "download", port, "-o", received, "--first-wait", "20",
                                     "--above", "855", "--below", "100", "--on-alarm", command],
                                    stdout=subprocess.DEVNULL, stderr=err, timeout=120).returncode
    finally:
        instrument.kill()
        instrument.wait()
    with open(stderr) as f:
        told = f.read().splitlines()
    check(status == 0, f"download with an alarm: {status} {told!r}")
    check(told == ["orma-cli: threshold crossed at 09:12:37.410: 19 °C, below 100 °C",
                   "orma-cli: threshold crossed at 09:12:56.520: 856 °C, above 855 °C"],
          f"the crossings told: {told!r}")

    def lines():
        with open(alarms) as f:
            return f.read().splitlines()
    try:
        deadline = time.monotonic() + 20
        while (not os.path.exists(alarms) or len(lines()) < 2) and time.monotonic() < deadline:
            time.sleep(0.1)
        check(lines() == [f"below 100 19 09:12:37.410 0.950 {port} {received}",
                          f"above 855 856 09:12:56.520 0.900 {port} {received}"],
              f"the alarm command ran so: {lines()!r}")
    finally:
        open(release, "w").close()
    while lines().count("ended") < 2 and time.monotonic() < deadline:
        time.sleep(0.1)
    check(lines().count("ended") == 2, f"the alarm commands did not end: {lines()!r}")
    sent = os.path.join(work, "alarm-sent.orm")
    subprocess.run([INSTRUMENT, "--memory", str(records), "--write-file", sent], check=True,
                   timeout=20)
    with open(received, "rb") as a, open(sent, "rb") as b:
        check(a.read() == b.read(), "the file of a download with an alarm differs")

    out = os.path.join(work, "never.orm")
    for args, says in ((["--on-alarm", "true"], "--on-alarm"),
                       (["--above", "855", "--on-alarm", ""], "--on-alarm"),
                       (["--above", "8x5"], "--above"),
                       (["--above", "100", "--below", "200"], "--above must be higher")):
        cli("download", "/dev/null", "-o", out, *args, status=2, says=says)
    check(not os.path.exists(out), "a refused download left a file")


def notes(work):
    """Notes beside a data file: added in any order, listed in time order; the data file stays
    as it was; a bad time or a missing file is refused with one line of reason, the notes kept."""
    data = os.path.join(work, "notes.orm")
    shutil.copyfile(SAMPLE, data)
    with open(data, "rb") as f:
        before = f.read()
    check(cli("notes", data) == "", "notes listed for a file without any")
    cli("notes", data, "--add", "09:13:44.81", "максимум")
    # Unquoted, the text comes as several words.
    cli("notes", data, "--add", "09:12:40", "дверь", "печи", "открыта")
    check(cli("notes", data) == "09:12:40.000  дверь печи открыта\n"
          "09:13:44.810  максимум\n", "the notes listed")
    with open(data + ".notes", encoding="utf-8") as f:
        check(f.read() == "09:12:40.000\tдверь печи открыта\n09:13:44.810\tмаксимум\n",
              "the notes file as the window writes it")
    with open(data, "rb") as f:
        check(f.read() == before, "the data file changed")
    cli("notes", data, "--add", "25:00:00", "поздно", status=2, says="--add")
    cli("notes", data, "--add", "09:00:00", status=2, says="--add")
    cli("notes", os.path.join(work, "missing.orm"), status=3, says="missing.orm")
    # A line that does not read is reported and never rewritten away.
    with open(data + ".notes", "a", encoding="utf-8") as f:
        f.write("испорчено\n")
    listed = subprocess.run([CLI, "notes", data], capture_output=True, timeout=60)
    check(listed.returncode == 0 and listed.stdout.decode().count("\n") == 2
          and b"notes.orm.notes" in listed.stderr, "a damaged notes file listed")
    cli("notes", data, "--add", "09:14:00", "еще", status=1, says="notes.orm.notes")
    with open(data + ".notes", encoding="utf-8") as f:
        check(f.read().endswith("испорчено\n"), "the damaged notes file was rewritten")


def main():
    with tempfile.TemporaryDirectory(prefix="orma-cli-") as work:
        for journey in (conversions, statistics, report, plot, picture_layout, unusual_outputs,
                        pipe_input, refusals, ports_that_are_none, memory_download,
                        continuous_logging_killed, hostile_line, joined_days, long_inputs,
                        download_alarm, notes):
            started = time.monotonic()
            journey(work)
            print(f"{journey.__name__}: passed in {time.monotonic() - started:.1f} s")


if __name__ == "__main__":
    run(main)
