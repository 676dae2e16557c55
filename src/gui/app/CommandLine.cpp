#include "gui/app/CommandLine.h"

#include "app/Texts.h"

#include <QCommandLineParser>
#include <QFileInfo>

#ifndef VTM_VERSION
#error "VTM_VERSION must be defined by the build"
#endif

namespace vtm {

namespace {
// QApplication reads these itself; they must not count as unknown, nor their values as files.
const char *const kQtValueOptions[] = {"platform",     "platformpluginpath", "platformtheme",
                                       "plugin",       "qwindowgeometry",    "qwindowicon",
                                       "qwindowtitle", "qmljsdebugger",      "session",
                                       "style",        "stylesheet",         "display",
                                       "geometry"};
const char *const kQtFlagOptions[] = {"reverse", "widgetcount"};

QString programName(const QStringList &arguments)
{
    const QString name = arguments.isEmpty() ? QString() : QFileInfo(arguments.first()).fileName();
    return name.isEmpty() ? QStringLiteral("vantreelmorbisco") : name;
}
} // namespace

CommandLine ParseCommandLine(const std::vector<std::string> &raw)
{
    // A name is bytes, which Qt's text cannot always hold: an argument that does not survive
    // the trip is parsed as a stand-in (no option starts with a control character) and given
    // back as its bytes.
    QStringList arguments;
    std::vector<std::pair<QString, std::string>> standIns;
    for (const std::string &argument : raw) {
        const QByteArray bytes = QByteArray::fromStdString(argument);
        QString text = QString::fromLocal8Bit(bytes);
        if (text.toLocal8Bit() != bytes) {
            text = QStringLiteral("\x01") + QString::number(standIns.size());
            standIns.emplace_back(text, argument);
        }
        arguments.append(text);
    }

    QCommandLineParser parser;
    // Qt's own options are single-dash words (-style, -platform).
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral("View and edit the bytes of any file."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays this help."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Displays version information."));
    parser.addOption(help);
    parser.addOption(version);
    for (const char *name : kQtValueOptions) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char *name : kQtFlagOptions) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The file to open."),
                                 QStringLiteral("[file]"));

    const bool parsed = parser.parse(arguments);
    // The parser names the program only once an application object exists; name it ourselves.
    QString usage = parser.helpText();
    usage.replace(0, usage.indexOf(QLatin1Char('\n')),
                  QStringLiteral("Usage: ") % programName(arguments)
                      % QStringLiteral(" [options] [file]"));

    CommandLine result;
    if (!parsed) {
        result.action = CommandLine::Action::Error;
        result.output = programName(arguments) % QStringLiteral(": ") % parser.errorText()
                        % QStringLiteral("\n\n") % usage;
    } else if (parser.isSet(help)) {
        result.action = CommandLine::Action::Help;
        result.output = usage;
    } else if (parser.isSet(version)) {
        result.action = CommandLine::Action::Version;
        result.output = QString::fromUtf8(AppTitle()) % QStringLiteral(" " VTM_VERSION "\n");
    } else if (!parser.positionalArguments().isEmpty()) {
        const QString file = parser.positionalArguments().first();
        result.file = file.toLocal8Bit().toStdString();
        for (const auto &[standIn, bytes] : standIns)
            if (standIn == file)
                result.file = bytes;
    }
    return result;
}

} // namespace vtm
