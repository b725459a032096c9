// The window's preview of the run: every new name before anything is touched, with the
// conflicts the run would refuse.

#include "filemover.h"
#include "folderscan.h"
#include "funktionen.h"
#include "hptfrm.h"
#include "numbers.h"
#include "optionspage.h"
#include "previewmodel.h"
#include "renameoptions.h"
#include "renameplan.h"
#include "renamerun.h"
#include "renamewindowadapter.h"
#include "selectionpage.h"

#include <QTabWidget>

#include <algorithm>

void Hptfrm::schedulePreview()
{
    // Several changes of one event (a run's reset, a selection and its current item) make one
    // update, after them.
    m_previewStale = true;
    if (m_previewPending)
        return;
    m_previewPending = true;
    QMetaObject::invokeMethod(this, &Hptfrm::updatePreview, Qt::QueuedConnection);
}

void Hptfrm::updatePreview()
{
    m_previewPending = false;
    if (SSTab1->currentIndex() != 1)
        return; // brought up to date when its page is shown
    m_previewStale = false;

    std::vector<QByteArray> oldNames;
    const int count = m_selection->fileCount();
    for (int i = 0; i < count; ++i) {
        if (m_selection->isFileSelected(i))
            oldNames.push_back(m_selection->fileName(i));
    }
    const int selectedCount = int(oldNames.size());
    PreviewModel *preview = m_options->previewModel();
    m_options->setPreviewSummary(QString());
    RenameOptions options = RenameOptions::read(*m_window);
    if (selectedCount == 0) {
        preview->showLine(QStringLiteral("Es wurden keine Dateien ausgewählt!"));
        return;
    }
    if (const auto problem = checkTypedNames(options)) {
        preview->showLine(QString(problem->message).replace(QLatin1Char('\n'), QLatin1Char(' ')));
        return;
    }
    const int firstNumber = wholeNumberOf(options.StartNumber);
    if (firstNumber + selectedCount > maxNumberSum) {
        preview->showLine(tooManyFilesMessage(selectedCount));
        return;
    }
    // The digit count the run will use, after its correction of a count that is too small.
    const int digits = runDigits(selectedCount, options);
    QByteArray folder = m_selection->currentFolder();
    Funktionen::PfadOhneBackslash(folder);
    std::vector<QByteArray> newNames
        = makeNewNames(folder, oldNames, options, prepareName(options.NewName, options),
                       firstNumber, digits, nullptr);
    if (options.CdLimit && std::any_of(newNames.begin(), newNames.end(), &exceedsCdLimit)) {
        preview->showLine(cdLimitMessage());
        return;
    }
    if (!m_previewScan)
        m_previewScan = std::make_unique<FolderScan>(
            FolderScan::read(folder, m_window->fileSystemObject().sys()));
    QHash<int, QString> reasons;
    if (m_previewScan->ok()) {
        for (const Conflict &c :
             findConflicts(*m_previewScan, oldNames, newNames, options.ShowSystem))
            reasons.insert(c.file, conflictReason(c, *m_previewScan));
    }
    const int conflicts = int(reasons.size());
    preview->showPlan(std::move(oldNames), std::move(newNames), std::move(reasons));
    m_options->setPreviewSummary(conflicts == 0 ? QStringLiteral("Keine Konflikte")
                                     : conflicts == 1
                                     ? QStringLiteral("1 Konflikt")
                                     : QStringLiteral("%1 Konflikte").arg(conflicts));
}
