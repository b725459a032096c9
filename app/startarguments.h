// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// What the command line asks for: the window, on a folder or on files of one folder, or only
// the usage text or the version.
struct StartArguments
{
    enum class Action {
        OpenWindow,
        ShowHelp,
        ShowVersion,
        UsageError, // message goes to stderr, exit status 2
    };
    Action action = Action::OpenWindow;
    QByteArray folder; // the folder to open (absolute, raw bytes); empty: where it starts anyway
    std::vector<QByteArray> files; // raw names in folder to select; empty: none
    // OpenWindow: what cannot be opened, for a warning (no folder then); else the error.
    QString message;
};

// Reads the arguments after the program's name, raw bytes as the system passed them. A path
// may be relative to workingFolder or a file:// URL (percent-encoded bytes). One folder opens
// that folder; files of one folder open their folder with those files. A path that does not
// exist or cannot be entered, a URL with an encoded zero byte, files of several folders or a
// folder among files give a warning and no folder. Links and ".." resolve as the system
// resolves them.
// Qt's own options (-platform, -style, ...) are passed over and left to QApplication.
StartArguments parseStartArguments(const std::vector<QByteArray> &arguments,
                                   const QByteArray &workingFolder);

// The arguments after argv[0], byte for byte.
std::vector<QByteArray> rawArguments(int argc, const char *const *argv);

// The current working folder as raw bytes; "/" when it cannot be found.
QByteArray currentWorkingFolder();

// The warning at start about what could not be opened: the window begins where it begins
// without arguments.
QString startWarning(const QString &message);

QString usageText(); // German, for --help
QString versionText(); // "brixelwand" and the version, for --version
