// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "folderreader.h"

#include <QAbstractListModel>
#include <QListView>

#include <memory>

// The entries File1 shows; each keeps the raw bytes of its name for the rename.
class FileListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    void setEntries(std::vector<ListedName> entries);
    const ListedName &entry(int row) const { return m_entries[size_t(row)]; }

private:
    std::vector<ListedName> m_entries;
};

// File1: the files of one folder by name, sorted without regard to case, with extended
// multiple selection. Every re-read leaves no entry selected.
class FileList : public QListView
{
    Q_OBJECT
public:
    explicit FileList(QWidget *parent = nullptr);

    // Setting the folder or a flag re-reads the list at once.
    void setFolder(const QByteArray &folder);
    void setShowHidden(bool show);
    void setShowSystem(bool show);
    bool showHidden() const { return m_filter.showHidden; }
    void reread();

    int count() const;
    QByteArray rawName(int index) const;
    QString shownName(int index) const;
    bool isSelected(int index) const;
    // Selecting an entry makes it the current entry and scrolls it into view.
    void setSelected(int index, bool selected);
    // Selects entries first to last at once; the list ends showing the last one.
    void selectRange(int first, int last);
    void clearAllSelected();
    // The read of the folder that the list shows, every entry in it; null without a folder.
    std::shared_ptr<const FolderScan> scan() const { return m_scan; }

private:
    void rebuildSelectedCache() const;

    FileListModel m_model;
    // Selected flags by row, rebuilt from the selection ranges after each change, so that a run
    // reading every row's flag stays linear however the selection was made.
    mutable std::vector<bool> m_selectedCache;
    mutable bool m_cacheValid = false;
    QByteArray m_folder;
    FileFilter m_filter;
    std::shared_ptr<const FolderScan> m_scan;
};
