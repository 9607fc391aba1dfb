#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

// What one run of the built command-line tool gave.
struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs the command-line tool (TAMBEROL_CLI, defined by the test target) with `args` passed as bytes and, when
// given, its own drive map.
inline CliRun RunCli(const std::vector<std::string>& args, const std::optional<std::string>& driveMap = {}) {
    QStringList arguments;
    for (const std::string& arg : args)
        arguments << QString::fromLocal8Bit(arg.data(), qsizetype(arg.size()));
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (driveMap) env.insert("TAMBEROL_DRIVES", QString::fromStdString(*driveMap));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(TAMBEROL_CLI), arguments);
    if (!process.waitForFinished(30000)) return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput().toStdString(), process.readAllStandardError().toStdString()};
}

// The first `count` tab-separated fields of each line of a text listing, for tests that look at some columns
// of a listing that later grew more.
inline std::string FirstFields(const std::string& text, std::size_t count) {
    std::string out;
    std::size_t fields = 0;
    for (const char c : text) {
        if (c == '\n')
            fields = 0;
        else if (c == '\t')
            ++fields;
        if (fields < count || c == '\n') out.push_back(c);
    }
    return out;
}
