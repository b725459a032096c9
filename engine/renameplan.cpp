#include "renameplan.h"

#include "displayname.h"
#include "funktionen.h"
#include "renameoptions.h"

#include <QHash>

std::vector<QByteArray> makeNewNames(const QByteArray &folder,
                                     const std::vector<QByteArray> &oldNames,
                                     RenameOptions &options, const QString &preparedName,
                                     int firstNumber, int digits, IRenameWindow *window)
{
    std::vector<QByteArray> newNames;
    newNames.reserve(oldNames.size());
    QByteArray folderPath = folder;
    Funktionen::PfadOhneBackslash(folderPath);
    const QByteArray nameBytes = preparedName.toUtf8();
    QByteArray extension;
    QString separator;
    QString lastSeparator;
    QByteArray separatorBytes;
    QString numberText;
    QByteArray oldPath = folderPath + '/';
    const qsizetype folderLength = oldPath.size();
    int number = firstNumber;
    for (const QByteArray &oldName : oldNames) {
        oldPath.truncate(folderLength);
        oldPath += oldName;
        Funktionen::ErmittleDateiendung(oldPath, extension, options, window);
        Funktionen::ErmittleTrennzeichen(separator, options);
        Funktionen::FormatiereNummer(number, numberText, digits);
        if (separator != lastSeparator) {
            lastSeparator = separator;
            separatorBytes = separator.toUtf8();
        }
        // Put together in place: a run of tens of thousands of files makes as many names.
        QByteArray newName;
        newName.reserve(nameBytes.size() + separatorBytes.size() + numberText.size() + 1
                        + extension.size());
        newName += nameBytes;
        newName += separatorBytes;
        for (const QChar digit : std::as_const(numberText))
            newName += char(digit.unicode());
        if (!extension.isEmpty()) {
            newName += '.';
            newName += extension;
        }
        newNames.push_back(std::move(newName));
        ++number;
    }
    return newNames;
}

std::vector<Conflict> findConflicts(const FolderScan &scan, const std::vector<QByteArray> &oldNames,
                                    const std::vector<QByteArray> &newNames, bool systemFilesListed)
{
    std::vector<Conflict> conflicts;
    const int n = int(oldNames.size());
    std::vector<int> runFileAt(size_t(scan.entryCount()), -1); // by folder entry
    for (int i = 0; i < n; ++i) {
        const int e = scan.find(oldNames[size_t(i)]);
        if (e >= 0)
            runFileAt[size_t(e)] = i;
    }
    // Names of one run differ in their numbers; only a folder that ignores case could still
    // make two of them one.
    QHash<QByteArray, int> firstWithName;
    for (int i = 0; i < n; ++i) {
        const QByteArray &oldName = oldNames[size_t(i)];
        const QByteArray &newName = newNames[size_t(i)];
        const EntryType type = scan.typeOf(oldName);
        if (type == EntryType::Missing) {
            conflicts.push_back({i, Conflict::Missing, {}, {}});
            continue;
        }
        if (type == EntryType::Folder || (type == EntryType::Device && !systemFilesListed)) {
            conflicts.push_back({i, Conflict::NotAFile, {}, type});
            continue;
        }
        if (scan.tooLong(newName)) {
            conflicts.push_back({i, Conflict::TooLong, {}, {}});
            continue;
        }
        if (scan.ignoresCase()) {
            const auto first = firstWithName.constFind(scan.key(newName));
            if (first != firstWithName.cend()) {
                conflicts.push_back({i, Conflict::SameName, oldNames[size_t(*first)], {}});
                continue;
            }
            firstWithName.insert(scan.key(newName), i);
        }
        const int holder = scan.find(newName);
        if (holder >= 0 && runFileAt[size_t(holder)] < 0)
            conflicts.push_back({i, Conflict::NameTaken, scan.name(holder), scan.type(holder)});
    }
    return conflicts;
}

