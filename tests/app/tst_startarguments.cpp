// SPDX-License-Identifier: GPL-3.0-or-later
// The command line: what it asks for, the window it opens, and the program's exit codes.

#include "drivelist.h"
#include "filelist.h"
#include "folderlist.h"
#include "startarguments.h"
#include "testmain.h"
#include "version.h"
#include "windowtesting.h"

#include <QProcess>

#include <sys/stat.h>
#include <unistd.h>

using Action = StartArguments::Action;
Q_DECLARE_METATYPE(Action)

class TestStartArguments : public WindowTest
{
    Q_OBJECT

    // The program itself, with args; returns the exit code and fills out and err.
    static int runProgram(const QStringList &args, QByteArray *out, QByteArray *err)
    {
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            env.remove(QLatin1String(name)); // --help and --version need no display
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(BRIXELWAND_PROGRAM), args);
        if (!program.waitForFinished(10000))
            return -1;
        *out = program.readAllStandardOutput();
        *err = program.readAllStandardError();
        return program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    }

private slots:
    void init()
    {
        WindowTest::init();
        QVERIFY(::mkdir((home() + "/Fotos").constData(), 0755) == 0);
        QVERIFY(::mkdir((home() + "/Andere").constData(), 0755) == 0);
        for (const char *n : {"Fotos/a.jpg", "Fotos/b.jpg", "Fotos/c.jpg", "Fotos/M\xfcll.jpg",
                              "Fotos/.versteckt.jpg", "Andere/x.jpg"})
            m_home->touch(n);
    }
    void cleanup()
    {
        // QDir, which removes the temporary home, passes over names that are not UTF-8.
        ::unlink((home() + "/Fotos/M\xfcll.jpg").constData());
        WindowTest::cleanup();
    }

    // Arguments as a file manager or a shell passes them; "{}" stands for home, which is also
    // the working folder of relative paths, in the arguments, the folder and the message.
    void parse_data()
    {
        QTest::addColumn<QByteArrayList>("args");
        QTest::addColumn<Action>("action");
        QTest::addColumn<QByteArray>("folder");
        QTest::addColumn<QByteArrayList>("files");
        QTest::addColumn<QString>("message"); // a part of the message; empty: none

        const QByteArrayList none;
        QTest::newRow("nothing") << none << Action::OpenWindow << QByteArray() << none << QString();
        QTest::newRow("folder") << QByteArrayList {"{}/Fotos"} << Action::OpenWindow
                                << QByteArray("{}/Fotos") << none << QString();
        QTest::newRow("relative folder with trailing slash and dots")
            << QByteArrayList {"Andere/../Fotos/./"} << Action::OpenWindow << QByteArray("{}/Fotos")
            << none << QString();
        QTest::newRow("files of one folder, one twice, non-UTF-8 name")
            << QByteArrayList {"{}/Fotos/b.jpg", "Fotos/M\xfcll.jpg", "{}/Fotos/b.jpg"}
            << Action::OpenWindow << QByteArray("{}/Fotos")
            << QByteArrayList {"b.jpg", "M\xfcll.jpg"} << QString();
        QTest::newRow("file URLs, percent-encoded bytes")
            << QByteArrayList {"file://{}/Fotos/M%FCll.jpg", "file://localhost{}/Fotos/a.jpg"}
            << Action::OpenWindow << QByteArray("{}/Fotos")
            << QByteArrayList {"M\xfcll.jpg", "a.jpg"} << QString();
        QTest::newRow("folder URL") << QByteArrayList {"file://{}/Fotos"} << Action::OpenWindow
                                    << QByteArray("{}/Fotos") << none << QString();
        QTest::newRow("missing path")
            << QByteArrayList {"{}/Fotos/a.jpg", "{}/Fotos/fehlt.jpg"} << Action::OpenWindow
            << QByteArray() << none << QStringLiteral("„{}/Fotos/fehlt.jpg“ gibt es nicht.");
        QTest::newRow("URL of another host")
            << QByteArrayList {"file://server/Fotos/a.jpg"} << Action::OpenWindow << QByteArray()
            << none << QStringLiteral("„file://server/Fotos/a.jpg“ gibt es nicht.");
        QTest::newRow("files of two folders")
            << QByteArrayList {"{}/Fotos/a.jpg", "{}/Andere/x.jpg"} << Action::OpenWindow
            << QByteArray() << none
            << QStringLiteral("verschiedenen Ordnern („{}/Fotos“ und „{}/Andere“)");
        QTest::newRow("folder among files")
            << QByteArrayList {"{}/Fotos/a.jpg", "{}/Fotos"} << Action::OpenWindow << QByteArray()
            << none << QStringLiteral("„{}/Fotos“ ist ein Ordner.");
        QTest::newRow("help wins") << QByteArrayList {"{}/Fotos", "--help"} << Action::ShowHelp
                                   << QByteArray() << none << QString();
        QTest::newRow("version") << QByteArrayList {"--version"} << Action::ShowVersion
                                 << QByteArray() << none << QString();
        QTest::newRow("unknown option")
            << QByteArrayList {"{}/Fotos", "--umbenennen"} << Action::UsageError << QByteArray()
            << none << QStringLiteral("Die Option „--umbenennen“ gibt es nicht.");
        QTest::newRow("Qt's options left to Qt")
            << QByteArrayList {"-platform", "offscreen", "--style=Fusion", "-reverse", "{}/Fotos"}
            << Action::OpenWindow << QByteArray("{}/Fotos") << none << QString();
        QTest::newRow("a name with a dash after --")
            << QByteArrayList {"--", "-x.jpg"} << Action::OpenWindow << QByteArray() << none
            << QStringLiteral("„-x.jpg“ gibt es nicht.");
    }

    void parse()
    {
        QFETCH(QByteArrayList, args);
        QFETCH(Action, action);
        QFETCH(QByteArray, folder);
        QFETCH(QByteArrayList, files);
        QFETCH(QString, message);

        std::vector<QByteArray> arguments;
        for (QByteArray arg : args)
            arguments.push_back(arg.replace("{}", home()));
        const StartArguments start = parseStartArguments(arguments, home());
        QCOMPARE(start.action, action);
        QCOMPARE(start.folder, folder.replace("{}", home()));
        QCOMPARE(QByteArrayList(start.files.begin(), start.files.end()), files);
        if (message.isEmpty())
            QCOMPARE(start.message, QString());
        else
            QVERIFY2(start.message.contains(message.replace(QStringLiteral("{}"), m_home->path())),
                     qPrintable(start.message));
    }

    void opensFolderWithExactlyTheFilesSelected()
    {
        open();
        m_window->openAtStart(home() + "/Fotos", {"M\xfcll.jpg", "a.jpg"});
        QCOMPARE(Dir1()->path(), home() + "/Fotos");
        QCOMPARE(Drive1()->currentDrive(), Drive1()->driveOf(home()));

        QByteArrayList selected;
        for (int i = 0; i < File1()->count(); ++i)
            if (File1()->isSelected(i))
                selected << File1()->rawName(i);
        QCOMPARE(selected, (QByteArrayList {"a.jpg", "M\xfcll.jpg"}));
        QVERIFY(m_boxes.messages.empty());

        // A folder alone selects nothing; a file the list does not show is reported.
        m_window->openAtStart(home() + "/Andere", {});
        QCOMPARE(Dir1()->path(), home() + "/Andere");
        QCOMPARE(File1()->count(), 1);
        QVERIFY(!File1()->isSelected(0));
        m_window->openAtStart(home() + "/Fotos", {".versteckt.jpg", "c.jpg"});
        QCOMPARE(m_boxes.messageTitles(), QStringList {QStringLiteral("Achtung!")});
        QVERIFY(m_boxes.messagePrompts().front().startsWith(
            QStringLiteral("1 der übergebenen Dateien")));
        QCOMPARE(File1()->selectionModel()->selectedIndexes().size(), 1);
    }

    void exitCodesWithoutDisplay()
    {
        QByteArray out, err;
        QCOMPARE(runProgram({QStringLiteral("--help")}, &out, &err), 0);
        QVERIFY(out.startsWith("Aufruf: brixelwand [ORDNER | DATEI"));
        QCOMPARE(err, QByteArray());
        QCOMPARE(runProgram({QStringLiteral("--version")}, &out, &err), 0);
        QCOMPARE(out, QByteArray("brixelwand " BRIXELWAND_VERSION "\n"));
        QCOMPARE(runProgram({QStringLiteral("--gibtsnicht")}, &out, &err), 2);
        QCOMPARE(out, QByteArray());
        QVERIFY(err.startsWith("brixelwand: Die Option „--gibtsnicht“ gibt es nicht."));
    }
};

BRIXELWAND_TEST_MAIN(TestStartArguments)
#include "tst_startarguments.moc"
