"""Notes on a download as a user makes them: one on a row of the table ("Заметка..." in its
menu), one at the pointer in the graph ("Заметка..." in the graph's menu); the save writes them
beside the data file, which stays the instrument's bytes; the graph saved as an SVG picture
shows them as numbered flags with their list. Read back at the next start, the table shows the
row's note again; a note edited then is asked about on closing and written back."""

import html
import os
import subprocess

from orma_e2e import Journey, check, extents, find_all, run, text_of

RECORDS = 20
TABLE_NOTE = "образец 3"
GRAPH_NOTE = "дверь печи открыта"
# The last item but one of the graph's menu ("Отчет..." is the last).
GRAPH_NOTE_ITEM = ("Up", "Up", "Return")


def journey():
    with Journey("notes", time_limit=120) as j:
        port = j.start_instrument("--memory", RECORDS, "--delay", "1", "--line-delay", "5")
        main = j.start_orma(port)
        rows = j.download(main, RECORDS)
        table = find_all(main, "tree")[0]
        j.scroll_to_first_row(table)

        def write_note(text):
            dialog = j.window("dialog", "Заметка")
            field = j.find(dialog, "text")
            j.click(field)

            # xdotool types letters outside the keyboard's layout through a key it remaps for
            # each one, and the server now and then takes a letter before its key is remapped:
            # the text is typed again until it reads whole.
            def typed():
                j.key("ctrl+a")
                j.type_text(text)
                return text_of(field) == text or None
            j.wait_until(f"{text!r} typed", typed, timeout=30)
            j.answer(dialog)

        def header_names():
            return [h.name for h in find_all(table, "table column header", showing=False)]

        def cells():
            return [text_of(c) for c in find_all(table, "table cell", showing=False)]

        # The third row's note: the table grows a column that shows it.
        check("Заметка" not in header_names(), "a note column before any note")
        third = find_all(table, "table cell", rows[2][0])[0]
        j.context_menu(third)
        j.choose("Up", "Return")
        write_note(TABLE_NOTE)
        j.wait_until("the note column", lambda: "Заметка" in header_names())
        shown = cells()
        check(shown[2 * 6:3 * 6] == rows[2] + [TABLE_NOTE],
              f"the third row reads {shown[12:18]}")
        check(shown.count(TABLE_NOTE) == 1, "the note shows on more than its row")

        # The graph of every row, and a note at the pointer three quarters along the plot.
        j.key("ctrl+a")
        j.press("График")
        graph = j.window("filler", "-- График --")
        j.xdotool("windowsize", "--sync", j.x_window("-- График --"), 800, 500)
        plot = j.wait_until("the plot at its size", lambda: [
            f for f in find_all(graph, "filler") if extents(f)[2] > 600])[0]
        x, y, w, h = extents(plot)
        j.context_menu(plot, dx=w * 3 // 4, dy=h // 2)
        j.choose(*GRAPH_NOTE_ITEM)
        write_note(GRAPH_NOTE)

        # Saved: the data file is the download, the notes are beside it.
        data_file = os.path.join(j.files_dir, "run.orm")
        j.press("Сохранить...")
        j.answer_file_dialog("Сохранить как", data_file)
        j.answer(j.message_box("Сохранять только выделенные данные?"), "Нет")
        j.answer(j.message_box("Данные успешно записаны в файл."))
        sent = os.path.join(j.dir, "sent.orm")
        subprocess.run([os.environ["ORMA_INSTRUMENT"], "--memory", str(RECORDS), "--write-file",
                        sent], check=True, timeout=20)
        with open(data_file, "rb") as saved, open(sent, "rb") as original:
            check(saved.read() == original.read(), "the data file is not the download")
        with open(data_file + ".notes", encoding="utf-8") as f:
            lines = f.read().splitlines()
        check(len(lines) == 2 and lines[0] == f"{rows[2][1]}\t{TABLE_NOTE}"
              and lines[1].endswith(f"\t{GRAPH_NOTE}"), f"the notes file holds {lines}")
        graph_note_time = lines[1].split("\t")[0]

        # The picture: numbered flags and their list, in the order of time.
        picture = os.path.join(j.files_dir, "graph.svg")
        j.context_menu(plot)
        j.choose("Down", "Down", "Return")
        j.answer_file_dialog("Сохранить как", picture)
        j.answer(j.window("dialog", "Сохранить изображение"))
        j.answer(j.message_box("Изображение графика записано в файл."))
        with open(picture, encoding="utf-8") as f:
            svg = html.unescape(f.read())
        for number, time, text in ((1, rows[2][1], TABLE_NOTE), (2, graph_note_time, GRAPH_NOTE)):
            check(f"{number}  {time}  {text}" in svg, f"note {number} is not listed in the picture")
            check(f">{number}<" in svg.replace(" ", "").replace("\n", ""),
                  f"no flag numbered {number} in the picture")

        # Saved notes leave without a question.
        j.press("Завершить")
        check(j.wait_for_exit(10) == 0, "ORMA did not end after the save")

        # Read back at the start: the row's note is in the table again.
        main = j.start_orma(None, "--", data_file)
        table = j.wait_until("the data file read back", lambda: find_all(main, "tree"))[0]
        j.wait_until("the note read back", lambda: TABLE_NOTE in cells(), timeout=30)
        check(cells()[2 * 6:3 * 6] == rows[2] + [TABLE_NOTE], f"the third row reads "
              f"{cells()[12:18]} after the read-back")

        # Its note changed, then the window closed: the question, and the notes written back.
        j.scroll_to_first_row(table)
        j.context_menu(find_all(table, "table cell", rows[2][0])[0])
        j.choose("Up", "Return")
        write_note("образец 4")
        j.press("Завершить")
        j.answer(j.message_box("Сохранить заметки?"), "Да")
        check(j.wait_for_exit(10) == 0, "ORMA did not end after the notes were saved")
        with open(data_file + ".notes", encoding="utf-8") as f:
            lines = f.read().splitlines()
        check(lines == [f"{rows[2][1]}\tобразец 4", f"{graph_note_time}\t{GRAPH_NOTE}"],
              f"the notes file holds {lines} after the edit")


run(journey)
