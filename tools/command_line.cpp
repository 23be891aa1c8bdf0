#include "command_line.h"

#include <QStringList>
#include <cstdio>

namespace aismon {

namespace {

// The argument as the user typed it that made Qt's parser stop: an unknown option, or the
// option named in its error text ("Missing value after '--home'.").
QString OffendingArgument(const QCommandLineParser& parser, const QStringList& args) {
  const QStringList unknown = parser.unknownOptionNames();
  for (const QString& a : args.mid(1)) {
    if (!a.startsWith(QLatin1Char('-'))) continue;
    QString name = a.mid(a.startsWith(QLatin1String("--")) ? 2 : 1);
    name = name.left(name.indexOf(QLatin1Char('=')) >= 0 ? name.indexOf(QLatin1Char('=')) : name.size());
    if (unknown.contains(name)) return a;
  }
  const QString text = parser.errorText();
  const qsizetype open = text.indexOf(QLatin1Char('\''));
  const qsizetype close = text.lastIndexOf(QLatin1Char('\''));
  if (open >= 0 && close > open) {
    const QString named = text.mid(open + 1, close - open - 1);
    for (const QString& a : args.mid(1))
      if (a == named || a.startsWith(named + QLatin1Char('='))) return a;
    return named;
  }
  return text;
}

// Qt's own help text asks the application object for the program's name; the tools read
// their command line before they make one.
QString HelpText(const QList<QCommandLineOption>& options, const ToolUsage& usage) {
  QString text = QStringLiteral("Usage: %1 %2\n\n%3\n\nOptions:\n")
                     .arg(QString::fromUtf8(usage.tool), QString::fromUtf8(usage.synopsis),
                          QString::fromUtf8(usage.description));
  QList<QCommandLineOption> all = options;
  all << QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Prints this help and ends."));
  for (const QCommandLineOption& o : all) {
    QStringList names;
    for (const QString& n : o.names()) names << (n.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + n;
    QString head = QStringLiteral("  ") + names.join(QStringLiteral(", "));
    if (!o.valueName().isEmpty()) head += QStringLiteral(" ") + o.valueName();
    text += head + QStringLiteral("\n      ") + o.description() + QStringLiteral("\n");
  }
  return text;
}

}  // namespace

int CommandLineError(const ToolUsage& usage, const char* what, const QString& arg) {
  std::fprintf(stderr, "%s: %s: %s (usage: %s %s; %s --help tells more)\n", usage.tool, what,
               arg.toLocal8Bit().constData(), usage.tool, usage.synopsis, usage.tool);
  return 2;
}

std::optional<int> ParseCommandLine(QCommandLineParser& parser, const QList<QCommandLineOption>& options,
                                    const ToolUsage& usage, int argc, char** argv) {
  QStringList args;
  for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
  parser.addOptions(options);
  const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
  parser.addOption(help);
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  if (!parser.parse(args)) {
    const bool unknown = !parser.unknownOptionNames().isEmpty();
    const QString arg = OffendingArgument(parser, args);
    if (unknown) return CommandLineError(usage, "unknown option", arg);
    if (parser.errorText().startsWith(QLatin1String("Missing value"))) return CommandLineError(usage, "missing value after", arg);
    return CommandLineError(usage, "bad argument", arg);
  }
  if (parser.isSet(help)) {
    std::fputs(HelpText(options, usage).toLocal8Bit().constData(), stdout);
    return 0;
  }
  if (!usage.takesFiles && !parser.positionalArguments().isEmpty())
    return CommandLineError(usage, "unexpected argument", parser.positionalArguments().first());
  return std::nullopt;
}

}  // namespace aismon
