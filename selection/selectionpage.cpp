// SPDX-License-Identifier: GPL-3.0-or-later
// The page of file selection: its controls, their connections and what the window and a run
// read and change on it. The handlers are in selectionhandlers.cpp.

#include "selectionpage.h"

#include "drivelist.h"
#include "filelist.h"
#include "focuslosswatch.h"
#include "folderlist.h"
#include "messageboxes.h"
#include "switches.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QVBoxLayout>

namespace {

template<typename T> T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QLabel *centredLabel(const QString &text, const char *name)
{
    auto *label = named(new QLabel(text), name);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

SelectionPage::SelectionPage(IMessageBoxes &boxes, QWidget *parent)
    : QWidget(parent)
    , m_boxes(boxes)
{
    setObjectName(QStringLiteral("SelectionPage"));
    buildControls();
    connectHandlers();
}

void SelectionPage::buildControls()
{
    const int charWidth = fontMetrics().averageCharWidth();
    const int lineHeight = fontMetrics().height();
    Label1 = named(new QLabel(QStringLiteral(
                       "Bitte wählen Sie die Dateien aus, die umbenannt werden sollen:")),
                   "Label1");
    Drive1 = named(new DriveList, "Drive1");
    // A screen reader on Linux names a combo box by its current text and finds what it is for
    // in the label whose buddy it is; the label takes its room from the list's width.
    Label10 = named(new QLabel(QStringLiteral("Laufwerk:")), "Label10");
    Label10->setBuddy(Drive1);
    const int labelGap = charWidth;
    const int labelRoom = Label10->sizeHint().width() + labelGap;
    Drive1->setAccessibleName(QStringLiteral("Laufwerk"));
    Drive1->setMinimumWidth(32 * charWidth - labelRoom);
    Drive1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Drive1->setMinimumContentsLength(28);
    Drive1->giveWidthToLabel(labelRoom);
    Dir1 = named(new FolderList, "Dir1");
    Dir1->setAccessibleName(QStringLiteral("Ordner"));
    Dir1->setMinimumSize(32 * charWidth, 16 * lineHeight);
    File1 = named(new FileList, "File1");
    File1->setAccessibleName(QStringLiteral("Dateien"));
    File1->setMinimumSize(48 * charWidth, 12 * lineHeight);
    Label1->setBuddy(File1);
    Label6 = centredLabel(QStringLiteral("F5 -> Aktualisieren"), "Label6");
    Command1 = named(new QPushButton(QStringLiteral("Alle auswählen")), "Command1");
    Command2 = named(new QPushButton(QStringLiteral("Keine auswählen")), "Command2");
    Command7 = named(new QPushButton(QStringLiteral("&Letzte Umbenennung rückgängig")), "Command7");
    Command7->setAccessibleName(QStringLiteral("Letzte Umbenennung rückgängig"));
    Command7->setEnabled(false);
    Label7 = centredLabel(QStringLiteral("Dateianzeige"), "Label7");
    for (const Switch &s : switches) {
        if (s.page == 0)
            m_switches.push_back(named(new QCheckBox(QString::fromUtf8(s.caption)), s.objectName));
    }
    Check3 = displaySwitchBox(OptionCheck::Check3);
    Check4 = displaySwitchBox(OptionCheck::Check4);
    Command3 = named(new QPushButton(QStringLiteral("weiter >>")), "Command3");

    auto *buttons = new QGridLayout;
    buttons->addWidget(Label6, 0, 0, 1, 2);
    buttons->addWidget(Command1, 1, 0);
    buttons->addWidget(Command2, 1, 1);
    buttons->addWidget(Command7, 2, 0, 1, 2);
    auto *display = new QVBoxLayout;
    display->addWidget(Label7);
    for (QCheckBox *box : m_switches)
        display->addWidget(box);
    auto *underFiles = new QHBoxLayout;
    underFiles->addLayout(buttons);
    underFiles->addSpacing(2 * charWidth);
    underFiles->addLayout(display);
    underFiles->addStretch();

    auto *drive = new QHBoxLayout;
    drive->setSpacing(labelGap);
    drive->addWidget(Label10);
    drive->addWidget(Drive1, 1);
    auto *left = new QVBoxLayout;
    left->addLayout(drive);
    left->addWidget(Dir1, 1);
    auto *right = new QVBoxLayout;
    right->addWidget(File1, 1);
    right->addLayout(underFiles);
    auto *step = new QHBoxLayout;
    step->addStretch();
    step->addWidget(Command3);
    right->addLayout(step);

    auto *columns = new QHBoxLayout;
    columns->addLayout(left, 2);
    columns->addLayout(right, 3);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addLayout(columns, 1);
}

void SelectionPage::connectHandlers()
{
    connect(Drive1, &QComboBox::currentIndexChanged, this, &SelectionPage::Drive1_Change);
    connect(Dir1, &FolderList::pathChanged, this, &SelectionPage::Dir1_Change);
    connect(Command1, &QPushButton::clicked, this, &SelectionPage::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &SelectionPage::Command2_Click);
    connect(Check3, &QCheckBox::toggled, this, &SelectionPage::Check3_Click);
    connect(Check4, &QCheckBox::toggled, this, &SelectionPage::Check4_Click);
    connect(Command3, &QPushButton::clicked, this, &SelectionPage::Command3_Click);
    new FocusLossWatch(*Command3, *this,
                       [this](Qt::FocusReason reason) { Command3_LostFocus(reason); });
    connect(Command7, &QPushButton::clicked, this, &SelectionPage::Command7_Click);

    connect(File1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &SelectionPage::selectionChanged);
    connect(File1->model(), &QAbstractItemModel::modelReset, this, &SelectionPage::filesReread);
}

void SelectionPage::startIn(const QByteArray &folder)
{
    Drive1->setDriveOf(folder);
    if (!Dir1->setPath(folder) && !Dir1->setPath(Drive1->currentDrive()))
        Dir1->setPath("/");
}

bool SelectionPage::openFolder(const QByteArray &folder)
{
    return Dir1->setPath(folder);
}

bool SelectionPage::selectFiles(const QList<QByteArray> &names)
{
    const QSet<QByteArray> wanted(names.begin(), names.end());
    File1->clearAllSelected();
    qsizetype found = 0;
    const int n = File1->count();
    for (int i = 0; i < n; ++i) {
        if (wanted.contains(File1->rawName(i))) {
            File1->setSelected(i, true);
            ++found;
        }
    }
    return found == wanted.size();
}

int SelectionPage::fileCount() const
{
    return File1->count();
}

bool SelectionPage::isFileSelected(int index) const
{
    return File1->isSelected(index);
}

QByteArray SelectionPage::fileName(int index) const
{
    return File1->rawName(index);
}

std::shared_ptr<const FolderScan> SelectionPage::folderScan() const
{
    return File1->scan();
}

QByteArray SelectionPage::currentFolder() const
{
    return Dir1->path();
}

void SelectionPage::rereadFiles()
{
    File1->reread();
}

QCheckBox *SelectionPage::displaySwitchBox(OptionCheck box) const
{
    const QLatin1String name(switchOf(box).objectName);
    for (QCheckBox *made : m_switches) {
        if (made->objectName() == name)
            return made;
    }
    return nullptr;
}

bool SelectionPage::displaySwitch(OptionCheck box) const
{
    return displaySwitchBox(box)->isChecked();
}

void SelectionPage::setDisplaySwitch(OptionCheck box, bool on)
{
    displaySwitchBox(box)->setChecked(on);
}

void SelectionPage::setUndoEnabled(bool enabled)
{
    Command7->setEnabled(enabled);
}
