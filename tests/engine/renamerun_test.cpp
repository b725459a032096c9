#include "fakewindow.h"
#include "renamerun.h"
#include "scriptedsyscalls.h"
#include "tempfolder.h"

#include <gtest/gtest.h>

namespace {

using Names = std::vector<std::string>;

// A real folder and a fake window listing it, with the switches a user would set.
struct RunFixture : ::testing::Test
{
    TempFolder dir;
    FakeWindow window;

    RunFixture()
    {
        window.folder = dir.path();
        window.lister = [this] { return dir.names(); };
        window.texts[OptionText::Text2] = QStringLiteral("Urlaub");
        window.checks[OptionCheck::Check1] = true;
    }
    void files(const Names &names)
    {
        for (const auto &n : names)
            dir.write(QByteArray::fromStdString(n), QByteArray::fromStdString("content of " + n));
        window.list(dir.names());
    }
    void run() { runRename(window); }
    bool touchedNothing() const { return window.moversCreated == 0; }
};

} // namespace

TEST_F(RunFixture, RenamesSelectedFilesInListOrderAndResetsTheWindow)
{
    files({"a.jpg", "b.png", "c.gif", "d.txt", "e.txt", "f.bmp"});
    window.select({0, 2, 5});
    window.checks[OptionCheck::Check3] = true;
    window.texts[OptionText::Text3] = QStringLiteral("1");
    window.keepExtension = true;
    run();
    EXPECT_EQ(dir.names(),
              (Names {"Urlaub01.jpg", "Urlaub02.gif", "Urlaub03.bmp", "b.png", "d.txt", "e.txt"}));
    EXPECT_EQ(dir.read("Urlaub02.gif"), "content of c.gif");
    EXPECT_EQ(window.repaints, 3);
    EXPECT_EQ(window.messageTitles(), (QStringList {"Frage ...?", "Bin fertig!"}));
    EXPECT_EQ(window.messages[1].kind, MessageKind::Information);
    EXPECT_EQ(window.messages[1].prompt,
              QStringLiteral("Die Dateien wurden erfolgreich umbenannt. "
                             "Sie können nun weitere Dateien umbenennen."));
    EXPECT_EQ(window.calls.at(1), QStringLiteral("status=Bitte warten - führe Aktion aus."));
    const QStringList completion {
        "status=Bin bereit ...", "rereadFiles",       "setText2=Urlaub",
        "selectKeepExtension",   "setText3=1",        "setCheck1=1",
        "setCheck3=0",           "setCheck4=0",       "message:Bin fertig!",
        "page0+tabstrip",        "resetFileSelection"};
    EXPECT_EQ(window.calls.mid(window.calls.size() - completion.size()), completion);
    EXPECT_EQ(window.statusLook, StatusLook::Ready);
    EXPECT_EQ(window.fileCount(), 6);
    EXPECT_EQ(window.moversCreated, 1);
    runRename(window); // nothing selected now; the mover is kept for the window's life
    EXPECT_EQ(window.moversCreated, 1);
}

TEST_F(RunFixture, NameParts)
{
    struct Case
    {
        const char *name;
        bool blank, underscore, umlauts;
        const char *start;
        bool autoDigits;
        const char *digits;
        const char *extension; // typed; nullptr keeps the old ones
        Names expected;
    };
    const Case cases[] = {
        {"Urlaub", true, false, false, "1", true, "2", nullptr, {"Urlaub 01.jpg", "Urlaub 02.png"}},
        {"Urlaub", true, true, false, "1", true, "2", nullptr, {"Urlaub_01.jpg", "Urlaub_02.png"}},
        {"Ferien am See",
         false,
         true,
         false,
         "1",
         true,
         "2",
         nullptr,
         {"Ferien_am_See01.jpg", "Ferien_am_See02.png"}},
        {"Größe Übung",
         false,
         true,
         true,
         "1",
         true,
         "2",
         nullptr,
         {"Groesse_Uebung01.jpg", "Groesse_Uebung02.png"}},
        {"Größe", false, false, false, "1", true, "2", nullptr, {"Größe01.jpg", "Größe02.png"}},
        {"Bild", false, false, false, "7", false, "3", nullptr, {"Bild007.jpg", "Bild008.png"}},
        {"Bild",
         false,
         false,
         false,
         "9999",
         true,
         "2",
         "jpeg",
         {"Bild09999.jpeg", "Bild10000.jpeg"}},
        // Fractional start numbers in the number format: both readings take the whole part.
        {"Bild", false, false, false, "1.5", true, "2", nullptr, {"Bild01.jpg", "Bild02.png"}},
        {"Bild", false, false, false, "1e2", true, "2", nullptr, {"Bild100.jpg", "Bild101.png"}},
    };
    for (const auto &c : cases) {
        TempFolder local;
        FakeWindow w;
        w.folder = local.path();
        local.write("a.jpg");
        local.write("b.png");
        w.list(local.names());
        w.selectAll();
        w.texts[OptionText::Text2] = QString::fromUtf8(c.name);
        w.texts[OptionText::Text3] = QLatin1String(c.start);
        w.texts[OptionText::Text4] = QLatin1String(c.digits);
        w.checks[OptionCheck::Check1] = c.autoDigits;
        w.checks[OptionCheck::Check2] = c.blank;
        w.checks[OptionCheck::Check5] = c.underscore;
        w.checks[OptionCheck::Check7] = c.umlauts;
        w.keepExtension = !c.extension;
        if (c.extension)
            w.texts[OptionText::Text1] = QLatin1String(c.extension);
        runRename(w);
        EXPECT_EQ(local.names(), c.expected) << c.name << " " << c.start;
        EXPECT_TRUE(w.keepExtension);
    }
}

