// SPDX-License-Identifier: GPL-3.0-or-later
#include "renameplan.h"

#include "capturedays.h"
#include "funktionen.h"
#include "numbers.h"
#include "photoorder.h"
#include "texts.h"

#include <QHash>
#include <QStringList>

#include <algorithm>

std::vector<QByteArray>
makeNewNames(const QByteArray &folder, const std::vector<QByteArray> &oldNames,
             RenameOptions &options, const QString &preparedName, int firstNumber, int digits,
             IRenameWindow *window, const std::vector<int> &shots,
             const std::vector<QByteArray> &keptExtensions, const std::vector<QByteArray> &prefixes)
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
    for (size_t i = 0; i < oldNames.size(); ++i) {
        oldPath.truncate(folderLength);
        oldPath += oldNames[i];
        Funktionen::ErmittleDateiendung(oldPath, extension, options, window);
        if (!shots.empty())
            number = firstNumber + shots[i];
        if (options.KeepExtension && !keptExtensions.empty() && !keptExtensions[i].isEmpty())
            extension = keptExtensions[i];
        Funktionen::ErmittleTrennzeichen(separator, options);
        Funktionen::FormatiereNummer(number, numberText, digits);
        if (separator != lastSeparator) {
            lastSeparator = separator;
            separatorBytes = separator.toUtf8();
        }
        // Put together in place: a run of tens of thousands of files makes as many names.
        QByteArray newName;
        const QByteArray prefix = prefixes.empty() ? QByteArray() : prefixes[i];
        newName.reserve(prefix.size() + nameBytes.size() + separatorBytes.size() + numberText.size()
                        + 1 + extension.size());
        newName += prefix;
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

QByteArray datePrefix(qint64 day, const RenameOptions &options)
{
    return dayText(day) + (options.BlankToUnderscore ? '_' : ' ');
}

std::vector<Conflict> findConflicts(const FolderScan &scan, const std::vector<QByteArray> &oldNames,
                                    const std::vector<QByteArray> &newNames, bool systemFilesListed,
                                    const std::vector<int> &shots)
{
    std::vector<Conflict> conflicts;
    const int n = int(oldNames.size());
    std::vector<int> runFileAt(size_t(scan.entryCount()), -1); // by folder entry
    for (int i = 0; i < n; ++i) {
        const int e = scan.find(oldNames[size_t(i)]);
        if (e >= 0)
            runFileAt[size_t(e)] = i;
    }
    // Names of one run differ in their numbers; only a folder that ignores case, or files that
    // share a number, could still make two of them one.
    const bool namesMayRepeat = scan.ignoresCase() || !shots.empty();
    QHash<QByteArray, int> firstWithName;
    for (int i = 0; i < n; ++i) {
        const QByteArray &oldName = oldNames[size_t(i)];
        const QByteArray &newName = newNames[size_t(i)];
        const EntryType type = scan.typeOf(oldName);
        if (type == EntryType::Missing) {
            conflicts.push_back({i, Conflict::Missing, {}, {}});
            continue;
        }
        if (type == EntryType::Folder
            || ((type == EntryType::Device || type == EntryType::Special) && !systemFilesListed)) {
            conflicts.push_back({i, Conflict::NotAFile, {}, type});
            continue;
        }
        if (scan.tooLong(newName)) {
            conflicts.push_back({i, Conflict::TooLong, {}, {}});
            continue;
        }
        if (namesMayRepeat) {
            const QByteArray key = scan.ignoresCase() ? scan.key(newName) : newName;
            const auto first = firstWithName.constFind(key);
            if (first != firstWithName.cend()) {
                const bool sameShot = !shots.empty() && shots[size_t(i)] == shots[size_t(*first)];
                conflicts.push_back({i,
                                     sameShot ? Conflict::SameShot : Conflict::SameName,
                                     oldNames[size_t(*first)],
                                     {}});
                continue;
            }
            firstWithName.insert(key, i);
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
        return Texts::notAFile();
    case Conflict::Missing:
        return Texts::missing();
    case Conflict::TooLong:
        return Texts::tooLong(scan.nameMax(), scan.countsUtf16());
    case Conflict::SameName:
        return Texts::sameNewName(conflict.other);
    case Conflict::SameShot:
        return Texts::sameShotName(conflict.other);
    case Conflict::NameTaken:
        break;
    }
    switch (conflict.otherType) {
    case EntryType::Folder:
        return Texts::folderTaken(conflict.other);
    case EntryType::Symlink:
        return Texts::symlinkTaken(conflict.other);
    case EntryType::File:
        return conflict.other.startsWith('.') ? Texts::hiddenFileTaken(conflict.other)
                                              : Texts::unselectedFileTaken(conflict.other);
    default:
        return Texts::entryTaken(conflict.other);
    }
}

QString describeConflict(const Conflict &conflict, const std::vector<QByteArray> &oldNames,
                         const std::vector<QByteArray> &newNames, const FolderScan &scan)
{
    const size_t i = size_t(conflict.file);
    if (conflict.reason == Conflict::NotAFile)
        return Texts::conflictLineNotAFile(oldNames[i]);
    if (conflict.reason == Conflict::Missing)
        return Texts::conflictLineMissing(oldNames[i]);
    return Texts::conflictLine(oldNames[i], newNames[i], conflictReason(conflict, scan));
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
    const bool ignoresCase = scan.ignoresCase();
    for (int i = 0; i < n; ++i) {
        if (from[size_t(i)] == to[size_t(i)] || blocker[size_t(i)] >= 0 || done[size_t(i)])
            continue;
        for (int k = i; k >= 0 && !done[size_t(k)]; k = waiter[size_t(k)]) {
            done[size_t(k)] = true;
            // A new name that differs in case only is the file's own name to such a folder:
            // the file moves aside first, under a name its record knows.
            if (ignoresCase && scan.key(from[size_t(k)]) == scan.key(to[size_t(k)])) {
                const QByteArray temp = scan.unusedName(tempCounter);
                if (tempNames)
                    (*tempNames)[size_t(k)] = temp;
                steps.push_back({k, from[size_t(k)], temp});
                steps.push_back({k, temp, to[size_t(k)]});
                continue;
            }
            steps.push_back({k, from[size_t(k)], to[size_t(k)]});
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

namespace {

// Checked in this order; the message lists them as Texts::forbiddenNameCharacters does.
const char16_t testedCharacters[] = u"/\\:*?<>|$%&~\"";

bool hasForbiddenCharacter(const QString &name)
{
    for (const char16_t *c = testedCharacters; *c; ++c) {
        if (name.contains(QChar(*c)))
            return true;
    }
    return false;
}

bool hasControlCharacter(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return true;
    }
    return false;
}

} // namespace

std::optional<InputProblem> checkTypedNames(const RenameOptions &options)
{
    const QString &name = options.NewName;
    if (name.isEmpty())
        return InputProblem {Texts::enterNewName(), MessageKind::Warning, InputProblem::NameField};
    if (hasForbiddenCharacter(name))
        return InputProblem {Texts::forbiddenCharacters(), MessageKind::Error,
                             InputProblem::NameFieldSelected};
    if (hasControlCharacter(name))
        return InputProblem {Texts::controlCharactersInName(), MessageKind::Error,
                             InputProblem::NameFieldSelected};
    if (name.startsWith(QLatin1Char('.')))
        return InputProblem {Texts::leadingDot(), MessageKind::Error,
                             InputProblem::NameFieldSelected};
    // A typed extension becomes part of the name as it stands; a "/" would move the file into
    // another folder.
    if (!options.KeepExtension && options.NewExtension.contains(QLatin1Char('/')))
        return InputProblem {Texts::slashInExtension(), MessageKind::Error,
                             InputProblem::ExtensionField};
    if (!options.KeepExtension && hasControlCharacter(options.NewExtension))
        return InputProblem {Texts::controlCharactersInExtension(), MessageKind::Error,
                             InputProblem::ExtensionField};
    return std::nullopt;
}

QString prepareName(QString name, const RenameOptions &options)
{
    if (options.BlankToUnderscore)
        name.replace(QLatin1Char(' '), QLatin1Char('_'));
    if (options.ReplaceUmlauts) {
        // Composed first, so that an "a" with a combining diaeresis is an "ä" too.
        name = name.normalized(QString::NormalizationForm_C);
        static const std::pair<const char16_t *, const char *> umlauts[] = {
            {u"ä", "ae"}, {u"Ä", "Ae"}, {u"ö", "oe"}, {u"Ö", "Oe"},
            {u"ü", "ue"}, {u"Ü", "Ue"}, {u"ß", "ss"}, {u"ẞ", "SS"},
        };
        for (const auto &[from, to] : umlauts)
            name.replace(QString::fromUtf16(from), QLatin1String(to));
    }
    return name;
}

bool exceedsCdLimit(const QByteArray &newName)
{
    // Characters, not bytes: quick for ASCII names, counted exactly otherwise.
    if (newName.size() <= 64)
        return false;
    return QString::fromUtf8(newName).toUcs4().size() > 64;
}

PlanInput PlanInput::read(const IRenameWindow &window, Times times)
{
    PlanInput input;
    input.options = RenameOptions::read(window);
    const int count = window.fileCount();
    const bool groups = input.options.CaptureGroups;
    if (groups)
        input.listed.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        if (!groups) {
            if (window.isFileSelected(i))
                input.oldNames.push_back(window.fileName(i));
            continue;
        }
        input.listed.push_back(window.fileName(i));
        if (window.isFileSelected(i))
            input.oldNames.push_back(input.listed.back());
    }
    input.folder = window.currentFolder();
    if (input.options.CaptureOrder)
        input.clockOffsets = window.clockOffsets();
    if ((input.options.CaptureOrder || input.options.CaptureGroups) && times == ReadTimes)
        input.times = window.captureTimes(input.oldNames);
    return input;
}

bool PreviewedPlan::madeFrom(const PlanInput &now, const FolderScan &folder) const
{
    return scan && scan->sameEntries(folder) && input == now;
}

bool RenamePlan::folderChanged() const
{
    if (stop == Stop::FolderUnreadable)
        return true;
    return std::any_of(conflicts.begin(), conflicts.end(), [](const Conflict &c) {
        return c.reason == Conflict::Missing || c.reason == Conflict::NotAFile;
    });
}

namespace {

void putInDays(RenamePlan &plan, const std::vector<CaptureTime> &shotTimes,
               const std::vector<CaptureTime> &fileTimes);

// Puts the files of plan into the order of their numbers, with their shots and the extensions
// that sidecars keep (by file, in the new order).
void putInPhotoOrder(RenamePlan &plan, const PlanInput &input,
                     std::vector<QByteArray> &keptExtensions)
{
    const RenameOptions &options = plan.options;
    std::vector<CaptureTime> times;
    if (options.CaptureOrder || !input.times.empty()) {
        times = input.times;
        times.resize(input.oldNames.size()); // a time not given counts as unknown
        // The clocks corrected here, so that order, names and preview take the same times.
        if (!input.clockOffsets.isEmpty()) {
            for (CaptureTime &time : times)
                time = correctedTime(std::move(time), input.clockOffsets);
            plan.clockOffsets = input.clockOffsets;
        }
    }
    const PhotoOrder order = orderPhotos(input.oldNames, times, options.CaptureOrder,
                                         options.CaptureGroups, input.listed);
    const size_t n = order.entries.size();
    plan.oldNames.clear();
    plan.oldNames.reserve(n);
    plan.shots.reserve(n);
    keptExtensions.reserve(n);
    if (options.CaptureOrder)
        plan.times.reserve(n);
    for (const PhotoOrder::Entry &e : order.entries) {
        plan.oldNames.push_back(input.oldNames[size_t(e.file)]);
        plan.shots.push_back(e.shot);
        keptExtensions.push_back(e.extension);
        if (options.CaptureOrder)
            plan.times.push_back(order.shotTimes[size_t(e.shot)]);
        if (e.differentLivePhoto >= 0) {
            plan.otherLivePhotos.resize(n);
            plan.otherLivePhotos[plan.oldNames.size() - 1]
                = input.oldNames[size_t(e.differentLivePhoto)];
        }
    }
    plan.numberCount = order.shotCount;
    plan.largestCount = order.shotCount;
    plan.withoutCaptureTime = options.CaptureOrder ? order.withoutCaptureTime : 0;
    for (const PhotoOrder::Unselected &u : order.unselectedOfShots)
        plan.unselectedOfShots.push_back({input.listed[size_t(u.listed)], u.shot});
    if (options.CaptureOrder && (options.CaptureDate || options.NumberPerDay))
        putInDays(plan, order.shotTimes, times);
}

// The capture day of every file of plan (in photo order, by the times of its shots) and, with
// numbers per day, each shot's place in its day. A day's shots need not follow each other in
// UTC: a later shot in a zone further west can be of an earlier day.
void putInDays(RenamePlan &plan, const std::vector<CaptureTime> &shotTimes,
               const std::vector<CaptureTime> &fileTimes)
{
    const std::vector<qint64> shotDays
        = captureDays(shotTimes, fileTimes, dayStartHourOf(plan.options.DayStart));
    plan.days.reserve(plan.shots.size());
    for (const int shot : plan.shots)
        plan.days.push_back(shotDays[size_t(shot)]);
    if (!plan.options.NumberPerDay)
        return;
    std::vector<int> placeInDay(shotDays.size());
    QHash<qint64, int> shotsOfDay;
    plan.largestCount = 0;
    for (size_t shot = 0; shot < shotDays.size(); ++shot) {
        int &count = shotsOfDay[shotDays[shot]];
        placeInDay[shot] = count++;
        plan.largestCount = std::max(plan.largestCount, count);
    }
    plan.dayShots.reserve(plan.shots.size());
    for (const int shot : plan.shots)
        plan.dayShots.push_back(placeInDay[size_t(shot)]);
}

} // namespace

RenamePlan checkBeforeConfirmation(const PlanInput &input)
{
    RenamePlan plan;
    plan.folder = input.folder;
    Funktionen::PfadOhneBackslash(plan.folder);
    plan.oldNames = input.oldNames;
    plan.options = input.options;
    if (plan.oldNames.empty()) {
        plan.stop = RenamePlan::Stop::NothingSelected;
        plan.stopMessage = Texts::noFilesSelected();
    } else if ((plan.inputProblem = checkTypedNames(plan.options))) {
        plan.stop = RenamePlan::Stop::TypedName;
        plan.stopMessage = plan.inputProblem->message;
    }
    return plan;
}

RenamePlan buildPlan(const PlanInput &input, const FolderScan &scan)
{
    RenamePlan plan = checkBeforeConfirmation(input);
    if (plan.stop != RenamePlan::Stop::None)
        return plan;
    std::vector<QByteArray> keptExtensions;
    if (plan.options.CaptureOrder || plan.options.CaptureGroups)
        putInPhotoOrder(plan, input, keptExtensions);
    else
        plan.numberCount = plan.largestCount = int(plan.oldNames.size());
    plan.firstNumber = wholeNumberOf(plan.options.StartNumber);
    // The limit holds for the whole run, also where numbers begin anew each day.
    if (plan.firstNumber + plan.numberCount > maxNumberSum) {
        plan.stop = RenamePlan::Stop::TooManyFiles;
        plan.stopMessage = plan.options.CaptureGroups
            ? Texts::tooManyShots(plan.numberCount, maxNumberSum)
            : Texts::tooManyFiles(plan.numberCount, maxNumberSum);
        return plan;
    }
    plan.digits = runDigits(plan.largestCount, plan.options);
    plan.keepExtensionSwitched = !plan.options.KeepExtension && plan.options.NewExtension.isEmpty();
    plan.preparedName = prepareName(plan.options.NewName, plan.options);
    std::vector<QByteArray> prefixes;
    if (plan.options.CaptureDate && !plan.days.empty()) {
        prefixes.reserve(plan.days.size());
        QHash<qint64, QByteArray> prefixOfDay; // one text per day, shared by its files
        for (const qint64 day : plan.days) {
            auto it = prefixOfDay.find(day);
            if (it == prefixOfDay.end())
                it = prefixOfDay.insert(day, datePrefix(day, plan.options));
            prefixes.push_back(*it);
        }
    }
    plan.newNames = makeNewNames(
        plan.folder, plan.oldNames, plan.options, plan.preparedName, plan.firstNumber, plan.digits,
        nullptr, plan.dayShots.empty() ? plan.shots : plan.dayShots, keptExtensions, prefixes);
    if (plan.options.CdLimit
        && std::any_of(plan.newNames.begin(), plan.newNames.end(), &exceedsCdLimit)) {
        plan.stop = RenamePlan::Stop::CdLimit;
        plan.stopMessage = Texts::cdLimit();
        return plan;
    }
    if (!scan.ok()) {
        plan.stop = RenamePlan::Stop::FolderUnreadable;
        plan.stopMessage = Texts::folderUnreadable(scan.error());
        return plan;
    }
    // Numbers per day repeat, so new names can be equal too.
    plan.conflicts = findConflicts(
        scan, plan.oldNames, plan.newNames, plan.options.ShowSystem,
        plan.options.CaptureGroups || !plan.dayShots.empty() ? plan.shots : std::vector<int>());
    if (!plan.conflicts.empty()) {
        constexpr size_t shown = 10;
        QStringList lines;
        for (size_t i = 0; i < plan.conflicts.size() && i < shown; ++i)
            lines << describeConflict(plan.conflicts[i], plan.oldNames, plan.newNames, scan);
        plan.stop = RenamePlan::Stop::Conflicts;
        plan.stopMessage = Texts::conflicts(
            qsizetype(plan.conflicts.size()), lines,
            qsizetype(plan.conflicts.size() > shown ? plan.conflicts.size() - shown : 0));
        return plan;
    }
    unsigned tempCounter = 0;
    plan.steps = orderMoves(scan, plan.oldNames, plan.newNames, &plan.tempNames, tempCounter);
    return plan;
}
