// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

class IRenameWindow;
struct RenameOptions;

// The procedures from which a run builds every new file name. They keep no state and hand
// their results back through reference arguments.
namespace Funktionen {

// "path without separator": removes one trailing "/" ("/" becomes "", /home/a stays).
void PfadOhneBackslash(QByteArray &folderPath);

// "determine file extension": the extension (without dot) for the new name. With an empty
// NewExtension it switches to keeping extensions (and selects Optionbtn1 of window, where one
// is given) first. A kept extension is taken from the file name alone: the bytes after its last
// dot, or empty when the name has no dot or nothing after its last dot.
void ErmittleDateiendung(const QByteArray &oldFullPath, QByteArray &extension,
                         RenameOptions &options, IRenameWindow *window);

// "determine separator": "", " " or "_" between base name and number.
void ErmittleTrennzeichen(QString &separator, const RenameOptions &options);

// "format number": the decimal text of number with leading zeros up to digits; never cut.
void FormatiereNummer(int number, QString &numberText, int digits);

// "determine digit count": from start number + number of selected files. With AutoDigits off
// the user's count is kept when large enough; otherwise Text4 is corrected with a message.
// The caller makes sure the sum stays within maxNumberSum.
void ErmittleStellenanzahl(int &selectedCount, int &digits, const RenameOptions &options,
                           IRenameWindow &window);

} // namespace Funktionen

// The digit count start number + number of files asks for: 2 up to two digits, else its own.
int automaticDigits(int selectedCount, int startNumber);
// The digit count a run uses: the automatic one, or with AutoDigits off the user's count where
// that is not smaller.
int runDigits(int selectedCount, const RenameOptions &options);

// Largest start number + number of selected files a run accepts.
constexpr int maxNumberSum = 32767;
