#include "app/qt/CommandLine.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>
#include <string>
#include <vector>

#include "clock/RestartLine.h"

namespace {

// Options that QApplication takes itself, with a value and without.
constexpr const char* kQtOptionsWithValue[] = {"platform",
                                               "platformpluginpath",
                                               "platformtheme",
                                               "plugin",
                                               "display",
                                               "style",
                                               "stylesheet",
                                               "session",
                                               "qwindowgeometry",
                                               "qwindowicon",
                                               "qwindowtitle",
                                               "name",
                                               "title"};
constexpr const char* kQtFlags[] = {"reverse", "nograb", "dograb", "sync", "widgetcount"};

void print(std::FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
}

}  // namespace

std::optional<int> handleCommandLine(int argc, char* argv[], const char* version,
                                     RestartState& restart) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    const QString name = QFileInfo(arguments.value(0, "alarm-clock")).fileName();

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "A talking alarm clock. Arm it with the ON/OFF switch; while the alarm rings it\n"
        "speaks the time every minute until it is switched off.");
    // Qt's own options are single-dash words: -platform, not -p -l -a ...
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({"h", "help", "?"}, "Shows this help and ends.");
    const QCommandLineOption versionOption({"v", "version"}, "Shows the version and ends.");
    parser.addOption(help);
    parser.addOption(versionOption);
    std::vector<QCommandLineOption> restartOptionList;
    for (const RestartOption& option : restartOptions()) {
        restartOptionList.emplace_back(
            QString::fromUtf8(option.name.data(), static_cast<qsizetype>(option.name.size())),
            QString::fromUtf8(option.description.data(),
                              static_cast<qsizetype>(option.description.size())),
            QString::fromUtf8(option.valueName.data(),
                              static_cast<qsizetype>(option.valueName.size())));
        parser.addOption(restartOptionList.back());
    }
    for (const char* option : kQtOptionsWithValue) {
        QCommandLineOption qtOption(QString::fromLatin1(option), QString(), "value");
        qtOption.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qtOption);
    }
    for (const char* flag : kQtFlags) {
        QCommandLineOption qtFlag(QString::fromLatin1(flag));
        qtFlag.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qtFlag);
    }

    if (!parser.parse(arguments)) {
        print(stderr, QString("%1: %2\nTry '%1 --help'.\n").arg(name, parser.errorText()));
        return 1;
    }
    if (!parser.positionalArguments().isEmpty()) {
        print(stderr, QString("%1: unexpected argument '%2'\nTry '%1 --help'.\n")
                          .arg(name, parser.positionalArguments().first()));
        return 1;
    }
    if (parser.isSet(help)) {
        // Made without a QCoreApplication, the text lacks the program's name.
        print(stdout, parser.helpText().replace("<executable_name>", name));
        return 0;
    }
    if (parser.isSet(versionOption)) {
        print(stdout, QString("alarm-clock %1\n").arg(QString::fromLatin1(version)));
        return 0;
    }
    // The core judges the values, as it does a restart command line on Windows.
    std::vector<std::string> given;
    for (const QCommandLineOption& option : restartOptionList)
        for (const QString& value : parser.values(option))
            given.push_back("--" + option.names().first().toStdString() + "=" +
                            value.toLocal8Bit().toStdString());
    const RestartParse parsed = parseRestartArguments(given);
    if (!parsed.error.empty()) {
        print(stderr, QString("%1: %2\nTry '%1 --help'.\n")
                          .arg(name, QString::fromLocal8Bit(parsed.error.c_str())));
        return 1;
    }
    restart = parsed.state;
    return std::nullopt;
}
