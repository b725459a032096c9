// SPDX-License-Identifier: GPL-3.0-or-later
// The window's start-up and shut-down: the first state of every control and the five
// remembered switches.

#include "hptfrm.h"
#include "optionspage.h"
#include "selectionpage.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTabWidget>

void Hptfrm::Form_Load()
{
    lblVersion->setText(versionLine());

    // Start in the user's home folder, on the volume that holds it.
    m_selection->startIn(QFile::encodeName(QDir::homePath()));
    SSTab1->setCurrentIndex(0);
    m_options->loadFirstState();
}

void Hptfrm::Form_Unload()
{
    m_options->saveSwitches();
}
