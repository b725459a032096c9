// SPDX-License-Identifier: GPL-3.0-or-later
#include "startarguments.h"

#include "texts.h"
#include "version.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Qt's generic options that QApplication takes out of the command line itself, and whether
// each is followed by a value.
struct QtOption
{
    const char *name;
    bool takesValue;
};
constexpr QtOption qtOptions[] = {
    {"platform", true},     {"platformpluginpath", true}, {"platformtheme", true},
    {"plugin", true},       {"qwindowgeometry", true},    {"geometry", true},
    {"qwindowtitle", true}, {"qwindowicon", true},        {"display", true},
    {"style", true},        {"stylesheet", true},         {"session", true},
    {"reverse", false},     {"widgetcount", false},       {"nograb", false},
    {"dograb", false},
};

// The Qt option that argument names (leading dashes and any "=value" aside), or null.
const QtOption *qtOption(const QByteArray &argument)
{
    QByteArray name = argument.mid(argument.startsWith("--") ? 2 : 1);
    const qsizetype equals = name.indexOf('=');
    if (equals >= 0)
        name.truncate(equals);
    for (const QtOption &option : qtOptions)
        if (name == option.name)
            return &option;
    return nullptr;
}

// The absolute path of an existing entry as the system finds it: links and ".." of the folders
// above it resolved in the order the system walks them (a ".." after a link leads up from the
// link's target), the entry itself named as it is (a link keeps its own name). Empty, with
// *error set, where the system cannot find it.
QByteArray resolvedPath(const QByteArray &path, const QByteArray &workingFolder, int *error)
{
    QByteArray absolute = path.startsWith('/') ? path : workingFolder + '/' + path;
    while (absolute.size() > 1 && absolute.endsWith('/'))
        absolute.chop(1);
    const qsizetype slash = absolute.lastIndexOf('/');
    QByteArray above = absolute.left(std::max<qsizetype>(slash, 1));
    QByteArray name = absolute.mid(slash + 1);
    if (name == "." || name == "..") {
        above = absolute;
        name.clear();
    }
    char buffer[PATH_MAX];
    if (!::realpath(above.constData(), buffer)) {
        *error = errno;
        return QByteArray();
    }
    QByteArray resolved(buffer);
    if (!name.isEmpty())
        resolved += (resolved.endsWith('/') ? "" : "/") + name;
    struct stat st;
    if (::lstat(resolved.constData(), &st) != 0) {
        *error = errno;
        return QByteArray();
    }
    return resolved;
}

// A file:// URL as a local path; the argument itself when it is no such URL. A URL of another
// host gives an empty path, one with an encoded zero byte ("%00") a path with a zero byte.
QByteArray localPath(const QByteArray &argument)
{
    if (!argument.startsWith("file:"))
        return argument;
    QByteArray rest = argument.mid(5);
    if (rest.startsWith("//")) {
        rest = rest.mid(2);
        const qsizetype slash = rest.indexOf('/');
        const QByteArray host = rest.left(slash < 0 ? rest.size() : slash);
        if (!host.isEmpty() && host != "localhost")
            return QByteArray();
        rest = slash < 0 ? QByteArray("/") : rest.mid(slash);
    }
    return QByteArray::fromPercentEncoding(rest);
}

StartArguments openAsUsual(const QString &what)
{
    StartArguments result;
    result.message = what;
    return result;
}

// Why path, as an argument, names nothing to open.
QString notFound(const QByteArray &argument, int error)
{
    if (error == ENOENT || error == ENOTDIR)
        return QStringLiteral("%1 wurde nicht gefunden.").arg(Texts::quoted(argument));
    return QStringLiteral("%1 kann nicht geöffnet werden: %2")
        .arg(Texts::quoted(argument), Texts::systemError(error));
}

} // namespace

