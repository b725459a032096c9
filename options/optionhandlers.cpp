// The window's reactions to its switches, option buttons and number fields.

#include "filelist.h"
#include "hptfrm.h"
#include "numbers.h"
#include "settingsstore.h"
#include "widgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QRadioButton>

void Hptfrm::setLocked(FieldEdit *field, bool locked)
{
    const QColor background = locked ? QApplication::palette("QMenu").color(QPalette::Window)
                                     : QApplication::palette().color(QPalette::Base);
    QPalette palette = field->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Base, background);
    field->setPalette(palette);
    field->setEnabled(!locked);
}

void Hptfrm::writeSwitch(const QString &key, QCheckBox *box)
{
    if (m_settings.write(key, SettingsStore::switchText(box->isChecked())) || m_settingsWarned)
        return;
    m_settingsWarned = true;
    messageBox(QStringLiteral("Die Einstellungen können nicht gespeichert werden. Die Schalter "
                              "gelten deshalb nur, bis das Programm beendet wird."),
               MessageKind::Warning, programTitle());
}

void Hptfrm::Check1_Click()
{
    writeSwitch(QStringLiteral("Autostellen"), Check1);
    if (!Check1->isChecked()) {
        setLocked(Text4, false);
        Text4->setFocus();
        Text4->setSelection(0, 1);
    } else {
        setLocked(Text4, true);
    }
}

void Hptfrm::Check2_Click()
{
    writeSwitch(QStringLiteral("Leerzeichen"), Check2);
}

void Hptfrm::Check5_Click()
{
    writeSwitch(QStringLiteral("Unix"), Check5);
}

void Hptfrm::Check6_Click()
{
    writeSwitch(QStringLiteral("CD"), Check6);
}

void Hptfrm::Check7_Click()
{
    writeSwitch(QStringLiteral("Umlaute"), Check7);
}

void Hptfrm::hiddenOrSystemSwitched(QCheckBox *box, void (FileList::*setFlag)(bool))
{
    if (!box->isChecked()) {
        (File1->*setFlag)(false);
        return;
    }
    if (messageBox(QStringLiteral("Diese Auswahl kann fatale Folgen für das System haben! Sind "
                                  "Sie sicher?"),
                   MessageKind::CriticalQuestion, QStringLiteral("Achtung!"))
        == MessageAnswer::Yes)
        (File1->*setFlag)(true);
    else
        box->setChecked(false); // runs this reaction again, which clears the flag
}

void Hptfrm::Check3_Click()
{
    hiddenOrSystemSwitched(Check3, &FileList::setShowHidden);
}

void Hptfrm::Check4_Click()
{
    hiddenOrSystemSwitched(Check4, &FileList::setShowSystem);
}

void Hptfrm::Optionbtn1_Click()
{
    if (Optionbtn1->isChecked())
        setLocked(Text1, true);
}

void Hptfrm::Optionbtn2_Click()
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

void Hptfrm::checkNumberField(FieldEdit *field, double low, double high, const QString &resetText,
                              const QString &message)
{
    double value = 0;
    if (readLocaleNumber(field->text(), &value) && value >= low && value <= high)
        return;
    // One message per bad change; the reset text passes the check when it runs again.
    messageBox(message, MessageKind::Plain, programTitle());
    field->setText(resetText);
    field->setFocus();
    field->setSelection(0, 1);
}

void Hptfrm::Text3_Change()
{
    checkNumberField(Text3, 1, 9999, QStringLiteral("1"),
                     QStringLiteral("Bitte gültigen Wert eingeben! (Zahl zwischen 1-9999)"));
}

void Hptfrm::Text4_Change()
{
    checkNumberField(Text4, 2, 5, QStringLiteral("2"),
                     QStringLiteral("Bitte gültigen Wert eingeben! (Zahl zwischen 2-5)"));
}

void Hptfrm::Text3_GotFocus()
{
    Text3->setSelection(0, 4);
}

void Hptfrm::Text4_GotFocus()
{
    Text4->setSelection(0, 1);
}
