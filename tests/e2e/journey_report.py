"""One report of a recording, as a user files it: a data file with a note beside it read back,
"Отчет..." in the main window and again from the graph's menu, each PDF read back. The report
holds its title block, the figures the graph's statistics box shows for the same window, the
note, every row of the table once and in order, and numbered pages."""

import os
import re
import shutil
import time

from orma_e2e import Journey, check, find_all, run

SAMPLE = os.path.join(os.path.dirname(__file__), "..", "..", "samples", "measurements.orm")
GRAPH = ("filler", "-- График --")
# The report is the menu's last item: the first key up reaches it.
REPORT = ("Up", "Return")
# The time of the sample's fifth reading.
NOTED_TIME = "09:12:41.760"
ROW = re.compile(r"^(\d+) (\d\d:\d\d:\d\d\.\d{3}) (-?\d+) (\d\.\d+)(?: (\S.*?))?$")


def lines_of(pages):
    return [" ".join(line.split()) for page in pages for line in page.splitlines()
            if line.strip()]


def check_report(j, path, rows, figures):
    """The report at path: every part, every row of rows, pages numbered of their count."""
    fields, pages = j.printout(path)
    count = int(fields["Pages"])
    check(len(pages) == count and count >= 2, f"{len(pages)} pages read of {count}")
    for number, page in enumerate(pages, 1):
        page_lines = lines_of([page])
        check(any(line.endswith(f"стр. {number} из {count}") for line in page_lines),
              f"page {number} not numbered of {count}: {page_lines[-1:]}")
    lines = lines_of(pages)
    day = time.strftime("%d.%m.%Y", time.localtime(os.path.getmtime(
        os.path.join(j.files_dir, "furnace.orm"))))
    for line in ["Отчет об измерениях", "Источник: furnace.orm", f"Дата измерений: {day}",
                 "Пороги: верхний 600 °C",
                 f"1. {rows[4][1]} образец 3", *figures]:
        check(line in lines, f"{line!r} not in the report {path}")
    printed = [[cell or "" for cell in m.groups()] for m in map(ROW.match, lines) if m]
    expected = [[n, t, T, e[:4], mode] for n, t, T, e, mode, *_ in rows]
    check(printed == expected, f"{len(printed)} rows in the report for {len(expected)}; "
          f"first {printed[:1]}, expected {expected[:1]}")


def journey():
    with Journey("report", time_limit=150) as j:
        data = os.path.join(j.files_dir, "furnace.orm")
        shutil.copyfile(SAMPLE, data)
        # The graph shows its statistics box with a threshold, as the user left it.
        with open(os.path.join(j.config_dir, "KALMIRON", "orma.conf"), "w") as f:
            f.write("[General]\nPort=file\nUpperThreshold=600\nStatistics=true\n")
        # A note beside the file, read back with it, on the fifth reading.
        with open(data + ".notes", "w", encoding="utf-8") as f:
            f.write(f"{NOTED_TIME}\tобразец 3\n")
        main = j.start_orma(None, "--", data)
        j.find(main, "push button", "Отчет...", timeout=60)
        rows = j.table_rows(main)
        check(len(rows) == 120, f"{len(rows)} rows read back")
        check(rows[4][1] == NOTED_TIME, f"the fifth reading is at {rows[4][1]}")

        # The statistics box of the whole graph: the figures the report must give.
        j.press("График")
        graph = j.window(*GRAPH)
        plot = [node for node in find_all(graph, "filler") if node.name == ""][0]
        box = j.wait_until("the statistics box", lambda: [
            line for line in plot.description.splitlines() if ": " in line]
            if plot.description.startswith("Измерений: ") else None)
        check("Измерений: 120" in box and any(line.startswith("Выше 600 °C: ") for line in box),
              f"the statistics box reads {box}")
        temperatures = [int(row[2]) for row in rows]
        within = sum(t <= 600 for t in temperatures)
        figures = [*box, f"В пределах порогов: {100 * within / len(rows):.1f} % "
                         f"({within} из {len(rows)})"]

        # From the graph's menu: the visible window, which is the whole graph.
        j.context_menu(plot)
        j.choose(*REPORT)
        path = os.path.join(j.files_dir, "graph-report.pdf")
        j.answer_file_dialog("Сохранить как", path)
        j.answer(j.message_box("Отчет записан в файл."))
        check_report(j, path, rows, figures)

        # From the main window: every row, the same figures.
        j.close_window(GRAPH[1])
        j.press("Отчет...")
        path = os.path.join(j.files_dir, "report")
        j.answer_file_dialog("Сохранить как", path)
        j.answer(j.message_box("Отчет записан в файл."))
        check_report(j, path + ".pdf", rows, figures)


run(journey)