TEST_F(RunFixture, DigitsFollowTheSumOfStartAndCount)
{
    Names names;
    for (int i = 0; i < 10; ++i)
        names.push_back("f" + std::to_string(i));
    files(names);
    window.selectAll();
    window.texts[OptionText::Text3] = QStringLiteral("95");
    run();
    EXPECT_EQ(dir.names().front(), "Urlaub095");
    EXPECT_EQ(dir.names().back(), "Urlaub104");
}

TEST_F(RunFixture, FilesWithoutExtensionGetNone)
{
    files({"a.jpg", "b", "c.", ".profil"});
    window.selectAll();
    run();
    // List order: .profil, a.jpg, b, c.
    EXPECT_EQ(dir.names(), (Names {"Urlaub01.profil", "Urlaub02.jpg", "Urlaub03", "Urlaub04"}));
}

TEST_F(RunFixture, RawByteNamesAreRenamed)
{
    files({"foto\xff.jpg", "\xc3\x28.raw"});
    window.selectAll();
    run();
    EXPECT_EQ(dir.names(), (Names {"Urlaub01.jpg", "Urlaub02.raw"}));
    EXPECT_EQ(dir.read("Urlaub01.jpg"), "content of foto\xff.jpg");
    EXPECT_EQ(dir.read("Urlaub02.raw"), "content of \xc3\x28.raw");
}

TEST_F(RunFixture, InputChecksEndTheRunBeforeAnyFileIsTouched)
{
    struct Case
    {
        const char *what;
        bool select;
        QString name;
        QString extension; // typed, with Optionbtn2
        QStringList expectedCalls;
        MessageKind kind;
        QString prompt;
    };
    const QString forbidden
        = QStringLiteral("Der neue Dateiname darf eines der folgenden Zeichen nicht enthalten:\n"
                         "/ \\ : * ? \" < > | $ % & ~");
    const Case cases[] = {
        {"nothing selected",
         false,
         QString(),
         QString(),
         {"message:Eingabefehler ...", "page0"},
         MessageKind::Warning,
         QStringLiteral("Es wurden keine Dateien ausgewählt!")},
        {"empty name",
         true,
         QString(),
         QString(),
         {"message:Eingabefehler ...", "focusText2"},
         MessageKind::Warning,
         QStringLiteral("Bitte geben Sie den neuen Dateinamen an!")},
        {"percent",
         true,
         QStringLiteral("Urlaub 50%"),
         QString(),
         {"message:Eingabefehler ...", "focusText2+select"},
         MessageKind::Error,
         forbidden},
        {"slash in extension",
         true,
         QStringLiteral("Urlaub"),
         QStringLiteral("a/b"),
         {"message:Eingabefehler ...", "focusText1+select"},
         MessageKind::Error,
         QStringLiteral("Die neue Dateiendung darf das Zeichen / nicht enthalten!")},
    };
    for (const auto &c : cases) {
        TempFolder local;
        FakeWindow w;
        w.folder = local.path();
        local.write("a.jpg");
        w.list(local.names());
        if (c.select)
            w.selectAll();
        w.texts[OptionText::Text2] = c.name;
        w.texts[OptionText::Text1] = c.extension;
        w.keepExtension = c.extension.isEmpty();
        runRename(w);
        EXPECT_EQ(w.calls, c.expectedCalls) << c.what;
        ASSERT_EQ(w.messages.size(), 1u) << c.what;
        EXPECT_EQ(w.messages[0].kind, c.kind) << c.what;
        EXPECT_EQ(w.messages[0].prompt, c.prompt) << c.what;
        EXPECT_EQ(local.names(), Names {"a.jpg"}) << c.what;
        EXPECT_EQ(w.moversCreated, 0) << c.what;
    }
}

