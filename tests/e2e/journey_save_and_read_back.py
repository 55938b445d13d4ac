"""A reception saved in both forms through the file dialog and read back through the source
"file": the data file holds the instrument's bytes and gives the table of the download again,
the text file the same readings numbered from 0; the data file named on the command line (after
"--") is read back at the start, with "file" as the source, in a window of the size the user
left it, laid out as at the first start. Along the way, a save into a folder that does not
exist and the reading of an empty file: the program says so and goes on. Without a spreadsheet
application, "в  Exel" ends in a saved workbook."""

import os
import subprocess
import zipfile

from orma_e2e import Journey, JourneyFailure, check, extents, find_all, run

RECORDS = 30


def journey():
    with Journey("save_and_read_back", time_limit=90) as j:
        port = j.start_instrument("--memory", RECORDS, "--delay", "1", "--line-delay", "10")
        main = j.start_orma(port)

        def right_margins(main):
            """The gaps from the table's right edge to the button column, and from the column
            to the window's right edge."""
            table = find_all(main, "tree")[0]
            close = j.find(main, "push button", "Завершить")
            window_right = extents(main)[0] + extents(main)[2]
            return (extents(close)[0] - (extents(table)[0] + extents(table)[2]),
                    window_right - (extents(close)[0] + extents(close)[2]))
        first_margins = right_margins(main)
        downloaded = j.download(main, RECORDS)

        def save(path):
            j.press("Сохранить...")
            j.answer_file_dialog("Сохранить как", path)

        def answer(text, caption, button="OK"):
            box = j.message_box(text)
            check(box.name == caption, f"the box saying {text!r} is captioned {box.name!r}")
            j.answer(box, button)

        def saved(path):
            answer("Данные успешно записаны в файл.", "Сохранение данных")
            check(os.path.isfile(path) and os.path.getsize(path) > 0, f"{path} not written")

        # The data file, under a name without extension: the dialog adds ".orm".
        data_file = os.path.join(j.files_dir, "reception.orm")
        save(data_file[:-len(".orm")])
        saved(data_file)
        # The instrument's download is the same every time: the data file holds its bytes.
        sent = os.path.join(j.dir, "sent.orm")
        subprocess.run([os.environ["ORMA_INSTRUMENT"], "--memory", str(RECORDS), "--write-file",
                        sent], check=True, timeout=20)
        with open(data_file, "rb") as saved_bytes, open(sent, "rb") as sent_bytes:
            check(saved_bytes.read() == sent_bytes.read(),
                  "the data file differs from the download")

        save(os.path.join(j.files_dir, "no such folder", "reception.orm"))
        answer("Ошибка открытия файла", "Ошибка")
        check(j.table_rows(main) == downloaded, "the table changed after a failed save")

        # The text form of all rows, selected as the user does it.
        table = find_all(main, "tree")[0]
        j.scroll_to_first_row(table)
        j.click(j.find(table, "table cell", "1"))
        j.key("ctrl+a")
        text_file = os.path.join(j.files_dir, "reception.txt")
        save(text_file)
        answer("Сохранять только выделенные данные?", "Сохранение", "Да")
        saved(text_file)
        with open(text_file, "rb") as f:
            check(f.read(5) == b"   0 ", f"{text_file} is not the text form")

        combo = j.find(main, "combo box")
        j.select_item(combo, "file")

        def read_back(path, expected, what):
            j.press("Получить данные")
            j.answer_file_dialog("Открыть", path)

            def probe():
                return j.table_rows(main) == expected and \
                    find_all(main, "push button", "Получить данные")
            try:
                j.wait_until(what, probe, timeout=30)
            except JourneyFailure as failure:
                shown = j.table_rows(main) if j.orma.poll() is None else "nothing"
                raise JourneyFailure(f"{failure}; the table shows {shown}") from None

        # The text form keeps time, temperature, emissivity and mode; it numbers its lines
        # from 0 whatever the rows' numbers were.
        read_back(text_file, [[str(n)] + row[1:] for n, row in enumerate(downloaded)],
                  "the text file read back")

        # A file with nothing in it, such as a save that never finished elsewhere.
        empty = os.path.join(j.files_dir, "empty.orm")
        open(empty, "wb").close()
        j.press("Получить данные")
        j.answer_file_dialog("Открыть", empty)
        answer("Данные не получены.", "Ошибка")
        check(j.table_rows(main) == [], "rows left in the table after an empty file")

        read_back(data_file, downloaded, "the data file read back")

        # The data file named on the command line, as a double click in the file manager
        # hands it over: read back at the start.
        # The window's size is remembered.
        j.xdotool("windowsize", j.x_window("ORMA"), 720, 560)
        j.wait_until("the resized window", lambda: extents(main)[2:] == (720, 560), timeout=10)
        j.press("Завершить")
        check(j.wait_for_exit(10) == 0, "ORMA did not end normally")
        # No application on this desktop opens a workbook.
        j.env["XDG_DATA_DIRS"] = j.files_dir
        main = j.start_orma(None, "--", data_file)
        j.wait_until("the data file given at the start read back", lambda: j.table_rows(
            main) == downloaded and find_all(main, "push button", "Сохранить..."), timeout=30)
        check(extents(main)[2:] == (720, 560), f"the window is {extents(main)[2:]} after a restart")
        # The controls are laid out for the remembered size as for the first one.
        check(right_margins(main) == first_margins, f"table to buttons to window edge: "
              f"{right_margins(main)} px after a restart, {first_margins} px at the first start")
        check(j.find(main, "combo box").name == "file", "the source is not file after the start")

        # The rows still reach a workbook: saved where the user says.
        j.press("в  Exel")
        answer("MS Exel не установлен на вашем компьютере.", "Ошибка запуска MS Exel")
        answer("Сохранить таблицу в файл .xlsx?", "Перенос данных в MS Exel", "Да")
        workbook = os.path.join(j.files_dir, "reception.xlsx")
        j.answer_file_dialog("Сохранить как", workbook)
        saved(workbook)
        with zipfile.ZipFile(workbook) as book:
            sheet = book.read("xl/worksheets/sheet1.xml").decode()
        check(sheet.count("<row ") == RECORDS, f"the workbook holds {sheet.count('<row ')} rows")


run(journey)
