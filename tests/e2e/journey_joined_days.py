"""Three daily files of a rotation, the 7th, the 8th and the 10th of December, given on the
command line and joined into one timeline: the dates taken from their names are offered for
checking, the table names each row's file, the graph draws one curve from the first midnight
to the last reading, its time bar and status line naming the days, and the missing 9th is a
gap in the curve."""

import os
import subprocess
import sys

import pyatspi
from orma_e2e import Journey, check, extents, find_all, text_of

DAYS = ("2026-12-07", "2026-12-08", "2026-12-10")
# A reading a minute, the temperature running up and down every few minutes, so that every
# column of the curve over a day with readings is a tall stroke.
PER_DAY = 24 * 60


def data_line(number, minute):
    """A reading at 30 s past minute of the day."""
    return "%4d %02d:%02d:30:00 E=0.950 T=%4d TRC\r\n" % (
        number, minute // 60, minute % 60, 300 + (minute % 7) * 100)


def red_columns(j, node):
    """For each pixel column of node on the screen, the count of pixels of the curve's red."""
    x, y, w, h = extents(node)
    ppm = subprocess.run(["import", "-window", "root", "-crop", f"{w}x{h}+{x}+{y}",
                          "-depth", "8", "ppm:-"],
                         env=j.env, check=True, capture_output=True).stdout
    # "P6\n<w> <h>\n255\n" then the pixels.
    header = ppm.split(b"\n", 3)
    width, height = map(int, header[1].split())
    pixels = header[3]
    counts = [0] * width
    for row in range(height):
        for column in range(width):
            i = (row * width + column) * 3
            if pixels[i:i + 3] == b"\xff\x00\x00":
                counts[column] += 1
    return counts


def journey():
    with Journey("joined_days", time_limit=150) as j:
        paths = []
        # Given out of order: the timeline orders them by their days.
        for day in reversed(DAYS):
            path = os.path.join(j.files_dir, f"kiln-{day}.orm")
            with open(path, "w", newline="") as f:
                f.write("".join(data_line(n + 1, n) for n in range(PER_DAY)))
            paths.append(path)
        main = j.start_orma("file", *paths)

        days = j.window("dialog", "Объединение файлов")
        edits = find_all(days, "spin button")
        shown = sorted(text_of(e) for e in edits)
        check(shown == ["07.12.2026", "08.12.2026", "10.12.2026"],
              f"the days offered are {shown}")
        j.key("Return")
        j.gone("dialog", "Объединение файлов")

        j.find(main, "push button", "Сохранить...", timeout=60)
        table = find_all(main, "tree")[0]
        grid = table.queryTable()
        check(grid.nRows == 3 * PER_DAY, f"{grid.nRows} rows of {3 * PER_DAY}")
        check(grid.nColumns == 6, f"the table has {grid.nColumns} columns")
        first = text_of(grid.getAccessibleAt(0, 5))
        last = text_of(grid.getAccessibleAt(grid.nRows - 1, 5))
        check(first == "kiln-2026-12-07.orm" and last == "kiln-2026-12-10.orm",
              f"the rows run from {first!r} to {last!r}")
        # The table keeps each file's times of day.
        check(text_of(grid.getAccessibleAt(PER_DAY, 1)) == "00:00:30.000",
              "the second file's first row does not show its own time")

        j.press("График")
        graph = j.window("filler", "-- График --")
        j.xdotool("windowsize", "--sync", j.x_window("-- График --"), 800, 500)
        plot = j.wait_until("the plot at its new size", lambda: [
            f for f in find_all(graph, "filler") if f.queryComponent().getExtents(
                pyatspi.DESKTOP_COORDS).width > 600])[0]
        panes = find_all(graph, "label")
        status = text_of(panes[3])
        check(status == "Время 07.12.2026 00:00:30.000 - 10.12.2026 23:59:30.000",
              f"the status line reads {status!r}")
        time_bar = j.find(graph, "slider", "Шкала времени")
        window = time_bar.description
        check("07.12" in window and "10.12" in window,
              f"the time bar's window reads {window!r}")

        # Four days across the plot: the 9th is the third quarter. Over the days with readings
        # each column is a tall stroke; over the 9th at most the line bridging the gap.
        seen = []

        def measured():
            counts = red_columns(j, plot)
            width = len(counts)
            day = [counts[int(width * f)] for f in (0.1, 0.3, 0.45, 0.85, 0.95)]
            missing = [counts[int(width * f)] for f in (0.56, 0.62, 0.68)]
            seen[:] = [extents(plot), day, missing]
            return (day, missing) if min(day) > 20 else None
        try:
            day, missing = j.wait_until("the curve drawn", measured, timeout=20)
        finally:
            print("plot and red pixels:", seen, file=sys.stderr)
        check(max(missing) <= 3, f"the missing day shows readings: {missing}, days {day}")


if __name__ == "__main__":
    journey()
