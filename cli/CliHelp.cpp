#include "cli/CliSupport.h"
#include "cli/Commands.h"

#include "companions/ProgramVersion.h"

namespace {

const char *const RussianHelp = R"(Использование: orma-cli КОМАНДА [ПАРАМЕТРЫ]

Файлы данных ORMA (.orm) и принятые от пирометра измерения без окна программы.

  orma-cli convert ВХОД... --to xlsx|csv|txt -o ВЫХОД [--mode memory|continuous] [--force]
      Читает ВХОД так же, как источник "file" программы, и записывает книгу Excel
      (те же ячейки, что "в  Exel"), CSV (как "Экспорт в CSV...") или текстовую форму
      сохранения (все строки). Для нескольких входных файлов ВЫХОД - папка: в ней
      появляются ИМЯ.xlsx и т. д. Существующий файл заменяется только с --force;
      выходной файл появляется только целиком.

  orma-cli stats ВХОД... [--from ЧЧ:ММ:СС] [--to ЧЧ:ММ:СС] [--above T] [--below T] [--json]
      Число измерений, наименьшая и наибольшая температура и время, когда они впервые
      встретились, средняя, стандартное отклонение (по всей совокупности) и
      длительность окна времени (без --from и --to - от первого до последнего
      измерения), те же числа, что в окне графика для того же отрезка. Время выше T
      (ниже T) - сумма интервалов от каждого измерения выше (ниже) T до следующего
      измерения окна; T - целое число градусов, --above выше --below. Измерение 0 °C
      тоже измерение.

  orma-cli download ПОРТ -o ФАЙЛ [--continuous [--period СЕКУНДЫ]] [--first-wait СЕКУНДЫ]
                    [--rotate daily] [--reconnect] [--append] [--force] [--emit influx]
                    [--mqtt URL [--password-file ФАЙЛ] [--cafile ФАЙЛ]] [--date ГГГГ-ММ-ДД]
                    [--above T] [--below T] [--on-alarm КОМАНДА]
      Прием с порта, как у кнопки "Получить данные": из памяти прибора (до 10 с тишины)
      или непрерывно (до Ctrl+C, SIGTERM или потери связи), с периодом опроса.
      Каждая строка сразу дописывается в ФАЙЛ в форме файла данных; не реже раза
      в секунду файл сбрасывается на диск. --first-wait: сколько ждать первых данных
      (по умолчанию 180 с из памяти, 30 с непрерывно). --rotate daily: новый файл
      в полночь, ФАЙЛ-ГГГГ-ММ-ДД.orm; файл этого дня, если он уже есть, дополняется.
      В файле только целые строки; строка длиннее 64 КиБ отбрасывается и учитывается.
      Ctrl+C завершает прием, сохраняя все данные (код 0). --reconnect (с --continuous):
      отключенное устройство ожидается, пока оно не вернется под тем же постоянным
      именем (/dev/serial/by-id/...), и прием продолжается; так же ожидается и еще
      не подключенное устройство, а первых данных - без срока, если не задан
      --first-wait. --append: дописывать в уже существующий ФАЙЛ. ПОРТ без "/" -
      постоянное имя из /dev/serial/by-id (или by-path).
      Каждое измерение сразу уходит и дальше: --emit influx - строкой протокола
      InfluxDB в стандартный вывод; --mqtt mqtt[s]://[ПОЛЬЗОВАТЕЛЬ@]УЗЕЛ[:ПОРТ]/ПРЕФИКС -
      объектом JSON брокеру MQTT (QoS 1) в тему ПРЕФИКС/ИМЯ-ПОРТА, через очередь
      ФАЙЛ.mqtt-queue, которая хранит недоставленное до следующего запуска. Пароль -
      из --password-file или ORMA_MQTT_PASSWORD. Прибор хранит только время суток:
      при чтении памяти с этими выходами нужна --date, день первой записи.
      --above T, --below T: строка в stderr при каждом выходе за порог (измерение вне
      порогов после измерения внутри них или первым); --on-alarm: КОМАНДА через
      /bin/sh при каждом выходе, без ожидания ее конца, с ORMA_TIME, ORMA_TEMPERATURE,
      ORMA_EMISSIVITY, ORMA_SIDE (above/below), ORMA_LIMIT, ORMA_PORT и ORMA_FILE.

  orma-cli plot ВХОД... -o ВЫХОД.png|svg|pdf [--size ШxВ] [--from ЧЧ:ММ:СС] [--to ЧЧ:ММ:СС]
      График измерений, как его печатает окно графика (по умолчанию 1000x700).

  orma-cli ports
      Последовательные порты, по строке на порт через табуляцию: имя для download
      (постоянное, из /dev/serial/by-id или by-path, где оно есть), имя ядра
      (/dev/ttyUSB0), адаптер.
  orma-cli notes ФАЙЛ [--add ЧЧ:ММ:СС[.мс] ТЕКСТ]
      Заметки к измерениям файла данных (ФАЙЛ.notes рядом с ним), по одной в строке:
      время и текст. --add добавляет заметку к этому времени.
  orma-cli report ВХОД... -o ВЫХОД.pdf [--from ЧЧ:ММ:СС] [--to ЧЧ:ММ:СС] [--above T]
                  [--below T] [--title ТЕКСТ] [--page a4|letter]
      Отчет одним PDF, как "Отчет..." в окне программы: заголовок (файлы, дата,
      степень черноты и режимы, окно времени), график с порогами, статистика окна
      (как у stats, и доля измерений в пределах порогов), заметки из файлов
      ВХОД.notes и таблица измерений окна (у длинных записей - каждое N-е, это
      сказано в отчете). Страницы пронумерованы.

