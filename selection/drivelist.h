// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QComboBox>

// Drive1: the mounted volumes that hold files, each shown as its mount point and, where it
// has one, its label.
class DriveList : public QComboBox
{
    Q_OBJECT
public:
    explicit DriveList(QWidget *parent = nullptr);

    // Mount point of the chosen volume.
    QByteArray currentDrive() const;
    // Chooses the volume that holds path; emits currentIndexChanged when that is another one.
    void setDriveOf(const QByteArray &path);
    // Lists the volumes again, keeping the chosen one where it is still mounted; quietly.
    void reread();
    // Mount point of the volume that holds path (the longest listed mount point above it).
    QByteArray driveOf(const QByteArray &path) const;

    // The list asks for width less the room of its label beside it, so that the two take the
    // width the list alone would.
    void giveWidthToLabel(int width) { m_labelRoom = width; }
    QSize sizeHint() const override { return QComboBox::sizeHint() - QSize(m_labelRoom, 0); }
    QSize minimumSizeHint() const override
    {
        return QComboBox::minimumSizeHint() - QSize(m_labelRoom, 0);
    }

private:
    int m_labelRoom = 0;
};
