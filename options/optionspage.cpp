// SPDX-License-Identifier: GPL-3.0-or-later
// The page of the rename options: its controls, their connections, the remembered switches and
// what a run reads and changes on it. The handlers are in optionhandlers.cpp.

#include "optionspage.h"

#include "capturedays.h"
#include "fieldedit.h"
#include "focuslosswatch.h"
#include "messageboxes.h"
#include "previewmodel.h"
#include "renameplan.h"
#include "switches.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace {

const QColor busyRed(192, 0, 0);
constexpr int nameFieldLength = 230; // what the user can type into Text2
const QString dayStartKey = QStringLiteral("TagBeginn");

QColor menuBarColour()
{
    return QApplication::palette("QMenuBar").color(QPalette::Window);
}

template<typename T> T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// The remembered switches of the table in the order start-up reads and shut-down writes them.
std::vector<const Switch *> rememberedSwitches()
{
    std::vector<const Switch *> stored;
    for (const Switch &s : switches) {
        if (s.settingsKey)
            stored.push_back(&s);
    }
    std::sort(stored.begin(), stored.end(),
              [](const Switch *a, const Switch *b) { return a->keyOrder < b->keyOrder; });
    return stored;
}

} // namespace

OptionsPage::OptionsPage(IMessageBoxes &boxes, QWidget *parent)
    : QWidget(parent)
    , m_boxes(boxes)
{
    setObjectName(QStringLiteral("OptionsPage"));
    buildControls();
    connectHandlers();
}

