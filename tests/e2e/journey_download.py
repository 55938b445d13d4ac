"""A memory download as a new user makes it: the prompt, the rows with their cells, the
reception ending by itself and the output buttons appearing; closing then asks whether to save
the rows, and Отмена keeps them."""

from orma_e2e import Journey, check, run

RECORDS = 36


def journey():
    with Journey("download") as j:
        port = j.start_instrument("--memory", RECORDS, "--delay", "1", "--line-delay", "10")
        main = j.start_orma(port)
        for hidden in ("Сохранить...", "Печатать...", "в  Exel", "График"):
            check(not any(n == hidden for _, n in j.windows()), f"{hidden} shown before data")
        rows = j.download(main, RECORDS)
        check([row[0] for row in rows] == [str(n) for n in range(1, RECORDS + 1)],
              f"the rows are numbered {[row[0] for row in rows]}")
        for row in rows:
            time, temperature, emissivity = row[1], row[2], row[3]
            check(len(time) == 12 and time[2::3][:3] == "::." and time.replace(":", "")
                  .replace(".", "").isdigit(), f"time {time!r}")
            check(temperature.lstrip("-").isdigit(), f"temperature {temperature!r}")
            check(emissivity.startswith(("0.", "1.")) and len(emissivity) == 5,
                  f"emissivity {emissivity!r}")
            check(row[4] != "", "an empty mode")
        for shown in ("Сохранить...", "Печатать...", "в  Exel", "График", "Получить данные"):
            j.find(main, "push button", shown)

        # The rows are nowhere but in the table: closing asks to save them, Отмена keeps them.
        j.press("Завершить")
        j.answer(j.message_box("Сохранить полученные данные?"), "Отмена")
        check(j.table_rows(main) == rows, "the rows changed after closing was cancelled")
        j.key("Escape")
        j.answer(j.message_box("Сохранить полученные данные?"), "Нет")
        check(j.wait_for_exit(10) == 0, "ORMA did not end normally")


run(journey)
