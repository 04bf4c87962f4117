#include "window/command_line.hpp"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <string_view>

#include "version/version.hpp"

namespace flyback::window {
namespace {

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

}  // namespace

std::optional<int> AnswerCommandLine(int argc, char** argv) {
    if (!AsksForHelpOrVersion(argc, argv)) return std::nullopt;
    const QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("flyback-designer"));
    QCoreApplication::setApplicationVersion(
        QString::fromUtf8(kProgramVersion.data(), static_cast<qsizetype>(kProgramVersion.size())));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Designs the transformer of a single-ended flyback switching power supply\n"
                       "in a window with Simplified Chinese captions. See flyback-designer(1)."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.process(app);  // prints the answer and exits
    return 0;
}

}  // namespace flyback::window
