// SPDX-License-Identifier: GPL-3.0-or-later
#include "previewmodel.h"

#include "displayname.h"

#include <QColor>
#include <QDateTime>
#include <QFont>

int PreviewModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return showsLine() ? 1 : int(m_oldNames.size() + m_unselected.size());
}

QString PreviewModel::timeText(const CaptureTime &time)
{
    const qint64 ms = time.seconds * 1000 + time.nanoseconds / 1000000;
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::LocalTime)
        .toString(time.dateOnly ? QStringLiteral("dd.MM.yyyy")
                                : QStringLiteral("dd.MM.yyyy HH:mm:ss,zzz"));
}

QString PreviewModel::sourceText(CaptureSource source)
{
    switch (source) {
    case CaptureSource::Exif:
        return QStringLiteral("EXIF");
    case CaptureSource::Xmp:
        return QStringLiteral("XMP");
    case CaptureSource::Video:
        return QStringLiteral("Video");
    case CaptureSource::FileDate:
        break;
    }
    return QStringLiteral("Änderungsdatum");
}

QByteArray PreviewModel::oldName(int row) const
{
    const int file = fileOfRow(row);
    return file >= 0 ? m_oldNames[size_t(file)] : m_unselected[size_t(-1 - file)].name;
}

QByteArray PreviewModel::newName(int row) const
{
    const int file = fileOfRow(row);
    return file >= 0 ? m_newNames[size_t(file)] : QByteArray();
}

QVariant PreviewModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return QVariant();
    if (showsLine())
        return role == Qt::DisplayRole || role == Qt::AccessibleTextRole ? QVariant(m_line)
                                                                         : QVariant();
    const int file = fileOfRow(index.row());
    if (file < 0) {
        switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole:
            return QStringLiteral("%1 – nicht ausgewählt")
                .arg(displayName(m_unselected[size_t(-1 - file)].name));
        case Qt::ForegroundRole:
            return QColor(Qt::gray);
        case Qt::ToolTipRole:
        case Qt::AccessibleDescriptionRole:
            return QStringLiteral("Gehört zur Aufnahme darüber und behält ihren Namen.");
        default:
            return QVariant();
        }
    }
    const bool timed = !m_times.empty();
    const bool fileDate = timed && m_times[size_t(file)].source == CaptureSource::FileDate;
    const QByteArray otherLivePhoto
        = size_t(file) < m_otherLivePhotos.size() ? m_otherLivePhotos[size_t(file)] : QByteArray();
    const qint64 correction = timed ? clockCorrection(m_times[size_t(file)], m_clockOffsets) : 0;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: {
        QString text = QStringLiteral("%1 → %2").arg(displayName(m_oldNames[size_t(file)]),
                                                     displayName(m_newNames[size_t(file)]));
        if (timed) {
            QString source = sourceText(m_times[size_t(file)].source);
            if (correction != 0)
                source += QStringLiteral(", ") + clockOffsetMark(correction);
            text += QStringLiteral("   %1 (%2)").arg(timeText(m_times[size_t(file)]), source);
        }
        if (!otherLivePhoto.isEmpty())
            text += QStringLiteral(" – anderes Live Photo als „%1“")
                        .arg(displayName(otherLivePhoto));
        if (const auto reason = m_reasons.constFind(file); reason != m_reasons.cend())
            text += QStringLiteral(" – ") + *reason; // not in a colour and a tooltip alone
        return text;
    }
    case Qt::ForegroundRole:
        return m_reasons.contains(file) ? QVariant(QColor(192, 0, 0)) : QVariant();
    case Qt::FontRole:
        if (!fileDate)
            return QVariant();
        {
            QFont font;
            font.setItalic(true);
            return font;
        }
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole: {
        QStringList parts;
        const auto it = m_reasons.constFind(file);
        if (it != m_reasons.cend())
            parts << *it;
        if (fileDate)
            parts << QStringLiteral("Keine Aufnahmezeit gefunden: verwendet wird das "
                                    "Änderungsdatum der Datei.");
        if (!otherLivePhoto.isEmpty())
            parts << QStringLiteral("Gleicher Name wie „%1“, aber ein anderes Live Photo "
                                    "(andere Kennung): eine eigene Aufnahme.")
                         .arg(displayName(otherLivePhoto));
        if (correction != 0)
            parts << QStringLiteral("Aufnahmezeit um die Korrektur der Kamerauhr (%1) "
                                    "berichtigt.")
                         .arg(clockOffsetMark(correction));
        return parts.isEmpty() ? QVariant() : QVariant(parts.join(QLatin1Char(' ')));
    }
    default:
        return QVariant();
    }
}

void PreviewModel::showLine(const QString &line)
{
    beginResetModel();
    m_line = line;
    m_oldNames.clear();
    m_newNames.clear();
    m_reasons.clear();
    m_times.clear();
    m_clockOffsets.clear();
    m_unselected.clear();
    m_otherLivePhotos.clear();
    m_rowFile.clear();
    endResetModel();
}

void PreviewModel::showPlan(std::vector<QByteArray> oldNames, std::vector<QByteArray> newNames,
                            QHash<int, QString> reasons, std::vector<CaptureTime> times,
                            std::vector<Unselected> unselected,
                            std::vector<QByteArray> otherLivePhotos, ClockOffsets clockOffsets)
{
    beginResetModel();
    m_line.clear();
    m_oldNames = std::move(oldNames);
    m_newNames = std::move(newNames);
    m_reasons = std::move(reasons);
    m_times = std::move(times);
    m_clockOffsets = std::move(clockOffsets);
    m_unselected = std::move(unselected);
    m_otherLivePhotos = std::move(otherLivePhotos);
    m_rowFile.clear();
    if (!m_unselected.empty()) {
        m_rowFile.reserve(m_oldNames.size() + m_unselected.size());
        size_t k = 0;
        for (int file = 0; file < int(m_oldNames.size()); ++file) {
            m_rowFile.push_back(file);
            for (; k < m_unselected.size() && m_unselected[k].afterFile == file; ++k)
                m_rowFile.push_back(-1 - int(k));
        }
        for (; k < m_unselected.size(); ++k) // a shot the plan no longer holds: at the end
            m_rowFile.push_back(-1 - int(k));
    }
    endResetModel();
}