void OptionsPage::buildControls()
{
    const int charWidth = fontMetrics().averageCharWidth();
    Frame1 = named(new QGroupBox(QStringLiteral("Neuer Dateiname ...")), "Frame1");
    Label2 = named(new QLabel(QStringLiteral("Neuer Dateiname:")), "Label2");
    Label3 = named(new QLabel(QStringLiteral("Startzahl:")), "Label3");
    Label4 = named(new QLabel(QStringLiteral("Anzahl der Stellen:")), "Label4");
    Text2 = named(new FieldEdit, "Text2");
    Text2->setMaxLength(nameFieldLength);
    // A longer name written back by a run is shown whole; the limit follows the text down again
    // and typing never makes it longer.
    connect(Text2, &QLineEdit::textChanged, this, &OptionsPage::limitName);
    Text3 = named(new FieldEdit(QStringLiteral("1")), "Text3");
    Text3->setMaxLength(5);
    Text4 = named(new FieldEdit(QStringLiteral("2")), "Text4");
    Text4->setMaxLength(1);
    for (FieldEdit *field : {Text3, Text4}) {
        field->setAlignment(Qt::AlignCenter);
        field->setFixedWidth(9 * charWidth);
    }
    Label2->setBuddy(Text2);
    Label3->setBuddy(Text3);
    Label4->setBuddy(Text4);
    Text2->setAccessibleName(Label2->text());
    Text3->setAccessibleName(Label3->text());
    Text4->setAccessibleName(Label4->text());
    std::vector<QCheckBox *> column; // the switches in their order, beside the number fields
    for (const Switch &s : switches) {
        if (s.page != 1)
            continue;
        auto *box = named(new QCheckBox(QString::fromUtf8(s.caption)), s.objectName);
        box->setAccessibleName(box->text());
        m_switches[int(s.box)] = box;
        column.push_back(box);
    }
    Check1 = checkBox(OptionCheck::Check1);
    Label11 = named(new QLabel(QStringLiteral("Tag beginnt um")), "Label11");
    Text5 = named(new QSpinBox, "Text5");
    Text5->setRange(0, 23);
    Text5->setAlignment(Qt::AlignCenter);
    Text5->setFixedWidth(9 * charWidth);
    Label11->setBuddy(Text5);
    Text5->setAccessibleName(Label11->text());

    auto *nameRow = new QHBoxLayout;
    nameRow->addWidget(Label2);
    nameRow->addWidget(Text2, 1);
    auto *numbers = new QGridLayout;
    numbers->addWidget(Label3, 0, 0);
    numbers->addWidget(Text3, 0, 1);
    numbers->addWidget(Label4, 1, 0);
    numbers->addWidget(Text4, 1, 1);
    numbers->setColumnStretch(2, 1); // an enlarged window leaves the fields beside their labels
    numbers->addWidget(Label11, 2, 0);
    numbers->addWidget(Text5, 2, 1);
    // Under the number fields, where the column of switches leaves room.
    Command8 = named(new QPushButton(QStringLiteral("Kamerauhren ...")), "Command8");
    Command8->setAccessibleName(Command8->text());
    numbers->addWidget(Command8, 3, 0, 1, 2, Qt::AlignLeft | Qt::AlignTop);
    numbers->setRowStretch(4, 1);
    // The switches of the capture time, from "nach Aufnahmezeit nummerieren" on, below the
    // others: the first two in the columns above them, those that follow side by side in rows
    // of their own, so that the page stays narrow and grows by as few rows as they fill.
    auto *checks = new QVBoxLayout;
    const QCheckBox *const captureOrder = checkBox(OptionCheck::Check8);
    const size_t inColumn
        = size_t(std::find(column.begin(), column.end(), captureOrder) - column.begin());
    for (size_t i = 0; i < inColumn; ++i)
        checks->addWidget(column[i]);
    auto *lower = new QGridLayout;
    lower->addLayout(numbers, 0, 0);
    lower->setColumnStretch(1, 1);
    lower->addLayout(checks, 0, 2);
    lower->addWidget(column[inColumn], 1, 0);
    lower->addWidget(column[inColumn + 1], 1, 2);
    for (size_t i = inColumn + 2; i < column.size(); i += 2) {
        auto *row = new QHBoxLayout;
        for (size_t j = i; j < std::min(i + 2, column.size()); ++j)
            row->addWidget(column[j]);
        row->addStretch(1);
        lower->addLayout(row, 2 + int(i - inColumn - 2) / 2, 0, 1, 3);
    }
    auto *frame1 = new QVBoxLayout(Frame1);
    frame1->addLayout(nameRow);
    frame1->addLayout(lower);

    Frame2 = named(new QGroupBox(QStringLiteral("Neue Dateiendung ...")), "Frame2");
    Optionbtn1 = named(new QRadioButton(QStringLiteral("Dateiendungen beibehalten")), "Optionbtn1");
    Optionbtn2 = named(new QRadioButton(QStringLiteral("Dateiendungen ändern in:")), "Optionbtn2");
    Text1 = named(new FieldEdit, "Text1");
    Text1->setMaxLength(4);
    Text1->setAlignment(Qt::AlignCenter);
    Text1->setFixedWidth(9 * charWidth);
    Text1->setEnabled(false);
    Text1->setAccessibleName(QStringLiteral("Neue Dateiendung"));
    auto *frame2 = new QGridLayout(Frame2);
    frame2->addWidget(Optionbtn1, 0, 0, 1, 2);
    frame2->addWidget(Optionbtn2, 1, 0);
    frame2->addWidget(Text1, 1, 1);
    frame2->setColumnStretch(2, 1);

    Frame5 = named(new QGroupBox(QStringLiteral("Status")), "Frame5");
    Label5 = named(new QLabel(readyCaption()), "Label5");
    Label5->setAlignment(Qt::AlignCenter);
    Label5->setAutoFillBackground(true);
    Label5->setMinimumHeight(fontMetrics().height() + 8);
    setStatusLine(Label5->text(), StatusLook::Ready);
    auto *frame5 = new QVBoxLayout(Frame5);
    frame5->addWidget(Label5);

    Command5 = named(new QPushButton(QStringLiteral("Dateien umbenennen >>")), "Command5");
    Command4 = named(new QPushButton(QStringLiteral("<< zurück")), "Command4");

    m_preview = new PreviewModel(this);
    Label8 = named(new QLabel(QStringLiteral("Vorschau")), "Label8");
    List1 = named(new QListView, "List1");
    List1->setModel(m_preview);
    List1->setUniformItemSizes(true);
    List1->setLayoutMode(QListView::Batched);
    List1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    List1->setAccessibleName(QStringLiteral("Vorschau"));
    // Seven rows at the least: with the switches of the capture day the page still fits a
    // window of 1280x720 with a title bar and a panel.
    List1->setMinimumHeight(7 * fontMetrics().height());
    Label8->setBuddy(List1);
    Label9 = named(new QLabel, "Label9");
    auto *preview = new QVBoxLayout;
    preview->addWidget(Label8);
    preview->addWidget(List1, 1);
    preview->addWidget(Label9);

    // Frame2 and the status side by side, the preview below them; the two buttons at the
    // bottom, "<< zurück" where "weiter >>" stands on the first page.
    auto *grid = new QGridLayout;
    grid->addWidget(Frame2, 0, 0);
    grid->addWidget(Frame5, 0, 1, 1, 2, Qt::AlignTop);
    grid->addLayout(preview, 1, 0, 1, 3);
    grid->setRowStretch(1, 1);
    grid->addWidget(Command5, 2, 1, Qt::AlignLeft);
    grid->addWidget(Command4, 2, 2, Qt::AlignRight);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Frame1);
    layout->addLayout(grid, 1);
}

