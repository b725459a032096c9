// The window's start-up and shut-down: the first state of every control and the five
// remembered switches.

#include "drivelist.h"
#include "folderlist.h"
#include "hptfrm.h"
#include "settingsstore.h"
#include "widgets.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QRadioButton>
#include <QTabWidget>

void Hptfrm::Form_Load()
{
    lblVersion->setText(versionLine());

    // Start in the user's home folder, on the volume that holds it.
    const QByteArray home = QFile::encodeName(QDir::homePath());
    Drive1->setDriveOf(home);
    if (!Dir1->setPath(home) && !Dir1->setPath(Drive1->currentDrive()))
        Dir1->setPath("/");
    SSTab1->setCurrentIndex(0);
    Optionbtn1->setChecked(true);
    setLocked(Text1, true);

    const auto stored = [this](const char *key, bool byDefault) {
        return SettingsStore::isSwitchOn(
            m_settings.read(QLatin1String(key), SettingsStore::switchText(byDefault)));
    };
    if (stored("Leerzeichen", true))
        Check2->setChecked(true);
    if (stored("Autostellen", true)) {
        Check1->setChecked(true);
        setLocked(Text4, true);
    }
    if (stored("Unix", false))
        Check5->setChecked(true);
    if (stored("CD", false))
        Check6->setChecked(true);
    if (stored("Umlaute", false))
        Check7->setChecked(true);
}

void Hptfrm::Form_Unload()
{
    writeSwitch(QStringLiteral("Leerzeichen"), Check2);
    writeSwitch(QStringLiteral("Autostellen"), Check1);
    writeSwitch(QStringLiteral("Unix"), Check5);
    writeSwitch(QStringLiteral("CD"), Check6);
    writeSwitch(QStringLiteral("Umlaute"), Check7);
}
