// SPDX-License-Identifier: GPL-3.0-or-later
#include "texts.h"

#include "displayname.h"

#include <cerrno>
#include <cstring>

QString programTitle()
{
    return QStringLiteral("Brixelwand");
}

QString questionTitle()
{
    return QStringLiteral("Frage ...?");
}

QString errorTitle()
{
    return QStringLiteral("Fehler ...");
}

QString inputErrorTitle()
{
    return QStringLiteral("Eingabefehler ...");
}

QString warningTitle()
{
    return QStringLiteral("Achtung!");
}

QString doneTitle()
{
    return QStringLiteral("Bin fertig!");
}

QString readyCaption()
{
    return QStringLiteral("Bin bereit ...");
}

QString busyCaption()
{
    return QStringLiteral("Bitte warten - führe Aktion aus.");
}

namespace Texts {

const char forbiddenNameCharacters[] = "/ \\ : * ? \" < > | $ % & ~";

QString quoted(const QByteArray &name)
{
    return QStringLiteral("„%1“").arg(displayName(name));
}

QString files(qsizetype count)
{
    return count == 1 ? QStringLiteral("1 Datei") : QStringLiteral("%1 Dateien").arg(count);
}

QString noFilesSelected()
{
    return QStringLiteral("Es wurden keine Dateien ausgewählt!");
}

QString enterNewName()
{
    return QStringLiteral("Bitte geben Sie den neuen Dateinamen an!");
}

QString forbiddenCharacters()
{
    return QStringLiteral("Der neue Dateiname darf eines der folgenden Zeichen nicht enthalten:\n")
        + QLatin1String(forbiddenNameCharacters);
}

QString controlCharactersInName()
{
    return QStringLiteral("Der neue Dateiname darf keine Steuerzeichen (wie Tabulator oder "
                          "Zeilenumbruch) enthalten!");
}

QString leadingDot()
{
    return QStringLiteral("Der neue Dateiname darf nicht mit einem Punkt beginnen, weil solche "
                          "Dateien versteckt sind und nicht mehr angezeigt werden!");
}

QString slashInExtension()
{
    return QStringLiteral("Die neue Dateiendung darf das Zeichen / nicht enthalten!");
}

QString controlCharactersInExtension()
{
    return QStringLiteral("Die neue Dateiendung darf keine Steuerzeichen (wie Tabulator oder "
                          "Zeilenumbruch) enthalten!");
}

QString confirmation(bool hiddenOrSystemShown)
{
    QString prompt = QStringLiteral("Sind Sie sicher, dass Sie die Dateien umbenennen wollen?");
    if (hiddenOrSystemShown)
        prompt += QStringLiteral(" Es werden möglicherweise auch versteckte Dateien oder "
                                 "Systemdateien umbenannt!");
    return prompt;
}

QString digitsCorrected()
{
    return QStringLiteral("Die Anzahl der Stellen musste korrigiert werden.");
}

QString tooManyFiles(int selectedCount, int maxSum)
{
    return QStringLiteral("Es wurden %1 ausgewählt. Startzahl und Anzahl der Dateien zusammen "
                          "dürfen höchstens %2 ergeben. Bitte wählen Sie weniger Dateien oder "
                          "eine kleinere Startzahl.")
        .arg(files(selectedCount))
        .arg(maxSum);
}

QString tooManyShots(int shotCount, int maxSum)
{
    return QStringLiteral("Es wurden %1 ausgewählt. Startzahl und Anzahl der Aufnahmen zusammen "
                          "dürfen höchstens %2 ergeben. Bitte wählen Sie weniger Dateien oder "
                          "eine kleinere Startzahl.")
        .arg(shotCount == 1 ? QStringLiteral("1 Aufnahme")
                            : QStringLiteral("%1 Aufnahmen").arg(shotCount))
        .arg(maxSum);
}

QString cdLimit()
{
    return QStringLiteral("Der Dateiname entspricht nicht den CD-Konventionen, da er mit der "
                          "Nummerierung mehr als 64 Zeichen hat.");
}

QString done()
{
    return QStringLiteral("Die Dateien wurden erfolgreich umbenannt. Sie können nun weitere "
                          "Dateien umbenennen.");
}

QString folderUnreadable(int error)
{
    return QStringLiteral("Der Ordner kann nicht gelesen werden. Es wurde keine Datei "
                          "umbenannt.\nGrund: %1")
        .arg(systemError(error));
}

QString conflicts(qsizetype count, const QStringList &lines, qsizetype notShown)
{
    QString text = count == 1 ? QStringLiteral("Es wurde keine Datei umbenannt, weil diese Datei "
                                               "ihren neuen Namen nicht erhalten kann:\n\n")
                              : QStringLiteral("Es wurde keine Datei umbenannt, weil diese "
                                               "Dateien ihre neuen Namen nicht erhalten "
                                               "können:\n\n");
    text += lines.join(QLatin1Char('\n'));
    if (notShown > 0)
        text += QLatin1Char('\n') + andMore(notShown);
    return text;
}

QString notAFile()
{
    return QStringLiteral("Der Eintrag ist keine Datei mehr.");
}

QString missing()
{
    return QStringLiteral("Die Datei ist nicht mehr vorhanden.");
}

QString tooLong(long nameMax, bool countsCharacters)
{
    return QStringLiteral("Der neue Name ist für dieses Dateisystem zu lang (höchstens %1 %2).")
        .arg(nameMax)
        .arg(countsCharacters ? QStringLiteral("Zeichen") : QStringLiteral("Bytes"));
}

QString sameNewName(const QByteArray &other)
{
    return QStringLiteral("%1 bekäme denselben Namen.").arg(quoted(other));
}

QString sameShotName(const QByteArray &other)
{
    return QStringLiteral("%1 gehört zur selben Aufnahme, hat also dieselbe Nummer, und bekäme mit "
                          "der neuen Dateiendung denselben Namen. Bitte wählen Sie "
                          "„Dateiendungen beibehalten“.")
        .arg(quoted(other));
}

QString folderTaken(const QByteArray &name)
{
    return QStringLiteral("Es gibt schon einen Ordner %1.").arg(quoted(name));
}

QString symlinkTaken(const QByteArray &name)
{
    return QStringLiteral("Es gibt schon eine Verknüpfung %1.").arg(quoted(name));
}

QString hiddenFileTaken(const QByteArray &name)
{
    return QStringLiteral("Es gibt schon eine versteckte Datei %1.").arg(quoted(name));
}

QString unselectedFileTaken(const QByteArray &name)
{
    return QStringLiteral("Es gibt schon eine nicht ausgewählte Datei %1.").arg(quoted(name));
}

QString entryTaken(const QByteArray &name)
{
    return QStringLiteral("Es gibt schon einen Eintrag %1.").arg(quoted(name));
}

QString conflictLineNotAFile(const QByteArray &oldName)
{
    return QStringLiteral("%1 ist keine Datei mehr.").arg(quoted(oldName));
}

QString conflictLineMissing(const QByteArray &oldName)
{
    return QStringLiteral("%1 ist nicht mehr vorhanden.").arg(quoted(oldName));
}

QString conflictLine(const QByteArray &oldName, const QByteArray &newName, const QString &reason)
{
    return failedMove(oldName, newName, reason);
}

QString systemError(int error)
{
    switch (error) {
    case EIO:
        return QStringLiteral("Der Datenträger meldet einen Lese- oder Schreibfehler (ist er "
                              "beschädigt oder wurde er entfernt?).");
    case ENOSPC:
        return QStringLiteral("Auf dem Datenträger ist kein Platz mehr frei.");
    case EDQUOT:
        return QStringLiteral("Ihr Speicherplatz auf diesem Datenträger ist ausgeschöpft.");
    case EXDEV:
        return QStringLiteral("Alter und neuer Name liegen nicht auf demselben Datenträger.");
    case ENOTCONN:
    case ENODEV:
        return QStringLiteral("Der Datenträger ist nicht mehr erreichbar (wurde er entfernt?).");
    case EROFS:
        return QStringLiteral("Der Datenträger ist schreibgeschützt.");
    case ENAMETOOLONG:
        return QStringLiteral("Der Name ist für dieses Dateisystem zu lang.");
    case EACCES:
    case EPERM:
        return QStringLiteral("Es fehlt die Berechtigung dazu.");
    case ELOOP:
        return QStringLiteral("Der Pfad enthält zu viele Verknüpfungen.");
    case ENOENT:
        return QStringLiteral("Die Datei oder der Ordner ist nicht vorhanden.");
    case EEXIST:
        return QStringLiteral("Es gibt schon eine Datei oder einen Ordner mit diesem Namen.");
    case ENOLCK:
        return QStringLiteral("Das Dateisystem kann keine Sperre setzen.");
    default:
        return QStringLiteral("Systemfehler %1 (%2)")
            .arg(error)
            .arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}

QString moveError(int error, bool reserving, bool restoring, const QByteArray &destination)
{
    if (reserving && error != EEXIST)
        return QStringLiteral("Der neue Name konnte nicht für die Datei reserviert werden: %1")
            .arg(systemError(error));
    switch (error) {
    case EEXIST:
    case ENOTEMPTY:
        return restoring ? QStringLiteral("Der frühere Name %1 ist inzwischen durch eine andere "
                                          "Datei oder einen Ordner belegt.")
                               .arg(quoted(destination))
                         : QStringLiteral("Es gibt in diesem Ordner schon eine Datei oder einen "
                                          "Ordner mit dem neuen Namen.");
    case ENOENT:
        return restoring ? QStringLiteral("Die Datei wurde seither umbenannt oder gelöscht.")
                         : missing();
    case EACCES:
    case EPERM:
        return QStringLiteral("Es fehlt die Berechtigung, die Datei umzubenennen.");
    case ENAMETOOLONG:
        return QStringLiteral("Der neue Name ist für dieses Dateisystem zu lang.");
    default:
        return systemError(error);
    }
}

QString failedMove(const QByteArray &from, const QByteArray &to, const QString &reason)
{
    return QStringLiteral("%1 → %2: %3").arg(quoted(from), quoted(to), reason);
}

QString runFailed(const QByteArray &oldName, const QByteArray &newName, const QString &reason,
                  qsizetype renamed, const QStringList &hidden)
{
    QString text = QStringLiteral("Die Datei %1 konnte nicht in %2 umbenannt werden.\n"
                                  "Grund: %3\n\n"
                                  "Bis dahin umbenannte Dateien: %4.")
                       .arg(quoted(oldName), quoted(newName), reason)
                       .arg(renamed);
    if (hidden.size() == 1)
        text += QStringLiteral("\n\nDiese Datei liegt noch unter einem vorläufigen Namen:\n");
    else if (hidden.size() > 1)
        text += QStringLiteral("\n\nDiese Dateien liegen noch unter einem vorläufigen Namen:\n");
    text += hidden.join(QLatin1Char('\n'));
    return text;
}

QString hiddenFile(const QByteArray &oldName, const QByteArray &tempName)
{
    return QStringLiteral("%1 als %2").arg(quoted(oldName), quoted(tempName));
}

QString restoreQuestion(qsizetype moved)
{
    return moved == 1 ? QStringLiteral("Soll die bereits umbenannte Datei ihren alten Namen "
                                       "zurückerhalten?")
                      : QStringLiteral("Sollen die %1 bereits umbenannten Dateien ihre alten "
                                       "Namen zurückerhalten?")
                            .arg(moved);
}

QString notRestored(const QString &failure, size_t notTried)
{
    QString text
        = QStringLiteral("Diese Datei konnte ihren alten Namen nicht zurückerhalten:\n") + failure;
    if (notTried == 1)
        text += QStringLiteral("\n\nEine weitere Datei behält deshalb vorerst ihren neuen Namen.");
    else if (notTried > 1)
        text += QStringLiteral("\n\n%1 weitere Dateien behalten deshalb vorerst ihre neuen Namen.")
                    .arg(notTried);
    return text
        + QStringLiteral("\n\nSie können die Umbenennung später mit „Letzte Umbenennung "
                         "rückgängig“ zurücknehmen.");
}

QString anotherRunGoingOn()
{
    return journalError(EWOULDBLOCK)
        + QStringLiteral(". Es wurde keine Datei umbenannt; bitte versuchen Sie es noch einmal, "
                         "wenn die Umbenennung im anderen Fenster abgeschlossen ist.");
}

QString lockFailed(int error)
{
    return QStringLiteral("Brixelwand kann nicht sicherstellen, dass kein anderes Fenster zugleich "
                          "umbenennt: Die Sperre im Ordner für die Protokolle lässt sich nicht "
                          "setzen (%1). Es wird keine Datei umbenannt.")
        .arg(journalError(error));
}

QString interruptedRunFirst(const QByteArray &folder)
{
    const QString which = folder.isEmpty()
        ? QStringLiteral("Eine unterbrochene Umbenennung ist noch nicht abgeschlossen")
        : QStringLiteral("Die unterbrochene Umbenennung im Ordner %1 ist noch nicht "
                         "abgeschlossen")
              .arg(quoted(folder));
    return which
        + QStringLiteral(". Solange sie weder fortgesetzt noch rückgängig gemacht ist, wird keine "
                         "andere Umbenennung begonnen, denn ihr Protokoll würde sonst verloren "
                         "gehen. Es wurde keine Datei umbenannt.");
}

QString journalNotCompleted(int error)
{
    return QStringLiteral("Die Dateien wurden umbenannt, aber das Protokoll konnte nicht "
                          "abgeschlossen werden (%1). Beim nächsten Start wird es noch einmal "
                          "geprüft.")
        .arg(journalError(error));
}

QString journalNotUpdated(int error)
{
    return QStringLiteral("Das Protokoll der Umbenennung konnte nicht aktualisiert werden (%1). "
                          "Es bleibt erhalten und wird beim nächsten Start wieder geprüft.")
        .arg(journalError(error));
}

QString journalError(int error)
{
    switch (error) {
    case EWOULDBLOCK:
        return QStringLiteral("Brixelwand benennt gerade in einem anderen Fenster Dateien um");
    case ELOOP:
        return QStringLiteral("Der Ordner für die Protokolle ist eine Verknüpfung");
    default: {
        QString reason = systemError(error);
        if (reason.endsWith(QLatin1Char('.')))
            reason.chop(1);
        return reason;
    }
    }
}

QString journalNotWritten(int error)
{
    return QStringLiteral("Das Protokoll der Umbenennung kann nicht gespeichert werden (%1). "
                          "Ohne Protokoll kann eine unterbrochene Umbenennung später nicht "
                          "fortgesetzt oder rückgängig gemacht werden. Möchten Sie trotzdem "
                          "umbenennen?")
        .arg(journalError(error));
}

QString stateFolderRefused(const QString &folder)
{
    return QStringLiteral("Der Ordner „%1“ für die Protokolle der Umbenennungen ist eine "
                          "Verknüpfung oder gehört nicht Ihnen. Er wird nicht verwendet, und es "
                          "wird keine Datei umbenannt.")
        .arg(folder);
}

QString journalDamaged()
{
    return QStringLiteral("Das Protokoll einer unterbrochenen Umbenennung ist beschädigt und wird "
                          "nicht verwendet. Es wurde keine Datei umbenannt.");
}

QString journalUnreadable()
{
    return QStringLiteral("Das Protokoll einer unterbrochenen Umbenennung kann zurzeit nicht "
                          "gelesen werden. Es wurde keine Datei umbenannt; beim nächsten Start "
                          "wird wieder gefragt.");
}

namespace {

QString inFolder(Record record, const QByteArray &folder)
{
    return (record == Record::Interrupted ? QStringLiteral("Eine unterbrochene Umbenennung im "
                                                           "Ordner %1: ")
                                          : QStringLiteral("Die letzte Umbenennung im Ordner %1: "))
        .arg(quoted(folder));
}

} // namespace

QString otherVolume(Record record, const QByteArray &folder, const QByteArray &uuidHere,
                    const QByteArray &uuidRecorded)
{
    return inFolder(record, folder)
        + QStringLiteral("Dort ist ein anderer Datenträger eingehängt als bei der Umbenennung "
                         "(Kennung %1 statt %2). Es wird keine Datei umbenannt; das Protokoll "
                         "wartet, bis Sie den richtigen Datenträger einlegen.")
              .arg(QString::fromUtf8(uuidHere), QString::fromUtf8(uuidRecorded));
}

QString journalFolderUnreachable(Record record, const QByteArray &folder)
{
    return inFolder(record, folder)
        + QStringLiteral("Der Ordner ist zurzeit nicht erreichbar (ist der Datenträger "
                         "eingelegt?). Es wird keine Datei umbenannt; das Protokoll bleibt "
                         "erhalten.");
}

QString journalFolderUnreadable(Record record, const QByteArray &folder, int error)
{
    return inFolder(record, folder)
        + QStringLiteral("Der Ordner kann nicht gelesen werden (%1). Es wird keine Datei "
                         "umbenannt; das Protokoll bleibt erhalten.")
              .arg(journalError(error));
}

QString journalFilesNotThere(Record record, const QByteArray &folder, const QStringList &misfits)
{
    return inFolder(record, folder)
        + QStringLiteral("Der Ordner enthält nicht die Dateien, die das Protokoll nennt (ist der "
                         "richtige Datenträger eingelegt?). Es wird keine Datei umbenannt; das "
                         "Protokoll bleibt erhalten.\n\n")
        + misfits.join(QLatin1Char('\n'));
}

QString misfitMissing(const QByteArray &name)
{
    return QStringLiteral("%1 fehlt.").arg(quoted(name));
}

QString misfitOtherFile(const QByteArray &name)
{
    return QStringLiteral("%1 ist eine andere Datei als bei der Umbenennung (Größe, Zeit oder "
                          "Inhalt anders).")
        .arg(quoted(name));
}

QString andMore(qsizetype count)
{
    return QStringLiteral("und %1 weitere").arg(count);
}

QString fileMissing(const QByteArray &name)
{
    return QStringLiteral("%1 fehlt – sie behält ihren Namen.").arg(quoted(name));
}

QString fileRenamedSince(const QByteArray &name, const QByteArray &holder)
{
    return QStringLiteral("%1 heißt jetzt %2 – sie behält diesen Namen.")
        .arg(quoted(name), quoted(holder));
}

QString fileChanged(const QByteArray &name)
{
    return QStringLiteral("%1 ist nicht mehr die Datei der Umbenennung (Größe, Zeit oder Inhalt "
                          "anders) – sie behält ihren Namen.")
        .arg(quoted(name));
}

QString fileUnclear(const QByteArray &name)
{
    return QStringLiteral("%1 lässt sich nicht eindeutig wiedererkennen (eine andere Datei "
                          "gleicht ihr, oder sie ist unter zwei Namen da) – sie behält ihren "
                          "Namen.")
        .arg(quoted(name));
}

QString nameTaken(const QByteArray &name, const QByteArray &taken)
{
    return QStringLiteral("%1 behält ihren Namen, denn eine andere Datei oder ein Ordner heißt "
                          "schon %2.")
        .arg(quoted(name), quoted(taken));
}

QString filesLeft(const QStringList &lines, bool recordKept)
{
    constexpr qsizetype shown = 10;
    QStringList list = lines.mid(0, shown);
    if (lines.size() > shown)
        list << andMore(lines.size() - shown);
    return QStringLiteral("Nicht jede Datei konnte umbenannt werden:\n\n")
        + list.join(QLatin1Char('\n'))
        + (recordKept ? QStringLiteral("\n\nDas Protokoll bleibt erhalten; beim nächsten Start "
                                       "oder mit F5 wird wieder gefragt.")
                      : QString());
}

namespace {

// "3 Dateien erhalten ihre neuen Namen.", "1 Datei erhält ihren alten Namen zurück.", ...
QString filesGet(qsizetype count, bool newNames)
{
    if (count == 0)
        return QStringLiteral("Keine Datei wird umbenannt.");
    if (count == 1)
        return newNames ? QStringLiteral("1 Datei erhält ihren neuen Namen.")
                        : QStringLiteral("1 Datei erhält ihren alten Namen zurück.");
    return (newNames ? QStringLiteral("%1 Dateien erhalten ihre neuen Namen.")
                     : QStringLiteral("%1 Dateien erhalten ihre alten Namen zurück."))
        .arg(count);
}

QString staySentence(qsizetype staying)
{
    if (staying == 0)
        return QString();
    return staying == 1 ? QStringLiteral("\n\nEine Datei ist nicht mehr so da, wie das Protokoll "
                                         "sie nennt, oder ihr Name ist vergeben; sie behält "
                                         "ihren Namen. Welche, steht danach im Bericht.")
                        : QStringLiteral("\n\n%1 Dateien sind nicht mehr so da, wie das Protokoll "
                                         "sie nennt, oder ihre Namen sind vergeben; sie behalten "
                                         "ihre Namen. Welche, steht danach im Bericht.")
                              .arg(staying);
}

} // namespace

QString recoveryQuestion(const QByteArray &folder, int filesDone, int filesTotal, int ahead,
                         int back, qsizetype staying)
{
    return QStringLiteral("Die Umbenennung im Ordner %1 wurde nach %2 von %3 unterbrochen.\n\n"
                          "Fortsetzen: %4\n"
                          "Rückgängig machen: %5\n"
                          "Später: Alles bleibt, wie es ist; beim nächsten Start wird wieder "
                          "gefragt.")
               .arg(quoted(folder))
               .arg(filesDone)
               .arg(files(filesTotal))
               .arg(filesGet(ahead, true), filesGet(back, false))
        + staySentence(staying);
}

QString undoQuestion(const QByteArray &folder, qsizetype moved, qsizetype staying)
{
    return QStringLiteral("Soll die letzte Umbenennung im Ordner %1 rückgängig gemacht werden? %2")
               .arg(quoted(folder),
                    moved == 1 ? QStringLiteral("1 Datei erhält dann ihren alten Namen zurück.")
                               : QStringLiteral("%1 Dateien erhalten dann ihre alten Namen zurück.")
                                     .arg(moved))
        + staySentence(staying);
}

QString leftoverNotRemoved(const QByteArray &name, int error)
{
    return QStringLiteral("Die leere Platzhalterdatei %1, die die unterbrochene Umbenennung "
                          "hinterlassen hat, konnte nicht gelöscht werden.\nGrund: %2")
        .arg(quoted(name), systemError(error));
}

QString recoveryFailed(const QString &failure, bool moving, size_t notTried, bool undoButton,
                       const QStringList &left)
{
    QString text = moving ? QStringLiteral("Diese Datei konnte nicht umbenannt werden:\n") + failure
                          : failure;
    if (!left.isEmpty())
        text += QStringLiteral("\n\nZuvor behielten diese Dateien ihre Namen:\n")
            + left.mid(0, 10).join(QLatin1Char('\n'))
            + (left.size() > 10 ? QLatin1Char('\n') + andMore(left.size() - 10) : QString());
    if (notTried == 1)
        text += QStringLiteral("\n\nEine weitere Datei wurde deshalb nicht umbenannt.");
    else if (notTried > 1)
        text += QStringLiteral("\n\nDie übrigen %1 Dateien wurden deshalb nicht umbenannt.")
                    .arg(notTried);
    return text
        + (undoButton ? QStringLiteral("\n\nDas Protokoll bleibt erhalten; Sie können die "
                                       "Umbenennung später mit „Letzte Umbenennung rückgängig“ "
                                       "weiter zurücknehmen.")
                      : QStringLiteral("\n\nDas Protokoll bleibt erhalten; beim nächsten Start "
                                       "oder mit F5 wird wieder gefragt."));
}

QString recordNotUpdated(Settled settled, int error)
{
    const QString done = settled == Settled::LastRunComplete
        ? QStringLiteral("Die letzte Umbenennung ist abgeschlossen")
        : settled == Settled::InterruptedRunComplete
        ? QStringLiteral("Die unterbrochene Umbenennung ist abgeschlossen")
        : QStringLiteral("Alle Dateien haben ihre alten Namen");
    return QStringLiteral("%1, aber das Protokoll konnte nicht aktualisiert werden (%2). Es "
                          "bleibt erhalten und wird beim nächsten Start wieder geprüft.")
        .arg(done, journalError(error));
}

} // namespace Texts
