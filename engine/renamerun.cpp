#include "renamerun.h"

#include "displayname.h"
#include "filemover.h"
#include "folderscan.h"
#include "funktionen.h"
#include "journal.h"
#include "numbers.h"
#include "renameoptions.h"
#include "renameplan.h"
#include "renamewindow.h"

#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

const char forbiddenNameCharacters[] = "/ \\ : * ? \" < > | $ % & ~";

namespace {

const QString inputErrorTitle = QStringLiteral("Eingabefehler ...");

// Checked in this order; the message lists them as forbiddenNameCharacters does.
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

QString moveErrorReason(int error, bool reserving, bool restoring)
{
    const QString system = QString::fromLocal8Bit(std::strerror(error));
    if (reserving && error != EEXIST)
        return QStringLiteral("Der neue Name konnte nicht für die Datei reserviert werden (%1).")
            .arg(system);
    switch (error) {
    case EEXIST:
    case ENOTEMPTY:
        return restoring ? QStringLiteral("Es gibt in diesem Ordner schon eine Datei oder einen "
                                          "Ordner mit dem alten Namen.")
                         : QStringLiteral("Es gibt in diesem Ordner schon eine Datei oder einen "
                                          "Ordner mit dem neuen Namen.");
    case ENOENT:
        return QStringLiteral("Die Datei ist nicht mehr vorhanden.");
    case EACCES:
    case EPERM:
        return QStringLiteral("Es fehlt die Berechtigung, die Datei umzubenennen.");
    case ENAMETOOLONG:
        return QStringLiteral("Der neue Name ist für dieses Dateisystem zu lang.");
    case EROFS:
        return QStringLiteral("Der Datenträger ist schreibgeschützt.");
    default:
        return system;
    }
}

namespace {

QString quoted(const QByteArray &name)
{
    return QStringLiteral("„%1“").arg(displayName(name));
}

class RenameRun
{
public:
    explicit RenameRun(IRenameWindow &window)
        : m_window(window)
    { }
    void execute();

private:
    bool checkInput(int selectedCount);
    bool reportConflicts(const FolderScan &scan, const std::vector<QByteArray> &newNames);
    void renameLoop(const std::vector<Step> &steps, const std::vector<QByteArray> &newNames);
    void complete(const QString &preparedName);
    void reportFailure(const Step &failed, int error, bool reserving,
                       const std::vector<QByteArray> &newNames, size_t executed,
                       const std::vector<Step> &steps);
    void backToReady();
    bool beginJournal(const std::vector<QByteArray> &newNames,
                      const std::vector<QByteArray> &tempNames, const std::vector<Step> &steps);

