// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cameraclock.h"

#include <QByteArray>
#include <QDialog>

#include <vector>

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;

// The dialogue "Kamerauhren": one row per camera body among the selected files, with its number
// of files, its first and last capture time and the offset of its clock ("+T HH:MM:SS", shown
// as "Korrektur": what is added to its times), typed or found from a photo of a clock or from
// two photos taken at the same moment. OK is enabled while every offset reads.
class CameraClocksDialog : public QDialog
{
    Q_OBJECT
public:
    // names and times: the selected files with their capture times as read; offsets: the
    // remembered ones, offered for the bodies shown.
    CameraClocksDialog(std::vector<QByteArray> names, std::vector<CaptureTime> times,
                       const ClockOffsets &offsets, QWidget *parent = nullptr);

    // The offset of each body shown, as its field reads (0 included).
    ClockOffsets offsets() const;

private slots:
    void offsetEdited();

private:
    void fromClockPhoto(int row);
    void fromSimultaneousShots(int row);
    // The row's offset as its field reads, 0 where it does not.
    qint64 rowOffset(int row) const;
    // "IMG_0001.JPG – 01.07.2024 13:02:10" for the file.
    QString fileText(int file) const;
    // A list of the photos of body, each with its file index as data.
    QComboBox *photoList(const CameraBody &body) const;

    std::vector<QByteArray> m_names;
    std::vector<CaptureTime> m_times;
    CameraBodies m_bodies;
    std::vector<QLineEdit *> m_offsetFields; // by row (body)
    QLabel *m_hint;
    QDialogButtonBox *m_buttons;
};
