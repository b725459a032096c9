// SPDX-License-Identifier: GPL-3.0-or-later
// The window's preview of the run: every new name before anything is touched, with the
// conflicts the run would refuse; in capture-time order with the times, read in the background.

#include "filemover.h"
#include "folderscan.h"
#include "funktionen.h"
#include "hptfrm.h"
#include "optionspage.h"
#include "previewmodel.h"
#include "renameplan.h"
#include "renamewindowadapter.h"
#include "selectionpage.h"

#include <QElapsedTimer>
#include <QLocale>
#include <QTabWidget>

#include <algorithm>

namespace {

QString germanNumber(qsizetype n)
{
    return QLocale(QLocale::German).toString(qint64(n));
}

QString conflictSummary(int conflicts)
{
    return conflicts == 0 ? QStringLiteral("keine Konflikte")
        : conflicts == 1  ? QStringLiteral("1 Konflikt")
                          : QStringLiteral("%1 Konflikte").arg(germanNumber(conflicts));
}

// How many files, or shots where files share a number, the preview shows without a capture
// time.
QString timesSummary(int without, bool shots)
{
    if (without == 0)
        return shots ? QStringLiteral("alle Aufnahmen mit Aufnahmezeit")
                     : QStringLiteral("alle Dateien mit Aufnahmezeit");
    if (without == 1)
        return shots ? QStringLiteral("1 Aufnahme ohne Aufnahmezeit")
                     : QStringLiteral("1 Datei ohne Aufnahmezeit");
    return (shots ? QStringLiteral("%1 Aufnahmen ohne Aufnahmezeit")
                  : QStringLiteral("%1 Dateien ohne Aufnahmezeit"))
        .arg(germanNumber(without));
}

// "300 Dateien: Urlaub 001 bis Urlaub 300": how many files, or shots where the files of a shot
// share a number, get which numbers; with the date in the names, from the first name to the
// last ("2024-07-01 Urlaub 01 bis 2024-07-03 Urlaub 12").
QString numbersSummary(const RenamePlan &plan)
{
    QString separator, first, last;
    Funktionen::ErmittleTrennzeichen(separator, plan.options);
    Funktionen::FormatiereNummer(plan.firstNumber, first, plan.digits);
    const int lastNumber = plan.dayShots.empty() ? plan.numberCount - 1 : plan.dayShots.back();
    Funktionen::FormatiereNummer(plan.firstNumber + lastNumber, last, plan.digits);
    const QString stem = plan.preparedName + separator;
    first.prepend(stem);
    last.prepend(stem);
    if (plan.options.CaptureDate && !plan.days.empty()) {
        first.prepend(QString::fromUtf8(datePrefix(plan.days.front(), plan.options)));
        last.prepend(QString::fromUtf8(datePrefix(plan.days.back(), plan.options)));
    }
    const int n = plan.numberCount;
    const QString counted = plan.options.CaptureGroups
        ? (n == 1 ? QStringLiteral("1 Aufnahme")
                  : QStringLiteral("%1 Aufnahmen").arg(germanNumber(n)))
        : (n == 1 ? QStringLiteral("1 Datei") : QStringLiteral("%1 Dateien").arg(germanNumber(n)));
    return n == 1 ? QStringLiteral("%1: %2").arg(counted, first)
                  : QStringLiteral("%1: %2 bis %3").arg(counted, first, last);
}

// The unselected files of the plan's shots, each after the last file of its shot.
std::vector<PreviewModel::Unselected> unselectedRows(const RenamePlan &plan)
{
    std::vector<PreviewModel::Unselected> rows;
    if (plan.unselectedOfShots.empty())
        return rows;
    QHash<int, int> lastFileOfShot;
    for (int file = 0; file < int(plan.shots.size()); ++file)
        lastFileOfShot.insert(plan.shots[size_t(file)], file);
    for (const RenamePlan::UnselectedOfShot &u : plan.unselectedOfShots)
        rows.push_back({lastFileOfShot.value(u.shot, int(plan.oldNames.size())), u.name});
    std::stable_sort(rows.begin(), rows.end(),
                     [](const auto &a, const auto &b) { return a.afterFile < b.afterFile; });
    return rows;
}

} // namespace

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
    m_window->setPreviewedPlan(nullptr);
    PlanInput input = PlanInput::read(*m_window, PlanInput::WithoutTimes);
    QByteArray folder = input.folder;
    Funktionen::PfadOhneBackslash(folder);
    // Shots read their files for the identifiers of Live Photos.
    if ((input.options.CaptureOrder || input.options.CaptureGroups) && !input.oldNames.empty()) {
        if (!captureTimesKnown(folder, input.oldNames))
            return; // the preview follows when the times are read
        input.times = m_times;
    } else {
        stopReadingTimes();
    }
    if (!m_previewScan)
        m_previewScan = m_selection->folderScan();
    if (!m_previewScan)
        m_previewScan = std::make_shared<const FolderScan>(
            FolderScan::read(folder, m_window->fileMover().sys()));
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
    // Kept whole for the run; the model takes copies of what it shows.
    const auto previewed = std::make_shared<const PreviewedPlan>(
        PreviewedPlan {std::move(input), m_previewScan, std::move(plan)});
    m_window->setPreviewedPlan(previewed);
    const RenamePlan &shown = previewed->plan;
    QHash<int, QString> reasons;
    for (const Conflict &c : shown.conflicts)
        reasons.insert(c.file, conflictReason(c, *m_previewScan));
    const int conflicts = int(reasons.size());
    preview->showPlan(shown.oldNames, shown.newNames, std::move(reasons), shown.times,
                      unselectedRows(shown), shown.otherLivePhotos, shown.clockOffsets);
    QString summary = numbersSummary(shown) + QStringLiteral(", ") + conflictSummary(conflicts);
    if (shown.options.CaptureOrder)
        summary += QStringLiteral(", ")
            + timesSummary(shown.withoutCaptureTime, shown.options.CaptureGroups);
    m_options->setPreviewSummary(summary);
}