    IRenameWindow &m_window;
    JournalStore *m_journal = nullptr;
    Journal m_record;
    RenameOptions m_options;
    QByteArray m_folder; // without a trailing separator
    std::vector<QByteArray> m_oldNames;
    bool m_failed = false;
};

void RenameRun::execute()
{
    const int count = m_window.fileCount();
    for (int i = 0; i < count; ++i) {
        if (m_window.isFileSelected(i))
            m_oldNames.push_back(m_window.fileName(i));
    }
    int selectedCount = int(m_oldNames.size());
    m_options = RenameOptions::read(m_window);
    if (!checkInput(selectedCount))
        return;

    QString prompt = QStringLiteral("Sind Sie sicher, dass Sie die Dateien umbenennen wollen?");
    if (m_options.ShowHidden || m_options.ShowSystem)
        prompt += QStringLiteral(" Es werden möglicherweise auch versteckte Dateien oder "
                                 "Systemdateien umbenannt!");
    if (m_window.messageBox(prompt, MessageKind::Question, questionTitle()) != MessageAnswer::Yes)
        return;

    const int firstNumber = wholeNumberOf(m_options.StartNumber);
    if (firstNumber + selectedCount > maxNumberSum) {
        m_window.messageBox(tooManyFilesMessage(selectedCount), MessageKind::Error,
                            inputErrorTitle);
        return;
    }
    int digits = 2;
    Funktionen::ErmittleStellenanzahl(selectedCount, digits, m_options, m_window);

    const QString preparedName = prepareName(m_options.NewName, m_options);
    m_folder = m_window.currentFolder();
    Funktionen::PfadOhneBackslash(m_folder);
    const std::vector<QByteArray> newNames = makeNewNames(
        m_folder, m_oldNames, m_options, preparedName, firstNumber, digits, &m_window);
    if (m_options.CdLimit && std::any_of(newNames.begin(), newNames.end(), &exceedsCdLimit)) {
        m_window.messageBox(cdLimitMessage(), MessageKind::Error, errorTitle());
        m_window.focusNameField(true);
        return;
    }

    FileMover &mover = m_window.fileSystemObject();
    const FolderScan scan = FolderScan::read(m_folder, mover.sys());
    if (!reportConflicts(scan, newNames))
        return;
    unsigned tempCounter = 0;
    std::vector<QByteArray> tempNames;
    const std::vector<Step> steps = orderMoves(scan, m_oldNames, newNames, &tempNames, tempCounter);
    if (!beginJournal(newNames, tempNames, steps))
        return;
    renameLoop(steps, newNames);
    if (m_failed)
        return;
    // "Bin fertig!" only when the record no longer says running.
    if (const int error = m_journal ? m_journal->complete() : 0) {
        backToReady();
        m_window.rereadFiles();
        m_window.messageBox(QStringLiteral("Die Dateien wurden umbenannt, aber das Protokoll "
                                           "konnte nicht abgeschlossen werden (%1). Beim "
                                           "nächsten Start wird es noch einmal geprüft.")
                                .arg(journalErrorReason(error)),
                            MessageKind::Error, errorTitle());
        return;
    }
    complete(preparedName);
}

// Records the plan before the first rename, so that a run cut short by a crash can be finished
// or undone at the next start. Without a record the user decides whether to go on.
bool RenameRun::beginJournal(const std::vector<QByteArray> &newNames,
                             const std::vector<QByteArray> &tempNames,
                             const std::vector<Step> &steps)
{
    m_journal = steps.empty() ? nullptr : m_window.journalStore(); // nothing to record
    if (!m_journal)
        return true;
    m_record = Journal::of(m_folder, m_oldNames, newNames, tempNames, steps);
    const int error = m_journal->begin(m_record);
    if (error == 0)
        return true;
    m_journal = nullptr;
    if (error == EWOULDBLOCK) { // one run at a time, also across copies of the program
        m_window.messageBox(journalErrorReason(error)
                                + QStringLiteral(". Es wurde keine Datei umbenannt; bitte "
                                                 "versuchen Sie es danach noch einmal."),
                            MessageKind::Warning, QStringLiteral("Achtung!"));
        backToReady();
        return false;
    }
    if (m_window.messageBox(
            QStringLiteral("Das Protokoll der Umbenennung kann nicht gespeichert werden (%1). "
                           "Ohne Protokoll kann eine unterbrochene Umbenennung später nicht "
                           "fortgesetzt oder rückgängig gemacht werden. Trotzdem umbenennen?")
                .arg(journalErrorReason(error)),
            MessageKind::Question, questionTitle())
        == MessageAnswer::Yes)
        return true;
    backToReady();
    return false;
}

// The checks before the confirmation; false ends the run.
bool RenameRun::checkInput(int selectedCount)
{
    if (selectedCount == 0) {
        m_window.messageBox(QStringLiteral("Es wurden keine Dateien ausgewählt!"),
                            MessageKind::Warning, inputErrorTitle);
        m_window.showFirstPage(false);
        return false;
    }
    const std::optional<InputProblem> problem = checkTypedNames(m_options);
    if (!problem)
        return true;
    m_window.messageBox(problem->message, problem->kind, inputErrorTitle);
    if (problem->focus == InputProblem::ExtensionField)
        m_window.focusExtensionField();
    else
        m_window.focusNameField(problem->focus == InputProblem::NameFieldSelected);
    return false;
}

// Shows every conflict of the plan with the folder in one box; false when there was any.
bool RenameRun::reportConflicts(const FolderScan &scan, const std::vector<QByteArray> &newNames)
{
    if (!scan.ok()) {
        m_window.messageBox(QStringLiteral("Der Ordner kann nicht gelesen werden. Es wurde keine "
                                           "Datei umbenannt.\nGrund: %1")
                                .arg(QString::fromLocal8Bit(std::strerror(scan.error()))),
                            MessageKind::Error, errorTitle());
        backToReady();
        return false;
    }
    const std::vector<Conflict> conflicts
        = findConflicts(scan, m_oldNames, newNames, m_options.ShowSystem);
    if (conflicts.empty())
        return true;
    constexpr size_t shown = 10;
    QStringList lines;
    for (size_t i = 0; i < conflicts.size() && i < shown; ++i)
        lines << describeConflict(conflicts[i], m_oldNames, newNames, scan);
    if (conflicts.size() > shown)
        lines << QStringLiteral("und %1 weitere").arg(conflicts.size() - shown);
    m_window.messageBox(QStringLiteral("Es wurde keine Datei umbenannt, denn diese Dateien können "
                                       "ihre neuen Namen nicht bekommen:\n\n")
                            + lines.join(QLatin1Char('\n')),
                        MessageKind::Error, errorTitle());
    backToReady();
    return false;
}

void RenameRun::renameLoop(const std::vector<Step> &steps, const std::vector<QByteArray> &newNames)
{
    m_window.setStatusLine(busyCaption(), StatusLook::Busy);
    FileMover &mover = m_window.fileSystemObject();
    const QByteArray prefix = m_folder + '/';
    QByteArray from = prefix, to = prefix;
    for (size_t s = 0; s < steps.size(); ++s) {
        const Step &step = steps[s];
        from.truncate(prefix.size());
        from += step.from;
        to.truncate(prefix.size());
        to += step.to;
        if (const int error = mover.MoveFile(from, to)) {
            reportFailure(step, error, mover.failedReservingDestination(), newNames, s, steps);
            return;
        }
        if (step.to == newNames[size_t(step.file)])
            m_window.repaintNow();
    }
    mover.release();
}

void RenameRun::complete(const QString &preparedName)
{
    m_window.setStatusLine(readyCaption(), StatusLook::Ready);
    m_window.rereadFiles();
    m_window.setOptionText(OptionText::Text2, preparedName);
    m_window.selectKeepExtension();
    m_window.setOptionText(OptionText::Text3, QStringLiteral("1"));
    m_window.setOptionChecked(OptionCheck::Check1, true);
    m_window.setOptionChecked(OptionCheck::Check3, false);
    m_window.setOptionChecked(OptionCheck::Check4, false);
    m_window.messageBox(QStringLiteral("Die Dateien wurden erfolgreich umbenannt. Sie können nun "
                                       "weitere Dateien umbenennen."),
                        MessageKind::Information, QStringLiteral("Bin fertig!"));
    m_window.showFirstPage(true);
    m_window.clearSelectionToTop();
}

// Steps before `executed` have been made; the failed one is steps[executed].
void RenameRun::reportFailure(const Step &failed, int error, bool reserving,
                              const std::vector<QByteArray> &newNames, size_t executed,
                              const std::vector<Step> &steps)
{
    m_failed = true;
    FileMover &mover = m_window.fileSystemObject();
    std::vector<bool> touched(m_oldNames.size(), false);
    size_t renamed = 0, touchedCount = 0;
    for (size_t s = 0; s < executed; ++s) {
        const size_t file = size_t(steps[s].file);
        if (!touched[file]) {
            touched[file] = true;
            ++touchedCount;
        }
        if (steps[s].to == newNames[file])
            ++renamed;
    }
    const size_t file = size_t(failed.file);
    m_window.messageBox(QStringLiteral("Die Datei %1 konnte nicht in %2 umbenannt werden.\n"
                                       "Grund: %3\n\n"
                                       "Bis dahin umbenannte Dateien: %4.")
                            .arg(quoted(m_oldNames[file]), quoted(newNames[file]),
                                 moveErrorReason(error, reserving, false))
                            .arg(renamed),
                        MessageKind::Error, errorTitle());
    bool restored = false;
    if (touchedCount > 0
        && m_window.messageBox(QStringLiteral("Sollen die %1 bereits umbenannten Dateien ihre "
                                              "alten Namen zurückerhalten?")
                                   .arg(touchedCount),
                               MessageKind::Question, questionTitle())
            == MessageAnswer::Yes) {
        // Undone in reverse: each name is free again when its file comes back to it.
        QStringList notRestored;
        const QByteArray prefix = m_folder + '/';
        for (size_t s = executed; s-- > 0;) {
            const Step &step = steps[s];
            if (const int e = mover.MoveFile(prefix + step.to, prefix + step.from))
                notRestored << QStringLiteral("%1 (%2)").arg(
                    quoted(step.to), moveErrorReason(e, mover.failedReservingDestination(), true));
        }
        if (!notRestored.isEmpty())
            m_window.messageBox(QStringLiteral("Diese Dateien konnten ihre alten Namen nicht "
                                               "zurückerhalten:\n")
                                    + notRestored.join(QLatin1Char('\n')),
                                MessageKind::Error, errorTitle());
        restored = notRestored.isEmpty();
    }
    if (m_journal) {
        // What was renamed stays undoable as the last run; a run fully undone leaves no record.
        int recordError = 0;
        if (restored || executed == 0) {
            recordError = m_journal->discardRunning();
        } else {
            m_record.steps.resize(executed);
            recordError = m_journal->keepAsLast(m_record);
        }
        if (recordError != 0)
            m_window.messageBox(QStringLiteral("Das Protokoll der Umbenennung konnte nicht "
                                               "nachgetragen werden (%1). Es bleibt erhalten "
                                               "und wird beim nächsten Start wieder geprüft.")
                                    .arg(journalErrorReason(recordError)),
                                MessageKind::Error, errorTitle());
    }
    mover.release();
    backToReady();
    m_window.rereadFiles();
}

void RenameRun::backToReady()
{
    m_window.setStatusLine(readyCaption(), StatusLook::Ready);
}

} // namespace

std::optional<InputProblem> checkTypedNames(const RenameOptions &options)
{
    const QString &name = options.NewName;
    if (name.isEmpty())
        return InputProblem {QStringLiteral("Bitte geben Sie den neuen Dateinamen an!"),
                             MessageKind::Warning, InputProblem::NameField};
    if (hasForbiddenCharacter(name))
        return InputProblem {QStringLiteral("Der neue Dateiname darf eines der folgenden Zeichen "
                                            "nicht enthalten:\n")
                                 + QLatin1String(forbiddenNameCharacters),
                             MessageKind::Error, InputProblem::NameFieldSelected};
    if (hasControlCharacter(name))
        return InputProblem {QStringLiteral("Der neue Dateiname darf keine Steuerzeichen (wie "
                                            "Tabulator oder Zeilenumbruch) enthalten!"),
                             MessageKind::Error, InputProblem::NameFieldSelected};
    if (name.startsWith(QLatin1Char('.')))
        return InputProblem {QStringLiteral("Der neue Dateiname darf nicht mit einem Punkt "
                                            "beginnen, denn solche Dateien werden versteckt und "
                                            "nicht mehr angezeigt!"),
                             MessageKind::Error, InputProblem::NameFieldSelected};
    // A typed extension becomes part of the name as it stands; a "/" would move the file into
    // another folder.
    if (!options.KeepExtension && options.NewExtension.contains(QLatin1Char('/')))
        return InputProblem {QStringLiteral("Die neue Dateiendung darf das Zeichen / nicht "
                                            "enthalten!"),
                             MessageKind::Error, InputProblem::ExtensionField};
    if (!options.KeepExtension && hasControlCharacter(options.NewExtension))
        return InputProblem {QStringLiteral("Die neue Dateiendung darf keine Steuerzeichen (wie "
                                            "Tabulator oder Zeilenumbruch) enthalten!"),
                             MessageKind::Error, InputProblem::ExtensionField};
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

QString tooManyFilesMessage(int selectedCount)
{
    return QStringLiteral("Es wurden %1 Dateien ausgewählt. Startzahl und Anzahl der Dateien "
                          "zusammen dürfen höchstens %2 ergeben. Bitte wählen Sie weniger Dateien "
                          "oder eine kleinere Startzahl.")
        .arg(selectedCount)
        .arg(maxNumberSum);
}

QString cdLimitMessage()
{
    return QStringLiteral("Der Dateiname entspricht nicht den CD-Konventionen, da er mit der "
                          "Nummerierung mehr als 64 Zeichen hat.");
}

bool exceedsCdLimit(const QByteArray &newName)
{
    // Characters, not bytes: quick for ASCII names, counted exactly otherwise.
    if (newName.size() <= 64)
        return false;
    return QString::fromUtf8(newName).toUcs4().size() > 64;
}

void runRename(IRenameWindow &window)
{
    RenameRun(window).execute();
}
