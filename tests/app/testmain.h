// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "appsetup.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTest>

// main() for the window tests: the application as the program sets it up, German Qt texts
// included, with the standard paths in test mode.
#define BRIXELWAND_TEST_MAIN(TestClass)                                                            \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        QStandardPaths::setTestModeEnabled(true);                                                  \
        QApplication app(argc, argv);                                                              \
        setUpApplication(app);                                                                     \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
