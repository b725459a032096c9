// SPDX-License-Identifier: GPL-3.0-or-later
// The page's reactions to its switches, option buttons, number fields and buttons.

#include "cameraclocksdialog.h"
#include "fieldedit.h"
#include "focuslosswatch.h"
#include "messageboxes.h"
#include "numbers.h"
#include "optionspage.h"
#include "settingsstore.h"
#include "switches.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

void OptionsPage::setLocked(FieldEdit *field, bool locked)
{
    const QColor background = locked ? QApplication::palette("QMenu").color(QPalette::Window)
                                     : QApplication::palette().color(QPalette::Base);
    QPalette palette = field->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Base, background);
    field->setPalette(palette);
    field->setEnabled(!locked);
}

void OptionsPage::writeSwitch(OptionCheck box)
{
    writeSetting(QLatin1String(switchOf(box).settingsKey),
                 SettingsStore::switchText(checkBox(box)->isChecked()));
}

void OptionsPage::writeSetting(const QString &key, const QString &value)
{
    if (!m_settings.write(key, value))
        warnSettingsUnwritable();
}

// Once a session: every later write would fail the same way.
void OptionsPage::warnSettingsUnwritable()
{
    if (m_settingsWarned)
        return;
    m_settingsWarned = true;
    m_boxes.show(QStringLiteral("Die Einstellungen können nicht gespeichert werden. Die Schalter "
                                "gelten deshalb nur, bis das Programm beendet wird."),
                 MessageKind::Warning, programTitle());
}

// After its key is written.
void OptionsPage::Check1_Click()
{
    if (!Check1->isChecked()) {
        setLocked(Text4, false);
        Text4->setFocus();
        Text4->setSelection(0, 1);
    } else {
        setLocked(Text4, true);
    }
}

// After its key is written: the date and the numbers per day follow the capture time, so they
// are only open to change while it is on.
void OptionsPage::Check8_Click()
{
    const bool on = checkBox(OptionCheck::Check8)->isChecked();
    for (QWidget *control : std::initializer_list<QWidget *> {
             checkBox(OptionCheck::Check10), checkBox(OptionCheck::Check11), Label11, Text5})
        control->setEnabled(on);
    limitName();
}

void OptionsPage::Optionbtn1_Click()
{
    if (Optionbtn1->isChecked())
        setLocked(Text1, true);
}

void OptionsPage::Optionbtn2_Click()
{
    if (!Optionbtn2->isChecked())
        return;
    setLocked(Text1, false);
    Text1->setFocus();
    // Chosen with an arrow key, the button takes the focus itself after this reaction; give it
    // on to the field once that is done.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (Optionbtn2->isChecked() && Optionbtn2->hasFocus())
                Text1->setFocus();
        },
        Qt::QueuedConnection);
}

void OptionsPage::checkNumberField(FieldEdit *field, double low, double high,
                                   const QString &resetText, const QString &message)
{
    double value = 0;
    if (readLocaleNumber(field->text(), &value) && value >= low && value <= high)
        return;
    // One message per bad change; the reset text passes the check when it runs again.
    m_boxes.show(message, MessageKind::Plain, programTitle());
    field->setText(resetText);
    field->setFocus();
    field->setSelection(0, 1);
}

void OptionsPage::Text3_Change()
{
    checkNumberField(Text3, 1, 9999, QStringLiteral("1"),
                     QStringLiteral("Bitte gültigen Wert eingeben! (Zahl zwischen 1-9999)"));
}

void OptionsPage::Text4_Change()
{
    checkNumberField(Text4, 2, 5, QStringLiteral("2"),
                     QStringLiteral("Bitte gültigen Wert eingeben! (Zahl zwischen 2-5)"));
}

void OptionsPage::Text3_GotFocus()
{
    Text3->setSelection(0, 4);
}

void OptionsPage::Text4_GotFocus()
{
    Text4->setSelection(0, 1);
}

void OptionsPage::Command5_Click()
{
    emit renameRequested();
}

void OptionsPage::Command8_Click()
{
    emit clocksRequested();
}

void OptionsPage::editClockOffsets(std::vector<QByteArray> names, std::vector<CaptureTime> times)
{
    CameraClocksDialog dialog(std::move(names), std::move(times), m_clockOffsets, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const ClockOffsets accepted = dialog.offsets();
    bool changed = false;
    for (auto it = accepted.cbegin(); it != accepted.cend(); ++it) {
        if (m_clockOffsets.value(it.key(), 0) == it.value())
            continue;
        changed = true;
        if (it.value() == 0)
            m_clockOffsets.remove(it.key());
        else
            m_clockOffsets.insert(it.key(), it.value());
        if (!m_settings.writeClockOffset(it.key(), it.value()))
            warnSettingsUnwritable();
    }
    if (changed)
        emit namesChanged();
}

void OptionsPage::Command4_Click()
{
    const bool lostByThisClick = Command4->hasFocus();
    emit backRequested();
    m_backClicked = lostByThisClick;
}

void OptionsPage::Command4_LostFocus(Qt::FocusReason reason)
{
    if (!m_backClicked && !FocusLossWatch::leavesPageAlone(*this, reason))
        emit stayRequested();
    m_backClicked = false;
}
