// SPDX-License-Identifier: GPL-3.0-or-later
// Starting on what the command line names: a folder, or files of one folder.

#include "displayname.h"
#include "filelist.h"
#include "folderlist.h"
#include "hptfrm.h"

#include <QSet>

void Hptfrm::openAtStart(const QByteArray &folder, const std::vector<QByteArray> &files)
{
    // As if chosen in the folder list: its reaction moves the volume and fills the file list.
    if (!Dir1->setPath(folder)) {
        messageBox(QStringLiteral("Der Ordner „%1“ kann nicht gelesen werden. Bitte wählen Sie "
                                  "Ordner und Dateien in Schritt 1 selbst aus.")
                       .arg(displayName(folder)),
                   MessageKind::Warning, QStringLiteral("Achtung!"));
        return;
    }
    QSet<QByteArray> wanted(files.begin(), files.end());
    int first = -1;
    for (int i = 0; i < File1->count() && !wanted.isEmpty(); ++i) {
        if (wanted.remove(File1->rawName(i))) {
            File1->setSelected(i, true);
            if (first < 0)
                first = i;
        }
    }
    if (first >= 0)
        File1->scrollTo(File1->model()->index(first, 0));
    if (wanted.isEmpty())
        return;
    // Hidden and system files are not listed unless "Check3"/"Check4" show them.
    messageBox(wanted.size() == 1
                   ? QStringLiteral("1 der übergebenen Dateien steht nicht in der Liste (eine "
                                    "versteckte oder eine Systemdatei) und ist nicht ausgewählt.")
                   : QStringLiteral("%1 der übergebenen Dateien stehen nicht in der Liste "
                                    "(versteckte oder Systemdateien) und sind nicht ausgewählt.")
                         .arg(wanted.size()),
               MessageKind::Warning, QStringLiteral("Achtung!"));
}
