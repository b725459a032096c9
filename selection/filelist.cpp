// SPDX-License-Identifier: GPL-3.0-or-later
#include "filelist.h"

#include "syscalls.h"

#include <QItemSelectionModel>

int FileListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

QVariant FileListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return QVariant();
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return m_entries[size_t(index.row())].shown();
    return QVariant();
}

void FileListModel::setEntries(std::vector<ListedName> entries)
{
    beginResetModel();
    m_entries = std::move(entries);
    endResetModel();
}

FileList::FileList(QWidget *parent)
    : QListView(parent)
    , m_model(this)
{
    setModel(&m_model);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setUniformItemSizes(true);
    setLayoutMode(QListView::Batched);
    setBatchSize(1000);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    const auto invalidate = [this] { m_cacheValid = false; };
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, invalidate);
    connect(&m_model, &QAbstractItemModel::modelReset, this, invalidate);
}

void FileList::setFolder(const QByteArray &folder)
{
    m_folder = folder;
    reread();
}

void FileList::setShowHidden(bool show)
{
    m_filter.showHidden = show;
    reread();
}

void FileList::setShowSystem(bool show)
{
    m_filter.showSystem = show;
    reread();
}

void FileList::reread()
{
    m_scan.reset();
    if (!m_folder.isNull())
        m_scan = std::make_shared<const FolderScan>(
            FolderScan::read(m_folder, SysCalls::real(), FolderScan::Details::Listing));
    m_model.setEntries(m_scan ? readFiles(*m_scan, m_filter) : std::vector<ListedName>());
}

int FileList::count() const
{
    return m_model.rowCount();
}

QByteArray FileList::rawName(int index) const
{
    return m_model.entry(index).raw;
}

QString FileList::shownName(int index) const
{
    return m_model.entry(index).shown();
}

bool FileList::isSelected(int index) const
{
    if (!m_cacheValid)
        rebuildSelectedCache();
    return m_selectedCache.at(size_t(index));
}

void FileList::rebuildSelectedCache() const
{
    m_selectedCache.assign(size_t(count()), false);
    for (const QItemSelectionRange &range : selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row)
            m_selectedCache[size_t(row)] = true;
    }
    m_cacheValid = true;
}

void FileList::setSelected(int index, bool selected)
{
    const QModelIndex item = m_model.index(index);
    if (selected) {
        selectionModel()->setCurrentIndex(item, QItemSelectionModel::Select);
        scrollTo(item);
    } else {
        selectionModel()->select(item, QItemSelectionModel::Deselect);
    }
}

void FileList::selectRange(int first, int last)
{
    if (first > last)
        return;
    const QModelIndex lastItem = m_model.index(last);
    selectionModel()->select(QItemSelection(m_model.index(first), lastItem),
                             QItemSelectionModel::Select);
    selectionModel()->setCurrentIndex(lastItem, QItemSelectionModel::NoUpdate);
    scrollTo(lastItem);
}

void FileList::clearAllSelected()
{
    selectionModel()->clearSelection();
}
