#pragma once

#include <QAbstractListModel>
#include <QByteArray>
#include <QHash>

#include <vector>

// The rows of the preview: one per selected file, "old name → new name", conflicts in red with
// their reason; or one line that says why the run would stop.
class PreviewModel : public QAbstractListModel
{
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    void showLine(const QString &line);
    // reasons: the row's conflict by file index.
    void showPlan(std::vector<QByteArray> oldNames, std::vector<QByteArray> newNames,
                  QHash<int, QString> reasons);

    int conflictCount() const { return int(m_reasons.size()); }
    // The planned names of row (empty while a line is shown).
    QByteArray oldName(int row) const { return m_oldNames[size_t(row)]; }
    QByteArray newName(int row) const { return m_newNames[size_t(row)]; }
    bool showsLine() const { return !m_line.isEmpty(); }

private:
    QString m_line;
    std::vector<QByteArray> m_oldNames;
    std::vector<QByteArray> m_newNames;
    QHash<int, QString> m_reasons;
};
