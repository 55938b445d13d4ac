#include "acquisition/SerialPort.h"

#include "tests/support/PseudoTerminal.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <cerrno>
#include <string>

#include <csignal>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Reason = PortOpenFailure::Reason;

std::string nameOfGroup(gid_t gid)
{
    const group *entry = getgrgid(gid);
    return entry ? entry->gr_name : "";
}

TEST(SerialPort, OpensRawAt9600EightDataBitsNoParityOneStopBit)
{
    PseudoTerminal instrument;
    const PortOpenResult opened = OpenPort(instrument.slavePath());
    ASSERT_TRUE(opened.port);
    EXPECT_EQ(opened.failure.reason, Reason::None);

    const termios settings = instrument.slaveSettings();
    EXPECT_EQ(cfgetispeed(&settings), B9600);
    EXPECT_EQ(cfgetospeed(&settings), B9600);
    EXPECT_EQ(settings.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_EQ(settings.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(settings.c_cflag & (CLOCAL | CREAD), tcflag_t(CLOCAL | CREAD));
    EXPECT_EQ(settings.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(settings.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP), 0u);
}

TEST(SerialPort, PassesEveryByteAndReportsHangUpAsLostLink)
{
    PseudoTerminal instrument;
    const PortOpenResult opened = OpenPort(instrument.slavePath());
    ASSERT_TRUE(opened.port);

    const std::string sent("\r\n\0\x11\x13\x7f\xff", 7);
    ASSERT_TRUE(instrument.write(sent));
    std::string received;
    char byte = 0;
    while (received.size() < sent.size() && opened.port->readByte(byte) == ReadResult::Byte)
        received += byte;
    EXPECT_EQ(received, sent);

    instrument.closeMaster();
    EXPECT_EQ(opened.port->readByte(byte), ReadResult::LinkLost);
    EXPECT_EQ(opened.port->readByte(byte), ReadResult::LinkLost);
}

TEST(SerialPort, PortHeldByAnotherOpenIsBusyUntilReleased)
{
    PseudoTerminal instrument;
    PortOpenResult holder = OpenPort(instrument.slavePath());
    ASSERT_TRUE(holder.port);

    const PortOpenResult second = OpenPort(instrument.slavePath());
    EXPECT_FALSE(second.port);
    EXPECT_EQ(second.failure.reason, Reason::Busy);
    EXPECT_EQ(PortOpenFailureText(second.failure), "Порт занят другой программой.");

    holder.port.reset();
    EXPECT_TRUE(OpenPort(instrument.slavePath()).port);
}

// Devices that are no terminal are told apart from a busy port: /dev/null is open in every
// shell, and a file, a folder or /dev/zero would otherwise fail with no reason at all.
TEST(SerialPort, SourcesThatAreNoPortFailWithTheirReason)
{
    QTemporaryFile plainFile;
    ASSERT_TRUE(plainFile.open());
    QTemporaryDir folder;
    const QString notAPort = "Это не последовательный порт.";
    const struct
    {
        std::string name;
        Reason reason;
        QString text;
    } rows[] = {
        {"", Reason::Other, ""},
        {"/dev/ttyORMA-no-such-device", Reason::Gone, "Устройство не найдено или отключено."},
        {plainFile.fileName().toStdString(), Reason::NotSerialPort, notAPort},
        {folder.path().toStdString(), Reason::NotSerialPort, notAPort},
        {"/dev/null", Reason::NotSerialPort, notAPort},
        {"/dev/zero", Reason::NotSerialPort, notAPort},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const PortOpenResult opened = OpenPort(row.name);
        EXPECT_FALSE(opened.port);
        EXPECT_EQ(opened.failure.reason, row.reason);
        EXPECT_EQ(PortOpenFailureText(opened.failure), row.text);
    }
}

// orma-cli speaks its user's language: every reason has an English line too, none empty where
// the Russian one is not.
TEST(SerialPort, EveryReasonHasAnEnglishText)
{
    for (const PortOpenFailure &failure :
         {PortOpenFailure{Reason::NoPermission, "dialout", true, false, {}, 0},
          PortOpenFailure{Reason::NoPermission, {}, false, false, {}, 0},
          PortOpenFailure{Reason::NoPermission, "dialout", true, true, {}, 0},
          PortOpenFailure{Reason::Busy, {}, false, false, {}, 0},
          PortOpenFailure{Reason::Busy, {}, false, false, "minicom", 42},
          PortOpenFailure{Reason::Gone, {}, false, false, {}, 0},
          PortOpenFailure{Reason::NotSerialPort, {}, false, false, {}, 0}}) {
        const QString english = PortOpenFailureText(failure, MessageLanguage::English);
        SCOPED_TRACE(english.toStdString());
        EXPECT_FALSE(english.isEmpty());
        EXPECT_FALSE(english.contains(QRegularExpression("[а-яА-Я]")));
        EXPECT_NE(english, PortOpenFailureText(failure));
    }
    EXPECT_EQ(PortOpenFailureText(PortOpenFailure{Reason::Busy, {}, false, false, "minicom", 42},
                                  MessageLanguage::English),
              "The port is in use by another program: minicom (pid 42).");
}

TEST(SerialPort, MissingPermissionNamesAGroupOnlyWhereJoiningItWouldHelp)
{
    QTemporaryFile device;
    ASSERT_TRUE(device.open());
    const std::string path = device.fileName().toStdString();
    const std::string group = nameOfGroup(getegid());
    ASSERT_FALSE(group.empty());

    // Mode 600: the group may not use the device, so naming it would mislead.
    for (int error : {EACCES, EPERM}) {
        const PortOpenFailure failure = PortOpenFailureFor(error, path);
        EXPECT_EQ(failure.reason, Reason::NoPermission);
        EXPECT_EQ(failure.group, group);
        EXPECT_FALSE(failure.groupMayUse);
        EXPECT_TRUE(failure.inGroup);
        EXPECT_EQ(PortOpenFailureText(failure),
                  "Нет прав доступа к порту: устройство доступно только его владельцу. "
                  "Разрешите доступ к нему правилом udev (пример есть в README).");
    }
    // Mode 660 and the group this process is in: nothing a group could mend.
    ASSERT_EQ(chmod(path.c_str(), 0660), 0);
    const PortOpenFailure shared = PortOpenFailureFor(EACCES, path);
    EXPECT_TRUE(shared.groupMayUse);
    EXPECT_EQ(PortOpenFailureText(shared), "Нет прав доступа к порту.");

    PortOpenFailure joinable{Reason::NoPermission, "dialout", true, false, {}, 0};
    EXPECT_EQ(PortOpenFailureText(joinable),
              "Нет прав доступа к порту: добавьте пользователя в группу dialout.");
}

TEST(SerialPort, APortAnotherProcessHasOpenIsRefusedAndItsHolderNamed)
{
    PseudoTerminal instrument;
    // The child keeps the terminal open as another program would, without locking it: root
    // would get past TIOCEXCL alone.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        pause();
        _exit(0);
    }
    const PortOpenResult opened = OpenPort(instrument.slavePath());
    const std::optional<PortHolder> holder = FindPortHolder(instrument.slavePath());
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);

    EXPECT_FALSE(opened.port);
    EXPECT_EQ(opened.failure.reason, Reason::Busy);
    EXPECT_EQ(opened.failure.holderPid, child);
    ASSERT_TRUE(holder.has_value());
    EXPECT_EQ(holder->pid, child);
    EXPECT_EQ(PortOpenFailureText(opened.failure),
              QString("Порт занят другой программой: %1 (pid %2).")
                  .arg(QString::fromStdString(holder->name))
                  .arg(child));
    EXPECT_FALSE(holder->name.empty());
    // Alone again, the port opens.
    EXPECT_TRUE(OpenPort(instrument.slavePath()).port);
}

// Only where permissions bind: the superuser opens any device.
TEST(SerialPort, DeviceWithoutAccessRightsFailsForWantOfPermission)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "the superuser is never refused";
    QTemporaryFile device;
    ASSERT_TRUE(device.open());
    ASSERT_TRUE(device.setPermissions({}));
    const PortOpenResult opened = OpenPort(device.fileName().toStdString());
    EXPECT_FALSE(opened.port);
    EXPECT_EQ(opened.failure.reason, Reason::NoPermission);
}

} // namespace
