// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QApplication;

// The application as the program, its tests and the screenshot tool all run it: its names
// (which place the settings store) and Qt's own texts in German.
void setUpApplication(QApplication &app);
