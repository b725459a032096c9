// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "renamewindow.h"

#include <QElapsedTimer>

#include <functional>
#include <memory>

class FileMover;
class IMessageBoxes;
class JournalStore;
class OptionsPage;
class QTabWidget;
class QWidget;
class SelectionPage;

// The engine's window operations carried out on the real window: the file list and the
// display switches of the first page, the option controls and the status line of the second,
// the tab control and the window itself. It keeps the window's file mover and run journal.
class RenameWindowAdapter : public IRenameWindow
{
public:
    RenameWindowAdapter(QWidget &window, QTabWidget &tabs, SelectionPage &selection,
                        OptionsPage &options, IMessageBoxes &boxes);
    ~RenameWindowAdapter() override;

    int fileCount() const override;
    bool isFileSelected(int index) const override;
    QByteArray fileName(int index) const override;
    void clearSelectionToTop() override;
    std::shared_ptr<const PreviewedPlan> previewedPlan() const override { return m_previewed; }
    void setPreviewedPlan(std::shared_ptr<const PreviewedPlan> plan)
    {
        m_previewed = std::move(plan);
    }
    void rereadFiles() override;
    QByteArray currentFolder() const override;
    QString optionText(OptionText field) const override;
    bool optionChecked(OptionCheck box) const override;
    bool keepExtensionSelected() const override;
    void setOptionText(OptionText field, const QString &text) override;
    void setOptionChecked(OptionCheck box, bool checked) override;
    void selectKeepExtension() override;
    std::vector<CaptureTime> captureTimes(const std::vector<QByteArray> &names) const override;
    ClockOffsets clockOffsets() const override;
    void setStatusLine(const QString &caption, StatusLook look) override;
    MessageAnswer messageBox(const QString &prompt, MessageKind kind,
                             const QString &title) override;
    void focusNameField(bool selectText) override;
    void focusExtensionField() override;
    void showFirstPage(bool focusTabStrip) override;
    void repaintNow() override;

    // What the runs of this window use: its one mover and the store of its run records, each
    // made on first use and kept for the window's life.
    FileMover &fileMover();
    JournalStore *journalStore();
    // The capture times read for this window, kept for its life; the preview's background scan
    // fills it, the run reads through it.
    CaptureTimeCache &captureCache() { return m_captureCache; }

private:
    QWidget &m_window;
    std::shared_ptr<const PreviewedPlan> m_previewed;
    QTabWidget &m_tabs;
    SelectionPage &m_selection;
    OptionsPage &m_options;
    IMessageBoxes &m_boxes;
    QElapsedTimer m_sinceRepaint;
    std::unique_ptr<FileMover> m_fileSystemObject;
    std::unique_ptr<JournalStore> m_journal;
    mutable CaptureTimeCache m_captureCache;
};
