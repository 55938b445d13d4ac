#include "app/CommandLine.h"

#include <gtest/gtest.h>

TEST(CommandLine, ADashedNameIsAFileOnlyAfterTwoDashesAndEveryOtherOptionIsAMisuse)
{
    using Outcome = CommandLine::Outcome;
    struct Case
    {
        QStringList arguments;
        Outcome outcome;
        QStringList dataFiles;
    };
    const Case cases[] = {
        {{}, Outcome::Run, {}},
        {{"data.orm"}, Outcome::Run, {"data.orm"}},
        {{"--", "-x.orm"}, Outcome::Run, {"-x.orm"}},
        {{"--", "--"}, Outcome::Run, {"--"}},
        {{"--help"}, Outcome::Help, {}},
        // Qt's own options are not the program's: a name that looks like one follows "--".
        {{"-x.orm"}, Outcome::Misuse, {}},
        {{"-reverse"}, Outcome::Misuse, {}},
        // Several files are read as one timeline.
        {{"a.orm", "b.orm"}, Outcome::Run, {"a.orm", "b.orm"}},
        {{"a.orm", "--", "-b.orm"}, Outcome::Run, {"a.orm", "-b.orm"}},
        {{"a.orm", "-x"}, Outcome::Misuse, {}},
        {{""}, Outcome::Misuse, {}},
        {{"a.orm", ""}, Outcome::Misuse, {}},
    };
    for (const Case &c : cases) {
        const CommandLine parsed = ParseCommandLine(c.arguments);
        EXPECT_EQ(parsed.outcome, c.outcome) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(parsed.dataFiles, c.dataFiles) << c.arguments.join(' ').toStdString();
        EXPECT_EQ(parsed.problem.isEmpty(), c.outcome != Outcome::Misuse);
    }
    EXPECT_TRUE(ParseCommandLine({"-reverse"}).problem.contains("orma -- -reverse"));
}
