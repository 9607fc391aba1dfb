#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <optional>
#include <string>
#include <vector>

#include "CliRun.h"
#include "CsvReader.h"
#include "TextFieldReader.h"
#include "catalogue/CKavrelDoc.h"

// Every listing command in each of its three forms, over names that break naive output: tabs, newlines,
// quotes, commas, a terminal escape and Windows-1252 bytes. Each form is read back the way its users read
// it: text lines split at tabs with the escapes undone, CSV by an RFC 4180 reader, JSON by Qt's parser.
namespace {

struct Column {
    const char* key;
    bool inText;
    bool number;
};

using Record = std::vector<std::optional<std::string>>;  // as shown; nullopt: absent
// A value not known: null in JSON, an empty field elsewhere.
const std::string kNull = "(null)";

struct ListingCase {
    std::vector<std::string> args;  // after the command name, "FILE" standing for the catalogue
    std::vector<Column> columns;
    std::vector<Record> records;
    int groups = 0;  // dupes: the text form parts its groups with blank lines
};

constexpr Column kIndex{"index", true, true};
constexpr Column kHiddenIndex{"index", false, true};
constexpr Column kLabel{"label", true, false};
constexpr Column kName{"name", true, false};
constexpr Column kKind{"kind", true, false};
constexpr Column kPath{"path", true, false};
constexpr Column kSize{"size", true, false};
constexpr Column kModified{"modified", true, false};
// The details of a disc, after its own fields.
const std::vector<Column> kDetails = {{"catalogued", true, false},  {"source", true, false},
                                      {"device", true, false},      {"volume_label", true, false},
                                      {"file_system", true, false}, {"serial", true, false},
                                      {"capacity", true, true},     {"free", true, true},
                                      {"location", true, false},    {"notes", true, false}};
const Record kNoDetails = {kNull, "", "", "", "", "", kNull, kNull, "", ""};

std::vector<Column> WithDetails(std::vector<Column> columns) {
    columns.insert(columns.end(), kDetails.begin(), kDetails.end());
    return columns;
}
Record Details(Record record, const Record& details) {
    record.insert(record.end(), details.begin(), details.end());
    return record;
}

const std::string kDisc = "Disc, \"one\"";
const std::string kCafe = "caf\xC3\xA9";

class CliForms : public ::testing::Test {
protected:
    void SetUp() override {
        CKavrelDoc doc;
        doc.AppendEntry(kDisc, "tab\there", "file ", "\\a\tb\\", "1,024");
        doc.AppendEntry(kDisc, "new\nline", "file ", "\\", "5");
        doc.AppendEntry(kDisc, "caf\xE9", "folder ", "\\", "0");
        doc.AppendEntry(kDisc, "quote\"comma,", "file ", "\\caf\xE9\\", "12 KB");
        doc.AppendEntry("", "", "", "", "");
        doc.AppendEntry("B\xE9", "\x1b[31mred", "file ", "\\", "7");
        doc.AppendEntry("C", "TAB\tHERE", "file ", "\\x\\", "1024");
        doc.AppendEntry("D", "x", "file ", "\\", "5");
        doc.AppendEntry("E", "X", "file ", "\\", "5");
        doc.EditEntries().SetModified(0, 1559390400);
        doc.EditEntries().SetModified(5, -1);
        catalogue::DiscRecord record;
        record.catalogued = 1700000000;
        record.source = "/srv/isos/one.iso";
        record.fileSystem = "iso9660";
        record.capacity = 734003200;
        record.location = "Box 12, \"shelf\" 3";
        record.notes = "tab\tcaf\xE9";
        doc.EditDiscRecords().Set(0, record);
        std::string error;
        ASSERT_TRUE(doc.OnSaveDocument(m_file, error)) << error;
    }

    CliRun Run(const std::string& command, const ListingCase& c, const char* form) const {
        std::vector<std::string> args{command};
        for (const std::string& arg : c.args) args.push_back(arg == "FILE" ? m_file : arg);
        if (*form) args.emplace_back(form);
        return RunCli(args);
    }

