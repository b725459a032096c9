// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "renamewindow.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QWidget>

#include <memory>

#include <vector>

class DriveList;
class FileList;
class FolderScan;
class FolderList;
class IMessageBoxes;
class QCheckBox;
class QLabel;
class QPushButton;

// The page "Schritt 1: Dateien auswählen": volume, folder and file lists chained together,
// selecting all or none, the display of hidden and system files, the undo of the last run and
// "weiter >>". Its handlers carry the names of control and event; the window around it follows
// its signals.
class SelectionPage : public QWidget
{
    Q_OBJECT
public:
    // boxes asks the display switches' question; it outlives the page.
    explicit SelectionPage(IMessageBoxes &boxes, QWidget *parent = nullptr);

    // Starts in folder, on the volume that holds it; where that cannot be read, on the volume's
    // root, and else on "/".
    void startIn(const QByteArray &folder);
    // Shows folder as if chosen in the folder list: the volume list follows, the file list reads
    // it with nothing selected. False when it cannot be read; then nothing changes.
    bool openFolder(const QByteArray &folder);
    // Selects exactly the files of the list named in names; false when one of them is not
    // listed (the others are selected all the same).
    bool selectFiles(const QList<QByteArray> &names);

    // The file list and the folder it shows, as a run reads them; names are raw bytes.
    int fileCount() const;
    bool isFileSelected(int index) const;
    QByteArray fileName(int index) const;
    QByteArray currentFolder() const;
    // The read of the folder the file list shows (every entry, hidden ones included), for a
    // preview that checks names against the folder without reading it again.
    std::shared_ptr<const FolderScan> folderScan() const;
    // Reads the folder again under the same filters; nothing is selected afterwards.
    void rereadFiles();
    // Selects entry 0 and unselects it at once: nothing selected, the list at its top.
    void ResetFileSelection();
    // F5: volumes, folders and files read again, nothing selected.
    void refreshLists();

    // The switches of this page in the table of switches: Check3 ("Versteckte Dateien") and
    // Check4 ("Systemdateien").
    bool displaySwitch(OptionCheck box) const;
    void setDisplaySwitch(OptionCheck box, bool on);

    // Command7, "Letzte Umbenennung rückgängig".
    void setUndoEnabled(bool enabled);

signals:
    void forwardRequested(); // "weiter >>" pressed
    // "weiter >>" lost the focus other than by its own click: this page stays shown, the focus
    // goes to the tab strip.
    void stayRequested();
    void undoRequested(); // Command7 pressed
    void selectionChanged(); // of the file list
    void filesReread(); // the file list read its folder anew

private slots:
    void Drive1_Change();
    void Dir1_Change();
    void Command1_Click();
    void Command2_Click();
    void Check3_Click();
    void Check4_Click();
    void Command3_Click();
    void Command3_LostFocus(Qt::FocusReason reason);
    void Command7_Click();

private:
    void buildControls();
    void connectHandlers();
    void hiddenOrSystemSwitched(QCheckBox *box, void (FileList::*setFlag)(bool));
    QCheckBox *displaySwitchBox(OptionCheck box) const;

    IMessageBoxes &m_boxes;
    QLabel *Label1, *Label6, *Label7;
    QLabel *Label10; // "Laufwerk:", the label of Drive1
    DriveList *Drive1;
    FolderList *Dir1;
    FileList *File1;
    QPushButton *Command1, *Command2;
    QPushButton *Command7; // "Letzte Umbenennung rückgängig"
    std::vector<QCheckBox *> m_switches; // made from the table, in its order
    QCheckBox *Check3, *Check4;
    QPushButton *Command3; // "weiter >>"
    bool m_forwardClicked = false; // set by "weiter >>", cleared by its next loss of focus
    QHash<QByteArray, QByteArray> m_lastFolderOfDrive; // in this use only
};