  --mode memory|continuous   как читать ВХОД (по умолчанию memory)
  --help                     эта справка
  --version                  версия

Коды завершения:
  0  успешно
  1  ошибка выполнения (файл не записан, не получено ни одного измерения)
  2  неверная командная строка
  3  входной файл не читается или в нем нет измерений
  4  порт не открывается
  5  связь с прибором потеряна во время приема
  6  выходной файл уже есть, а --force не задан
  7  диск заполнился во время приема (принятые до того строки сохранены)
  8  брокер MQTT не принял все измерения; они ждут в очереди следующего запуска
)";

const char *const EnglishHelp = R"(Usage: orma-cli COMMAND [OPTIONS]

ORMA data files (.orm) and pyrometer receptions without the program's window.

  orma-cli convert IN... --to xlsx|csv|txt -o OUT [--mode memory|continuous] [--force]
      Reads IN as the program's source "file" does and writes the workbook (the same
      cells as "в  Exel"), the CSV (as "Экспорт в CSV...") or the text form of the
      save (all rows). With several inputs OUT is a folder that gets NAME.xlsx and so
      on. An existing file is replaced only with --force; an output appears only whole.

  orma-cli stats IN... [--from HH:MM:SS] [--to HH:MM:SS] [--above T] [--below T] [--json]
      The count of readings, the lowest and highest temperature with the time each was
      first seen, the mean, the standard deviation (of the whole population) and the
      length of the time window (first to last reading without --from and --to): the
      figures the graph window shows for the same stretch. The time above T (below T)
      is the sum of the intervals from each reading above (below) T to the next reading
      in the window; T is whole degrees, --above higher than --below. A reading of 0 °C
      is a reading.

  orma-cli download PORT -o FILE [--continuous [--period SECONDS]] [--first-wait SECONDS]
                    [--rotate daily] [--reconnect] [--append] [--force] [--emit influx]
                    [--mqtt URL [--password-file FILE] [--cafile FILE]] [--date YYYY-MM-DD]
                    [--above T] [--below T] [--on-alarm CMD]
      Receives from PORT as "Получить данные" does: the instrument's memory (until 10 s
      of silence) or continuously (until Ctrl+C, SIGTERM or a lost link), with a poll
      period. Each line is appended to FILE in the data file form as it comes; the file
      is flushed to disk at least once a second. --first-wait: how long to wait for the
      first data (default 180 s from memory, 30 s continuous). --rotate daily: a new
      file at midnight, FILE-YYYY-MM-DD.orm; a day's file already there is appended
      to. FILE holds whole lines only; a line longer than 64 KiB is dropped and
      counted. Ctrl+C ends the reception keeping all data (status 0). --reconnect
      (with --continuous): an unplugged device is waited for until it comes back under
      the same stable name (/dev/serial/by-id/...), and the reception goes on; a device
      not plugged in yet is waited for too, and the first data without a limit unless
      --first-wait is given. --append: continue FILE when it exists. A PORT without "/"
      is a stable name in /dev/serial/by-id (or by-path).
      Each reading also goes on as it comes: --emit influx as a line of InfluxDB line
      protocol on standard output; --mqtt mqtt[s]://[USER@]HOST[:PORT]/PREFIX as a JSON
      object to an MQTT broker (QoS 1) on the topic PREFIX/PORT-NAME, through the queue
      FILE.mqtt-queue, which keeps what was not delivered for the next run. The password
      comes from --password-file or ORMA_MQTT_PASSWORD. The instrument keeps times of day
      only: a memory download with these outputs needs --date, the first record's day.
      --above T, --below T: a line on stderr per crossing (a reading outside the
      thresholds after one inside, or as the first); --on-alarm: CMD through /bin/sh
      per crossing, not waited for, with ORMA_TIME, ORMA_TEMPERATURE, ORMA_EMISSIVITY,
      ORMA_SIDE (above/below), ORMA_LIMIT, ORMA_PORT and ORMA_FILE.

  orma-cli plot IN... -o OUT.png|svg|pdf [--size WxH] [--from HH:MM:SS] [--to HH:MM:SS]
      The graph of the readings as the graph window prints it (default 1000x700).

  orma-cli ports
      The serial ports, one line each, columns apart by tabs: the name to give
      download (the stable one from /dev/serial/by-id or by-path where there is one),
      the kernel name (/dev/ttyUSB0), the adapter.
  orma-cli notes FILE [--add HH:MM:SS[.ms] TEXT]
      The notes on the readings of a data file (FILE.notes beside it), one a line:
      the time and the text. --add adds a note at that time.
  orma-cli report IN... -o OUT.pdf [--from HH:MM:SS] [--to HH:MM:SS] [--above T]
                  [--below T] [--title TEXT] [--page a4|letter]
      One PDF report, as "Отчет..." in the program's window: a title block (files,
      date, emissivity and modes, time window), the graph with the thresholds, the
      statistics of the window (those of stats, and the share of readings within the
      thresholds), the notes of each IN.notes and the table of the window's readings
      (every Nth of a long recording, said in the report), on numbered pages.

  --mode memory|continuous   how to read IN (default memory)
  --help                     this text
  --version                  the version

Exit status:
  0  success
  1  runtime failure (a file not written, not one reading received)
  2  a wrong command line
  3  an input cannot be read or holds no readings
  4  the port does not open
  5  the link to the instrument was lost during a reception
  6  the output exists and --force was not given
  7  the disk filled during a reception (the lines received before are kept)
  8  the MQTT broker did not take every reading; they wait in the queue for the next run
)";

} // namespace

QString HelpText()
{
    return QString::fromUtf8(RussianLocale() ? RussianHelp : EnglishHelp);
}

QString VersionText()
{
    return QStringLiteral("orma-cli (ORMA) %1\n").arg(FormatVersion(BuildVersion()));
}