bool Hptfrm::captureTimesKnown(const QByteArray &folder, const std::vector<QByteArray> &names)
{
    const bool same = m_timesFolder == folder && m_timesNames == names;
    if (same && m_timesKnown)
        return true;
    if (same && m_timesReading)
        return false; // its progress is shown
    stopReadingTimes();
    m_timesFolder = folder;
    m_timesNames = names;
    m_timesReading = true;
    m_timesCancel = std::make_shared<std::atomic<bool>>(false);
    const int generation = ++m_timesGeneration;
    m_options->setRunWaiting(true);
    showTimesProgress(0, int(names.size()));
    CaptureTimeCache &cache = m_window->captureCache();
    m_timesReader.start([this, &cache, folder, names, generation, cancel = m_timesCancel] {
        QElapsedTimer sinceShown;
        sinceShown.start();
        // A few progress lines a second, queued to the window's thread.
        const auto progress = [&](int done, int total) {
            if (done != total && sinceShown.elapsed() < 100)
                return;
            sinceShown.restart();
            QMetaObject::invokeMethod(
                this,
                [this, generation, done, total] {
                    if (generation == m_timesGeneration && m_timesReading)
                        showTimesProgress(done, total);
                },
                Qt::QueuedConnection);
        };
        auto scan = std::make_shared<CaptureScan>(
            scanCaptureTimes(folder, names, cache, progress, cancel.get()));
        QMetaObject::invokeMethod(
            this, [this, generation, scan] { timesRead(generation, *scan); }, Qt::QueuedConnection);
    });
    return false;
}

void Hptfrm::stopReadingTimes()
{
    if (m_timesCancel)
        *m_timesCancel = true;
    m_timesCancel.reset();
    ++m_timesGeneration; // what a stopped read still reports is dropped
    m_timesReading = false;
    m_timesKnown = false;
    m_timesNames.clear();
    m_timesFolder.clear();
    m_options->setRunWaiting(false);
}

void Hptfrm::showTimesProgress(int done, int total)
{
    m_options->previewModel()->showLine(QStringLiteral("Aufnahmezeiten werden gelesen … %1 von %2")
                                            .arg(germanNumber(done), germanNumber(total)));
}

void Hptfrm::timesRead(int generation, const CaptureScan &scan)
{
    if (generation != m_timesGeneration || !scan.complete)
        return;
    m_times = scan.times;
    m_timesKnown = true;
    m_timesReading = false;
    m_options->setRunWaiting(false);
    schedulePreview();
}
