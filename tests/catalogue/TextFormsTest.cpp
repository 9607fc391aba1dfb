#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <random>
#include <string>
#include <vector>

#include "CsvReader.h"
#include "TextFieldReader.h"
#include "catalogue/DisplayText.h"
#include "catalogue/TextForms.h"

namespace {

std::string TextField(std::string_view bytes) {
    std::string out;
    catalogue::AppendTextField(bytes, out);
    return out;
}

struct FormCase {
    const char* why;
    std::string bytes;
    std::string text;  // the text form
    std::string csv;   // the CSV field
};

TEST(TextForms, EachFormWritesOddTextsAsTheTableSays) {
    const FormCase cases[] = {
        {"plain", "README.TXT", "README.TXT", "README.TXT"},
        {"empty", "", "", ""},
        {"backslashes stay single", "\\DOCS\\", "\\DOCS\\", "\\DOCS\\"},
        {"tab", "a\tb", "\"a\\tb\"", "a\tb"},
        {"newline and CR", "a\nb\r", "\"a\\nb\\r\"", "\"a\nb\r\""},
        {"backslash beside a control", "c:\\\x01", "\"c:\\\\\\x01\"", "c:\\\x01"},
        {"escape sequence", "\x1b[2J", "\"\\x1b[2J\"", "\x1b[2J"},
        {"delete", "a\x7f", "\"a\\x7f\"", "a\x7f"},
        {"leading quote", "\"q\" name", "\"\\\"q\\\" name\"", "\"\"\"q\"\" name\""},
        {"inner quote", "say \"hi\"", "say \"hi\"", "\"say \"\"hi\"\"\""},
        {"comma", "a,b", "a,b", "\"a,b\""},
        {"trailing blank", "file ", "file ", "\"file \""},
        {"leading blank", " file", " file", "\" file\""},
        {"Windows-1252", "caf\xE9", "caf\xC3\xA9", "caf\xC3\xA9"},
        {"UTF-8", "\xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9"},
        {"a byte Windows-1252 leaves undefined", "a\x81", "\"a\\u0081\"", "a\xC2\x81"},
        {"C1 control in UTF-8", "a\xC2\x9B", "\"a\\u009b\"", "a\xC2\x9B"},
        {"first C1 control", "a\xC2\x80", "\"a\\u0080\"", "a\xC2\x80"},
        {"last C1 control", "a\xC2\x9F", "\"a\\u009f\"", "a\xC2\x9F"},
        {"first character after the C1 controls", "a\xC2\xA0", "a\xC2\xA0", "a\xC2\xA0"},
    };
    for (const FormCase& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_EQ(TextField(c.bytes), c.text);
        std::string csv;
        catalogue::AppendCsvField(c.bytes, csv);
        EXPECT_EQ(csv, c.csv);
        // Every form means the display text, and the text form keeps one record on one line.
        EXPECT_EQ(ReadTextField(c.text), catalogue::ToDisplayUtf8(c.bytes));
        EXPECT_EQ(c.text.find_first_of("\t\n\r"), std::string::npos);
    }
}

// Generated texts of every troublesome byte come back whole from CSV and JSON readers, and the text form
// always reads back to them, on one line.
TEST(TextForms, GeneratedTextsReadBackThroughEachForm) {
    std::mt19937 random(1515);
    const std::string alphabet = std::string("ab ,\"\\\t\n\r\x01\x1b\x7f\xE9\x81", 15) + "\xC3\xA9";
    std::vector<std::string> texts;
    for (int i = 0; i < 2000; ++i) {
        std::string text;
        const std::size_t size = random() % 8;
        for (std::size_t k = 0; k < size; ++k) text.push_back(alphabet[random() % alphabet.size()]);
        texts.push_back(text);
    }
    std::string csv;
    for (std::size_t i = 0; i + 1 < texts.size(); i += 2) {
        const std::string_view pair[] = {texts[i], texts[i + 1]};
        csv += catalogue::CsvRecord(pair);
    }
    const std::optional<CsvTable> table = ReadCsv(csv);
    ASSERT_TRUE(table);
    ASSERT_EQ(table->size(), texts.size() / 2);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const std::string display = catalogue::ToDisplayUtf8(texts[i]);
        SCOPED_TRACE(display);
        EXPECT_EQ((*table)[i / 2][i % 2], display);

        std::string json = "{\"t\":\"";
        catalogue::AppendJsonString(texts[i], json);
        json += "\"}";
        const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(json));
        ASSERT_TRUE(document.isObject()) << json;
        EXPECT_EQ(document.object().value("t").toString().toStdString(), display);

        const std::string text = TextField(texts[i]);
        EXPECT_EQ(ReadTextField(text), display);
        EXPECT_EQ(text.find_first_of("\t\n\r"), std::string::npos);
    }
}

}  // namespace
