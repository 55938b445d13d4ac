"""The graph window as its user works with it while the main window stays open: the pointer
readout, the wheel over the time bar, every command of the context menu that changes what is
shown ("Весь график", the automatic limits, the limits dialog with a bad and a good entry), a
rectangle dragged over the plot and a double click, the graph saved as PNG and SVG pictures (a
name of another form asked for again) and copied to the clipboard, a large picture saved with the program answering, one cancelled, close
requests during both honoured afterwards, and F1 for the graph's page of the manual."""

import csv
import os
import re
import struct

import pyatspi

from orma_e2e import Journey, check, extents, find_all, run, text_of

RECORDS = 40
GRAPH = ("filler", "-- График --")
POINTER_TEMPLATES = ("Температура 0000 °С ", "Время 00:00:00.000 сек")
# The menu's items, reached from the top with the keyboard.
SAVE_IMAGE = ("Down", "Down", "Return")
COPY_IMAGE = ("Down", "Down", "Down", "Return")
EXPORT_CSV = ("Down", "Down", "Down", "Down", "Return")
# "Сравнить..." and "Выравнивать по началу" come before it; "Убрать сравнение" is skipped while
# nothing is compared.
VIEW = ("Down", "Down", "Down", "Down", "Down", "Down", "Down", "Right")
WHOLE_GRAPH = (*VIEW, "Return")
COMPARE = ("Down", "Down", "Down", "Down", "Down", "Return")
CLOCK_TIME = ("Down", "Down", "Down", "Down", "Down", "Down", "Return")
REMOVE_COMPARISON = ("Down", "Down", "Down", "Down", "Down", "Down", "Down", "Return")
# With runs compared "Убрать сравнение" and "Убрать из сравнения" count too.
WHOLE_COMPARED = ("Down", "Down", *VIEW, "Return")
REMOVE_FIRST_RUN = ("Down", "Down", "Down", "Down", "Down", "Down", "Down", "Down", "Right",
                    "Return")
# Two runs to compare, each at a temperature of its own, two hundred readings a second apart
# from a minute past midnight.
RUNS = (("kiln-before.orm", 1200), ("kiln-after.orm", 1500))
AUTOMATIC_LIMITS = (*VIEW, "Down", "Return")
LIMITS_DIALOG = (*VIEW, "Down", "Down", "Return")
THRESHOLDS = (*VIEW, "Down", "Down", "Down", "Down", "Return")
STATISTICS = (*VIEW, "Down", "Down", "Down", "Down", "Down", "Return")


def window_of(bar):
    """The visible window of a range bar as its own labels show it, such as "19° – 859°"."""
    return bar.description


def start_of(bar):
    return bar.queryValue().currentValue


def centre(node):
    x, y, w, h = extents(node)
    return x + w // 2, y + h // 2


def over(node, window, other):
    """Whether the dialog node opened over window rather than over other: a dialog is centred
    over its window, give or take the frame the desktop adds."""
    def distance(a, b):
        return abs(a[0] - b[0]) + abs(a[1] - b[1])
    return distance(centre(node), centre(window)) < distance(centre(node), centre(other))


def png_size(data):
    """Width and height from a PNG file's header."""
    check(data[:8] == b"\x89PNG\r\n\x1a\n", f"not a PNG picture: {data[:8]!r}")
    return struct.unpack(">II", data[16:24])


def milliseconds(time):
    """Milliseconds since midnight of a table's time, "09:13:40.785"."""
    hours, minutes, rest = time.split(":")
    return (int(hours) * 3600 + int(minutes) * 60) * 1000 + round(float(rest) * 1000)


def elapsed(ms):
    """A length of time as the statistics show it: 2:17.780, 1:00:00.000, 05.000."""
    hours, rest = divmod(ms, 3600000)
    minutes, rest = divmod(rest, 60000)
    return ((f"{hours}:" if hours else "") + (f"{minutes}:" if minutes or hours else "")
            + f"{rest // 1000:02}.{rest % 1000:03}")


