#include "previewmodel.h"

#include "displayname.h"

#include <QColor>

int PreviewModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return showsLine() ? 1 : int(m_oldNames.size());
}

QVariant PreviewModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return QVariant();
    if (showsLine())
        return role == Qt::DisplayRole || role == Qt::AccessibleTextRole ? QVariant(m_line)
                                                                         : QVariant();
    const int row = index.row();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return QStringLiteral("%1 → %2").arg(displayName(m_oldNames[size_t(row)]),
                                             displayName(m_newNames[size_t(row)]));
    case Qt::ForegroundRole:
        return m_reasons.contains(row) ? QVariant(QColor(192, 0, 0)) : QVariant();
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole: {
        const auto it = m_reasons.constFind(row);
        return it == m_reasons.cend() ? QVariant() : QVariant(*it);
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
    endResetModel();
}

void PreviewModel::showPlan(std::vector<QByteArray> oldNames, std::vector<QByteArray> newNames,
                            QHash<int, QString> reasons)
{
    beginResetModel();
    m_line.clear();
    m_oldNames = std::move(oldNames);
    m_newNames = std::move(newNames);
    m_reasons = std::move(reasons);
    endResetModel();
}
