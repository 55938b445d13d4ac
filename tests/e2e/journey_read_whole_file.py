"""A data file of 2 MiB, twice what the receive buffer holds, read back through the source
"file": every row reaches the table, the newest in view with the file's last time, and both
saves give the file's readings back whole (the data form byte for byte, the text form line for
line). The reading of a larger file is stopped with "Прервать": the rows read stay, and the
program says how much of the file it read."""

import os
import re

from orma_e2e import Journey, check, find_all, is_showing, run, text_of

SIZE = 2 << 20


def data_line(number):
    """A memory download's line: one reading a second from midnight."""
    return "%4d %02d:%02d:%02d:00 E=0.950 T=%4d TRC\r\n" % (
        number % 10000, number // 3600 % 24, number // 60 % 60, number % 60, 300 + number % 700)


def write_data_file(path, size):
    """Lines up to size bytes; returns their count."""
    lines = []
    total = 0
    while total + len(data_line(len(lines) + 1)) <= size:
        lines.append(data_line(len(lines) + 1))
        total += len(lines[-1])
    with open(path, "w", newline="") as f:
        f.write("".join(lines))
    return len(lines)


def journey():
    with Journey("read_whole_file", time_limit=150) as j:
        data_file = os.path.join(j.files_dir, "day.orm")
        count = write_data_file(data_file, SIZE)
        last = data_line(count).split()[1]
        main = j.start_orma("file")

        j.press("Получить данные")
        j.answer_file_dialog("Открыть", data_file)
        j.find(main, "push button", "Сохранить...", timeout=60)
        table = find_all(main, "tree")[0]
        grid = table.queryTable()
        check(grid.nRows == count, f"{grid.nRows} rows of the {count} lines of the file")
        # The table follows the newest row, the last of the file.
        newest = [grid.getAccessibleAt(grid.nRows - 1, column) for column in range(5)]
        check(is_showing(newest[0]), "the last row is not in view after the reading")
        shown_time = text_of(newest[1])
        check(shown_time == last[:8] + ".000",
              f"the last row shows {shown_time!r}, the file ends at {last}")

        def save(path):
            j.press("Сохранить...")
            j.answer_file_dialog("Сохранить как", path)
            box = j.message_box("Данные успешно записаны в файл.")
            j.answer(box)

        saved_data = os.path.join(j.files_dir, "again.orm")
        save(saved_data)
        with open(saved_data, "rb") as saved, open(data_file, "rb") as read:
            check(saved.read() == read.read(), "the data form saved differs from the file read")
        saved_text = os.path.join(j.files_dir, "again.txt")
        save(saved_text)
        with open(saved_text, newline="") as saved:
            text_lines = saved.read().split("\r\n")[:-1]
        check(len(text_lines) == count, f"the text form holds {len(text_lines)} of {count} rows")
        for number, line in enumerate(text_lines, 1):
            # The text form numbers its lines from 0; the rest is the reading as it came.
            check(line.split()[1:] == data_line(number).split()[1:],
                  f"row {number} saved as {line!r}")

        # A larger file, stopped while it is read: what was read stays, and is counted.
        large_file = os.path.join(j.files_dir, "week.orm")
        large_count = write_data_file(large_file, 64 << 20)
        get_data = j.centre(j.find(main, "push button", "Получить данные"))
        j.press("Получить данные")
        dialog = j.window("dialog", "Открыть")
        field = j.find(dialog, "text", "Имя файла:")
        j.click(field)
        j.key("ctrl+a")
        j.type_text(large_file)
        j.wait_until("the file's name typed", lambda: text_of(field) == large_file)
        # The file is read in a second or two: "Прервать", the same button, is clicked as soon
        # as the X server shows the dialog closed, without waiting for the accessibility tree.
        before = j.x_windows()
        j.key("Return")
        j.wait_until("the file dialog closed", lambda: len(j.x_windows()) < len(before),
                     timeout=10)
        j.click_at(*get_data)
        box = j.message_box("Чтение файла прервано.")
        check(box.name == "Чтение файла", f"the box is captioned {box.name!r}")
        said = re.search(r"Прочитано (\d+)% файла, в таблице (\d+) строк",
                         " ".join(text_of(label) for label in find_all(box, "label")))
        j.answer(box)
        check(said, "the box does not say how much was read")
        rows = table.queryTable().nRows
        check(0 < rows < large_count and int(said.group(2)) == rows,
              f"{said.group(2)} rows said, {rows} in the table, {large_count} in the file")
        check(int(said.group(1)) == rows * 37 * 100 // os.path.getsize(large_file),
              f"{said.group(1)}% said for {rows} rows")
        j.find(main, "push button", "Сохранить...")


run(journey)
