"""A continuous reception watched as it runs: the table keeps its newest row in view until the
user scrolls away, the graph of the reception opened from the table's context menu grows with
it; the rows go to the clipboard and to a CSV file; and a reception whose program was killed
comes back from its journal with the same rows."""

import csv
import io
import os
import signal
import time

from orma_e2e import Journey, check, find_all, run, is_showing, text_of

INTERVAL_MS = 150
GRAPH = ("filler", "-- График --")
TITLES = ["№", "Время", "T °C", "Е", "Режим"]
# The table's context menu, from the top with the keyboard.
COPY = ("Down", "Return")
SELECT_ALL = ("Down", "Down", "Return")
EXPORT = ("Down", "Down", "Down", "Return")
GRAPH_OF_RECEPTION = ("Down", "Down", "Down", "Down", "Return")


def row_numbers(table, showing):
    """The numbers of the table's rows, or of those in view: a row in view shows all its cells."""
    return [text_of(c) for c in find_all(table, "table cell", showing=showing)[::5]]


def row_count(table):
    return table.queryTable().nRows


def newest_in_view(table):
    """Asked of the last row alone: a walk over every cell takes long enough, on a loaded
    machine, for the rows that arrive meanwhile to scroll the answer away."""
    grid = table.queryTable()
    return grid.nRows > 0 and is_showing(grid.getAccessibleAt(grid.nRows - 1, 0))


def line_count(count):
    """A count of lines as the program writes it, in the Russian plural form."""
    form = "строк" if 11 <= count % 100 <= 14 else \
        {1: "строка", 2: "строки", 3: "строки", 4: "строки"}.get(count % 10, "строк")
    return f"{count} {form}"


def journals(j):
    folder = os.path.join(j.data_dir, "KALMIRON", "orma")
    return os.listdir(folder) if os.path.isdir(folder) else []


def start_continuous(j, main, unsaved=False):
    """Starts a continuous reception; unsaved: over rows of the last one that were not saved,
    which the user lets go."""
    j.click(j.find(main, "radio button", "Непрерывно"))
    j.press("Получить данные")
    if unsaved:
        j.answer(j.message_box("Сохранить полученные данные?"), "Нет")
    j.answer(j.message_box("Переведите прибор в режим \"сбор данных\"."))
    j.find(main, "push button", "Прервать")


def journey():
    with Journey("live_reception", time_limit=170) as j:
        port = j.start_instrument("--continuous", "--interval", INTERVAL_MS)
        main = j.start_orma(port)
        table = find_all(main, "tree")[0]
        start_continuous(j, main)
        j.wait_until("two rows", lambda: len(j.table_rows(main)) >= 2)
        check(journals(j), "no journal while a reception from a port runs")

        # The graph of the running reception, from the table's context menu.
        j.context_menu(table)
        j.choose(*GRAPH_OF_RECEPTION)
        graph = j.window(*GRAPH)
        time_bar = j.find(graph, "slider", "Шкала времени")
        end = time_bar.queryValue().maximumValue
        j.wait_until("the graph's time range to grow with the reception",
                     lambda: time_bar.queryValue().maximumValue > end, timeout=5)
        j.close_window("-- График --")

        # More rows than the view holds: the newest stays in view.
        j.wait_until("rows past the view", lambda: "1" not in row_numbers(table, True), timeout=30)
        j.wait_until("the newest row in view while rows arrive", lambda: newest_in_view(table),
                     timeout=3)
        # Scrolled away from the end, the view stays where the user put it...
        j.wheel(table, 5)
        count = row_count(table)
        j.wait_until("more rows", lambda: row_count(table) > count + 2)
        check(not newest_in_view(table), "the view scrolled away while the user read above")
        # ...and back at the end, it follows again.
        j.wheel(table, -30)
        j.wait_until("the newest row in view after the user came back",
                     lambda: newest_in_view(table), timeout=3)
        count = row_count(table)
        j.wait_until("more rows", lambda: row_count(table) > count + 2)
        check(newest_in_view(table), "the view does not follow after the user came back")

        j.press("Прервать")
        j.wait_until("the reception's end", lambda: find_all(main, "push button", "Сохранить..."))
        # Its rows are on disk nowhere else yet: their journal stays until they are saved.
        check(len(journals(j)) == 1, f"the journals after the reception ended: {journals(j)}")
        rows = j.table_rows(main)

        # Every row to the clipboard, as a spreadsheet pastes it.
        j.context_menu(table)
        j.choose(*SELECT_ALL)
        j.key("ctrl+c")
        pasted = [line.split("\t") for line in j.clipboard().splitlines()]
        check(pasted[0] == TITLES, f"the clipboard's first line is {pasted[0]}")
        check(pasted[1:] == rows, f"the clipboard holds {pasted[1:3]}..., the table {rows[:2]}...")

        # The same rows to a CSV file, as a Russian spreadsheet reads it.
        path = os.path.join(j.files_dir, "reception.csv")
        j.context_menu(table)
        j.choose(*EXPORT)
        j.answer_file_dialog("Сохранить как", path)
        j.answer(j.message_box("Данные успешно записаны в файл."))
        with open(path, "rb") as f:
            data = f.read()
        check(data.startswith(b"\xef\xbb\xbf"), "the CSV file has no byte order mark")
        lines = list(csv.reader(io.StringIO(data[3:].decode("utf-8"), newline=""), delimiter=";"))
        expected = [[n, t, temperature, e.replace(".", ","), mode]
                    for n, t, temperature, e, mode in rows]
        check(lines == [TITLES] + expected, f"the CSV file holds {lines[:2]}...")

        # A reception the program does not survive: its rows come back from the journal. The
        # rows went to a CSV file, not to a data file: they count as not saved.
        start_continuous(j, main, unsaved=True)
        j.wait_until("some rows", lambda: len(j.table_rows(main)) >= 5)
        os.kill(j.instrument.pid, signal.SIGSTOP)
        # The journal is flushed at least once a second.
        time.sleep(1.5)
        shown = j.table_rows(main)
        os.kill(j.orma.pid, signal.SIGKILL)
        j.orma.wait()
        os.kill(j.instrument.pid, signal.SIGCONT)
        check(len(journals(j)) == 1, f"the journals after the kill: {journals(j)}")

        main = j.start_orma(port)
        offer = j.message_box("Обнаружены данные прерванного приема")
        offered = " ".join(text_of(label) for label in find_all(offer, "label"))
        check(f"({line_count(len(shown))}, начало " in offered, f"the offer reads {offered!r}")
        j.answer(offer, "Да")
        j.wait_until("the restored rows",
                     lambda: find_all(main, "push button", "Сохранить...") and
                     j.table_rows(main) == shown, timeout=30)
        # The restored rows are on disk only in the journal: closing asks first.
        j.press("Завершить")
        j.answer(j.message_box("Сохранить полученные данные?"), "Нет")
        check(j.wait_for_exit(10) == 0, "ORMA did not end normally")
        check(not journals(j), f"the restored journal is left after a normal end: {journals(j)}")


run(journey)