StartArguments parseStartArguments(const std::vector<QByteArray> &arguments,
                                   const QByteArray &workingFolder)
{
    StartArguments result;
    std::vector<QByteArray> paths;
    bool optionsEnded = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const QByteArray &argument = arguments[i];
        if (optionsEnded || !argument.startsWith('-') || argument == "-") {
            paths.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help" || argument == "-h") {
            result.action = StartArguments::Action::ShowHelp;
            return result;
        } else if (argument == "--version") {
            result.action = StartArguments::Action::ShowVersion;
            return result;
        } else if (const QtOption *option = qtOption(argument)) {
            if (option->takesValue && !argument.contains('='))
                ++i;
        } else {
            result.action = StartArguments::Action::UsageError;
            result.message = QStringLiteral("brixelwand: Die Option %1 gibt es nicht.\n"
                                            "Eine Übersicht zeigt „brixelwand --help“.\n")
                                 .arg(Texts::quoted(argument));
            return result;
        }
    }
    if (paths.empty())
        return result;

    std::vector<QByteArray> files;
    for (const QByteArray &argument : paths) {
        const QByteArray local = localPath(argument);
        if (local.contains('\0'))
            return openAsUsual(QStringLiteral("%1 ist kein gültiger Pfad: Er enthält ein "
                                              "Nullzeichen.")
                                   .arg(Texts::quoted(argument)));
        int error = ENOENT;
        const QByteArray path
            = local.isEmpty() ? QByteArray() : resolvedPath(local, workingFolder, &error);
        if (path.isEmpty())
            return openAsUsual(notFound(argument, error));
        struct stat st;
        if (::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode)) {
            // A folder the user may not enter or read is said so now, not as unreadable later.
            if (::access(path.constData(), R_OK | X_OK) != 0)
                return openAsUsual(notFound(argument, errno));
            if (paths.size() > 1)
                return openAsUsual(QStringLiteral("%1 ist ein Ordner. Übergeben Sie einen "
                                                  "Ordner allein oder nur Dateien eines Ordners.")
                                       .arg(Texts::quoted(argument)));
            result.folder = path;
            return result;
        }
        files.push_back(path);
    }

    for (const QByteArray &path : files) {
        const qsizetype slash = path.lastIndexOf('/');
        const QByteArray folder = slash == 0 ? QByteArray("/") : path.left(slash);
        if (result.folder.isEmpty()) {
            result.folder = folder;
        } else if (folder != result.folder) {
            return openAsUsual(QStringLiteral("Die übergebenen Dateien liegen in verschiedenen "
                                              "Ordnern (%1 und %2). Brixelwand benennt Dateien "
                                              "eines Ordners um.")
                                   .arg(Texts::quoted(result.folder), Texts::quoted(folder)));
        }
        const QByteArray name = path.mid(slash + 1);
        if (std::find(result.files.begin(), result.files.end(), name) == result.files.end())
            result.files.push_back(name);
    }
    return result;
}

std::vector<QByteArray> rawArguments(int argc, const char *const *argv)
{
    std::vector<QByteArray> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.emplace_back(argv[i]);
    return arguments;
}

QByteArray currentWorkingFolder()
{
    char buffer[PATH_MAX];
    return ::getcwd(buffer, sizeof buffer) ? QByteArray(buffer) : QByteArray("/");
}

QString startWarning(const QString &message)
{
    return message
        + QStringLiteral("\n\nBrixelwand beginnt deshalb wie gewohnt in Ihrem persönlichen "
                         "Ordner. Bitte wählen Sie Ordner und Dateien in Schritt 1 selbst aus.");
}

QString usageText()
{
    return QStringLiteral(
        "Aufruf: brixelwand [ORDNER | DATEI …]\n"
        "Gibt vielen Dateien eines Ordners einheitliche Namen mit fortlaufender Nummer.\n"
        "\n"
        "  ORDNER      öffnet diesen Ordner\n"
        "  DATEI …     öffnet den Ordner dieser Dateien und wählt genau sie aus;\n"
        "              alle Dateien müssen im selben Ordner liegen\n"
        "  -h, --help  zeigt diese Hilfe\n"
        "  --version   zeigt die Version\n"
        "\n"
        "Pfade dürfen auch file://-Adressen sein. Ohne Angaben beginnt Brixelwand im\n"
        "persönlichen Ordner.\n");
}

QString versionText()
{
    return QStringLiteral("brixelwand " BRIXELWAND_VERSION "\n");
}
