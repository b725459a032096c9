#include "renamerun.h"

#include "displayname.h"
#include "filemover.h"
#include "funktionen.h"
#include "numbers.h"
#include "renameoptions.h"
#include "renamewindow.h"

#include <QCoreApplication>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

const char forbiddenNameCharacters[] = "/ \\ : * ? \" < > | $ % & ~";

namespace {

const QString inputErrorTitle = QStringLiteral("Eingabefehler ...");
const QString errorTitle = QStringLiteral("Fehler ...");
const QString questionTitle = QStringLiteral("Frage ...?");
const QString readyCaption = QStringLiteral("Bin bereit ...");

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

QString prepareName(QString name, const RenameOptions &options)
{
    if (options.BlankToUnderscore)
        name.replace(QLatin1Char(' '), QLatin1Char('_'));
    if (options.ReplaceUmlauts) {
        static const std::pair<const char16_t *, const char *> umlauts[] = {
            {u"ä", "ae"}, {u"Ä", "Ae"}, {u"ö", "oe"}, {u"Ö", "Oe"},
            {u"ü", "ue"}, {u"Ü", "Ue"}, {u"ß", "ss"},
        };
        for (const auto &[from, to] : umlauts)
            name.replace(QString::fromUtf16(from), QLatin1String(to));
    }
    return name;
}

qsizetype characterCount(const QString &text)
{
    return text.toUcs4().size();
}

QString moveErrorReason(int error)
{
    switch (error) {
    case EEXIST:
    case ENOTEMPTY:
        return QStringLiteral("Es gibt in diesem Ordner schon eine Datei oder einen Ordner mit "
                              "dem neuen Namen.");
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
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

struct Renamed
{
    QByteArray oldPath;
    QByteArray newPath;
};

class RenameRun
{
public:
    explicit RenameRun(IRenameWindow &window)
        : m_window(window)
    { }
    void execute();

private:
    bool checkInput(int selectedCount);
    void renameLoop(const QString &preparedName, int firstNumber, int digits);
    void complete(const QString &preparedName);
    void reportFailure(const QByteArray &oldPath, const QByteArray &newPath, int error,
                       std::vector<Renamed> &done);
    void backToReady();

    IRenameWindow &m_window;
    RenameOptions m_options;
};

void RenameRun::execute()
{
    const int count = m_window.fileCount();
    int selectedCount = 0;
    for (int i = 0; i < count; ++i) {
        if (m_window.isFileSelected(i))
            ++selectedCount;
    }
    m_options = RenameOptions::read(m_window);
    if (!checkInput(selectedCount))
        return;

    QString prompt = QStringLiteral("Sind Sie sicher, dass Sie die Dateien umbenennen wollen?");
    if (m_options.ShowHidden || m_options.ShowSystem)
        prompt += QStringLiteral(" Es werden möglicherweise auch versteckte Dateien oder "
                                 "Systemdateien umbenannt!");
    if (m_window.messageBox(prompt, MessageKind::Question, questionTitle) != MessageAnswer::Yes)
        return;

    const int firstNumber = wholeNumberOf(m_options.StartNumber);
    if (firstNumber < 1 || firstNumber > 9999) {
        m_window.messageBox(QStringLiteral("Bitte gültigen Wert eingeben! (Zahl zwischen 1-9999)"),
                            MessageKind::Warning, inputErrorTitle);
        return;
    }
    if (firstNumber + selectedCount > maxNumberSum) {
        m_window.messageBox(
            QStringLiteral("Es wurden %1 Dateien ausgewählt. Startzahl und Anzahl der Dateien "
                           "zusammen dürfen höchstens %2 ergeben. Bitte wählen Sie weniger Dateien "
                           "oder eine kleinere Startzahl.")
                .arg(selectedCount)
                .arg(maxNumberSum),
            MessageKind::Error, inputErrorTitle);
        return;
    }
    int digits = 2;
    Funktionen::ErmittleStellenanzahl(selectedCount, digits, m_options, m_window);

    const QString preparedName = prepareName(m_options.NewName, m_options);
    if (m_options.CdLimit) {
        const qsizetype length
            = characterCount(preparedName) + (m_options.BlankBeforeNumber ? 1 : 0) + digits;
        if (length > 64) {
            m_window.messageBox(QStringLiteral("Der Dateiname entspricht nicht den "
                                               "CD-Konventionen, da er mit der Nummerierung mehr "
                                               "als 64 Zeichen hat."),
                                MessageKind::Error, errorTitle);
            m_window.focusNameField(true);
            return;
        }
    }
    renameLoop(preparedName, firstNumber, digits);
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
    if (m_options.NewName.isEmpty()) {
        m_window.messageBox(QStringLiteral("Bitte geben Sie den neuen Dateinamen an!"),
                            MessageKind::Warning, inputErrorTitle);
        m_window.focusNameField(false);
        return false;
    }
    if (hasForbiddenCharacter(m_options.NewName)) {
        m_window.messageBox(QStringLiteral("Der neue Dateiname darf eines der folgenden Zeichen "
                                           "nicht enthalten:\n")
                                + QLatin1String(forbiddenNameCharacters),
                            MessageKind::Error, inputErrorTitle);
        m_window.focusNameField(true);
        return false;
    }
    // A typed extension becomes part of the name as it stands; a "/" would move the file into
    // another folder.
    if (!m_options.KeepExtension && m_options.NewExtension.contains(QLatin1Char('/'))) {
        m_window.messageBox(QStringLiteral("Die neue Dateiendung darf das Zeichen / nicht "
                                           "enthalten!"),
                            MessageKind::Error, inputErrorTitle);
        m_window.focusExtensionField();
        return false;
    }
    return true;
}

void RenameRun::renameLoop(const QString &preparedName, int firstNumber, int digits)
{
    m_window.setStatusLine(QStringLiteral("Bitte warten - führe Aktion aus."), StatusLook::Busy);

    const QByteArray nameBytes = preparedName.toUtf8();
    std::vector<Renamed> done;
    QByteArray extension;
    QString separator;
    QString numberText;
    int number = firstNumber;
    const int count = m_window.fileCount();
    for (int i = 0; i < count; ++i) {
        if (!m_window.isFileSelected(i))
            continue;
        QByteArray folder = m_window.currentFolder();
        Funktionen::PfadOhneBackslash(folder);
        const QByteArray oldPath = folder + '/' + m_window.fileName(i);
        Funktionen::ErmittleDateiendung(oldPath, extension, m_options, m_window);
        Funktionen::ErmittleTrennzeichen(separator, m_options);
        Funktionen::FormatiereNummer(number, numberText, digits);
        QByteArray newPath = folder + '/' + nameBytes + separator.toUtf8() + numberText.toLatin1();
        if (!extension.isEmpty())
            newPath += '.' + extension;
        if (const int error = m_window.fileSystemObject().MoveFile(oldPath, newPath)) {
            reportFailure(oldPath, newPath, error, done);
            return;
        }
        done.push_back({oldPath, newPath});
        ++number;
        m_window.repaintNow();
    }
    m_window.fileSystemObject().release();
    complete(preparedName);
}

void RenameRun::complete(const QString &preparedName)
{
    m_window.setStatusLine(readyCaption, StatusLook::Ready);
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
    m_window.resetFileSelection();
}

QString lastComponent(const QByteArray &path)
{
    return displayName(path.mid(path.lastIndexOf('/') + 1));
}

void RenameRun::reportFailure(const QByteArray &oldPath, const QByteArray &newPath, int error,
                              std::vector<Renamed> &done)
{
    FileMover &mover = m_window.fileSystemObject();
    m_window.messageBox(
        QStringLiteral("Die Datei „%1“ konnte nicht in „%2“ umbenannt werden.\n"
                       "Grund: %3\n\n"
                       "Bis dahin umbenannte Dateien: %4.")
            .arg(lastComponent(oldPath), lastComponent(newPath), moveErrorReason(error))
            .arg(done.size()),
        MessageKind::Error, errorTitle);
    if (!done.empty()
        && m_window.messageBox(QStringLiteral("Sollen die %1 bereits umbenannten Dateien ihre "
                                              "alten Namen zurückerhalten?")
                                   .arg(done.size()),
                               MessageKind::Question, questionTitle)
            == MessageAnswer::Yes) {
        QStringList notRestored;
        for (auto it = done.rbegin(); it != done.rend(); ++it) {
            if (const int e = mover.MoveFile(it->newPath, it->oldPath))
                notRestored << QStringLiteral("„%1“ (%2)")
                                   .arg(lastComponent(it->newPath), moveErrorReason(e));
        }
        if (!notRestored.isEmpty())
            m_window.messageBox(QStringLiteral("Diese Dateien konnten ihre alten Namen nicht "
                                               "zurückerhalten:\n")
                                    + notRestored.join(QLatin1Char('\n')),
                                MessageKind::Error, errorTitle);
    }
    mover.release();
    backToReady();
}

void RenameRun::backToReady()
{
    m_window.setStatusLine(readyCaption, StatusLook::Ready);
    m_window.rereadFiles();
}

} // namespace

void runRename(IRenameWindow &window)
{
    RenameRun(window).execute();
}