void OptionsPage::connectHandlers()
{
    connect(Command4, &QPushButton::clicked, this, &OptionsPage::Command4_Click);
    new FocusLossWatch(*Command4, *this,
                       [this](Qt::FocusReason reason) { Command4_LostFocus(reason); });
    connect(Command5, &QPushButton::clicked, this, &OptionsPage::Command5_Click);
    connect(Command8, &QPushButton::clicked, this, &OptionsPage::Command8_Click);

    // Every remembered switch writes its key first; Check1 then locks or unlocks Text4.
    for (const Switch &s : switches) {
        if (s.page == 1 && s.settingsKey)
            connect(checkBox(s.box), &QCheckBox::toggled, this,
                    [this, box = s.box] { writeSwitch(box); });
    }
    connect(Check1, &QCheckBox::toggled, this, &OptionsPage::Check1_Click);
    connect(checkBox(OptionCheck::Check8), &QCheckBox::toggled, this, &OptionsPage::Check8_Click);
    Check8_Click();
    connect(checkBox(OptionCheck::Check10), &QCheckBox::toggled, this, &OptionsPage::limitName);
    connect(Text5, &QSpinBox::valueChanged, this, &OptionsPage::Text5_Change);
    connect(Optionbtn1, &QRadioButton::toggled, this, &OptionsPage::Optionbtn1_Click);
    connect(Optionbtn2, &QRadioButton::toggled, this, &OptionsPage::Optionbtn2_Click);
    connect(Text3, &QLineEdit::textChanged, this, &OptionsPage::Text3_Change);
    connect(Text4, &QLineEdit::textChanged, this, &OptionsPage::Text4_Change);
    connect(Text3, &FieldEdit::gotFocus, this, &OptionsPage::Text3_GotFocus);
    connect(Text4, &FieldEdit::gotFocus, this, &OptionsPage::Text4_GotFocus);

    // Everything that shapes the new names, after its own reaction.
    for (FieldEdit *field : {Text1, Text2, Text3, Text4})
        connect(field, &QLineEdit::textChanged, this, &OptionsPage::namesChanged);
    for (QAbstractButton *button : m_switches) {
        if (button)
            connect(button, &QAbstractButton::toggled, this, &OptionsPage::namesChanged);
    }
    for (QAbstractButton *button : {Optionbtn1, Optionbtn2})
        connect(button, &QAbstractButton::toggled, this, &OptionsPage::namesChanged);
    connect(Text5, &QSpinBox::valueChanged, this, &OptionsPage::namesChanged);
}