TEST_F(RunFixture, EveryForbiddenCharacterIsRefused)
{
    const QString line = QLatin1String(forbiddenNameCharacters);
    EXPECT_EQ(line.size(), 25);
    for (const QChar c : QStringLiteral("/\\:*?\"<>|$%&~")) {
        FakeWindow w;
        w.entries = {{"a.jpg", true}};
        w.texts[OptionText::Text2] = QStringLiteral("Bild") + c + QStringLiteral("1");
        runRename(w);
        ASSERT_EQ(w.messages.size(), 1u) << QString(c).toStdString();
        EXPECT_TRUE(w.messages[0].prompt.endsWith(line));
    }
    FakeWindow blanks; // a name of blanks only passes the checks
    blanks.entries = {{"a.jpg", true}};
    blanks.texts[OptionText::Text2] = QStringLiteral("   ");
    blanks.answers = {MessageAnswer::No};
    runRename(blanks);
    EXPECT_EQ(blanks.messageTitles(), QStringList {"Frage ...?"});
}

TEST_F(RunFixture, ConfirmationTextAndNo)
{
    files({"a.jpg"});
    window.selectAll();
    window.checks[OptionCheck::Check3] = true;
    window.answers = {MessageAnswer::No};
    run();
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0].kind, MessageKind::Question);
    EXPECT_EQ(
        window.messages[0].prompt,
        QStringLiteral("Sind Sie sicher, dass Sie die Dateien umbenennen wollen? Es werden "
                       "möglicherweise auch versteckte Dateien oder Systemdateien umbenannt!"));
    EXPECT_EQ(window.calls, QStringList {"message:Frage ...?"});
    EXPECT_EQ(dir.names(), Names {"a.jpg"});
}

TEST_F(RunFixture, CdLimitCountsCharactersSeparatorAndDigits)
{
    struct Case
    {
        QString name;
        bool blank;
        bool umlauts;
        bool refused;
    };
    const QString x61(61, QLatin1Char('x'));
    const Case cases[] = {
        {x61 + QStringLiteral("x"), false, false, false}, // 62 + 2 = 64
        {x61 + QStringLiteral("xx"), false, false, true}, // 63 + 2
        {x61.left(60) + QStringLiteral("ä"), true, false, false}, // 61 + 1 + 2; umlaut is one
        {x61.left(60) + QStringLiteral("äö"), true, false, true}, // 62 + 1 + 2
        {x61 + QStringLiteral("ä"), false, true, true}, // "ae": 63 + 2
    };
    for (const auto &c : cases) {
        TempFolder local;
        FakeWindow w;
        w.folder = local.path();
        local.write("a.jpg");
        w.list(local.names());
        w.selectAll();
        w.texts[OptionText::Text2] = c.name;
        w.checks[OptionCheck::Check1] = true;
        w.checks[OptionCheck::Check2] = c.blank;
        w.checks[OptionCheck::Check6] = true;
        w.checks[OptionCheck::Check7] = c.umlauts;
        runRename(w);
        if (c.refused) {
            EXPECT_EQ(w.messageTitles(), (QStringList {"Frage ...?", "Fehler ..."}));
            EXPECT_EQ(w.calls.last(), QStringLiteral("focusText2+select"));
            EXPECT_EQ(local.names(), Names {"a.jpg"});
            EXPECT_EQ(w.texts[OptionText::Text2], c.name);
        } else {
            EXPECT_EQ(w.messageTitles(), (QStringList {"Frage ...?", "Bin fertig!"}));
        }
    }
}

TEST_F(RunFixture, TooManyFilesForTheStartNumberAreRefused)
{
    window.entries.assign(32767 - 9999 + 1, FakeWindow::Entry {"x", true});
    window.texts[OptionText::Text3] = QStringLiteral("9999");
    run();
    EXPECT_EQ(window.messageTitles(), (QStringList {"Frage ...?", "Eingabefehler ..."}));
    EXPECT_TRUE(window.messages[1].prompt.contains(QStringLiteral("32767")));
    EXPECT_TRUE(touchedNothing());
    EXPECT_EQ(window.statusCaption, QStringLiteral("Bin bereit ..."));
}

TEST_F(RunFixture, ManualDigitsCorrectionKeepsRunning)
{
    Names names;
    for (int i = 0; i < 100; ++i)
        names.push_back("f" + std::to_string(1000 + i));
    files(names);
    window.selectAll();
    window.checks[OptionCheck::Check1] = false;
    window.texts[OptionText::Text4] = QStringLiteral("2");
    run();
    EXPECT_EQ(window.messageTitles(), (QStringList {"Frage ...?", "Brixelwand", "Bin fertig!"}));
    EXPECT_EQ(dir.names().front(), "Urlaub001");
}

