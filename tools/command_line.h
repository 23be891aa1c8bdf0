#pragma once
// The command line of every tool, read by one parser (Qt's): --help prints the usage and
// the options on standard output and ends with status 0; a bad command line gives one line
// on standard error that names the offending argument, and status 2.
#include <QCommandLineParser>
#include <QString>
#include <optional>

namespace aismon {

struct ToolUsage {
  const char* tool;         // "aismon"
  const char* synopsis;     // the options in brief, as the usage line shows them
  const char* description;  // what the tool does, for --help
  bool takesFiles = false;  // arguments that are not options are files, not errors
};

// Adds options to parser and parses argv. Nothing: go on. Otherwise the exit status: 0
// after --help, 2 after an error (reported). Needs no application object.
std::optional<int> ParseCommandLine(QCommandLineParser& parser, const QList<QCommandLineOption>& options,
                                    const ToolUsage& usage, int argc, char** argv);

// Reports a bad value ("TOOL: what: arg (usage: ...)") and gives 2, the exit status.
int CommandLineError(const ToolUsage& usage, const char* what, const QString& arg);

}  // namespace aismon
