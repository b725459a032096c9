// The window's preview of the run: every new name before anything is touched, with the
// conflicts the run would refuse.

#include "filemover.h"
#include "folderscan.h"
#include "funktionen.h"
#include "hptfrm.h"
#include "optionspage.h"
#include "previewmodel.h"
#include "renameplan.h"
#include "renamewindowadapter.h"
#include "selectionpage.h"

#include <QTabWidget>

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

    PreviewModel *preview = m_options->previewModel();
    m_options->setPreviewSummary(QString());
    const PlanInput input = PlanInput::read(*m_window);
    QByteArray folder = input.folder;
    Funktionen::PfadOhneBackslash(folder);
    if (!m_previewScan)
        m_previewScan
            = std::make_unique<FolderScan>(FolderScan::read(folder, m_window->fileMover().sys()));
    // The plan the run would carry out, made by the run's own planning.
    RenamePlan plan = buildPlan(input, *m_previewScan);
    switch (plan.stop) {
    case RenamePlan::Stop::None:
    case RenamePlan::Stop::Conflicts:
    case RenamePlan::Stop::FolderUnreadable:
        break;
    default:
        preview->showLine(plan.stopMessage.replace(QLatin1Char('\n'), QLatin1Char(' ')));
        return;
    }
    QHash<int, QString> reasons;
    for (const Conflict &c : plan.conflicts)
        reasons.insert(c.file, conflictReason(c, *m_previewScan));
    const int conflicts = int(reasons.size());
    preview->showPlan(std::move(plan.oldNames), std::move(plan.newNames), std::move(reasons));
    m_options->setPreviewSummary(conflicts == 0 ? QStringLiteral("Keine Konflikte")
                                     : conflicts == 1
                                     ? QStringLiteral("1 Konflikt")
                                     : QStringLiteral("%1 Konflikte").arg(conflicts));
}
