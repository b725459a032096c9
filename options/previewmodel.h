// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cameraclock.h"
#include "capturetime.h"

#include <QAbstractListModel>
#include <QByteArray>
#include <QHash>

#include <vector>

// The rows of the preview: one per selected file, "old name → new name", conflicts in red with
// their reason; or one line that says why the run would stop. In capture-time order each row
// also shows the capture time and its source, in italics where it is only the file's date; a
// file of a shot that is not selected shows as a row "nicht ausgewählt" after its shot.
class PreviewModel : public QAbstractListModel
{
    Q_OBJECT
public:
    // A listed file that keeps its name although it belongs to a shot of the run; shown after
    // the row of file.
    struct Unselected
    {
        int afterFile;
        QByteArray name;
    };

    using QAbstractListModel::QAbstractListModel;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    void showLine(const QString &line);
    // reasons: the row's conflict by file index; times: by file, or empty; unselected: in the
    // order of afterFile; otherLivePhotos: by file, or empty: the file of the same name that is
    // another Live Photo, which the row names; clockOffsets: what the times were corrected by,
    // shown with their source ("EXIF, +1:02:10").
    void showPlan(std::vector<QByteArray> oldNames, std::vector<QByteArray> newNames,
                  QHash<int, QString> reasons, std::vector<CaptureTime> times = {},
                  std::vector<Unselected> unselected = {},
                  std::vector<QByteArray> otherLivePhotos = {}, ClockOffsets clockOffsets = {});

    int conflictCount() const { return int(m_reasons.size()); }
    // The planned names of row (empty while a line is shown; the new name is empty on a row
    // "nicht ausgewählt").
    QByteArray oldName(int row) const;
    QByteArray newName(int row) const;
    bool showsLine() const { return !m_line.isEmpty(); }

    // "14.07.2026 10:32:05,120" in local time ("14.07.2026" for a day without its time), and
    // "EXIF", "XMP", "Video" or "Änderungsdatum".
    static QString timeText(const CaptureTime &time);
    static QString sourceText(CaptureSource source);

private:
    // The file of row, or -1 - k for the k-th unselected file.
    int fileOfRow(int row) const { return m_rowFile.empty() ? row : m_rowFile[size_t(row)]; }

    QString m_line;
    std::vector<QByteArray> m_oldNames;
    std::vector<QByteArray> m_newNames;
    QHash<int, QString> m_reasons;
    std::vector<CaptureTime> m_times;
    ClockOffsets m_clockOffsets;
    std::vector<Unselected> m_unselected;
    std::vector<QByteArray> m_otherLivePhotos;
    std::vector<int> m_rowFile; // empty when every row is a file of the run
};
