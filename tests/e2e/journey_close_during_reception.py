"""Closing the program in the middle of a continuous reception, as a user does: with the button
"Завершить", then, in further runs, with Escape and with the window's close box. Each time the program ends at once, with
status 0, and remembers the port it was receiving from."""

import os
import time

from orma_e2e import Journey, check, run

CLOSE_LIMIT = 3  # seconds


def journey():
    with Journey("close_during_reception", time_limit=90) as j:
        port = j.start_instrument("--continuous", "--interval", "100")
        config = os.path.join(j.config_dir, "KALMIRON", "orma.conf")
        closings = (("Завершить", lambda: j.press("Завершить")),
                    ("Escape", lambda: j.key("Escape")),
                    ("the close box",
                     lambda: j.close_window("ORMA", closed=lambda: j.orma.poll() is not None)))
        for how, close in closings:
            main = j.start_orma(port)
            # The port is remembered only if the program writes it again as it closes.
            os.remove(config)
            j.click(j.find(main, "radio button", "Непрерывно"))
            j.press("Получить данные")
            prompt = j.message_box("Переведите прибор в режим \"сбор данных\".")
            check(prompt.name == "Прием данных", f"the prompt's caption is {prompt.name!r}")
            j.answer(prompt)
            j.find(main, "push button", "Прервать")
            j.wait_until("readings in the table", lambda: len(j.table_rows(main)) >= 5)
            # Still receiving as the window closes.
            j.find(main, "push button", "Прервать", timeout=1)

            closed = time.monotonic()
            close()
            status = j.wait_for_exit(CLOSE_LIMIT)
            check(status == 0, f"closed with {how}, ORMA ended with status {status}")
            print(f"{how}: ended {time.monotonic() - closed:.2f} s after closing")
            check(j.settings().get("Port") == port,
                  f"closed with {how}, ORMA remembers {j.settings()}, not Port={port}")


run(journey)
