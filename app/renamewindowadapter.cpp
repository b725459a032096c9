// SPDX-License-Identifier: GPL-3.0-or-later
#include "renamewindowadapter.h"

#include "filemover.h"
#include "journal.h"
#include "messageboxes.h"
#include "optionspage.h"
#include "selectionpage.h"
#include "switches.h"

#include <QTabBar>
#include <QTabWidget>

RenameWindowAdapter::RenameWindowAdapter(QWidget &window, QTabWidget &tabs,
                                         SelectionPage &selection, OptionsPage &options,
                                         IMessageBoxes &boxes)
    : m_window(window)
    , m_tabs(tabs)
    , m_selection(selection)
    , m_options(options)
    , m_boxes(boxes)
{
    m_sinceRepaint.start();
}

RenameWindowAdapter::~RenameWindowAdapter() = default;

int RenameWindowAdapter::fileCount() const
{
    return m_selection.fileCount();
}

bool RenameWindowAdapter::isFileSelected(int index) const
{
    return m_selection.isFileSelected(index);
}

QByteArray RenameWindowAdapter::fileName(int index) const
{
    return m_selection.fileName(index);
}

void RenameWindowAdapter::clearSelectionToTop()
{
    m_selection.ResetFileSelection();
}

void RenameWindowAdapter::rereadFiles()
{
    m_selection.rereadFiles();
}

QByteArray RenameWindowAdapter::currentFolder() const
{
    return m_selection.currentFolder();
}

static bool onFirstPage(OptionCheck box)
{
    return switchOf(box).page == 0;
}

QString RenameWindowAdapter::optionText(OptionText field) const
{
    return m_options.optionText(field);
}

bool RenameWindowAdapter::optionChecked(OptionCheck box) const
{
    return onFirstPage(box) ? m_selection.displaySwitch(box) : m_options.optionChecked(box);
}

bool RenameWindowAdapter::keepExtensionSelected() const
{
    return m_options.keepExtensionSelected();
}

void RenameWindowAdapter::setOptionText(OptionText field, const QString &text)
{
    m_options.setOptionText(field, text);
}

void RenameWindowAdapter::setOptionChecked(OptionCheck box, bool checked)
{
    if (onFirstPage(box))
        m_selection.setDisplaySwitch(box, checked);
    else
        m_options.setOptionChecked(box, checked);
}

void RenameWindowAdapter::selectKeepExtension()
{
    m_options.selectKeepExtension();
}

std::vector<CaptureTime>
RenameWindowAdapter::captureTimes(const std::vector<QByteArray> &names) const
{
    return scanCaptureTimes(currentFolder(), names, m_captureCache).times;
}

ClockOffsets RenameWindowAdapter::clockOffsets() const
{
    return m_options.clockOffsets();
}

void RenameWindowAdapter::setStatusLine(const QString &caption, StatusLook look)
{
    m_options.setStatusLine(caption, look);
}

MessageAnswer RenameWindowAdapter::messageBox(const QString &prompt, MessageKind kind,
                                              const QString &title)
{
    return m_boxes.show(prompt, kind, title);
}

void RenameWindowAdapter::focusNameField(bool selectText)
{
    m_options.focusNameField(selectText);
}

void RenameWindowAdapter::focusExtensionField()
{
    m_options.focusExtensionField();
}

void RenameWindowAdapter::showFirstPage(bool focusTabStrip)
{
    m_tabs.setCurrentIndex(0);
    if (focusTabStrip)
        m_tabs.tabBar()->setFocus();
}

void RenameWindowAdapter::repaintNow()
{
    // A few repaints a second keep the window drawn (uncovered parts, the busy status line)
    // while a run of thousands of files is not spent painting.
    if (m_sinceRepaint.elapsed() < 250)
        return;
    m_window.repaint();
    m_sinceRepaint.restart();
}

JournalStore *RenameWindowAdapter::journalStore()
{
    if (!m_journal)
        m_journal = std::make_unique<JournalStore>(JournalStore::defaultDirectory(), nullptr,
                                                   JournalStore::formerDirectory());
    return m_journal.get();
}

FileMover &RenameWindowAdapter::fileMover()
{
    if (!m_fileSystemObject)
        m_fileSystemObject = std::make_unique<FileMover>();
    return *m_fileSystemObject;
}