    QTemporaryDir m_dir;
    std::string m_file = m_dir.filePath("forms.cdi").toStdString();
};

const Record kDump[] = {
    {"0", kDisc, "tab\there", "file ", "\\a\tb\\", "1,024", "2019-06-01T12:00:00Z"},
    {"1", kDisc, "new\nline", "file ", "\\", "5", kNull},
    {"2", kDisc, kCafe, "folder ", "\\", "0", kNull},
    {"3", kDisc, "quote\"comma,", "file ", "\\" + kCafe + "\\", "12 KB", kNull},
    {"4", "", "", "", "", "", kNull},
    {"5", "B\xC3\xA9", "\x1b[31mred", "file ", "\\", "7", "1969-12-31T23:59:59Z"},
    {"6", "C", "TAB\tHERE", "file ", "\\x\\", "1024", kNull},
    {"7", "D", "x", "file ", "\\", "5", kNull},
    {"8", "E", "X", "file ", "\\", "5", kNull},
};
const Record kDiscDetails = {
    "2023-11-14T22:13:20Z", "/srv/isos/one.iso", "", "", "iso9660", "", "734003200", kNull,
    "Box 12, \"shelf\" 3",  "tab\tcaf\xC3\xA9"};

// A value as the text and CSV forms show it.
std::string Plain(const std::optional<std::string>& value) {
    return value && *value != kNull ? *value : "";
}

std::vector<Record> DumpRows(std::initializer_list<int> rows) {
    std::vector<Record> records;
    for (const int row : rows) records.push_back(kDump[row]);
    return records;
}

const std::pair<std::string, ListingCase> kCases[] = {
    {"dump",
     {{"FILE"},
      {kIndex, kLabel, kName, kKind, kPath, kSize, kModified},
      DumpRows({0, 1, 2, 3, 4, 5, 6, 7, 8})}},
    {"list",
     {{"FILE", kDisc},
      {kHiddenIndex, {"label", false, false}, kName, kKind, kPath, kSize, kModified},
      DumpRows({0, 1, 2, 3})}},
    {"find",
     {{"FILE", "e"},
      {kHiddenIndex, kLabel, kName, kKind, kPath, kSize, kModified},
      DumpRows({0, 1, 3, 5, 6})}},
    {"discs",
     {{"FILE"},
      WithDetails({kHiddenIndex, kLabel, {"entries", true, true}}),
      {Details({"0", kDisc, "4"}, kDiscDetails), Details({"5", "B\xC3\xA9", "1"}, kNoDetails),
       Details({"6", "C", "1"}, kNoDetails), Details({"7", "D", "1"}, kNoDetails),
       Details({"8", "E", "1"}, kNoDetails)}}},
    {"discs",
     {{"FILE", "--sizes"},
      WithDetails({kHiddenIndex,
                   kLabel,
                   {"discs", false, true},
                   {"entries", true, true},
                   {"files", true, true},
                   {"folders", true, true},
                   {"bytes", true, true},
                   kSize}),
      {Details({"0", kDisc, std::nullopt, "4", "3", "1", "1029", "1,029"}, kDiscDetails),
       Details({"5", "B\xC3\xA9", std::nullopt, "1", "1", "0", "7", "7"}, kNoDetails),
       Details({"6", "C", std::nullopt, "1", "1", "0", "1024", "1,024"}, kNoDetails),
       Details({"7", "D", std::nullopt, "1", "1", "0", "5", "5"}, kNoDetails),
       Details({"8", "E", std::nullopt, "1", "1", "0", "5", "5"}, kNoDetails),
       Details({std::nullopt, std::nullopt, "5", "8", "7", "1", "2070", "2,070"}, Record(10))}}},
    {"dupes",
     {{"FILE"},
      {{"group", false, true},
       {"copies", false, true},
       {"bytes", false, true},
       kHiddenIndex,
       kLabel,
       kName,
       {"kind", false, false},
       kPath,
       kSize,
       kModified},
      {{"1", "2", "1024", "0", kDisc, "tab\there", "file ", "\\a\tb\\", "1,024", "2019-06-01T12:00:00Z"},
       {"1", "2", "1024", "6", "C", "TAB\tHERE", "file ", "\\x\\", "1024", kNull},
       {"2", "2", "5", "7", "D", "x", "file ", "\\", "5", kNull},
       {"2", "2", "5", "8", "E", "X", "file ", "\\", "5", kNull}},
      2}},
};

TEST_F(CliForms, TextLinesHoldOneRecordEachWithEscapesUndone) {
    for (const auto& [command, c] : kCases) {
        SCOPED_TRACE(command + " " + c.args.back());
        const CliRun run = Run(command, c, "");
        ASSERT_EQ(run.exitCode, 0) << run.err;
        std::vector<std::vector<std::string>> lines = ReadTextLines(run.out);
        // Blank lines part the groups of copies and nothing else.
        const auto blank = std::erase(lines, std::vector<std::string>{""});
        EXPECT_EQ(blank, static_cast<std::size_t>(std::max(c.groups - 1, 0)));
        std::vector<std::vector<std::string>> expected;
        for (const Record& record : c.records) {
            std::vector<std::string> shown;
            for (std::size_t i = 0; i < c.columns.size(); ++i)
                if (c.columns[i].inText) shown.push_back(Plain(record[i]));
            expected.push_back(shown);
        }
        EXPECT_EQ(lines, expected);
        // Nothing that steers a terminal reaches it.
        EXPECT_EQ(run.out.find('\x1b'), std::string::npos);
    }
}

TEST_F(CliForms, CsvReadsBackWithItsHeaderRow) {
    for (const auto& [command, c] : kCases) {
        SCOPED_TRACE(command + " " + c.args.back());
        const CliRun run = Run(command, c, "--csv");
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const std::optional<CsvTable> table = ReadCsv(run.out);
        ASSERT_TRUE(table) << run.out;
        CsvTable expected(1);
        for (const Column& column : c.columns) expected[0].push_back(column.key);
        for (const Record& record : c.records) {
            expected.emplace_back();
            for (const auto& cell : record) expected.back().push_back(Plain(cell));
        }
        EXPECT_EQ(*table, expected);
    }
}

TEST_F(CliForms, JsonIsOneObjectALineWithTheKeysOfTheColumns) {
    for (const auto& [command, c] : kCases) {
        SCOPED_TRACE(command + " " + c.args.back());
        const CliRun run = Run(command, c, "--json");
        ASSERT_EQ(run.exitCode, 0) << run.err;
        std::size_t line = 0;
        for (std::size_t at = 0; at < run.out.size(); ++line) {
            const std::size_t end = run.out.find('\n', at);
            ASSERT_NE(end, std::string::npos);
            ASSERT_LT(line, c.records.size());
            const QJsonDocument document =
                QJsonDocument::fromJson(QByteArray::fromStdString(run.out.substr(at, end - at)));
            ASSERT_TRUE(document.isObject()) << run.out.substr(at, end - at);
            const QJsonObject object = document.object();
            const Record& record = c.records[line];
            int present = 0;
            for (std::size_t i = 0; i < c.columns.size(); ++i) {
                const QJsonValue value = object.value(c.columns[i].key);
                if (!record[i]) {
                    EXPECT_TRUE(value.isUndefined()) << c.columns[i].key;
                    continue;
                }
                ++present;
                if (*record[i] == kNull) {
                    EXPECT_TRUE(value.isNull()) << c.columns[i].key;
                    continue;
                }
                const std::string got = c.columns[i].number ? std::to_string(value.toInteger(-1))
                                                            : value.toString().toStdString();
                EXPECT_EQ(got, *record[i]) << c.columns[i].key;
            }
            int hex = 0;
            for (const QString& key : object.keys()) hex += key.endsWith("_hex") ? 1 : 0;
            EXPECT_EQ(object.size(), present + hex);
            at = end + 1;
        }
        EXPECT_EQ(line, c.records.size());
    }
}

// JSON carries the display text; bytes that are not UTF-8 come also as they are, in hex.
TEST_F(CliForms, JsonGivesTheExactBytesOfTextsThatAreNotUtf8) {
    const CliRun run = RunCli({"dump", m_file, "--json"});
    std::vector<QJsonObject> objects;
    for (const QByteArray& line : QByteArray::fromStdString(run.out).split('\n'))
        if (!line.isEmpty()) objects.push_back(QJsonDocument::fromJson(line).object());
    ASSERT_EQ(objects.size(), 9u);
    EXPECT_EQ(objects[2].value("name_hex").toString(), "636166e9");
    EXPECT_EQ(objects[3].value("path_hex").toString(), "5c636166e95c");
    EXPECT_EQ(objects[5].value("label_hex").toString(), "42e9");
    EXPECT_TRUE(objects[0].value("name_hex").isUndefined());
}

TEST_F(CliForms, SizesThatAreNotNumbersAreCountedAsNothingAndSaidSo) {
    const CliRun run = RunCli({"discs", m_file, "--sizes"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err,
              "tamberol-cli: disc \"Disc, \"one\"\": 1 file size(s) are not numbers and count as 0 bytes\n");
}

TEST_F(CliForms, DiscsSizesWarningsShowLabelsEscapedAndSayWhenATotalIsHeld) {
    CKavrelDoc doc;
    doc.AppendEntry("A\x1b[2J", "big", "file ", "\\", "18446744073709551615");
    doc.AppendEntry("A\x1b[2J", "one", "file ", "\\", "1");
    doc.AppendEntry("A\x1b[2J", "odd", "file ", "\\", "12 KB");
    doc.AppendEntry("B", "b", "file ", "\\", "5");
    const std::string file = m_dir.filePath("held.cdi").toStdString();
    std::string error;
    ASSERT_TRUE(doc.OnSaveDocument(file, error)) << error;
    const CliRun run = RunCli({"discs", file, "--sizes"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(
        run.err,
        "tamberol-cli: disc \"A\\x1b[2J\": 1 file size(s) are not numbers and count as 0 bytes\n"
        "tamberol-cli: the sizes of the disc \"A\\x1b[2J\" add up to 18446744073709551615 bytes or more; "
        "the total is held at that largest count\n"
        "tamberol-cli: the sizes of all discs add up to 18446744073709551615 bytes or more; the total is "
        "held at that largest count\n");
}

// Every command whose output cannot be written fails with the system's reason, whatever it printed.
TEST_F(CliForms, OutputThatCannotBeWrittenFailsTheCommand) {
    QTemporaryDir folder;
    const std::vector<std::vector<std::string>> commands = {
        {"dump", m_file, "--json"},
        {"dump", m_file},
        {"discs", m_file},
        {"discs", m_file, "--sizes", "--csv"},
        {"list", m_file, kDisc},
        {"disc", m_file, kDisc},
        {"find", m_file, "e"},
        {"dupes", m_file},
        {"drives"},
        {"scan", m_dir.filePath("scanned.cdi").toStdString(), "--label", "S", folder.path().toStdString()},
        {"--help"},
    };
    for (const auto& args : commands) {
        SCOPED_TRACE(args.front() + (args.size() > 2 ? " " + args.back() : ""));
        QStringList arguments;
        for (const std::string& arg : args) arguments << QString::fromStdString(arg);
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TAMBEROL_DRIVES", "E=" + folder.path());
        process.setProcessEnvironment(env);
        process.setStandardOutputFile(QStringLiteral("/dev/full"));
        process.start(QStringLiteral(TAMBEROL_CLI), arguments);
        ASSERT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitCode(), 1);
        EXPECT_TRUE(process.readAllStandardError().toStdString().ends_with(
            "tamberol-cli: cannot write the output: No space left on device\n"));
    }
}

TEST_F(CliForms, DupesMinSizeTakesABytesCount) {
    CliRun run = RunCli({"dupes", m_file, "--min-size", "1,000"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ReadTextLines(run.out).size(), 2u);
    run = RunCli({"dupes", m_file, "--min-size", "1025"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "");
    run = RunCli({"dupes", m_file, "--min-size", "1 KB"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("--min-size wants a number of bytes"), std::string::npos) << run.err;
}

}  // namespace
