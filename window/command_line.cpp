#include "window/command_line.hpp"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "window/qt_text.hpp"

namespace flyback::window {
namespace {

constexpr int kExitUsage = 2;
constexpr int kExitWriteFailed = 3;

bool AsksForHelpOrVersion(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h" || arg == "--help-all" || arg == "--version" ||
            arg == "-v") {
            return true;
        }
    }
    return false;
}

// Writes the answer and says so on standard error when it could not be
// written, as a full disk or a closed output must not pass for success.
int Answer(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    const bool written = std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()),
                                     stdout) == static_cast<std::size_t>(bytes.size());
    if (written && std::fflush(stdout) == 0) return 0;
    std::fprintf(stderr, "flyback-designer: cannot write to standard output: %s\n",
                 std::strerror(errno));
    return kExitWriteFailed;
}

}  // namespace

std::optional<int> AnswerCommandLine(int argc, char** argv) {
    if (!AsksForHelpOrVersion(argc, argv)) return std::nullopt;
    const QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("flyback-designer"));
    QCoreApplication::setApplicationVersion(ProgramVersion());
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("a design file (.mas.json) to open"),
                                 QStringLiteral("[FILE]"));
    parser.setApplicationDescription(
        QStringLiteral("Designs the transformer of a single-ended flyback switching power supply\n"
                       "in a window with Simplified Chinese captions. See flyback-designer(1)."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    if (!parser.parse(QCoreApplication::arguments())) {
        std::fprintf(stderr, "flyback-designer: %s\n", qPrintable(parser.errorText()));
        return kExitUsage;
    }
    if (parser.isSet(version)) {
        return Answer(QStringLiteral("flyback-designer %1\n").arg(ProgramVersion()));
    }
    return Answer(parser.helpText());
}

std::optional<QString> DesignFileArgument(const QStringList& arguments) {
    bool optionsEnded = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!optionsEnded && argument == QStringLiteral("--")) {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || !argument.startsWith(QLatin1Char('-'))) return argument;
    }
    return std::nullopt;
}

}  // namespace flyback::window
