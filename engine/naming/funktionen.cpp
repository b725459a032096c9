// SPDX-License-Identifier: GPL-3.0-or-later
#include "funktionen.h"

#include "numbers.h"
#include "renameoptions.h"
#include "renamewindow.h"

#include <algorithm>

namespace Funktionen {

void PfadOhneBackslash(QByteArray &folderPath)
{
    if (folderPath.endsWith('/'))
        folderPath.chop(1);
}

void ErmittleDateiendung(const QByteArray &oldFullPath, QByteArray &extension,
                         RenameOptions &options, IRenameWindow *window)
{
    if (options.NewExtension.isEmpty()) {
        options.KeepExtension = true;
        if (window)
            window->selectKeepExtension();
    }
    if (options.KeepExtension) {
        const qsizetype nameStart = oldFullPath.lastIndexOf('/') + 1;
        const qsizetype dot = oldFullPath.lastIndexOf('.');
        if (dot >= nameStart)
            extension = oldFullPath.mid(dot + 1);
        else
            extension.clear();
    } else {
        extension = options.NewExtension.toUtf8();
    }
}

void ErmittleTrennzeichen(QString &separator, const RenameOptions &options)
{
    separator.clear();
    if (options.BlankBeforeNumber)
        separator = options.BlankToUnderscore ? QStringLiteral("_") : QStringLiteral(" ");
}

void FormatiereNummer(int number, QString &numberText, int digits)
{
    numberText = QString::number(number);
    if (digits > numberText.size())
        numberText.prepend(QString(digits - numberText.size(), QLatin1Char('0')));
}

void ErmittleStellenanzahl(int &selectedCount, int &digits, const RenameOptions &options,
                           IRenameWindow &window)
{
    digits = runDigits(selectedCount, options);
    if (options.AutoDigits || wholeNumberOf(options.Digits) >= digits)
        return;
    // The user's count was too small: the run uses the automatic one, and the field says so.
    window.setOptionText(OptionText::Text4, QString::number(digits));
    window.messageBox(Texts::digitsCorrected(), MessageKind::Plain, programTitle());
}

} // namespace Funktionen

int runDigits(int selectedCount, const RenameOptions &options)
{
    const int automatic = automaticDigits(selectedCount, wholeNumberOf(options.StartNumber));
    return options.AutoDigits ? automatic : std::max(automatic, wholeNumberOf(options.Digits));
}

int automaticDigits(int selectedCount, int startNumber)
{
    const int length = int(QString::number(selectedCount + startNumber).size());
    return length <= 2 ? 2 : length;
}
