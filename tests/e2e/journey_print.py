"""Printing to a PDF file through the print dialog, as a user without a printer does it: the
whole table over several pages, the graph from its window's context menu, and a few selected
rows. Each printout is read back: every page has its header, and the table's pages hold the
rows shown in the window, in order, each once."""

import os
import re

import pyatspi

from orma_e2e import Journey, check, find_all, run

RECORDS = 200

TABLE_TITLE = "ORMA печать таблицы измерений"
GRAPH_TITLE = "ELVA печать графика"
# A printed row: number, time, temperature, emissivity, mode (which may be empty).
PRINTED_ROW = re.compile(
    r"^\s*(\d+)\s+(\d\d:\d\d:\d\d\.\d{3})\s+(-?\d+)\s+(\d\.\d+)(?:\s+(\S.*?))?\s*$")


def lines(page):
    """The page's non-empty lines, with runs of spaces made one."""
    return [" ".join(line.split()) for line in page.splitlines() if line.strip()]


def table_header(page, pages):
    return f"ORMA. Печать результатов измерений. стр. № {page} из {pages}"


def printed_rows(page):
    return [[cell or "" for cell in m.groups()]
            for m in map(PRINTED_ROW.match, page.splitlines()) if m]


def as_printed(row):
    # The printout keeps four characters of the emissivity: 0.950 prints as 0.95.
    number, time, temperature, emissivity, mode = row
    return [number, time, temperature, emissivity[:4], mode]


def clock(text):
    """A table time as the graph printout writes it: 09:05:07.410 as 9:5:7.410."""
    hours, minutes, seconds = text.split(":")
    whole, fraction = seconds.split(".")
    return f"{int(hours)}:{int(minutes)}:{int(whole)}.{fraction}"


def check_table_printout(fields, pages, rows):
    """The printout of rows: its title, a header on every page, and the rows in order, each
    once, the pages before the last one full."""
    check(fields.get("Title") == TABLE_TITLE,
          f"the table printout's title is {fields.get('Title')!r}")
    count = int(fields["Pages"])
    check(len(pages) == count, f"pdfinfo counts {count} pages, pdftotext {len(pages)}")
    per_page = [printed_rows(page) for page in pages]
    for number, page in enumerate(pages, 1):
        check(lines(page)[:1] == [table_header(number, count)],
              f"page {number} of {count} begins {lines(page)[:1]}")
        check(per_page[number - 1], f"page {number} of {count} holds no rows")
        check(number == count or len(per_page[number - 1]) == len(per_page[0]),
              f"page {number} of {count} holds {len(per_page[number - 1])} rows, "
              f"the first one {len(per_page[0])}")
    printed = [row for page in per_page for row in page]
    expected = [as_printed(row) for row in rows]
    missing = [row for row in expected if row not in printed]
    check(printed == expected, f"{len(printed)} rows printed for {len(expected)}; first missing "
          f"{missing[:1]}, first printed {printed[:1]}")


def journey():
    with Journey("print", time_limit=120) as j:
        port = j.start_instrument("--memory", RECORDS, "--delay", "1", "--line-delay", "2")
        main = j.start_orma(port)
        rows = j.download(main, RECORDS)

        # The whole table: more rows than one sheet holds.
        path = os.path.join(j.files_dir, "table.pdf")
        j.press("Печатать...")
        j.print_to_pdf(path)
        fields, pages = j.printout(path)
        check(len(pages) >= 3, f"{RECORDS} rows printed on {len(pages)} pages")
        check_table_printout(fields, pages, rows)

        # The graph, from the context menu over the plot; its first item prints.
        j.press("График")
        graph = j.window("filler", "-- График --")
        plot = [node for node in find_all(graph, "filler") if node.name == ""][0]
        j.context_menu(plot)
        j.choose("Down", "Return")
        path = os.path.join(j.files_dir, "graph.pdf")
        j.print_to_pdf(path)
        fields, pages = j.printout(path)
        check(fields.get("Title") == GRAPH_TITLE,
              f"the graph printout's title is {fields.get('Title')!r}")
        check(len(pages) == 1, f"the graph printed on {len(pages)} pages")
        temperatures = [int(row[2]) for row in rows]
        emissivities = sorted(float(row[3]) for row in rows)
        # The graph shows the whole reception: its range, its first and last times and the
        # emissivities it went through.
        header = [f"Температурный диапазон {min(temperatures)}...{max(temperatures)} °C",
                  f"Интервал {clock(rows[0][1])} - {clock(rows[-1][1])}, Степень черноты "
                  f"изменялась в пределах {emissivities[0]:.2f}...{emissivities[-1]:.2f}"]
        page = lines(pages[0])
        check(page[:2] == header, f"the graph page begins {page[:2]}, not {header}")
        for caption in ("Время", "Температура, °C"):
            check(caption in page, f"no caption {caption!r} on the graph page")

        # A few rows selected with the pointer print alone, on one page.
        table = find_all(main, "tree")[0]
        j.scroll_to_first_row(table)
        first, last = 3, 7
        j.click(j.find(table, "table cell", rows[first - 1][1]))
        j.xdotool("keydown", "shift")
        try:
            j.click(j.find(table, "table cell", rows[last - 1][1]))
        finally:
            j.xdotool("keyup", "shift")
        j.wait_until("the rows to be selected", lambda: sum(
            cell.getState().contains(pyatspi.STATE_SELECTED)
            for cell in find_all(table, "table cell")) == 5 * (last - first + 1))
        j.press("Печатать...")
        path = os.path.join(j.files_dir, "selection.pdf")
        j.print_to_pdf(path)
        fields, pages = j.printout(path)
        check_table_printout(fields, pages, rows[first - 1:last])
        check(len(pages) == 1, f"{last - first + 1} selected rows printed on {len(pages)} pages")


run(journey)
