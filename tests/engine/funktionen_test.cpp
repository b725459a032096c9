// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakewindow.h"
#include "funktionen.h"
#include "renameoptions.h"

#include <gtest/gtest.h>

using namespace Funktionen;

TEST(PfadOhneBackslash, RemovesExactlyOneTrailingSeparator)
{
    const std::pair<QByteArray, QByteArray> cases[]
        = {{"/", ""}, {"/home/anna/Bilder", "/home/anna/Bilder"}, {"", ""}, {"/a//", "/a/"}};
    for (const auto &[in, out] : cases) {
        QByteArray path = in;
        PfadOhneBackslash(path);
        EXPECT_EQ(path, out) << in.constData();
    }
}

TEST(ErmittleDateiendung, KeepsTheExtensionOfTheFileNameOnly)
{
    struct Case
    {
        QByteArray path;
        QByteArray extension;
    };
    const Case cases[] = {
        {"/Bilder/IMG_0001.JPG", "JPG"},
        {"/Bilder/archiv.tar.gz", "gz"},
        {"/Urlaub.2002/foto.png", "png"},
        {"/Bilder/.profil", "profil"},
        // No extension: neither the previous file's nor a piece of the folder path.
        {"/Urlaub.2002/foto", ""},
        {"/Bilder/README", ""},
        {"/Bilder/name.", ""},
        {"/Bilder/bild.\xff\xfe", "\xff\xfe"},
    };
    FakeWindow window;
    RenameOptions options;
    options.KeepExtension = true;
    options.NewExtension = QStringLiteral("gif"); // not used while extensions are kept
    QByteArray extension = "left-over";
    for (const auto &c : cases) {
        ErmittleDateiendung(c.path, extension, options, &window);
        EXPECT_EQ(extension, c.extension) << c.path.constData();
    }
    EXPECT_TRUE(window.calls.isEmpty());
}

TEST(ErmittleDateiendung, UsesTheTypedExtensionAsItStands)
{
    FakeWindow window;
    RenameOptions options;
    options.KeepExtension = false;
    QByteArray extension;
    for (const QString &typed : {QStringLiteral("gif"), QStringLiteral(".jpg"),
                                 QStringLiteral(" Jp "), QStringLiteral("äö")}) {
        options.NewExtension = typed;
        ErmittleDateiendung("/Bilder/a.png", extension, options, &window);
        EXPECT_EQ(extension, typed.toUtf8());
    }
    EXPECT_TRUE(options.KeepExtension == false);
    EXPECT_TRUE(window.calls.isEmpty());
}

TEST(ErmittleDateiendung, EmptyNewExtensionSwitchesToKeeping)
{
    FakeWindow window;
    window.keepExtension = false;
    RenameOptions options;
    options.KeepExtension = false;
    QByteArray extension;
    ErmittleDateiendung("/Bilder/a.png", extension, options, &window);
    EXPECT_EQ(extension, "png");
    EXPECT_TRUE(options.KeepExtension);
    EXPECT_TRUE(window.keepExtension);
    EXPECT_EQ(window.calls, QStringList {QStringLiteral("selectKeepExtension")});
}

TEST(ErmittleTrennzeichen, BlankUnderscoreOrNothing)
{
    struct Case
    {
        bool blank;
        bool underscore;
        QString separator;
    };
    const Case cases[] = {{false, false, QString()},
                          {true, false, QStringLiteral(" ")},
                          {true, true, QStringLiteral("_")},
                          {false, true, QString()}};
    for (const auto &c : cases) {
        RenameOptions options;
        options.BlankBeforeNumber = c.blank;
        options.BlankToUnderscore = c.underscore;
        QString separator = QStringLiteral("x");
        ErmittleTrennzeichen(separator, options);
        EXPECT_EQ(separator, c.separator) << c.blank << c.underscore;
    }
}

TEST(FormatiereNummer, PadsWithZerosAndNeverCuts)
{
    const std::tuple<int, int, const char *> cases[]
        = {{5, 2, "05"},       {10, 2, "10"},       {100, 2, "100"}, {1, 5, "00001"},
           {9999, 5, "09999"}, {10000, 5, "10000"}, {7, 3, "007"},   {1234, 3, "1234"}};
    for (const auto &[number, digits, text] : cases) {
        QString numberText;
        FormatiereNummer(number, numberText, digits);
        EXPECT_EQ(numberText, QLatin1String(text)) << number << " " << digits;
    }
}

TEST(ErmittleStellenanzahl, AutomaticCountFromStartPlusFiles)
{
    // start number, files, digits: the sum is start + files, not the highest number used.
    const std::tuple<const char *, int, int> cases[]
        = {{"1", 1, 2},   {"1", 8, 2},    {"1", 98, 2},      {"1", 99, 3},
           {"999", 1, 4}, {"9999", 1, 5}, {"9999", 22768, 5}};
    for (const auto &[start, files, expected] : cases) {
        FakeWindow window;
        RenameOptions options;
        options.AutoDigits = true;
        options.StartNumber = QLatin1String(start);
        options.Digits = QStringLiteral("4"); // ignored while automatic
        int count = files;
        int digits = 0;
        ErmittleStellenanzahl(count, digits, options, window);
        EXPECT_EQ(digits, expected) << start << " + " << files;
        EXPECT_EQ(count, files);
        EXPECT_TRUE(window.calls.isEmpty());
    }
}

TEST(ErmittleStellenanzahl, ManualCountIsKeptOrCorrectedWithAMessage)
{
    FakeWindow window;
    RenameOptions options;
    options.AutoDigits = false;
    options.StartNumber = QStringLiteral("1");
    options.Digits = QStringLiteral("4");
    int count = 20;
    int digits = 0;
    ErmittleStellenanzahl(count, digits, options, window);
    EXPECT_EQ(digits, 4);
    EXPECT_TRUE(window.messages.empty());

    options.Digits = QStringLiteral("2");
    count = 150;
    ErmittleStellenanzahl(count, digits, options, window);
    EXPECT_EQ(digits, 3);
    EXPECT_EQ(window.texts[OptionText::Text4], QStringLiteral("3"));
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0].prompt,
              QStringLiteral("Die Anzahl der Stellen musste korrigiert werden."));
    EXPECT_EQ(window.messages[0].kind, MessageKind::Plain);
    EXPECT_EQ(window.messages[0].title, QStringLiteral("Brixelwand"));
}
