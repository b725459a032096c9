// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTreeWidget>

// Dir1: the ancestors of the current folder as open folders, then its sub-folders, as an
// indented tree. Opening an entry (double-click or Enter) makes it the current folder.
class FolderList : public QTreeWidget
{
    Q_OBJECT
public:
    explicit FolderList(QWidget *parent = nullptr);

    QByteArray path() const { return m_path; }
    // Shows folder and emits pathChanged, also when the program sets it. A folder that cannot
    // be read is not shown: returns false and nothing changes.
    bool setPath(const QByteArray &folder);
    // Lists the current folder's sub-folders again.
    void reread();

signals:
    void pathChanged();

private:
    void rebuild();
    // After a folder could not be opened: back on the current folder, or the nearest readable
    // parent where that has gone as well.
    void stayOnReadableFolder();

    QByteArray m_path;
};
