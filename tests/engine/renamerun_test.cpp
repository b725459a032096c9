// SPDX-License-Identifier: GPL-3.0-or-later
#include "capturefiles.h"
#include "fakewindow.h"
#include "renamedialogue.h"
#include "scriptedsyscalls.h"
#include "tempfolder.h"
#include "zone.h"

#include <QDateTime>

#include <QDateTime>

#include <gtest/gtest.h>

#include <map>

#include <sys/stat.h>

namespace {

using Names = std::vector<std::string>;

// A fresh folder with the named files (each holding its name), listed and all selected by a
// fake window set to rename them to "Urlaub" with automatic digits.
struct Scene
{
    TempFolder local;
    FakeWindow w;

    explicit Scene(std::initializer_list<const char *> names, bool select = true)
    {
        w.folder = local.path();
        for (const char *n : names)
            local.write(n, n);
        w.list(local.names());
        if (select)
            w.selectAll();
        w.texts[OptionText::Text2] = QStringLiteral("Urlaub");
        w.checks[OptionCheck::Check1] = true;
        w.lister = [this] { return local.names(); };
    }
};

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
    bool touchedNothing() const { return window.movedNothing(); }
};

} // namespace

TEST_F(RunFixture, RenamesSelectedFilesInListOrderAndResetsTheWindow)
{
    files({"a.jpg", "b.png", "c.gif", "d.txt", "e.txt", "f.bmp"});
    window.select({0, 2, 5});
    window.checks[OptionCheck::Check3] = true;
    window.texts[OptionText::Text3] = QStringLiteral("1");
    window.keepExtension = true;
    // A preview made before the name was typed is planned anew.
    window.texts[OptionText::Text2] = QStringLiteral("Foto");
    window.preview();
    window.texts[OptionText::Text2] = QStringLiteral("Urlaub");
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
    EXPECT_TRUE(window.calls.contains(QStringLiteral("status=Bitte warten - führe Aktion aus.")));
    const QStringList completion {
        "status=Bin bereit ...", "rereadFiles",        "setText2=Urlaub",
        "selectKeepExtension",   "setText3=1",         "setCheck1=1",
        "setCheck3=0",           "setCheck4=0",        "message:Bin fertig!",
        "page0+tabstrip",        "clearSelectionToTop"};
    EXPECT_EQ(window.calls.mid(window.calls.size() - completion.size()), completion);
    EXPECT_EQ(window.statusLook, StatusLook::Ready);
    EXPECT_EQ(window.fileCount(), 6);
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
    // clang-format off
    const Case cases[] = {
        {"Urlaub", true, false, false, "1", true, "2", nullptr, {"Urlaub 01.jpg", "Urlaub 02.png"}},
        {"Urlaub", true, true, false, "1", true, "2", nullptr, {"Urlaub_01.jpg", "Urlaub_02.png"}},
        {"Ferien am See", false, true, false, "1", true, "2", nullptr,
         {"Ferien_am_See01.jpg", "Ferien_am_See02.png"}},
        {"Größe Übung", false, true, true, "1", true, "2", nullptr,
         {"Groesse_Uebung01.jpg", "Groesse_Uebung02.png"}},
        {"Größe", false, false, false, "1", true, "2", nullptr, {"Größe01.jpg", "Größe02.png"}},
        // Decomposed umlauts (a + combining diaeresis) and the capital sharp s.
        {"Gro\xcc\x88\xc3\x9f\x65 \xe1\xba\x9e", false, false, true, "1", true, "2", nullptr,
         {"Groesse SS01.jpg", "Groesse SS02.png"}},
        {"Bild", false, false, false, "7", false, "3", nullptr, {"Bild007.jpg", "Bild008.png"}},
        {"Bild", false, false, false, "9999", true, "2", "jpeg",
         {"Bild09999.jpeg", "Bild10000.jpeg"}},
        // Fractional start numbers in the number format: both readings take the whole part.
        {"Bild", false, false, false, "1.5", true, "2", nullptr, {"Bild01.jpg", "Bild02.png"}},
        {"Bild", false, false, false, "1e2", true, "2", nullptr, {"Bild100.jpg", "Bild101.png"}},
    };
    // clang-format on
    for (const auto &c : cases) {
        Scene scene {"a.jpg", "b.png"};
        auto &[local, w] = scene;
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
    const QString control = QStringLiteral("keine Steuerzeichen (wie Tabulator oder Zeilenumbruch) "
                                           "enthalten!");
    const QStringList inName {"message:Eingabefehler ...", "focusText2+select"};
    const QStringList inExtension {"message:Eingabefehler ...", "focusText1+select"};
    // clang-format off
    const Case cases[] = {
        {"nothing selected", false, QString(), QString(), {"message:Eingabefehler ...", "page0"},
         MessageKind::Warning, QStringLiteral("Es wurden keine Dateien ausgewählt!")},
        {"empty name", true, QString(), QString(), {"message:Eingabefehler ...", "focusText2"},
         MessageKind::Warning, QStringLiteral("Bitte geben Sie den neuen Dateinamen an!")},
        {"percent", true, QStringLiteral("Urlaub 50%"), QString(), inName, MessageKind::Error,
         forbidden},
        {"tab in name", true, QStringLiteral("Bi\tld"), QString(), inName, MessageKind::Error,
         QStringLiteral("Der neue Dateiname darf ") + control},
        {"NUL in name", true, QStringLiteral("Bild") + QChar(0) + QStringLiteral("x"), QString(),
         inName, MessageKind::Error, QStringLiteral("Der neue Dateiname darf ") + control},
        {"leading dot", true, QStringLiteral(".Bild"), QString(), inName, MessageKind::Error,
         QStringLiteral("Der neue Dateiname darf nicht mit einem Punkt beginnen, weil solche "
                        "Dateien versteckt sind und nicht mehr angezeigt werden!")},
        {"line feed in extension", true, QStringLiteral("Urlaub"), QStringLiteral("j\npg"),
         inExtension, MessageKind::Error, QStringLiteral("Die neue Dateiendung darf ") + control},
        {"slash in extension", true, QStringLiteral("Urlaub"), QStringLiteral("a/b"), inExtension,
         MessageKind::Error,
         QStringLiteral("Die neue Dateiendung darf das Zeichen / nicht enthalten!")},
    };
    // clang-format on
    for (const auto &c : cases) {
        Scene scene({"a.jpg"}, c.select);
        auto &[local, w] = scene;
        w.checks.clear();
        w.texts[OptionText::Text2] = c.name;
        w.texts[OptionText::Text1] = c.extension;
        w.keepExtension = c.extension.isEmpty();
        runRename(w);
        EXPECT_EQ(w.calls, c.expectedCalls) << c.what;
        ASSERT_EQ(w.messages.size(), 1u) << c.what;
        EXPECT_EQ(w.messages[0].kind, c.kind) << c.what;
        EXPECT_EQ(w.messages[0].prompt, c.prompt) << c.what;
        EXPECT_EQ(local.names(), Names {"a.jpg"}) << c.what;
        EXPECT_TRUE(w.movedNothing()) << c.what;
    }
}

TEST_F(RunFixture, EveryForbiddenCharacterIsRefused)
{
    const QString line = QLatin1String(Texts::forbiddenNameCharacters);
    EXPECT_EQ(line.size(), 25);
    for (const QChar c : QStringLiteral("/\\:*?\"<>|$%&~")) {
        FakeWindow w;
        w.entries = {{"a.jpg", true}};
        w.texts[OptionText::Text2] = QStringLiteral("Bild") + c + QStringLiteral("1");
        runRename(w);
        ASSERT_EQ(w.messages.size(), 1u) << QString(c).toStdString();
        EXPECT_TRUE(w.messages[0].prompt.endsWith(line));
    }
    Scene scene {"a.jpg"}; // a name of blanks only passes the checks
    FakeWindow &blanks = scene.w;
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

TEST_F(RunFixture, CdLimitCountsTheLongestWholeName)
{
    struct Case
    {
        QString name;
        bool blank;
        bool umlauts;
        bool refused;
    };
    // Files a.jpg and b.jpeg: the longest new name ends in ".jpeg", 5 characters.
    const QString x56(56, QLatin1Char('x'));
    const Case cases[] = {
        {x56 + QStringLiteral("x"), false, false, false}, // 57 + 2 + 5 = 64
        {x56 + QStringLiteral("xx"), false, false, true}, // 58 + 2 + 5
        {x56.left(55) + QStringLiteral("ä"), true, false, false}, // 56 + 1 + 2 + 5; ä is one
        {x56.left(55) + QStringLiteral("äö"), true, false, true}, // 57 + 1 + 2 + 5
        {x56 + QStringLiteral("ä"), false, true, true}, // "ae": 58 + 2 + 5
    };
    for (const auto &c : cases) {
        Scene scene {"a.jpg", "b.jpeg"};
        auto &[local, w] = scene;
        w.texts[OptionText::Text2] = c.name;
        w.checks[OptionCheck::Check2] = c.blank;
        w.checks[OptionCheck::Check6] = true;
        w.checks[OptionCheck::Check7] = c.umlauts;
        runRename(w);
        if (c.refused) {
            EXPECT_EQ(w.messageTitles(), (QStringList {"Frage ...?", "Fehler ..."}));
            EXPECT_EQ(w.calls.last(), QStringLiteral("focusText2+select"));
            EXPECT_EQ(local.names(), (Names {"a.jpg", "b.jpeg"}));
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

    // Where the files of a shot share a number, the shots count: two files each.
    for (const int shots : {32767 - 9999 + 1, 32767 - 9999}) {
        FakeWindow w;
        w.folder = dir.path();
        w.texts[OptionText::Text2] = QStringLiteral("Urlaub");
        w.texts[OptionText::Text3] = QStringLiteral("9999");
        w.checks[OptionCheck::Check1] = true;
        w.checks[OptionCheck::Check9] = true;
        for (int i = 0; i < shots; ++i) {
            for (const char *extension : {".CR2", ".JPG"})
                w.entries.push_back({"s" + QByteArray::number(i) + extension, true});
        }
        runRename(w);
        // Not refused for their number, the files are refused as missing.
        const bool refused = w.messages.back().title == QStringLiteral("Eingabefehler ...");
        EXPECT_EQ(refused, shots > 32767 - 9999) << shots;
        if (refused) {
            EXPECT_TRUE(w.messages.back().prompt.contains(QStringLiteral("22769 Aufnahmen")));
        }
        EXPECT_TRUE(w.movedNothing()); // the files are not there
    }
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

TEST_F(RunFixture, ConflictsKnownBeforehandTouchNothing)
{
    struct Case
    {
        const char *what;
        std::function<void(TempFolder &)> prepare; // after listing a.jpg, b.jpg, c.jpg
        bool foldCase;
        QString name;
        QStringList listed; // lines the message must hold
        bool changed = false; // the folder no longer holds what the list shows
        bool whileAsked = false; // prepared while "Sind Sie sicher…?" is open, else before
        int readError = 0; // the listing of the folder fails with it
        bool previewClean = false; // the window's preview shows no conflict (it is older)
    };
    const QString tooLong = QString(250, QLatin1Char('n')); // + "01.jpg" is 256 bytes
    const Case cases[] = {
        {"entries outside the run",
         [](TempFolder &d) {
             d.write("Bild01.jpg", "other");
             ::mkdir(d.pathOf("Bild02.jpg").constData(), 0755);
             ASSERT_EQ(::symlink("/nonexistent", d.pathOf("Bild03.jpg").constData()), 0);
         },
         false,
         QStringLiteral("Bild"),
         {"„a.jpg“ → „Bild01.jpg“: Es gibt schon eine nicht ausgewählte Datei „Bild01.jpg“.",
          "„b.jpg“ → „Bild02.jpg“: Es gibt schon einen Ordner „Bild02.jpg“.",
          "„c.jpg“ → „Bild03.jpg“: Es gibt schon eine Verknüpfung „Bild03.jpg“."}},
        {"listed files replaced by a folder, a pipe and a socket, or gone",
         [](TempFolder &d) {
             ::unlink(d.pathOf("b.jpg").constData());
             ::mkdir(d.pathOf("b.jpg").constData(), 0755);
             ::unlink(d.pathOf("a.jpg").constData());
             ::mkfifo(d.pathOf("a.jpg").constData(), 0644);
             ::unlink(d.pathOf("c.jpg").constData());
             ::mknod(d.pathOf("c.jpg").constData(), S_IFSOCK | 0644, 0);
             ::unlink(d.pathOf("d.jpg").constData());
         },
         false,
         QStringLiteral("Bild"),
         {"„a.jpg“ ist keine Datei mehr.", "„b.jpg“ ist keine Datei mehr.",
          "„c.jpg“ ist keine Datei mehr.", "„d.jpg“ ist nicht mehr vorhanden."},
         true},
        {"an entry outside the run made while the question is open",
         [](TempFolder &d) { d.write("Bild02.jpg", "other"); },
         false,
         QStringLiteral("Bild"),
         {"„b.jpg“ → „Bild02.jpg“: Es gibt schon eine nicht ausgewählte Datei „Bild02.jpg“."},
         false,
         true},
        {"two files fold to one name",
         [](TempFolder &d) { d.write("bild02.JPG"); },
         true,
         QStringLiteral("Bild"),
         {"„b.jpg“ → „Bild02.jpg“: Es gibt schon eine nicht ausgewählte Datei „bild02.JPG“."}},
        {"longer than the file system allows by one byte",
         [](TempFolder &) {},
         false,
         tooLong,
         {"zu lang (höchstens 255 Bytes)"}},
        {"the folder's listing fails part way (a card pulled)",
         [](TempFolder &) {},
         false,
         QStringLiteral("Bild"),
         {"Der Ordner kann nicht gelesen werden. Es wurde keine Datei umbenannt."},
         true,
         false,
         EIO},
        {"an entry outside the run that the window's preview does not show yet",
         [](TempFolder &d) { d.write("Bild03.jpg", "other"); },
         false,
         QStringLiteral("Bild"),
         {"„c.jpg“ → „Bild03.jpg“: Es gibt schon eine nicht ausgewählte Datei „Bild03.jpg“."},
         false,
         false,
         0,
         true},
    };
    for (const auto &c : cases) {
        Scene scene {"a.jpg", "b.jpg", "c.jpg", "d.jpg"};
        auto &[local, w] = scene;
        w.checks.clear();
        auto before = local.names();
        const auto prepare = [&] {
            c.prepare(local);
            before = local.names();
        };
        w.texts[OptionText::Text2] = c.name;
        if (c.previewClean)
            w.preview(); // of the folder before it changed
        if (c.whileAsked)
            w.onShow = [&](const ScriptedBoxes::Message &) {
                if (w.messages.size() == 1)
                    prepare();
            };
        else
            prepare();
        auto *sys = new ScriptedSysCalls;
        sys->foldCase = c.foldCase;
        sys->inodePerSpelling = c.foldCase; // as FUSE exFAT: the lookup must decide, not inodes
        if (c.readError)
            sys->failures["readdir"] = {c.readError};
        w.sysForMover.reset(sys);
        runRename(w);
        EXPECT_EQ(local.names(), before) << c.what;
        // Known when the button is pressed: refused at once; else, or where the window's
        // preview showed no conflict, after the question, by the read that follows it.
        const QStringList titles = c.whileAsked || c.previewClean
            ? QStringList {"Frage ...?", "Fehler ..."}
            : QStringList {"Fehler ..."};
        ASSERT_EQ(w.messageTitles(), titles) << c.what;
        for (const QString &line : c.listed)
            EXPECT_TRUE(w.messages.back().prompt.contains(line))
                << c.what << "\n"
                << w.messages.back().prompt.toStdString();
        EXPECT_TRUE(w.mover->moves.isEmpty()) << c.what;
        EXPECT_EQ(w.statusCaption, QStringLiteral("Bin bereit ...")) << c.what;
        // A changed folder is read again, so that the list shows what is there; otherwise the
        // selection is kept for another try.
        EXPECT_EQ(w.calls.contains(QStringLiteral("rereadFiles")), c.changed) << c.what;
        if (c.changed)
            EXPECT_EQ(w.fileCount(), int(local.names().size())) << c.what;
        else
            EXPECT_TRUE(w.isFileSelected(0)) << c.what;
    }
}

TEST_F(RunFixture, ConflictListStopsAtTen)
{
    Names names;
    for (int i = 0; i < 12; ++i) {
        names.push_back("f" + std::to_string(10 + i));
        dir.write(QByteArray("Urlaub") + QByteArray::number(i + 1).rightJustified(2, '0'));
    }
    files(names);
    window.entries.erase(window.entries.begin(), window.entries.begin() + 12); // the Urlaub files
    window.selectAll();
    run();
    ASSERT_EQ(window.messageTitles(), QStringList {"Fehler ..."});
    EXPECT_EQ(window.messages[0].prompt.count(QStringLiteral("→")), 10);
    EXPECT_TRUE(window.messages[0].prompt.endsWith(QStringLiteral("und 2 weitere")));
}

TEST_F(RunFixture, RenumberingInPlace)
{
    struct Case
    {
        const char *what;
        int count;
        int firstOld; // files Bild<firstOld>.jpg ...
        const char *start;
        int firstNew;
    };
    const Case cases[] = {
        {"shift up by one", 10, 1, "2", 2},      {"shift down by one", 10, 2, "1", 1},
        {"shift up over 1000", 1000, 1, "2", 2}, {"shift down over 1000", 1000, 2, "1", 1},
        {"the same run again", 10, 1, "1", 1},
    };
    for (const auto &c : cases) {
        TempFolder local;
        FakeWindow w;
        w.folder = local.path();
        const int digits = c.count + c.firstNew >= 1000 ? 4 : 2;
        auto name = [&](int n) {
            return QByteArray("Bild") + QByteArray::number(n).rightJustified(digits, '0') + ".jpg";
        };
        for (int i = 0; i < c.count; ++i)
            local.write(name(c.firstOld + i), QByteArray::number(i));
        w.list(local.names());
        w.selectAll();
        w.texts[OptionText::Text2] = QStringLiteral("Bild");
        w.texts[OptionText::Text3] = QLatin1String(c.start);
        w.checks[OptionCheck::Check1] = true;
        runRename(w);
        EXPECT_EQ(w.messageTitles(), (QStringList {"Frage ...?", "Bin fertig!"})) << c.what;
        ASSERT_EQ(local.names().size(), size_t(c.count)) << c.what;
        for (int i = 0; i < c.count; ++i)
            ASSERT_EQ(local.read(name(c.firstNew + i)), QByteArray::number(i)) << c.what << i;
    }
}

TEST_F(RunFixture, SwapGoesThroughATemporaryName)
{
    files({"A1.jpg", "A2.jpg"});
    // Listed in reverse, so that A2.jpg is to become A1.jpg and A1.jpg A2.jpg.
    window.entries = {{"A2.jpg", true}, {"A1.jpg", true}};
    window.texts[OptionText::Text2] = QStringLiteral("A");
    window.texts[OptionText::Text4] = QStringLiteral("1");
    run();
    EXPECT_EQ(window.messageTitles(), (QStringList {"Frage ...?", "Bin fertig!"}));
    EXPECT_EQ(dir.read("A01.jpg"), "content of A2.jpg");
    EXPECT_EQ(dir.read("A02.jpg"), "content of A1.jpg");
}

TEST_F(RunFixture, CaseOnlyRenameWhereCaseIsIgnoredGoesThroughARecordedTemporaryName)
{
    files({"urlaub01.jpg", "urlaub02.jpg"});
    window.selectAll();
    auto *sys = new ScriptedSysCalls;
    sys->foldCase = true;
    window.sysForMover.reset(sys);
    TempFolder state;
    window.journal = std::make_unique<JournalStore>(QString::fromUtf8(state.path()));
    run();
    EXPECT_EQ(window.messageTitles(), (QStringList {"Frage ...?", "Bin fertig!"}));
    EXPECT_EQ(dir.names(), (Names {"Urlaub01.jpg", "Urlaub02.jpg"}));
    EXPECT_EQ(dir.read("Urlaub02.jpg"), "content of urlaub02.jpg");
    // Each file in two plain moves, through the temporary name its record holds.
    Journal record;
    ASSERT_EQ(window.journal->loadLast(&record), JournalStore::Load::Ok);
    ASSERT_EQ(record.steps.size(), 4u);
    ASSERT_EQ(window.mover->moves.size(), 4);
    const QByteArray prefix = dir.path() + '/';
    for (int i = 0; i < 2; ++i) {
        const JournalFile &f = record.files[size_t(i)];
        EXPECT_TRUE(f.tempName.startsWith(".brixelwand-") && f.tempName.endsWith(".tmp"));
        EXPECT_EQ(record.steps[size_t(2 * i)].kind, JournalStep::OldToTemp);
        EXPECT_EQ(record.steps[size_t(2 * i + 1)].kind, JournalStep::TempToNew);
        EXPECT_EQ(window.mover->moves[2 * i], prefix + f.oldName + " -> " + prefix + f.tempName);
        EXPECT_EQ(window.mover->moves[2 * i + 1],
                  prefix + f.tempName + " -> " + prefix + f.newName);
    }
}

TEST_F(RunFixture, FailureOffersToRestoreTheOldNames)
{
    files({"a.jpg", "b.jpg", "c.jpg"});
    auto *sys = new ScriptedSysCalls;
    sys->failures["renameat2"] = {0, 0, EEXIST}; // another program took the third name
    window.sysForMover.reset(sys);
    window.selectAll();
    window.texts[OptionText::Text2] = QStringLiteral("Bild");
    run(); // answers Yes to the restore question
    EXPECT_EQ(dir.names(), (Names {"a.jpg", "b.jpg", "c.jpg"}));
    EXPECT_EQ(dir.read("a.jpg"), "content of a.jpg");
    ASSERT_EQ(window.messageTitles(), (QStringList {"Frage ...?", "Fehler ...", "Frage ...?"}));
    const QString report = window.messages[1].prompt;
    EXPECT_TRUE(report.contains(QStringLiteral("„c.jpg“ konnte nicht in „Bild03.jpg“")));
    EXPECT_TRUE(report.contains(QStringLiteral("mit dem neuen Namen")));
    EXPECT_TRUE(report.contains(QStringLiteral("Bis dahin umbenannte Dateien: 2.")));
    EXPECT_TRUE(window.messages[2].prompt.contains(QStringLiteral("2 bereits umbenannten")));
    EXPECT_EQ(window.calls.mid(window.calls.size() - 2),
              (QStringList {"status=Bin bereit ...", "rereadFiles"}));
    EXPECT_FALSE(window.calls.contains(QStringLiteral("setText3=1")));
}

TEST_F(RunFixture, FailureInsideACycleIsRestoredFromTheTemporaryName)
{
    files({"A01.jpg", "A02.jpg", "A03.jpg"});
    // A rotation, one cycle: A03 -> A01, A01 -> A02, A02 -> A03.
    window.entries = {{"A03.jpg", true}, {"A01.jpg", true}, {"A02.jpg", true}};
    window.texts[OptionText::Text2] = QStringLiteral("A");
    auto *sys = new ScriptedSysCalls;
    sys->failures["renameat2"] = {0, 0, EIO}; // A03 to a temporary name, A02 -> A03, then fails
    window.sysForMover.reset(sys);
    run();
    ASSERT_EQ(window.messageTitles(), (QStringList {"Frage ...?", "Fehler ...", "Frage ...?"}));
    // The report names the file that waits under its temporary name.
    EXPECT_TRUE(window.messages[1].prompt.contains(
        QStringLiteral("Diese Datei liegt noch unter einem vorläufigen Namen:\n„A03.jpg“ als "
                       "„.brixelwand-")))
        << window.messages[1].prompt.toStdString();
    EXPECT_TRUE(window.messages[2].prompt.contains(QStringLiteral("2 bereits umbenannten")));
    EXPECT_EQ(dir.names(), (Names {"A01.jpg", "A02.jpg", "A03.jpg"}));
    for (const char *n : {"A01.jpg", "A02.jpg", "A03.jpg"})
        EXPECT_EQ(dir.read(n), QByteArray("content of ") + n);
    EXPECT_TRUE(sys->log.join(QLatin1Char(',')).contains(QStringLiteral(".tmp")));
}

TEST_F(RunFixture, FailureReasons)
{
    struct Case
    {
        const char *what;
        std::map<std::string, std::deque<int>> failures;
        int report; // index of the box that must say it
        QString reason;
        // The record afterwards: -1 not looked at; 0 none; n the last run with its n moves
        // still made. runningKept: the record still says running.
        int lastSteps = -1;
        bool runningKept = false;
        std::map<std::string, std::deque<int>> stateFailures = {};
        std::deque<MessageAnswer> answers = {}; // Yes to every question where none is given
        bool untouched = false; // every file keeps its old name
    };
    const Case cases[] = {
        {"no permission", {{"renameat2", {0, EACCES, EROFS}}}, 1, QStringLiteral("Berechtigung")},
        {"restore blocked",
         {{"renameat2", {0, EACCES, EROFS}}},
         3,
         QStringLiteral("schreibgeschützt")},
        {"old name taken",
         {{"renameat2", {0, EACCES, EEXIST}}},
         3,
         // Says which old name another file holds now.
         QStringLiteral("„Urlaub01.jpg“ → „a.jpg“: Der frühere Name „a.jpg“ ist inzwischen "
                        "durch eine andere Datei oder einen Ordner belegt.")},
        {"placeholder not made",
         {{"renameat2", {EINVAL}}, {"link", {0, EPERM}}, {"unlink", {0}}, {"create", {ENOSPC}}},
         1,
         QStringLiteral("konnte nicht für die Datei reserviert werden: Auf dem Datenträger ist "
                        "kein Platz mehr frei.")},
        {"card pulled during the run",
         {{"renameat2", {0, ENOTCONN, ENOTCONN}}},
         1,
         QStringLiteral("Grund: Der Datenträger ist nicht mehr erreichbar (wurde er entfernt?)."),
         1},
        {"restore stops at its first failure, the record keeps what is still renamed",
         {{"renameat2", {0, 0, EACCES, 0, EROFS}}},
         3,
         QStringLiteral("„Urlaub01.jpg“ → „a.jpg“: Der Datenträger ist schreibgeschützt."),
         1},
        {"record cannot be completed",
         {},
         1,
         QStringLiteral("aber das Protokoll konnte nicht abgeschlossen werden"),
         -1,
         true,
         {{"pwrite", {EROFS}}}},
        {"card pulled, the restore fails too",
         {{"renameat2", {0, ENOTCONN, ENOTCONN}}},
         3,
         QStringLiteral("„Urlaub01.jpg“ → „a.jpg“: Der Datenträger ist nicht mehr erreichbar")},
        {"record cannot be written, and the user does not rename without one",
         {},
         1,
         QStringLiteral("Das Protokoll der Umbenennung kann nicht gespeichert werden (Auf dem "
                        "Datenträger ist kein Platz mehr frei)"),
         -1,
         false,
         {{"fdatasync", {ENOSPC}}},
         {MessageAnswer::Yes, MessageAnswer::No},
         true},
        {"a lock that fails with ENOLCK refuses the run: it never runs unlocked",
         {},
         1,
         QStringLiteral("Die Sperre im Ordner für die Protokolle lässt sich nicht setzen (Das "
                        "Dateisystem kann keine Sperre setzen). Es wird keine Datei umbenannt."),
         0,
         false,
         {{"flock", {ENOLCK}}},
         {},
         true},
        {"record of a failed run cannot be updated",
         {{"renameat2", {0, EACCES}}},
         3,
         QStringLiteral("konnte nicht aktualisiert werden (Der Datenträger ist schreibgeschützt)"),
         -1,
         true,
         {{"renameat", {0, EROFS}}},
         {MessageAnswer::Yes, MessageAnswer::Ok, MessageAnswer::No}},
        {"an error without a German name",
         {{"renameat2", {0, EBADMSG}}},
         1,
         QStringLiteral("Grund: Systemfehler %1 (").arg(EBADMSG),
         0},
    };
    for (const auto &c : cases) {
        Scene scene {"a.jpg", "b.jpg", "c.jpg"};
        auto &[local, w] = scene;
        TempFolder state;
        ScriptedSysCalls stateSys; // outlives the store
        stateSys.failures = c.stateFailures;
        w.journal = std::make_unique<JournalStore>(QString::fromUtf8(state.path()), &stateSys);
        auto *sys = new ScriptedSysCalls;
        sys->failures = c.failures;
        w.sysForMover.reset(sys);
        w.answers = c.answers;
        runRename(w);
        if (c.untouched) {
            EXPECT_EQ(local.names(), (Names {"a.jpg", "b.jpg", "c.jpg"})) << c.what;
        }
        ASSERT_GT(w.messages.size(), size_t(c.report)) << c.what;
        EXPECT_TRUE(w.messages[size_t(c.report)].prompt.contains(c.reason))
            << c.what << "\n"
            << w.messages[size_t(c.report)].prompt.toStdString();
        EXPECT_FALSE(w.messages[1].prompt.contains(QStringLiteral("nicht mehr vorhanden")));
        EXPECT_FALSE(w.messageTitles().contains(QStringLiteral("Bin fertig!"))) << c.what;
        Journal record;
        if (c.lastSteps == 0) {
            EXPECT_EQ(w.journal->loadLast(&record), JournalStore::Load::None) << c.what;
        }
        if (c.lastSteps > 0) {
            ASSERT_EQ(w.journal->loadLast(&record), JournalStore::Load::Ok) << c.what;
            EXPECT_EQ(record.steps.size(), size_t(c.lastSteps)) << c.what;
        }
        if (c.lastSteps >= 0 || c.runningKept) {
            EXPECT_EQ(w.journal->loadRunning(&record),
                      c.runningKept ? JournalStore::Load::Ok : JournalStore::Load::None)
                << c.what;
        }
        w.journal.reset();
    }
}

TEST_F(RunFixture, RootFolderGivesOneSeparator)
{
    files({"a.jpg"});
    auto *sys = new ScriptedSysCalls;
    sys->redirect["/"] = dir.path().toStdString(); // the root folder is this one, for the test
    window.sysForMover.reset(sys);
    window.folder = "/";
    window.entries = {{"a.jpg", true}};
    run();
    ASSERT_EQ(window.mover->moves.size(), 1);
    EXPECT_EQ(window.mover->moves[0], "/a.jpg -> /Urlaub01.jpg");
    EXPECT_EQ(dir.names(), Names {"Urlaub01.jpg"});
}

// Capture-time order and shots: the numbers follow the times read through the window, a shot
// takes one number, a <stem>.<ext>.xmp sidecar keeps its double extension, and the digit count
// follows the shots.
TEST_F(RunFixture, NumbersInCaptureOrderAndByShot)
{
    using namespace capturefiles;
    struct Case
    {
        const char *what;
        bool byTime, groups;
        const char *start;
        bool autoDigits;
        const char *extension; // typed; nullptr keeps the old ones
        std::vector<std::pair<std::string, std::string>> renamed; // old name -> new name
        const char *refusal = nullptr; // part of the message where the run stops
        // The files with their contents, where not the five below.
        std::vector<std::pair<const char *, QByteArray>> files = {};
        bool dated = false, perDay = false; // Check10, Check11
        const char *dayStart = "0";
        const char *digits = "2"; // typed, without autoDigits
        const char *name = "Urlaub";
        bool cdLimit = false;
        bool underscores = false; // Check5
    };
    const auto at
        = [](const char *clock, const char *offset) { return jpeg(tiff(exif(clock, "", offset))); };
    // Two nights in Tokyo, from 22:00 to 02:30 and 03:59; the clock in UTC gives other days.
    const std::vector<std::pair<const char *, QByteArray>> nights
        = {{"IMG_0101.JPG", at("2024:07:01 22:00:00", "+09:00")},
           {"IMG_0102.JPG", at("2024:07:01 23:59:00", "+09:00")},
           {"IMG_0103.JPG", at("2024:07:02 02:30:00", "+09:00")},
           {"IMG_0104.JPG", at("2024:07:02 09:15:00", "+09:00")},
           {"IMG_0105.JPG", at("2024:07:03 03:59:59", "+09:00")}};
    const std::vector<std::pair<const char *, QByteArray>> twoDays
        = {{"DSC_0201.JPG", at("2024:07:01 10:00:00", "+01:00")},
           {"DSC_0202.JPG", at("2024:07:01 11:00:00", "+01:00")},
           {"DSC_0203.JPG", at("2024:07:02 09:00:00", "+01:00")},
           {"DSC_0204.JPG", at("2024:07:02 09:30:00", "+01:00")}};
    const auto movieAt = [](const char *isoUtc) {
        return movie(
            quint64(QDateTime::fromString(QLatin1String(isoUtc), Qt::ISODate).toSecsSinceEpoch())
                + secondsFrom1904To1970,
            0, false, 1000, "qt  ");
    };
    const std::vector<std::pair<const char *, QByteArray>> withMovie
        = {{"IMG_0301.JPG", at("2024:07:01 23:10:00", "+01:00")},
           {"MVI_0302.MOV", movieAt("2024-07-01T23:30:00Z")},
           {"IMG_0303.JPG", at("2024:07:02 08:00:00", "+01:00")}};
    // The five files of most cases, with a Live Photo whose movie is named otherwise.
    const QByteArray liveId = "3F2504E0-4F89-41D3-9A0C-0305E82C3301";
    const std::vector<std::pair<const char *, QByteArray>> withLivePhoto
        = {{"IMG_0042.CR2", tiff(exif("2024:07:01 12:00:05"))},
           {"IMG_0042.CR2.xmp", xmpPacket("Xmp.dc.format", "image/x-canon-cr2")},
           {"IMG_0042.JPG", jpeg(tiff(exif("2024:07:01 12:00:05")))},
           {"IMG_0043.JPG", jpeg(tiff(exif("2024:07:01 12:00:01")))},
           {"DSC_0001.JPG", jpeg(tiff(exif("2024:07:01 12:00:03")))},
           {"IMG_0108.HEIC",
            heic(tiff(phoneExif("2024:07:01 12:00:02", "", appleMakerNote(liveId))), 1000)},
           // alone it would come first: its header says 2021
           {"IMG_0108_HEVC.MOV", liveMovie(3700000000u, liveId, 1000)}};
    // With " 01.JPG", 58 characters; with the date before it, 69.
    const char *longName = "Urlaub in den Bergen am Wolfgangsee mit den Kindern";
    // clang-format off
    const Case cases[] = {
        {"time and shots", true, true, "1", true, nullptr,
         {{"IMG_0043.JPG", "Urlaub 01.JPG"}, {"DSC_0001.JPG", "Urlaub 02.JPG"},
          {"IMG_0042.CR2", "Urlaub 03.CR2"}, {"IMG_0042.CR2.xmp", "Urlaub 03.CR2.xmp"},
          {"IMG_0042.JPG", "Urlaub 03.JPG"}}},
        {"time alone: the sidecar has only its file date, which is today",
         true, false, "1", true, nullptr,
         {{"IMG_0043.JPG", "Urlaub 01.JPG"}, {"DSC_0001.JPG", "Urlaub 02.JPG"},
          {"IMG_0042.CR2", "Urlaub 03.CR2"}, {"IMG_0042.JPG", "Urlaub 04.JPG"},
          {"IMG_0042.CR2.xmp", "Urlaub 05.xmp"}}},
        {"shots in list order; 96 + 3 shots needs two digits where 96 + 5 files needs three",
         false, true, "96", false, nullptr,
         {{"DSC_0001.JPG", "Urlaub 96.JPG"}, {"IMG_0042.CR2", "Urlaub 97.CR2"},
          {"IMG_0042.CR2.xmp", "Urlaub 97.CR2.xmp"}, {"IMG_0042.JPG", "Urlaub 97.JPG"},
          {"IMG_0043.JPG", "Urlaub 98.JPG"}}},
        {"one typed extension for a shot of three files", false, true, "1", true, "jpg", {},
         "„IMG_0042.CR2“ gehört zur selben Aufnahme"},
        {"a Live Photo whose movie is named otherwise: one number, read without the time order",
         false, true, "1", true, nullptr,
         {{"DSC_0001.JPG", "Urlaub 01.JPG"}, {"IMG_0042.CR2", "Urlaub 02.CR2"},
          {"IMG_0042.CR2.xmp", "Urlaub 02.CR2.xmp"}, {"IMG_0042.JPG", "Urlaub 02.JPG"},
          {"IMG_0043.JPG", "Urlaub 03.JPG"}, {"IMG_0108.HEIC", "Urlaub 04.HEIC"},
          {"IMG_0108_HEVC.MOV", "Urlaub 04.MOV"}},
         nullptr, withLivePhoto},
        {"a Live Photo in time order: at its still's time", true, true, "1", true, nullptr,
         {{"IMG_0043.JPG", "Urlaub 01.JPG"}, {"IMG_0108.HEIC", "Urlaub 02.HEIC"},
          {"IMG_0108_HEVC.MOV", "Urlaub 02.MOV"}, {"DSC_0001.JPG", "Urlaub 03.JPG"},
          {"IMG_0042.CR2", "Urlaub 04.CR2"}, {"IMG_0042.CR2.xmp", "Urlaub 04.CR2.xmp"},
          {"IMG_0042.JPG", "Urlaub 04.JPG"}},
         nullptr, withLivePhoto},
        {"date and numbers per day need the capture time: without it the run of always",
         false, false, "1", true, nullptr,
         {{"DSC_0001.JPG", "Urlaub 01.JPG"}, {"IMG_0042.CR2", "Urlaub 02.CR2"},
          {"IMG_0042.CR2.xmp", "Urlaub 03.xmp"}, {"IMG_0042.JPG", "Urlaub 04.JPG"},
          {"IMG_0043.JPG", "Urlaub 05.JPG"}},
         nullptr, {}, true, true, "4"},
        {"a night shoot across midnight, the day beginning at 4", true, false, "1", true, nullptr,
         {{"IMG_0101.JPG", "2024-07-01 Urlaub 01.JPG"}, {"IMG_0102.JPG", "2024-07-01 Urlaub 02.JPG"},
          {"IMG_0103.JPG", "2024-07-01 Urlaub 03.JPG"}, {"IMG_0104.JPG", "2024-07-02 Urlaub 01.JPG"},
          {"IMG_0105.JPG", "2024-07-02 Urlaub 02.JPG"}},
         nullptr, nights, true, true, "4"},
        {"two days counted each with a typed digit count", true, false, "1", false, nullptr,
         {{"DSC_0201.JPG", "2024-07-01 Urlaub 001.JPG"}, {"DSC_0202.JPG", "2024-07-01 Urlaub 002.JPG"},
          {"DSC_0203.JPG", "2024-07-02 Urlaub 001.JPG"}, {"DSC_0204.JPG", "2024-07-02 Urlaub 002.JPG"}},
         nullptr, twoDays, true, true, "0", "3"},
        {"the digit count goes by the largest day: 97 + 2 needs two digits where 97 + 4 needs "
         "three; a typed 2 is enough", true, false, "97", false, nullptr,
         {{"DSC_0201.JPG", "2024-07-01_Urlaub_97.JPG"}, {"DSC_0202.JPG", "2024-07-01_Urlaub_98.JPG"},
          {"DSC_0203.JPG", "2024-07-02_Urlaub_97.JPG"}, {"DSC_0204.JPG", "2024-07-02_Urlaub_98.JPG"}},
         nullptr, twoDays, true, true, "0", "2", "Urlaub", false, true},
        {"a movie at 23:30 UTC beside photos at +01:00 is of the next day", true, false, "1", true,
         nullptr,
         {{"IMG_0301.JPG", "2024-07-01 Urlaub 01.JPG"}, {"MVI_0302.MOV", "2024-07-02 Urlaub 02.MOV"},
          {"IMG_0303.JPG", "2024-07-02 Urlaub 03.JPG"}},
         nullptr, withMovie, true},
        {"numbers per day without the date give equal names", true, false, "1", true, nullptr, {},
         "„DSC_0201.JPG“ bekäme denselben Namen", twoDays, false, true},
        {"the CD check counts the date", true, false, "1", true, nullptr, {},
         "mehr als 64 Zeichen", twoDays, true, false, "0", "2", longName, true},
        {"the same name without the date is within 64 characters", true, false, "1", true, nullptr,
         {{"DSC_0201.JPG", "Urlaub in den Bergen am Wolfgangsee mit den Kindern 01.JPG"},
          {"DSC_0202.JPG", "Urlaub in den Bergen am Wolfgangsee mit den Kindern 02.JPG"},
          {"DSC_0203.JPG", "Urlaub in den Bergen am Wolfgangsee mit den Kindern 03.JPG"},
          {"DSC_0204.JPG", "Urlaub in den Bergen am Wolfgangsee mit den Kindern 04.JPG"}},
         nullptr, twoDays, false, false, "0", "2", longName, true},
    };
    // clang-format on
    // This machine's clock far from the cameras', so that a date taken from it shows.
    const Zone zone("Pacific/Honolulu");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Scene scene({}, false);
        auto &[local, w] = scene;
        if (c.files.empty()) {
            local.write("IMG_0042.CR2", tiff(exif("2024:07:01 12:00:05")));
            local.write("IMG_0042.CR2.xmp", xmpPacket("Xmp.dc.format", "image/x-canon-cr2"));
            local.write("IMG_0042.JPG", jpeg(tiff(exif("2024:07:01 12:00:05"))));
            local.write("IMG_0043.JPG", jpeg(tiff(exif("2024:07:01 12:00:01"))));
            local.write("DSC_0001.JPG", jpeg(tiff(exif("2024:07:01 12:00:03"))));
        }
        for (const auto &[name, content] : c.files)
            local.write(name, content);
        w.list(local.names());
        w.selectAll();
        std::map<std::string, QByteArray> contents;
        for (const std::string &name : local.names())
            contents[name] = local.read(QByteArray::fromStdString(name));
        w.checks[OptionCheck::Check2] = true;
        w.checks[OptionCheck::Check1] = c.autoDigits;
        w.checks[OptionCheck::Check8] = c.byTime;
        w.checks[OptionCheck::Check9] = c.groups;
        w.checks[OptionCheck::Check10] = c.dated;
        w.checks[OptionCheck::Check11] = c.perDay;
        w.checks[OptionCheck::Check6] = c.cdLimit;
        w.checks[OptionCheck::Check5] = c.underscores;
        w.texts[OptionText::Text2] = QString::fromUtf8(c.name);
        w.texts[OptionText::Text4] = QLatin1String(c.digits);
        w.texts[OptionText::Text5] = QLatin1String(c.dayStart);
        w.texts[OptionText::Text3] = QLatin1String(c.start);
        w.keepExtension = !c.extension;
        if (c.extension)
            w.texts[OptionText::Text1] = QLatin1String(c.extension);
        runRename(w);
        if (c.refusal) {
            // Conflicts are known before the question, the CD check only after it.
            const QStringList titles
                = c.cdLimit ? QStringList {"Frage ...?", "Fehler ..."} : QStringList {"Fehler ..."};
            EXPECT_EQ(w.messageTitles(), titles);
            EXPECT_TRUE(w.messages.back().prompt.contains(QString::fromUtf8(c.refusal)))
                << w.messages.back().prompt.toStdString();
            EXPECT_TRUE(w.movedNothing());
            continue;
        }
        // No digit correction: the digit count was enough for the shots.
        EXPECT_EQ(w.messageTitles(), (QStringList {"Frage ...?", "Bin fertig!"}));
        Names expected;
        for (const auto &[from, to] : c.renamed) {
            EXPECT_EQ(local.read(QByteArray::fromStdString(to)), contents[from]) << from;
            expected.push_back(to);
        }
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(local.names(), expected);
    }
}

// Camera B's clock is 1:02:10 fast. Its offset, typed, found from its photo of a clock or from
// its photo taken at the same moment as one of camera A, puts B's shots between A's; a clock
// left more than a year behind is corrected the same way, and so is the date in the new name.
// The files keep their bytes and dates.
TEST_F(RunFixture, CameraClocksPutTwoBodiesOnOneTimeline)
{
    using namespace capturefiles;
    enum Way { None, Typed, ClockPhoto, SameMoment };
    struct Case
    {
        const char *what;
        qint64 bAhead; // how far B's clock is ahead of the true time
        Way way;
        const char *typed; // with Typed
        const char *offsetText; // the offset found, in the field form
        Names renamed; // the old names in the order of their new numbers
    };
    const qint64 aYearAndMore = 400 * 86400 + 3730;
    const Names interleaved = {"A_1.JPG", "B_1.JPG", "A_2.JPG", "B_2.JPG", "A_3.JPG", "B_3.JPG"};
    // clang-format off
    const Case cases[] = {
        {"no offset: B's shots after A's", 3730, None, nullptr, "+0 00:00:00",
         {"A_1.JPG", "A_2.JPG", "A_3.JPG", "B_1.JPG", "B_2.JPG", "B_3.JPG"}},
        {"typed", 3730, Typed, "-0 01:02:10", "-0 01:02:10", interleaved},
        {"typed without days", 3730, Typed, "-1:02:10", "-0 01:02:10", interleaved},
        {"from a photo of a clock", 3730, ClockPhoto, nullptr, "-0 01:02:10", interleaved},
        {"from two photos of the same moment", 3730, SameMoment, nullptr, "-0 01:02:10",
         interleaved},
        {"a clock more than a year behind, typed", -aYearAndMore, Typed, "+400 01:02:10",
         "+400 01:02:10", interleaved},
        {"a clock more than a year behind, from two photos", -aYearAndMore, SameMoment, nullptr,
         "+400 01:02:10", interleaved},
    };
    // clang-format on
    const qint64 noon = QDateTime(QDate(2024, 7, 1), QTime(12, 0), Qt::UTC).toSecsSinceEpoch();
    const auto exifTime = [](qint64 seconds) {
        return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC)
            .toString(QStringLiteral("yyyy:MM:dd HH:mm:ss"))
            .toStdString();
    };
    const auto photo = [&](qint64 seconds, const char *model, const char *serial) {
        Exiv2::ExifData data = exif(exifTime(seconds).c_str(), "", "Z");
        data["Exif.Image.Make"] = "Nikon";
        data["Exif.Image.Model"] = model;
        data["Exif.Photo.BodySerialNumber"] = serial;
        return jpeg(tiff(data));
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder local;
        FakeWindow w;
        w.folder = local.path();
        w.texts[OptionText::Text2] = QStringLiteral("Urlaub");
        w.checks[OptionCheck::Check1] = true;
        w.checks[OptionCheck::Check2] = true;
        w.checks[OptionCheck::Check8] = true;
        w.checks[OptionCheck::Check10] = true; // the date of the corrected clock in the name
        // A at 12:00, 12:10, 12:20; B at 12:05, 12:15 and, with A's last, at 12:20, the moment
        // its photo of a clock showed.
        const qint64 shots[] = {0, 600, 1200, 300, 900, 1200};
        const Names names = {"A_1.JPG", "A_2.JPG", "A_3.JPG", "B_1.JPG", "B_2.JPG", "B_3.JPG"};
        std::map<std::string, QByteArray> contents;
        for (size_t i = 0; i < names.size(); ++i) {
            const bool b = names[i][0] == 'B';
            const QByteArray name = QByteArray::fromStdString(names[i]);
            local.write(name,
                        b ? photo(noon + shots[i] + c.bAhead, "NIKON Z 6", "3001234")
                          : photo(noon + shots[i], "NIKON Z 6", "3005678"));
            local.setTime(name, noon);
            contents[names[i]] = local.read(name);
        }
        w.list(local.names());
        w.selectAll();
        const CaptureTime a3 = readCaptureTime(w.folder, "A_3.JPG");
        const CaptureTime b3 = readCaptureTime(w.folder, "B_3.JPG");
        ASSERT_EQ(b3.camera, "Nikon|NIKON Z 6|3001234");
        ASSERT_NE(a3.camera, b3.camera);
        qint64 offset = 0;
        switch (c.way) {
        case None:
            break;
        case Typed:
            offset = parseClockOffset(QLatin1String(c.typed)).value_or(0);
            break;
        case ClockPhoto:
            offset = offsetFromClockPhoto(b3, noon + 1200);
            break;
        case SameMoment:
            offset = offsetFromSimultaneousShots(b3, a3, 0);
            break;
        }
        EXPECT_EQ(formatClockOffset(offset), QLatin1String(c.offsetText));
        if (offset != 0)
            w.offsets.insert(b3.camera, offset);
        runRename(w);
        EXPECT_EQ(w.messageTitles(), (QStringList {"Frage ...?", "Bin fertig!"}));
        for (size_t n = 0; n < c.renamed.size(); ++n) {
            const std::string to = "2024-07-01 Urlaub 0" + std::to_string(n + 1) + ".JPG";
            EXPECT_EQ(local.read(QByteArray::fromStdString(to)), contents[c.renamed[n]])
                << to << " should be " << c.renamed[n];
            struct stat st;
            ASSERT_EQ(::stat(local.pathOf(QByteArray::fromStdString(to)).constData(), &st), 0);
            EXPECT_EQ(st.st_mtim.tv_sec, noon);
        }
    }
}
