// SPDX-License-Identifier: GPL-3.0-or-later
// Opening what the command line names, or what is dropped on the window: a folder, or files of
// one folder.

#include "hptfrm.h"
#include "messageboxes.h"
#include "selectionpage.h"
#include "startarguments.h"
#include "texts.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QStringList>
#include <QUrl>

#include <algorithm>

namespace {

// The warning about passed files that the list does not show (hidden or system files), which
// names them and says how to show them.
QString notListed(const std::vector<QByteArray> &names)
{
    constexpr size_t shown = 10;
    QStringList lines;
    for (size_t i = 0; i < names.size() && i < shown; ++i)
        lines << Texts::quoted(names[i]);
    if (names.size() > shown)
        lines << Texts::andMore(qsizetype(names.size() - shown));
    // A leading dot hides a file everywhere; other files may be hidden on a card, or be
    // system files (devices, pipes, broken links).
    const bool dotted = std::all_of(names.begin(), names.end(),
                                    [](const QByteArray &name) { return name.startsWith('.'); });
    const bool one = names.size() == 1;
    QString text = one ? QStringLiteral("Die übergebene Datei %1 steht nicht in der Liste und ist "
                                        "deshalb nicht ausgewählt.")
                             .arg(lines.front())
                       : QStringLiteral("Diese übergebenen Dateien stehen nicht in der Liste und "
                                        "sind deshalb nicht ausgewählt:\n")
            + lines.join(QLatin1Char('\n'));
    text += QStringLiteral("\n\n");
    if (dotted)
        text += one ? QStringLiteral("Sie ist versteckt. Um sie anzuzeigen, schalten Sie unter "
                                     "„Dateianzeige“ „Versteckte Dateien“ ein und wählen sie dann "
                                     "aus.")
                    : QStringLiteral("Sie sind versteckt. Um sie anzuzeigen, schalten Sie unter "
                                     "„Dateianzeige“ „Versteckte Dateien“ ein und wählen sie dann "
                                     "aus.");
    else
        text += one ? QStringLiteral("Sie ist eine versteckte Datei oder eine Systemdatei. Um sie "
                                     "anzuzeigen, schalten Sie unter „Dateianzeige“ „Versteckte "
                                     "Dateien“ oder „Systemdateien“ ein und wählen sie dann aus.")
                    : QStringLiteral("Sie sind versteckte Dateien oder Systemdateien. Um sie "
                                     "anzuzeigen, schalten Sie unter „Dateianzeige“ „Versteckte "
                                     "Dateien“ oder „Systemdateien“ ein und wählen sie dann aus.");
    return text;
}

} // namespace

QString Hptfrm::openAtStart(const QByteArray &folder, const std::vector<QByteArray> &files)
{
    // As if chosen in the folder list: its reaction moves the volume and fills the file list.
    if (!m_selection->openFolder(folder))
        return QStringLiteral("Der Ordner %1 kann nicht gelesen werden. Bitte wählen Sie Ordner "
                              "und Dateien in Schritt 1 selbst aus.")
            .arg(Texts::quoted(folder));
    showPage(0, false);
    if (files.empty())
        return QString();
    m_selection->selectFiles(QList<QByteArray>(files.begin(), files.end()));
    std::vector<QByteArray> missing = files;
    for (int i = 0; i < m_selection->fileCount(); ++i) {
        if (m_selection->isFileSelected(i))
            missing.erase(std::remove(missing.begin(), missing.end(), m_selection->fileName(i)),
                          missing.end());
    }
    return missing.empty() ? QString() : notListed(missing);
}

void Hptfrm::warnAtStart(const QString &message)
{
    m_boxes->show(message, MessageKind::Warning, warningTitle());
}

void Hptfrm::dragEnterEvent(QDragEnterEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!urls.isEmpty()
        && std::all_of(urls.begin(), urls.end(), [](const QUrl &url) { return url.isLocalFile(); }))
        event->acceptProposedAction();
}

void Hptfrm::dropEvent(QDropEvent *event)
{
    // The same as these files or this folder passed at start: file:// URLs with the names'
    // bytes percent-encoded, every one a path.
    std::vector<QByteArray> arguments {"--"};
    for (const QUrl &url : event->mimeData()->urls())
        arguments.push_back(url.toEncoded());
    event->acceptProposedAction();
    // Opened once the drop is over, so that the file manager is not kept waiting by a warning.
    QMetaObject::invokeMethod(
        this, [this, arguments] { openDropped(arguments); }, Qt::QueuedConnection);
}

void Hptfrm::openDropped(const std::vector<QByteArray> &arguments)
{
    const StartArguments dropped = parseStartArguments(arguments, currentWorkingFolder());
    const QString warning = dropped.folder.isEmpty()
        ? dropped.message + QStringLiteral("\n\nSchritt 1 zeigt weiter den bisherigen Ordner.")
        : openAtStart(dropped.folder, dropped.files);
    if (!warning.isEmpty())
        warnAtStart(warning);
}