void OptionsPage::loadFirstState()
{
    Optionbtn1->setChecked(true);
    setLocked(Text1, true);
    for (const Switch *stored : rememberedSwitches()) {
        const QString text = m_settings.read(QLatin1String(stored->settingsKey),
                                             SettingsStore::switchText(stored->byDefault));
        if (!SettingsStore::isSwitchOn(text))
            continue;
        checkBox(stored->box)->setChecked(true);
        if (stored->box == OptionCheck::Check1)
            setLocked(Text4, true);
    }
    // Only a whole hour of the day, as written, counts; anything else is 0.
    const QString hour = m_settings.read(dayStartKey, QStringLiteral("0"));
    const int value = dayStartHourOf(hour);
    Text5->setValue(QString::number(value) == hour ? value : 0);
    m_clockOffsets = m_settings.readClockOffsets();
}

void OptionsPage::saveSwitches()
{
    for (const Switch *stored : rememberedSwitches())
        writeSwitch(stored->box);
    writeSetting(dayStartKey, QString::number(Text5->value()));
}

// Remembered as soon as it changes, like the switches.
void OptionsPage::Text5_Change()
{
    writeSetting(dayStartKey, QString::number(Text5->value()));
}

int OptionsPage::nameLimit() const
{
    const bool dated
        = checkBox(OptionCheck::Check8)->isChecked() && checkBox(OptionCheck::Check10)->isChecked();
    // The date's length as the plan writes it ("2024-07-01 "), the same on every day.
    return nameFieldLength - (dated ? int(datePrefix(0, RenameOptions()).size()) : 0);
}

// Typing stops at the limit; a longer name (written back by a run, or typed before the date was
// switched on) is shown whole, and the limit follows the text down again.
void OptionsPage::limitName()
{
    Text2->setMaxLength(std::max(nameLimit(), int(Text2->text().size())));
}

FieldEdit *OptionsPage::textField(OptionText field) const
{
    FieldEdit *const fields[] = {Text1, Text2, Text3, Text4};
    return fields[int(field)];
}

QCheckBox *OptionsPage::checkBox(OptionCheck box) const
{
    return m_switches[int(box)];
}

QString OptionsPage::optionText(OptionText field) const
{
    if (field == OptionText::Text5)
        return QString::number(Text5->value());
    return textField(field)->text();
}

void OptionsPage::setOptionText(OptionText field, const QString &text)
{
    if (field == OptionText::Text5) {
        Text5->setValue(dayStartHourOf(text));
        return;
    }
    if (field == OptionText::Text2)
        Text2->setMaxLength(std::max(nameLimit(), int(text.size())));
    textField(field)->setText(text);
}

bool OptionsPage::optionChecked(OptionCheck box) const
{
    return checkBox(box)->isChecked();
}

void OptionsPage::setOptionChecked(OptionCheck box, bool checked)
{
    checkBox(box)->setChecked(checked);
}

bool OptionsPage::keepExtensionSelected() const
{
    return Optionbtn1->isChecked();
}

void OptionsPage::selectKeepExtension()
{
    Optionbtn1->setChecked(true);
}

void OptionsPage::setStatusLine(const QString &caption, StatusLook look)
{
    Label5->setText(caption);
    QPalette palette = Label5->palette();
    const bool busy = look == StatusLook::Busy;
    palette.setColor(QPalette::Window, busy ? busyRed : menuBarColour());
    palette.setColor(QPalette::WindowText,
                     busy ? QColor(Qt::white)
                          : QApplication::palette().color(QPalette::WindowText));
    Label5->setPalette(palette);
    if (busy)
        Label5->repaint(); // the busy state shows before the first file is moved
}

void OptionsPage::focusNameField(bool selectText)
{
    Text2->setFocus();
    // The field's whole text: 230 characters, or a longer prepared name written back by a run.
    if (selectText)
        Text2->setSelection(0, std::max(nameFieldLength, int(Text2->text().size())));
}

void OptionsPage::focusExtensionField()
{
    Text1->setFocus();
    Text1->selectAll();
}

void OptionsPage::setPreviewSummary(const QString &text)
{
    Label9->setText(text);
    List1->setAccessibleDescription(text); // what a screen reader tells of the list
}

void OptionsPage::setRunWaiting(bool waiting)
{
    Command5->setEnabled(!waiting);
}
