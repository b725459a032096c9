// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "filemover.h"
#include "journal.h"
#include "renamedialogue.h"
#include "renameplan.h"
#include "renamewindow.h"
#include "scriptedboxes.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <vector>

// Readable test failures for Qt strings.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList &l, std::ostream *os)
{
    *os << "{ " << l.join(QStringLiteral(" | ")).toStdString() << " }";
}

// A file mover that records the full paths of every move it is asked for.
class RecordingMover : public FileMover
{
public:
    using FileMover::FileMover;
    QList<QByteArray> moves; // "from -> to"
    int MoveFile(const QByteArray &from, const QByteArray &to) override
    {
        moves << from + " -> " + to;
        return FileMover::MoveFile(from, to);
    }
};

// A stand-in for the main window: controls are plain values, every call is recorded, and
// message boxes are answered from a script (Yes for questions, OK otherwise, when it runs out).
class FakeWindow : public IRenameWindow, public ScriptedBoxes
{
public:
    struct Entry
    {
        QByteArray name;
        bool selected = false;
    };

    QByteArray folder;
    std::vector<Entry> entries;
    std::shared_ptr<const PreviewedPlan> previewed; // what previewedPlan answers
    std::map<OptionText, QString> texts {{OptionText::Text1, QString()},
                                         {OptionText::Text2, QString()},
                                         {OptionText::Text3, QStringLiteral("1")},
                                         {OptionText::Text4, QStringLiteral("2")},
                                         {OptionText::Text5, QStringLiteral("0")}};
    std::map<OptionCheck, bool> checks;
    bool keepExtension = true;
    QString statusCaption = QStringLiteral("Bin bereit ...");
    StatusLook statusLook = StatusLook::Ready;
    QStringList calls; // every operation that changes something, in order
    int repaints = 0;
    // What the window owns for its runs: the mover (made on first use, with sysForMover where
    // a test gives one) and the journal store (none unless a test sets one).
    std::unique_ptr<SysCalls> sysForMover;
    std::unique_ptr<RecordingMover> mover;
    std::unique_ptr<JournalStore> journal;

    // Lists the folder's entries like the file list does (names sorted, nothing selected).
    void list(const std::vector<std::string> &names)
    {
        entries.clear();
        for (const auto &n : names)
            entries.push_back({QByteArray::fromStdString(n), false});
    }
    void select(std::initializer_list<int> indexes)
    {
        for (int i : indexes)
            entries.at(size_t(i)).selected = true;
    }
    void selectAll()
    {
        for (auto &e : entries)
            e.selected = true;
    }
    std::function<std::vector<std::string>()> lister; // what rereadFiles lists

    int fileCount() const override { return int(entries.size()); }
    bool isFileSelected(int index) const override { return entries.at(size_t(index)).selected; }
    QByteArray fileName(int index) const override { return entries.at(size_t(index)).name; }
    void clearSelectionToTop() override
    {
        calls << QStringLiteral("clearSelectionToTop");
        for (auto &e : entries)
            e.selected = false;
    }
    std::shared_ptr<const PreviewedPlan> previewedPlan() const override { return previewed; }
    // Shows the plan of the run as it stands now, as the window's preview does.
    void preview()
    {
        PlanInput input = PlanInput::read(*this);
        auto scan = std::make_shared<const FolderScan>(FolderScan::read(folder, SysCalls::real()));
        RenamePlan plan = buildPlan(input, *scan);
        previewed = std::make_shared<const PreviewedPlan>(
            PreviewedPlan {std::move(input), std::move(scan), std::move(plan)});
    }
    void rereadFiles() override
    {
        calls << QStringLiteral("rereadFiles");
        if (lister)
            list(lister());
    }
    QByteArray currentFolder() const override { return folder; }
    QString optionText(OptionText field) const override { return texts.at(field); }
    bool optionChecked(OptionCheck box) const override
    {
        const auto it = checks.find(box);
        return it != checks.end() && it->second;
    }
    bool keepExtensionSelected() const override { return keepExtension; }
    void setOptionText(OptionText field, const QString &text) override
    {
        calls << QStringLiteral("setText%1=%2").arg(int(field) + 1).arg(text);
        texts[field] = text;
    }
    void setOptionChecked(OptionCheck box, bool checked) override
    {
        calls << QStringLiteral("setCheck%1=%2").arg(int(box) + 1).arg(checked);
        checks[box] = checked;
    }
    void selectKeepExtension() override
    {
        calls << QStringLiteral("selectKeepExtension");
        keepExtension = true;
    }
    mutable CaptureTimeCache captureCache; // the window's, kept for its life
    std::vector<CaptureTime> captureTimes(const std::vector<QByteArray> &names) const override
    {
        std::vector<CaptureTime> times;
        times.reserve(names.size());
        for (const QByteArray &name : names)
            times.push_back(captureCache.get(folder, name));
        return times;
    }
    ClockOffsets offsets; // what clockOffsets answers
    ClockOffsets clockOffsets() const override { return offsets; }
    void setStatusLine(const QString &caption, StatusLook look) override
    {
        calls << QStringLiteral("status=") + caption;
        statusCaption = caption;
        statusLook = look;
    }
    MessageAnswer messageBox(const QString &prompt, MessageKind kind, const QString &title) override
    {
        calls << QStringLiteral("message:") + title;
        return show(prompt, kind, title);
    }
    void focusNameField(bool selectText) override
    {
        calls << QStringLiteral("focusText2")
                + (selectText ? QStringLiteral("+select") : QString());
    }
    void focusExtensionField() override { calls << QStringLiteral("focusText1+select"); }
    void showFirstPage(bool focusTabStrip) override
    {
        calls << QStringLiteral("page0")
                + (focusTabStrip ? QStringLiteral("+tabstrip") : QString());
    }
    void repaintNow() override { ++repaints; }
    RecordingMover &fileMover()
    {
        if (!mover)
            mover = sysForMover ? std::make_unique<RecordingMover>(std::move(sysForMover))
                                : std::make_unique<RecordingMover>();
        return *mover;
    }
    // Whether no move was asked for.
    bool movedNothing() const { return !mover || mover->moves.isEmpty(); }
};

// "Dateien umbenennen >>" in the fake window, with its mover and journal store.
inline void runRename(FakeWindow &window)
{
    runRename(window, window.fileMover(), window.journal.get());
}
