#pragma once

#include <QApplication>
#include <QLibraryInfo>
#include <QStandardPaths>
#include <QTest>
#include <QTranslator>

// main() for the window tests: the application as the program sets it up, German Qt texts
// included, with the standard paths in test mode.
#define BRIXELWAND_TEST_MAIN(TestClass)                                                            \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        QStandardPaths::setTestModeEnabled(true);                                                  \
        QApplication app(argc, argv);                                                              \
        QApplication::setOrganizationName(QStringLiteral("Brixelwand"));                           \
        QApplication::setApplicationName(QStringLiteral("Brixelwand"));                            \
        QTranslator german;                                                                        \
        if (german.load(QStringLiteral("qtbase_de"),                                               \
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))                       \
            QApplication::installTranslator(&german);                                              \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