QString conflictReason(const Conflict &conflict, const FolderScan &scan)
{
    switch (conflict.reason) {
    case Conflict::NotAFile:
        return QStringLiteral("Der Eintrag ist keine Datei mehr.");
    case Conflict::Missing:
        return QStringLiteral("Die Datei ist nicht mehr vorhanden.");
    case Conflict::TooLong:
        return QStringLiteral("Der neue Name ist für dieses Dateisystem zu lang (höchstens %1 %2).")
            .arg(scan.nameMax())
            .arg(scan.countsUtf16() ? QStringLiteral("Zeichen") : QStringLiteral("Bytes"));
    case Conflict::SameName:
        return QStringLiteral("„%1“ bekäme denselben Namen.").arg(displayName(conflict.other));
    case Conflict::NameTaken:
        break;
    }
    const QString other = displayName(conflict.other);
    switch (conflict.otherType) {
    case EntryType::Folder:
        return QStringLiteral("Es gibt schon einen Ordner „%1“.").arg(other);
    case EntryType::Symlink:
        return QStringLiteral("Es gibt schon eine Verknüpfung „%1“.").arg(other);
    case EntryType::File:
        return other.startsWith(QLatin1Char('.'))
            ? QStringLiteral("Es gibt schon eine versteckte Datei „%1“.").arg(other)
            : QStringLiteral("Es gibt schon eine nicht ausgewählte Datei „%1“.").arg(other);
    default:
        return QStringLiteral("Es gibt schon einen Eintrag „%1“.").arg(other);
    }
}

QString describeConflict(const Conflict &conflict, const std::vector<QByteArray> &oldNames,
                         const std::vector<QByteArray> &newNames, const FolderScan &scan)
{
    const size_t i = size_t(conflict.file);
    if (conflict.reason == Conflict::NotAFile)
        return QStringLiteral("„%1“ ist keine Datei mehr.").arg(displayName(oldNames[i]));
    if (conflict.reason == Conflict::Missing)
        return QStringLiteral("„%1“ ist nicht mehr vorhanden.").arg(displayName(oldNames[i]));
    return QStringLiteral("„%1“ → „%2“: %3")
        .arg(displayName(oldNames[i]), displayName(newNames[i]), conflictReason(conflict, scan));
}

std::vector<Step> orderMoves(const FolderScan &scan, const std::vector<QByteArray> &from,
                             const std::vector<QByteArray> &to, std::vector<QByteArray> *tempNames,
                             unsigned &tempCounter)
{
    const int n = int(from.size());
    if (tempNames)
        tempNames->assign(size_t(n), QByteArray());
    // blocker[i]: the file that holds i's destination now; waiter[j]: the file that wants j's
    // name. Destinations are distinct, so every file blocks at most one other: the moves form
    // chains and cycles.
    std::vector<int> movingFileAt(size_t(scan.entryCount()), -1); // by folder entry
    for (int i = 0; i < n; ++i) {
        if (from[size_t(i)] == to[size_t(i)])
            continue;
        const int e = scan.find(from[size_t(i)]);
        if (e >= 0)
            movingFileAt[size_t(e)] = i;
    }
    std::vector<int> blocker(size_t(n), -1), waiter(size_t(n), -1);
    for (int i = 0; i < n; ++i) {
        if (from[size_t(i)] == to[size_t(i)])
            continue;
        const int e = scan.find(to[size_t(i)]);
        const int j = e >= 0 ? movingFileAt[size_t(e)] : -1;
        if (j >= 0 && j != i) { // a file that differs from its new name in case only is no block
            blocker[size_t(i)] = j;
            waiter[size_t(j)] = i;
        }
    }
    std::vector<Step> steps;
    steps.reserve(size_t(n));
    std::vector<bool> done(size_t(n), false);
    for (int i = 0; i < n; ++i) {
        if (from[size_t(i)] == to[size_t(i)] || blocker[size_t(i)] >= 0 || done[size_t(i)])
            continue;
        for (int k = i; k >= 0 && !done[size_t(k)]; k = waiter[size_t(k)]) {
            steps.push_back({k, from[size_t(k)], to[size_t(k)]});
            done[size_t(k)] = true;
        }
    }
    for (int i = 0; i < n; ++i) { // what is left are cycles
        if (from[size_t(i)] == to[size_t(i)] || done[size_t(i)])
            continue;
        const QByteArray temp = scan.unusedName(tempCounter);
        if (tempNames)
            (*tempNames)[size_t(i)] = temp;
        steps.push_back({i, from[size_t(i)], temp});
        done[size_t(i)] = true;
        for (int k = waiter[size_t(i)]; k != i; k = waiter[size_t(k)]) {
            steps.push_back({k, from[size_t(k)], to[size_t(k)]});
            done[size_t(k)] = true;
        }
        steps.push_back({i, temp, to[size_t(i)]});
    }
    return steps;
}
