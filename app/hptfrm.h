// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "capturetime.h"

#include <QByteArray>
#include <QList>
#include <QThreadPool>
#include <QWidget>

#include <atomic>
#include <memory>
#include <vector>

class FolderScan;
class IMessageBoxes;
class OptionsPage;
class QGroupBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QTextBrowser;
class RenameWindowAdapter;
class SelectionPage;

// The program's one window: the tab control with the pages "Schritt 1" (SelectionPage),
// "Schritt 2" (OptionsPage) and the information page, the version line and "Ende". It moves
// between the pages, starts and undoes runs, keeps the preview up to date and runs start-up
// and shut-down. Its handlers carry the names of control and event.
class Hptfrm : public QWidget
{
    Q_OBJECT
public:
    // boxes, when given, answer every message box and outlive the window (tests); by default
    // real dialogs.
    explicit Hptfrm(IMessageBoxes *boxes = nullptr, QWidget *parent = nullptr);
    ~Hptfrm() override;

    // Shows folder on the first page as if chosen in the folder list (volume and tree follow),
    // with exactly the files named in names selected (none when names is empty). False when
    // the folder cannot be read (nothing changes) or a name is not in it.
    bool openFolder(const QByteArray &folder, const QList<QByteArray> &names = {});

    // Start on what the command line named (after Form_Load), or on what was dropped on the
    // window: shows folder as if chosen in Dir1 and selects exactly the files of that folder
    // whose raw names are in files. Returns the warning about what could not be opened or
    // selected, empty when all could; the caller shows it.
    QString openAtStart(const QByteArray &folder, const std::vector<QByteArray> &files);
    // A warning box "Achtung!" over the window, for what the command line asked in vain.
    void warnAtStart(const QString &message);

    // The version line: a lead-in, then "Release " and major.minor.revision.
    static QString versionLine();

protected:
    void closeEvent(QCloseEvent *event) override;
    // Files or a folder dragged from a file manager open as if passed at start.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    void Command6_Click();

private:
    void buildControls();
    void buildPage2(QWidget *page);
    void setFocusOrder();
    void connectHandlers();
    void showPage(int page, bool focusTabStrip);
    void forward();
    void renameSelectedFiles();
    // "Kamerauhren ...": the dialogue over the selected files and their capture times.
    void editCameraClocks();

    void schedulePreview();
    void updatePreview();
    // Whether the capture times of names in folder are known; otherwise starts reading them in
    // the background (unless that read is already running), and the preview waits for it.
    bool captureTimesKnown(const QByteArray &folder, const std::vector<QByteArray> &names);
    void stopReadingTimes();
    void showTimesProgress(int done, int total);
    void timesRead(int generation, const CaptureScan &scan);
    void recoverInterruptedRun();
    void updateUndoButton();
    void undoLastRun();
    void showFolder(const QByteArray &folder);
    // arguments: "--" and the dropped URLs.
    void openDropped(const std::vector<QByteArray> &arguments);

    void Form_Load();
    void Form_Unload();
    void Form_KeyDown(int keyCode);

    std::unique_ptr<IMessageBoxes> m_realBoxes;
    IMessageBoxes *m_boxes;
    QTabWidget *SSTab1;
    SelectionPage *m_selection; // page 0
    OptionsPage *m_options; // page 1
    QGroupBox *Frame3, *Frame4;
    QTextBrowser *RichTextBox1, *RichTextBox2;
    QLabel *lblVersion;
    QPushButton *Command6; // "Ende"
    std::unique_ptr<RenameWindowAdapter> m_window; // what a run sees of this window
    bool m_unloaded = false;
    // The folder as the file list read it: read once per folder shown, not per keystroke.
    std::shared_ptr<const FolderScan> m_previewScan;
    bool m_previewPending = false;
    bool m_previewStale = true;

    // The capture times of the selection, read off the window's thread through the cache of
    // m_window; one read at a time, the newest wins.
    QThreadPool m_timesReader;
    std::shared_ptr<std::atomic<bool>> m_timesCancel;
    int m_timesGeneration = 0;
    QByteArray m_timesFolder; // what the times are of, or are being read for
    std::vector<QByteArray> m_timesNames;
    std::vector<CaptureTime> m_times;
    bool m_timesKnown = false;
    bool m_timesReading = false;
};
