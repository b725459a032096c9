#include "filemover.h"
#include "folderlist.h"
#include "folderscan.h"
#include "journal.h"
#include "renameplan.h"
#include "testmain.h"
#include "windowtesting.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTabWidget>

// The journal seen from the window: recovery at start and undo of the last run, across starts.
class TestJournal : public WindowTest
{
    Q_OBJECT

private:
    QStringList files() const
    {
        return QDir(m_home->path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    void write(const QString &name, const QByteArray &content)
    {
        QFile file(m_home->path() + QLatin1Char('/') + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QByteArray read(const QString &name) const
    {
        QFile file(m_home->path() + QLatin1Char('/') + name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    // A run recorded as begun in folder, with nothing renamed yet: as if the machine died
    // right after the journal was written.
    void recordRunningPlan(const QByteArray &folder, const std::vector<QByteArray> &oldNames,
                           const std::vector<QByteArray> &newNames)
    {
        FileMover mover;
        const FolderScan scan = FolderScan::read(folder, mover.sys());
        std::vector<QByteArray> temps;
        unsigned counter = 0;
        const auto steps = orderMoves(scan, oldNames, newNames, &temps, counter);
        QCOMPARE(JournalStore().begin(Journal::of(folder, oldNames, newNames, temps, steps)), 0);
    }

private slots:
    void undoAfterARestartLeavesRenamedFilesAlone()
    {
        for (const char *n : {"a.jpg", "b.jpg", "c.jpg"})
            write(QLatin1String(n), n);
        open();
        QVERIFY(!Command7()->isEnabled());
        Command1()->click();
        Text2()->setText(QStringLiteral("Bild"));
        Check2()->setChecked(false);
        Command5()->click();
        QCOMPARE(files(), (QStringList {"Bild01.jpg", "Bild02.jpg", "Bild03.jpg"}));
        QVERIFY(Command7()->isEnabled());
        m_window->close();
        QFile::rename(m_home->path() + QStringLiteral("/Bild02.jpg"),
                      m_home->path() + QStringLiteral("/mein.jpg"));

        m_boxes = ScriptedBoxes();
        open(); // a new start
        QVERIFY(m_boxes.messages.empty());
        QVERIFY(Command7()->isEnabled());
        Command7()->click();
        QCOMPARE(m_boxes.messageTitles(), (QStringList {"Frage ...?", "Fehler ..."}));
        QVERIFY(m_boxes.messages[0].prompt.contains(QStringLiteral("3 Dateien")));
        QVERIFY(m_boxes.messages[1].prompt.contains(QStringLiteral("„Bild02.jpg“")));
        QCOMPARE(files(), (QStringList {"a.jpg", "c.jpg", "mein.jpg"}));
        QCOMPARE(read(QStringLiteral("a.jpg")), QByteArray("a.jpg"));
        QCOMPARE(File1()->count(), 3); // the folder shown anew
        QCOMPARE(SSTab1()->currentIndex(), 0);
        QVERIFY(!Command7()->isEnabled());
    }

    void undoCountsOnlyTheFilesMoved()
    {
        // A run of three files that stopped after its first two moves.
        for (const char *n : {"Bild01.jpg", "Bild02.jpg", "c.jpg"})
            write(QLatin1String(n), n);
        const QByteArray folder = m_home->raw();
        Journal record = Journal::of(folder, {"a.jpg", "b.jpg", "c.jpg"},
                                     {"Bild01.jpg", "Bild02.jpg", "Bild03.jpg"}, {}, {});
        record.steps = {{0, JournalStep::OldToNew}, {1, JournalStep::OldToNew}};
        QCOMPARE(JournalStore().keepAsLast(record), 0);
        open();
        Command7()->click();
        QCOMPARE(m_boxes.messageTitles(), QStringList {"Frage ...?"});
        QVERIFY2(m_boxes.messages[0].prompt.endsWith(
                     QStringLiteral("2 Dateien erhalten dann ihre alten Namen zurück.")),
                 qPrintable(m_boxes.messages[0].prompt));
        QCOMPARE(files(), (QStringList {"a.jpg", "b.jpg", "c.jpg"}));
    }

    void interruptedRunIsFinishedOrUndoneAtStart_data()
    {
        QTest::addColumn<bool>("finish");
        QTest::newRow("Ja: zu Ende führen") << true;
        QTest::newRow("Nein: alte Namen") << false;
    }

    void interruptedRunIsFinishedOrUndoneAtStart()
    {
        QFETCH(bool, finish);
        // A swap: A01 <-> A02, through a temporary name.
        write(QStringLiteral("A01.jpg"), "eins");
        write(QStringLiteral("A02.jpg"), "zwei");
        recordRunningPlan(m_home->raw(), {"A01.jpg", "A02.jpg"}, {"A02.jpg", "A01.jpg"});
        m_boxes.answers = {finish ? MessageAnswer::Yes : MessageAnswer::No};
        open();
        QCOMPARE(m_boxes.messageTitles(), QStringList {"Frage ...?"});
        QVERIFY(m_boxes.messages[0].prompt.contains(QStringLiteral("nach 0 von 2 Dateien")));
        QCOMPARE(files(), (QStringList {"A01.jpg", "A02.jpg"}));
        QCOMPARE(read(QStringLiteral("A01.jpg")), QByteArray(finish ? "zwei" : "eins"));
        QCOMPARE(Command7()->isEnabled(), finish);
        QCOMPARE(Dir1()->path(), m_home->raw());
    }

    void unreachableOrDamagedJournalMovesNothing()
    {
        write(QStringLiteral("a.jpg"), "a");
        recordRunningPlan(m_home->raw() + "/Karte", {}, {}); // a folder not there
        open();
        QCOMPARE(m_boxes.messageTitles(), QStringList {"Achtung!"});
        QVERIFY(m_boxes.messages[0].prompt.contains(QStringLiteral("nicht erreichbar")));
        m_window.reset();
        QVERIFY(QFile::exists(JournalStore().runningPath())); // asked again at the next start

        // Damaged: one warning, never a crash, never a move; not asked again.
        QFile journal(JournalStore().runningPath());
        QVERIFY(journal.open(QIODevice::ReadWrite));
        const QByteArray whole = journal.readAll();
        journal.resize(whole.size() / 2);
        journal.close();
        m_boxes = ScriptedBoxes();
        open();
        QCOMPARE(m_boxes.messageTitles(), QStringList {"Achtung!"});
        QVERIFY(m_boxes.messages[0].prompt.contains(QStringLiteral("beschädigt")));
        QCOMPARE(files(), QStringList {"a.jpg"});
        m_window.reset();
        m_boxes = ScriptedBoxes();
        open();
        QVERIFY(m_boxes.messages.empty());
    }
};

BRIXELWAND_TEST_MAIN(TestJournal)
#include "tst_journal.moc"
