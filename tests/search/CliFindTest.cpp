#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <string>

#include "CliRun.h"
#include "catalogue/CKavrelDoc.h"

namespace {

struct FindCase {
    std::vector<std::string> options;  // after "find FILE"
    int exitCode;
    std::string out;
    std::string err;  // a part of it; "" means nothing was written
};

TEST(CliFindTest, OptionsPickTheOperationAndFailuresSayWhy) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("discs.cdi").toStdString();
    const std::string missing = dir.filePath("missing.cdi").toStdString();
    {
        CKavrelDoc doc;
        doc.AppendEntry("Disc1", "readme.txt", "file ", "\\", "1,024");
        doc.AppendEntry("Disc1", "Docs", "folder ", "\\", "0");
        doc.AppendEntry({}, {}, {}, {}, {});
        doc.AppendEntry("Disc2", "ReadMe.TXT", "file ", "\\old\\", "12");
        std::string error;
        ASSERT_TRUE(doc.OnSaveDocument(path, error)) << error;
    }
    const std::string first = "Disc1\treadme.txt\tfile \t\\\t1,024\t\n";
    const std::string both = first + "Disc2\tReadMe.TXT\tfile \t\\old\\\t12\t\n";
    const FindCase cases[] = {
        {{"readme"}, 0, both, ""},  // hits in index order, tab separated
        {{"readme", "--case"}, 0, first, ""},
        {{"docs"}, 0, "Disc1\tDocs\tfolder \t\\\t0\t\n", ""},
        {{"docs", "--files-only"}, 1, "", "The file was not finded!"},
        {{"readme", "--whole"}, 1, "", "The file was not finded!"},
        {{"README.TXT", "--whole"}, 0, both, ""},
        {{"*.txt"}, 0, both, ""},
        {{"zebra"}, 1, "", "The file was not finded!\n"},
        {{}, 2, "", "usage"},
        {{""}, 2, "", "usage"},
        {{"a", "--bogus"}, 2, "", "usage"},
    };
    for (const FindCase& c : cases) {
        std::vector<std::string> args{"find", path};
        args.insert(args.end(), c.options.begin(), c.options.end());
        SCOPED_TRACE(args.size() > 2 ? args[2] + (args.size() > 3 ? " " + args[3] : "") : "(none)");
        const CliRun run = RunCli(args);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_EQ(run.out, c.out);
        if (c.err.empty()) {
            EXPECT_EQ(run.err, "");
        }
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
    }

    // A star with a whole-name search is refused before the file is read.
    CliRun run = RunCli({"find", missing, "*.txt", "--whole"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "waring: Can't include characters:'*' \n");
    run = RunCli({"find", missing, "a"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("missing.cdi"), std::string::npos);
}

// Names that hold a neighbour of the text's first byte (c ^ 1) right before the rest of the text were once
// listed as hits.
TEST(CliFindTest, ListsOnlyNamesThatHoldTheText) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("c.cdi").toStdString();
    {
        CKavrelDoc doc;
        for (const char* name : {"death.txt", "srun.txt", "cba", "data.bin"}) {
            doc.AppendEntry("Disc1", name, "file ", "\\", "0");
        }
        std::string error;
        ASSERT_TRUE(doc.OnSaveDocument(path, error)) << error;
    }
    const std::string data = "Disc1\tdata.bin\tfile \t\\\t0\t\n";
    const std::pair<std::string, std::string> cases[] = {
        {"dat", data}, {"sun", ""}, {"ca", ""}, {"*dat*", data}, {"*sun*", ""}, {"*ca*", ""},
    };
    for (const auto& [text, out] : cases) {
        for (const bool caseSensitive : {false, true}) {
            std::vector<std::string> args{"find", path, text};
            if (caseSensitive) args.push_back("--case");
            const CliRun run = RunCli(args);
            EXPECT_EQ(run.out, out) << text << (caseSensitive ? " --case" : "");
            EXPECT_EQ(run.exitCode, out.empty() ? 1 : 0) << text;
        }
    }
}

}  // namespace
