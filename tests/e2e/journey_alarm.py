"""The alarm on the thresholds during a download from the instrument: switched on in the graph's
view menu and kept in the settings, it tells the desktop once per crossing (a notification
service this journey owns on its session bus counts the calls), shows the last crossing in the
graph's status line, and tells nothing while it is off."""

import os
import subprocess
import sys

from orma_e2e import Journey, check, find_all, run, text_of

RECORDS = 200
GRAPH = ("filler", "-- График --")
# The view submenu from the top of the graph's menu, as journey_graph reaches it, then its last
# item, "Сигнал при выходе за пороги".
VIEW = ("Down", "Down", "Down", "Down", "Down", "Down", "Down", "Right")
ALARM = (*VIEW, "Down", "Down", "Down", "Down", "Down", "Down", "Return")
# The simulated instrument's memory starts at 19 °C and peaks once at 866 °C: against 865 and
# 100 °C its first reading is one crossing and the peak the other.
CROSSINGS = ["ORMA\tORMA: выход за порог\t09:12:37.410: 19 °C, ниже 100 °C",
             "ORMA\tORMA: выход за порог\t09:14:45.640: 866 °C, выше 865 °C"]
LAST_CROSSING = "Выход за порог в 09:14:45.640: 866 °C, выше 865 °C"

# The desktop's notification service, as far as a caller sees it: each call of Notify is one
# line of the log, "application, summary, body", and is answered with its number.
STAND_IN = r'''
import sys
from gi.repository import Gio, GLib

INTERFACE = Gio.DBusNodeInfo.new_for_xml("""
<node><interface name="org.freedesktop.Notifications">
  <method name="Notify">
    <arg type="s" direction="in"/><arg type="u" direction="in"/><arg type="s" direction="in"/>
    <arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="as" direction="in"/>
    <arg type="a{sv}" direction="in"/><arg type="i" direction="in"/>
    <arg type="u" direction="out"/>
  </method>
</interface></node>""").interfaces[0]
log = sys.argv[1]
calls = []


def called(connection, sender, path, interface, method, parameters, invocation):
    application, _, _, summary, body = parameters.unpack()[:5]
    calls.append(body)
    with open(log, "a", encoding="utf-8") as f:
        f.write(f"{application}\t{summary}\t{body}\n")
    invocation.return_value(GLib.Variant("(u)", (len(calls),)))


def bus_acquired(connection, name):
    connection.register_object("/org/freedesktop/Notifications", INTERFACE, called, None, None)


def name_acquired(connection, name):
    open(log + ".ready", "w").close()


Gio.bus_own_name(Gio.BusType.SESSION, "org.freedesktop.Notifications",
                 Gio.BusNameOwnerFlags.NONE, bus_acquired, name_acquired, None)
GLib.MainLoop().run()
'''


def notifications(log):
    if not os.path.exists(log):
        return []
    with open(log, encoding="utf-8") as f:
        return f.read().splitlines()


def download_again(j, main):
    """A second download over rows that were not saved, which the user lets go."""
    j.press("Получить данные")
    j.answer(j.message_box("Сохранить полученные данные?"), "Нет")
    j.answer(j.message_box("Подключите прибор к компьютеру."))
    j.find(main, "push button", "Прервать")
    # The output buttons stay during a reception over rows: its end is the button's text.
    j.find(main, "push button", "Получить данные", timeout=60)
    check(len(j.table_rows(main)) == RECORDS, "the second download's rows")


def journey():
    with Journey("alarm") as j:
        log = os.path.join(j.dir, "notifications.log")
        j._spawn([sys.executable, "-c", STAND_IN, log], stderr=subprocess.DEVNULL)
        j.wait_until("the notification service", lambda: os.path.exists(log + ".ready"))

        port = j.start_instrument("--memory", RECORDS, "--delay", "1", "--line-delay", "5",
                                  "--repeat")
        with open(os.path.join(j.config_dir, "KALMIRON", "orma.conf"), "w") as f:
            f.write(f"[General]\nPort={port}\nUpperThreshold=865\nLowerThreshold=100\n")
        main = j.start_orma()

        # Off, as at first: thresholds alone tell nothing.
        j.download(main, RECORDS)
        check(notifications(log) == [], f"told with the alarm off: {notifications(log)}")

        j.press("График")
        graph = j.window(*GRAPH)
        plot = max(find_all(graph, "filler"), key=lambda f: f.queryComponent().getExtents(0).width)
        j.context_menu(plot)
        j.choose(*ALARM)
        j.wait_until("the alarm kept in the settings",
                     lambda: j.settings().get("ThresholdAlarm") == "true")

        download_again(j, main)
        j.wait_until("two notifications", lambda: len(notifications(log)) >= 2)
        check(notifications(log) == CROSSINGS,
              f"the desktop was told {notifications(log)}, not once per crossing")
        label = j.find(graph, "label", LAST_CROSSING)
        check(text_of(label) == LAST_CROSSING, f"the status line shows {text_of(label)!r}")

        # Switched off again: a download tells nothing more.
        j.context_menu(plot)
        j.choose(*ALARM)
        j.wait_until("the alarm off in the settings",
                     lambda: j.settings().get("ThresholdAlarm") == "false")
        download_again(j, main)
        check(notifications(log) == CROSSINGS, f"told with the alarm off: {notifications(log)}")
        check(not find_all(graph, "label", LAST_CROSSING), "the crossing still shows")


if __name__ == "__main__":
    run(journey)
