#include "app/CommandLine.h"

#include "platform/files/FileNames.h"

namespace tavero {

namespace {

const QByteArray endOfSwitches = QByteArrayLiteral("--");

}  // namespace

const QStringList CommandLine::switches{QStringLiteral("--camera-pipeline-test"), QStringLiteral("--self-test"),
                                        QStringLiteral("--demo")};

CommandLine CommandLine::parse(const QList<QByteArray>& arguments) {
    CommandLine line;
    bool switchesEnded = false;
    for (const QByteArray& argument : arguments) {
        if (!switchesEnded && argument == endOfSwitches) {
            switchesEnded = true;
            continue;
        }
        const QString text = fileNameFromNative(argument);
        if (!switchesEnded && switches.contains(text))
            line.given.append(text);
        else if (!text.isEmpty())  // no file has an empty name
            line.files.append(text);
    }
    return line;
}

CommandLine CommandLine::parse(int argc, char** argv) {
    QList<QByteArray> arguments;
    for (int index = 1; index < argc; ++index) arguments.append(QByteArray(argv[index]));
    return parse(arguments);
}

int CommandLine::optionCount(int argc, char** argv) {
    for (int index = 1; index < argc; ++index)
        if (argv[index] == endOfSwitches) return index;
    return argc;
}

}  // namespace tavero
