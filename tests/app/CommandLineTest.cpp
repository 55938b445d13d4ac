#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace {

CommandLine parse(const QStringList &arguments)
{
    return ParseCommandLine(arguments);
}

} // namespace

TEST(CommandLine, ADataFileMayFollowTwoDashesEvenWhenItsNameStartsWithADash)
{
    EXPECT_EQ(parse({}).outcome, CommandLine::Outcome::Run);
    EXPECT_TRUE(parse({}).dataFile.isEmpty());
    EXPECT_EQ(parse({"data.orm"}).dataFile, "data.orm");
    for (const QStringList &arguments :
         {QStringList{"--", "-x.orm"}, QStringList{"--", "-reverse"}, QStringList{"--", "-"}}) {
        const CommandLine parsed = parse(arguments);
        EXPECT_EQ(parsed.outcome, CommandLine::Outcome::Run) << arguments.join(' ').toStdString();
        EXPECT_EQ(parsed.dataFile, arguments[1]);
    }
    // A second "--" after the first is a file's name.
    EXPECT_EQ(parse({"--", "--"}).dataFile, "--");
    EXPECT_EQ(parse({"--help"}).outcome, CommandLine::Outcome::Help);
    EXPECT_EQ(parse({"-h"}).outcome, CommandLine::Outcome::Help);
}

TEST(CommandLine, OptionsOfNoKindAndSecondFilesAreMisuses)
{
    // Qt's own options are not the program's: a name that looks like one must follow "--".
    for (const QStringList &arguments :
         {QStringList{"-x.orm"}, QStringList{"-reverse"}, QStringList{"-style", "fusion"},
          QStringList{"a.orm", "b.orm"}, QStringList{"--", "a.orm", "b.orm"}, QStringList{""}}) {
        const CommandLine parsed = parse(arguments);
        EXPECT_EQ(parsed.outcome, CommandLine::Outcome::Misuse)
            << arguments.join(' ').toStdString();
        EXPECT_TRUE(parsed.dataFile.isEmpty());
    }
}
