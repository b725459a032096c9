// SPDX-License-Identifier: GPL-3.0-or-later
#include "folderlist.h"

#include "displayname.h"
#include "folderreader.h"

#include <QHeaderView>
#include <QStyle>

namespace {

constexpr int pathRole = Qt::UserRole;

QByteArray joinPath(const QByteArray &folder, const QByteArray &name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

} // namespace

FolderList::FolderList(QWidget *parent)
    : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setIndentation(12);
    setUniformRowHeights(true);
    setExpandsOnDoubleClick(false);
    header()->setStretchLastSection(true);
    connect(this, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem *item) {
        if (!setPath(item->data(0, pathRole).toByteArray()))
            stayOnReadableFolder();
    });
}

bool FolderList::setPath(const QByteArray &folder)
{
    if (folder.isEmpty() || !folder.startsWith('/') || !canReadFolder(folder))
        return false;
    m_path = folder;
    rebuild();
    emit pathChanged();
    return true;
}

void FolderList::stayOnReadableFolder()
{
    // The tree marks the folder the list shows; where that is gone too, its nearest parent.
    if (canReadFolder(m_path)) {
        rebuild();
        return;
    }
    QByteArray parent = m_path;
    while (parent.size() > 1 && !canReadFolder(parent))
        parent.truncate(std::max<qsizetype>(parent.lastIndexOf('/'), 1));
    setPath(parent);
}

void FolderList::reread()
{
    rebuild();
}

void FolderList::rebuild()
{
    clear();
    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);

    QTreeWidgetItem *parentItem = new QTreeWidgetItem(this, QStringList(QStringLiteral("/")));
    parentItem->setData(0, pathRole, QByteArray("/"));
    parentItem->setIcon(0, openIcon);
    QByteArray walked = "/";
    for (const QByteArray &part : m_path.split('/')) {
        if (part.isEmpty())
            continue;
        walked = joinPath(walked, part);
        auto *item = new QTreeWidgetItem(parentItem, QStringList(displayName(part)));
        item->setData(0, pathRole, walked);
        item->setIcon(0, openIcon);
        parentItem->setExpanded(true);
        parentItem = item;
    }
    QTreeWidgetItem *current = parentItem;
    for (const ListedName &sub : readSubFolders(m_path)) {
        auto *item = new QTreeWidgetItem(current, QStringList(sub.shown()));
        item->setData(0, pathRole, joinPath(m_path, sub.raw));
        item->setIcon(0, closedIcon);
    }
    current->setExpanded(true);
    setCurrentItem(current);
    scrollToItem(current);
}
