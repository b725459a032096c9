// SPDX-License-Identifier: GPL-3.0-or-later
// Starting on what the command line names: a folder, or files of one folder.

#include "hptfrm.h"
#include "messageboxes.h"
#include "selectionpage.h"
#include "texts.h"

#include <QSet>

void Hptfrm::openAtStart(const QByteArray &folder, const std::vector<QByteArray> &files)
{
    // As if chosen in the folder list: its reaction moves the volume and fills the file list.
    if (!m_selection->openFolder(folder)) {
        warnAtStart(QStringLiteral("Der Ordner %1 kann nicht gelesen werden. Bitte wählen Sie "
                                   "Ordner und Dateien in Schritt 1 selbst aus.")
                        .arg(Texts::quoted(folder)));
        return;
    }
    showPage(0, false);
    if (files.empty())
        return;
    m_selection->selectFiles(QList<QByteArray>(files.begin(), files.end()));
    QSet<QByteArray> missing(files.begin(), files.end());
    for (int i = 0; i < m_selection->fileCount(); ++i) {
        if (m_selection->isFileSelected(i))
            missing.remove(m_selection->fileName(i));
    }
    if (missing.isEmpty())
        return;
    // Hidden and system files are not listed unless "Check3"/"Check4" show them.
    warnAtStart(missing.size() == 1
                    ? QStringLiteral("1 der übergebenen Dateien steht nicht in der Liste (eine "
                                     "versteckte oder eine Systemdatei) und ist nicht ausgewählt.")
                    : QStringLiteral("%1 der übergebenen Dateien stehen nicht in der Liste "
                                     "(versteckte oder Systemdateien) und sind nicht ausgewählt.")
                          .arg(missing.size()));
}

void Hptfrm::warnAtStart(const QString &message)
{
    m_boxes->show(message, MessageKind::Warning, warningTitle());
}
