#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>

namespace tavero {

// How the program reads its arguments: only its own switches are switches,
// "--" ends them, and every other argument is a file, whatever it starts
// with ("-dash.png" is a file). File names keep bytes that are not UTF-8
// (see fileNameFromNative).
struct CommandLine {
    // The program's own switches.
    static const QStringList switches;

    // The switches given, in order.
    QStringList given;
    // The files, as given.
    QStringList files;

    bool has(const QString& name) const { return given.contains(name); }

    // `arguments` without the program path.
    static CommandLine parse(const QList<QByteArray>& arguments);
    // argv[1…argc).
    static CommandLine parse(int argc, char** argv);
    // The number of leading argv entries before "--", the program path
    // included: the part of the command line Qt may read its own options from.
    static int optionCount(int argc, char** argv);
};

}  // namespace tavero
