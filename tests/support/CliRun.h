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