def write_run(path, temperature):
    with open(path, "w", newline="") as f:
        for n in range(1, 201):
            f.write("%4d 00:%02d:%02d:00 E=0.950 T=%4d TRC\r\n"
                    % (n, (60 + n) // 60, (60 + n) % 60, temperature))


def row_of(plot, temperature_bar, temperature):
    """The screen row of temperature in the plot, by the temperature window the bar shows."""
    low, high = (int(t) for t in re.findall(r"-?\d+", window_of(temperature_bar))[:2])
    x, y, w, h = extents(plot)
    return y + h - round((temperature - low) * h / (high - low))


def journey():
    with Journey("graph") as j:
        port = j.start_instrument("--memory", RECORDS, "--delay", "1", "--line-delay", "5")
        main = j.start_orma(port)
        rows = j.download(main, RECORDS)
        j.press("График")
        graph = j.window(*GRAPH)
        check(tuple(extents(graph)[2:]) == (300, 200),
              f"the graph window opens at {extents(graph)[2:]}")

        panes = find_all(graph, "label")
        check([text_of(p) for p in panes[:2]] == list(POINTER_TEMPLATES),
              f"the pointer panes before any pointer move: {[text_of(p) for p in panes]}")
        # The window at a size a user would work at; the layout follows.
        j.xdotool("windowsize", "--sync", j.x_window("-- График --"), 800, 500)
        plot = j.wait_until("the plot at its new size", lambda: [
            f for f in find_all(graph, "filler") if f.queryComponent().getExtents(
                pyatspi.DESKTOP_COORDS).width > 600])[0]
        time_bar = j.find(graph, "slider", "Шкала времени")
        temperature_bar = j.find(graph, "slider", "Шкала температуры")
        whole_time = window_of(time_bar)
        start_of_whole = start_of(time_bar)

        # The pointer readout: the temperature and the time under the pointer.
        j.point_at(plot)
        j.wait_until("the pointer readout", lambda: all(
            text_of(p) != t for p, t in zip(panes, POINTER_TEMPLATES)))
        check(text_of(panes[0]).startswith("Температура ") and
              text_of(panes[0]).endswith(" °С"), f"pane 0 reads {text_of(panes[0])!r}")
        check(text_of(panes[1]).startswith("Время "), f"pane 1 reads {text_of(panes[1])!r}")
        before = text_of(panes[1])
        shown = j.x_windows()
        j.point_at(plot, dx=20)
        j.wait_until("the time readout to follow the pointer", lambda: text_of(panes[1]) != before)
        # At rest the pointer brings up the tooltip with the reading under it.
        j.wait_until("the tooltip", lambda: j.x_windows() - shown, timeout=10)

        # Three notches of the wheel over the time bar zoom in around the pointer.
        start = start_of(time_bar)
        j.wheel(time_bar, 3)
        j.wait_until("the time window to narrow", lambda: start_of(time_bar) > start)
        check(window_of(time_bar) != whole_time, "the time window did not change")
        # Over the plot the wheel moves nothing.
        zoomed = window_of(time_bar)
        j.wheel(plot, 3)
        check(window_of(time_bar) == zoomed, "a wheel turn over the plot moved the time window")

        # "Весь график" brings back the whole time range.
        j.context_menu(plot)
        j.choose(*WHOLE_GRAPH)
        j.wait_until("the whole time range", lambda: window_of(time_bar) == whole_time)

        # A rectangle dragged over the plot becomes both windows; a double click shows the
        # whole graph again.
        whole_temperature = window_of(temperature_bar)
        x, y, w, h = extents(plot)
        j.drag((x + w // 4, y + h // 4), (x + w * 3 // 4, y + h // 2))
        j.wait_until("the dragged windows", lambda: window_of(time_bar) != whole_time and
                     window_of(temperature_bar) != whole_temperature)
        check(start_of(time_bar) > start_of_whole, "the dragged time window starts at the start")
        # The rows of what is in sight, to a CSV file.
        visible = os.path.join(j.files_dir, "visible.csv")
        j.context_menu(plot)
        j.choose(*EXPORT_CSV)
        j.answer_file_dialog("Сохранить как", visible)
        j.answer(j.message_box("Данные успешно записаны в файл."))
        with open(visible, encoding="utf-8-sig", newline="") as f:
            exported = list(csv.reader(f, delimiter=";"))[1:]
        first, last = window_of(time_bar).split(" – ")
        check(0 < len(exported) < RECORDS and all(first <= row[1] <= last for row in exported),
              f"the visible rows {[row[1] for row in exported]} for the window {first}–{last}")
        j.double_click(plot)
        j.wait_until("the whole time range again", lambda: window_of(time_bar) == whole_time)

        # Thresholds: a bad entry is refused, good ones are kept in the settings.
        j.context_menu(plot)
        j.choose(*THRESHOLDS)
        dialog = j.window("dialog", "Пороги")
        for label, value in (("Верхний порог, °C:", "7o0"), ("Нижний порог, °C:", "300")):
            j.click(j.find(dialog, "text", label))
            j.type_text(value)
        j.press("OK")
        j.answer(j.message_box("Введите целое число градусов или оставьте поле пустым."))
        upper = j.find(dialog, "text", "Верхний порог, °C:")
        j.click(upper)
        j.key("ctrl+a")
        j.type_text("700")
        j.press("OK")
        j.gone("dialog", "Пороги")
        j.wait_until("the thresholds in the settings", lambda: (
            j.settings().get("UpperThreshold"), j.settings().get("LowerThreshold")) == ("700", "300"))

        # The statistics of the readings in sight, and a marker with the difference to the
        # reading under the pointer; Escape removes the marker.
        j.context_menu(plot)
        j.choose(*STATISTICS)
        j.wait_until("the statistics box", lambda: plot.description.startswith("Измерений: "))
        # The whole graph in sight: the duration is from the first reading to the last, the
        # figure orma-cli stats gives for the file.
        duration = "Длительность: " + elapsed(milliseconds(rows[-1][1]) - milliseconds(rows[0][1]))
        check(duration in plot.description.splitlines(),
              f"{duration!r} not in the statistics box {plot.description!r}")
        # The double click above showed the whole graph and left no marker behind.
        check(not any(re.fullmatch(r"\d\d:\d\d:\d\d\.\d{3}  -?\d+ °C", line)
                      for line in plot.description.splitlines()),
              f"a marker after the double click: {plot.description!r}")
        x, y, w, h = extents(plot)
        j.click(plot, dx=w // 3, dy=h // 2)
        j.wait_until("the marker's reading", lambda: any(
            re.fullmatch(r"\d\d:\d\d:\d\d\.\d{3}  -?\d+ °C", line)
            for line in plot.description.splitlines()))
        j.point_at(plot, dx=w * 2 // 3, dy=h // 2)
        difference = j.wait_until("the difference to the marker", lambda: [
            line for line in plot.description.splitlines() if line.startswith("Δt = ")])
        check(" ΔT = " in difference[0] and difference[0].endswith(" °C"),
              f"the difference reads {difference[0]!r}")
        j.key("Escape")
        j.wait_until("the marker removed", lambda: "Δt" not in plot.description)

        # The graph as a picture: files at the window's size offered, and the clipboard.
        for name in ("graph.png", "graph.svg"):
            path = os.path.join(j.files_dir, name)
            j.context_menu(plot)
            j.choose(*SAVE_IMAGE)
            j.answer_file_dialog("Сохранить как", path)
            # The prompts of the graph's commands open over the graph window, not the main one.
            size_prompt = j.window("dialog", "Сохранить изображение")
            check(over(size_prompt, graph, main),
                  f"the size prompt at {extents(size_prompt)}, the graph at {extents(graph)}, "
                  f"the main window at {extents(main)}")
            j.answer(size_prompt)
            written = j.message_box("Изображение графика записано в файл.")
            check(over(written, graph, main),
                  f"the message at {extents(written)}, the graph at {extents(graph)}")
            j.answer(written)
            with open(path, "rb") as f:
                data = f.read()
            if name.endswith(".png"):
                check(png_size(data) == tuple(extents(graph)[2:]),
                      f"the picture is {png_size(data)}, the window {extents(graph)[2:]}")
            else:
                check(b"<svg" in data and (b"<polyline" in data or b"<path" in data),
                      "the SVG file holds no drawing")
        # A name of another form is asked for again, never given bytes it does not promise; a
        # name without a suffix takes the one of the form chosen in the dialog.
        j.context_menu(plot)
        j.choose(*SAVE_IMAGE)
        j.answer_file_dialog("Сохранить как", os.path.join(j.files_dir, "graph.jpg"))
        j.answer(j.message_box("должно оканчиваться на .png, .svg или .pdf"))
        form = j.find(j.window("dialog", "Сохранить как"), "combo box", "Рисунок PNG (*.png)")
        j.select_item(form, "Рисунок SVG (*.svg)")
        j.answer_file_dialog("Сохранить как", os.path.join(j.files_dir, "lines"))
        j.answer(j.window("dialog", "Сохранить изображение"))
        j.answer(j.message_box("Изображение графика записано в файл."))
        check(not os.path.exists(os.path.join(j.files_dir, "graph.jpg")), "graph.jpg written")
        with open(os.path.join(j.files_dir, "lines.svg"), "rb") as f:
            check(b"<svg" in f.read(), "the picture named without a suffix is no SVG")
        j.context_menu(plot)
        j.choose(*COPY_IMAGE)
        j.wait_until("the picture on the clipboard", lambda: png_size(
            j.clipboard("image/png")) == tuple(extents(graph)[2:]), timeout=10)

        # The limits dialog: a text that is not a whole number is refused and the dialog
        # stays; whole numbers are applied to the temperature window.
        j.context_menu(plot)
        j.choose(*LIMITS_DIALOG)
        dialog = j.window("dialog", "Пределы")
        fields = sorted(find_all(dialog, "text"),
                        key=lambda f: f.queryComponent().getExtents(pyatspi.DESKTOP_COORDS).y)
        check(len(fields) == 4, f"the limits dialog has {len(fields)} fields")
        range_max, window_max, window_min, range_min = fields
        check(text_of(window_max) == window_of(temperature_bar).split("°")[-2].split()[-1],
              f"the window maximum field shows {text_of(window_max)!r}, the bar "
              f"{window_of(temperature_bar)!r}")
        j.click(window_max)
        j.key("ctrl+a")
        j.type_text("5x0")
        j.press("OK")
        prompt = j.message_box("Введите целое число.")
        j.answer(prompt)
        j.window("dialog", "Пределы")
        for field, value in ((window_max, "500"), (window_min, "100")):
            j.click(field)
            j.key("ctrl+a")
            j.type_text(value)
        j.wait_until("the typed window", lambda: (text_of(window_max), text_of(window_min))
                     == ("500", "100"))
        j.press("OK")
        j.gone("dialog", "Пределы")
        j.wait_until("the typed temperature window", lambda:
                     window_of(temperature_bar) == "100° – 500°")

        # Automatic limits fit the temperature window to the readings in sight.
        j.context_menu(plot)
        j.choose(*AUTOMATIC_LIMITS)
        readings = [int(row[2]) for row in rows if int(row[2]) != 0]
        expected = f"{min(readings)}° – {max(readings)}°"
        j.wait_until(f"the temperature window {expected}",
                     lambda: window_of(temperature_bar) == expected)

        # Closing the graph window only hides it: the next launch shows the same window, the
        # time window starting where the user left it (the launch sets only its end).
        j.wheel(time_bar, 2)
        zoomed = j.wait_until("the time window to narrow",
                              lambda: start_of(time_bar) > start_of_whole and start_of(time_bar))
        j.close_window("-- График --", closed=lambda: GRAPH not in j.windows())
        j.gone(*GRAPH)
        j.press("График")
        graph = j.window(*GRAPH)
        check(start_of(j.find(graph, "slider", "Шкала времени")) == zoomed,
              "the time window did not stay where the user left it")

        # A picture of 10000 x 10000 points takes seconds: a progress dialog shows, the program
        # goes on answering, and "Отмена" stops the work without leaving a file, not even a
        # temporary one. A close request during the work, or during its message, is honoured
        # once they are over. (Sent twice: now and then one synthetic request never arrives.)
        def save_picture(name, size):
            plot = j.wait_until("the plot", lambda: [
                f for f in find_all(graph, "filler") if f.queryComponent().getExtents(
                    pyatspi.DESKTOP_COORDS).width > 600])[0]
            j.context_menu(plot)
            j.choose(*SAVE_IMAGE)
            j.answer_file_dialog("Сохранить как", os.path.join(j.files_dir, name))
            size_prompt = j.window("dialog", "Сохранить изображение")
            j.click(j.find(size_prompt, "text"))
            j.key("ctrl+a")
            j.type_text(size)
            j.press("OK")
            j.gone("dialog", "Сохранить изображение")

        save_picture("big.png", "10000 x 10000")
        progress = j.window("dialog", "Сохранение изображения")
        j.find(progress, "label", "Сохранение изображения...")
        panes = find_all(graph, "label")
        check(text_of(panes[3]).startswith("Время от начала опроса") and
              ("dialog", "Сохранение изображения") in j.windows(),
              "the graph window did not answer during the work")
        j.close_window("-- График --", closed=lambda: False)
        check(GRAPH in j.windows() and ("dialog", "Сохранение изображения") in j.windows(),
              "the graph window closed during the work")
        j.answer(progress, "Отмена")
        j.gone(*GRAPH)
        left = [f for f in os.listdir(j.files_dir) if f.startswith("big")]
        check(not left, f"a cancelled picture left {left}")
        check(j.windows() == [("dialog", "ORMA")], f"a cancelled picture told {j.windows()}")

        j.press("График")
        graph = j.window(*GRAPH)
        save_picture("large.png", "4000 x 3000")
        written = j.message_box("Изображение графика записано в файл.")
        j.close_window("-- График --", closed=lambda: False)
        check(GRAPH in j.windows(), "the graph window closed under the message")
        j.answer(written)
        j.gone(*GRAPH)
        with open(os.path.join(j.files_dir, "large.png"), "rb") as f:
            check(png_size(f.read(64)) == (4000, 3000), "the large picture's size")
        j.press("График")
        graph = j.window(*GRAPH)

        # Two runs compared with the graph: each drawn in a colour of its own from the graph's
        # start, the legend naming the table's curve and each file, the ranges taking them in.
        plot = [f for f in find_all(graph, "filler") if f.queryComponent().getExtents(
            pyatspi.DESKTOP_COORDS).width > 600][0]
        time_bar = j.find(graph, "slider", "Шкала времени")
        temperature_bar = j.find(graph, "slider", "Шкала температуры")
        for name, temperature in RUNS:
            write_run(os.path.join(j.files_dir, name), temperature)
            j.context_menu(plot)
            j.choose(*COMPARE)
            j.answer_file_dialog("Открыть", os.path.join(j.files_dir, name))
        j.wait_until("the legend", lambda: all(
            line in plot.description.splitlines()
            for line in ("Таблица", "kiln-before.orm", "kiln-after.orm")))
        j.context_menu(plot)
        j.choose(*WHOLE_COMPARED)
        j.wait_until("the time range to take in the runs", lambda: window_of(time_bar) != whole_time)
        # Aligned at the start, the runs begin where the graph does.
        check(start_of(time_bar) == start_of_whole,
              f"the compared graph starts at {start_of(time_bar)}, not {start_of_whole}")
        # The statistics box, still shown, has a line for each run.
        for name, temperature in RUNS:
            line = f"{name}: 200 изм., {temperature}…{temperature} °C, среднее {temperature}.0 °C"
            j.wait_until(f"the statistics of {name}", lambda: line in plot.description.splitlines())
        # The pointer over each run names it.
        x, _, w, _ = extents(plot)
        for name, temperature in RUNS:
            j.xdotool("mousemove", "--sync", x + w * 3 // 4,
                      row_of(plot, temperature_bar, temperature))
            j.wait_until(f"the readout naming {name}",
                         lambda: f"Под указателем: {name}" in plot.description.splitlines())
            j.wait_until(f"the status line naming {name}", lambda: text_of(
                find_all(graph, "label")[0]).startswith(f"{name}: Температура"))
        # The visible data with the runs: a last column names each row's file, the graph's
        # rows first.
        compared = os.path.join(j.files_dir, "compared.csv")
        j.context_menu(plot)
        j.choose(*EXPORT_CSV)
        j.answer_file_dialog("Сохранить как", compared)
        j.answer(j.message_box("Данные успешно записаны в файл."))
        with open(compared, encoding="utf-8-sig", newline="") as f:
            rows = list(csv.reader(f, delimiter=";"))
        files = [row[-1] for row in rows[1:]]
        check(rows[0][-1] == "Файл" and files[0] == "Таблица" and
              all(files.count(name) == 200 for name, _ in RUNS) and
              files.index("kiln-before.orm") > files.index("Таблица"),
              f"the compared export's files: {sorted(set(files))}, {rows[0]}")
        # By clock time the runs lie at a minute past midnight, before the downloaded readings.
        j.context_menu(plot)
        j.choose(*CLOCK_TIME)
        j.context_menu(plot)
        j.choose(*WHOLE_COMPARED)
        j.wait_until("the runs at their clock time", lambda: start_of(time_bar) < start_of_whole)
        # One run taken away by its name: the other stays.
        j.context_menu(plot)
        j.choose(*REMOVE_FIRST_RUN)
        j.wait_until("kiln-before.orm to go", lambda: "kiln-before.orm" not in plot.description)
        check("kiln-after.orm" in plot.description.splitlines(),
              f"kiln-after.orm left the legend too: {plot.description!r}")
        # One command takes every run away again.
        j.context_menu(plot)
        j.choose(*REMOVE_COMPARISON)
        j.wait_until("the legend to go", lambda: "kiln-after.orm" not in plot.description)
        j.context_menu(plot)
        j.choose(*WHOLE_GRAPH)
        j.wait_until("the single graph's time range", lambda: window_of(time_bar) == whole_time)

        # F1 over the graph: the graph's page of the manual, in the program's own help window.
        j.click(j.find(graph, "slider", "Шкала времени"))
        j.key("F1")
        help_window = j.window("filler", "График — ORMA — Справка ORMA")
        j.find(help_window, "push button", "Назад")


run(journey)