TEST_F(RunFixture, ExistingDestinationStopsTheRunWithNothingOverwritten)
{
    files({"a.jpg", "b.jpg", "Bild02.jpg", "c.jpg"});
    // List order (case-insensitive): a.jpg, b.jpg, Bild02.jpg, c.jpg; Bild02.jpg unselected.
    window.entries = {{"a.jpg", true}, {"b.jpg", true}, {"Bild02.jpg", false}, {"c.jpg", true}};
    window.texts[OptionText::Text2] = QStringLiteral("Bild");
    window.answers = {MessageAnswer::Yes, MessageAnswer::Ok, MessageAnswer::No};
    run();
    EXPECT_EQ(dir.names(), (Names {"Bild01.jpg", "Bild02.jpg", "b.jpg", "c.jpg"}));
    EXPECT_EQ(dir.read("Bild02.jpg"), "content of Bild02.jpg");
    EXPECT_EQ(dir.read("Bild01.jpg"), "content of a.jpg");
    ASSERT_EQ(window.messageTitles(), (QStringList {"Frage ...?", "Fehler ...", "Frage ...?"}));
    const QString report = window.messages[1].prompt;
    EXPECT_TRUE(report.contains(QStringLiteral("„b.jpg“"))) << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("„Bild02.jpg“")));
    EXPECT_TRUE(report.contains(QStringLiteral("schon eine Datei")));
    EXPECT_TRUE(report.contains(QStringLiteral("Bis dahin umbenannte Dateien: 1.")));
    EXPECT_EQ(window.statusCaption, QStringLiteral("Bin bereit ..."));
    EXPECT_EQ(window.calls.mid(window.calls.size() - 2),
              (QStringList {"status=Bin bereit ...", "rereadFiles"}));
    EXPECT_FALSE(window.calls.contains(QStringLiteral("setText3=1")));
}

TEST_F(RunFixture, FailureOffersToRestoreTheOldNames)
{
    files({"a.jpg", "b.jpg", "c.jpg"});
    ASSERT_EQ(::symlink("/nonexistent/target", dir.pathOf("Bild03.jpg").constData()), 0);
    window.list(dir.names());
    window.entries[1].selected = window.entries[2].selected = window.entries[3].selected = true;
    window.texts[OptionText::Text2] = QStringLiteral("Bild");
    run(); // answers Yes to the restore question
    EXPECT_EQ(dir.names(), (Names {"Bild03.jpg", "a.jpg", "b.jpg", "c.jpg"}));
    EXPECT_EQ(dir.read("a.jpg"), "content of a.jpg");
    EXPECT_EQ(window.messageTitles(), (QStringList {"Frage ...?", "Fehler ...", "Frage ...?"}));
    EXPECT_TRUE(window.messages[2].prompt.contains(QStringLiteral("2 bereits umbenannten")));
}

TEST_F(RunFixture, FailedRestoreIsReported)
{
    files({"a.jpg", "b.jpg"});
    auto *sys = new ScriptedSysCalls;
    // a.jpg moves; b.jpg fails; the restore of a.jpg fails too.
    sys->failures["renameat2"] = {0, EACCES, EROFS};
    window.sysForMover.reset(sys);
    window.selectAll();
    run();
    ASSERT_EQ(window.messageTitles(),
              (QStringList {"Frage ...?", "Fehler ...", "Frage ...?", "Fehler ..."}));
    EXPECT_TRUE(window.messages[1].prompt.contains(QStringLiteral("Berechtigung")));
    EXPECT_TRUE(window.messages[3].prompt.contains(QStringLiteral("„Urlaub01.jpg“")));
    EXPECT_TRUE(window.messages[3].prompt.contains(QStringLiteral("schreibgeschützt")));
    EXPECT_EQ(dir.names(), (Names {"Urlaub01.jpg", "b.jpg"}));
}

TEST_F(RunFixture, NameTooLongForTheFileSystemFailsCleanly)
{
    files({"a.jpg"});
    window.selectAll();
    window.texts[OptionText::Text2] = QString(115, QChar(0x20AC)); // 345 bytes of "€"
    run();
    EXPECT_EQ(window.messageTitles(), (QStringList {"Frage ...?", "Fehler ..."}));
    EXPECT_TRUE(window.messages[1].prompt.contains(QStringLiteral("zu lang")));
    EXPECT_EQ(dir.names(), Names {"a.jpg"});
}

TEST_F(RunFixture, RootFolderGivesOneSeparator)
{
    auto *sys = new ScriptedSysCalls;
    sys->failures["open"] = {EACCES}; // keeps the test away from the real root folder
    window.sysForMover.reset(sys);
    window.folder = "/";
    window.entries = {{"a.jpg", true}};
    window.answers = {MessageAnswer::Yes, MessageAnswer::Ok};
    run();
    EXPECT_EQ(sys->log, QStringList {"open / "});
    EXPECT_TRUE(window.messages[1].prompt.contains(QStringLiteral("„Urlaub01.jpg“")));
}
