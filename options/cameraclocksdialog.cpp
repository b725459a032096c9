// SPDX-License-Identifier: GPL-3.0-or-later
#include "cameraclocksdialog.h"

#include "displayname.h"

#include <QComboBox>
#include <QDateTime>
#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>

namespace {

const QString dateTimeFormat = QStringLiteral("dd.MM.yyyy HH:mm:ss");

// To the whole second as the clock photo's offset counts it: the time offered unchanged is no
// correction.
QDateTime localTime(const CaptureTime &time)
{
    return QDateTime::fromSecsSinceEpoch(wholeSeconds(time), Qt::LocalTime);
}

QString timeText(const CaptureTime &time)
{
    return localTime(time).toString(dateTimeFormat);
}

QLabel *header(const QString &text)
{
    auto *label = new QLabel(text);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

// A small dialogue of label and field rows with OK and Abbrechen.
class PickDialog : public QDialog
{
public:
    PickDialog(const QString &title, const QString &lead, QWidget *parent)
        : QDialog(parent)
        , m_form(new QFormLayout)
    {
        setWindowTitle(title);
        auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        auto *text = new QLabel(lead);
        text->setWordWrap(true);
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(text);
        layout->addLayout(m_form);
        layout->addWidget(buttons);
    }
    // A row "label field", the label's text the field's accessible name.
    template<typename T> T *addRow(const QString &label, T *field, const char *name)
    {
        field->setObjectName(QLatin1String(name));
        field->setAccessibleName(QString(label).remove(QLatin1Char(':')));
        m_form->addRow(label, field);
        return field;
    }

private:
    QFormLayout *m_form;
};

} // namespace

CameraClocksDialog::CameraClocksDialog(std::vector<QByteArray> names,
                                       std::vector<CaptureTime> times, const ClockOffsets &offsets,
                                       QWidget *parent)
    : QDialog(parent)
    , m_names(std::move(names))
    , m_times(std::move(times))
    , m_bodies(cameraBodies(m_times))
{
    setObjectName(QStringLiteral("Kamerauhren"));
    setWindowTitle(QStringLiteral("Kamerauhren"));
    auto *lead = new QLabel(
        QStringLiteral("Geht die Uhr einer Kamera falsch, wird ihre Korrektur zu den "
                       "Aufnahmezeiten ihrer Dateien addiert: für die Reihenfolge, den Namen und "
                       "die Vorschau. Geht eine Uhr eine Stunde vor, ist die Korrektur "
                       "-0 01:00:00. Die Dateien selbst bleiben unverändert."));
    lead->setWordWrap(true);

    auto *rows = new QWidget;
    auto *grid = new QGridLayout(rows);
    const QStringList titles
        = {QStringLiteral("Kamera"), QStringLiteral("Dateien"), QStringLiteral("Erste Aufnahme"),
           QStringLiteral("Letzte Aufnahme"), QStringLiteral("Korrektur (+T HH:MM:SS)")};
    for (int column = 0; column < titles.size(); ++column)
        grid->addWidget(header(titles[column]), 0, column);
    const bool severalBodies = m_bodies.bodies.size() > 1;
    for (int row = 0; row < int(m_bodies.bodies.size()); ++row) {
        const CameraBody &body = m_bodies.bodies[size_t(row)];
        const QString name = cameraDisplayName(body.key);
        const int line = row + 1;
        grid->addWidget(new QLabel(name), line, 0);
        auto *count = new QLabel(QString::number(body.files.size()));
        count->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(count, line, 1);
        grid->addWidget(new QLabel(timeText(body.first)), line, 2);
        grid->addWidget(new QLabel(timeText(body.last)), line, 3);
        auto *offset = new QLineEdit(formatClockOffset(offsets.value(body.key, 0)));
        offset->setObjectName(QStringLiteral("Korrektur%1").arg(line));
        offset->setAccessibleName(QStringLiteral("Korrektur der Uhr: %1").arg(name));
        offset->setToolTip(QStringLiteral("Vorzeichen, Tage, Stunden, Minuten und Sekunden, "
                                          "z. B. +400 01:02:10"));
        offset->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("-00000 00:00:00"))
                                + 16);
        connect(offset, &QLineEdit::textChanged, this, &CameraClocksDialog::offsetEdited);
        m_offsetFields.push_back(offset);
        grid->addWidget(offset, line, 4);
        auto *clockPhoto = new QPushButton(QStringLiteral("Aus einem Uhrenfoto ..."));
        clockPhoto->setObjectName(QStringLiteral("Uhrenfoto%1").arg(line));
        clockPhoto->setAccessibleName(clockPhoto->text());
        clockPhoto->setAccessibleDescription(name);
        connect(clockPhoto, &QPushButton::clicked, this, [this, row] { fromClockPhoto(row); });
        grid->addWidget(clockPhoto, line, 5);
        auto *simultaneous = new QPushButton(QStringLiteral("Aus gleichzeitigen Aufnahmen ..."));
        simultaneous->setObjectName(QStringLiteral("Gleichzeitig%1").arg(line));
        simultaneous->setAccessibleName(simultaneous->text());
        simultaneous->setAccessibleDescription(name);
        simultaneous->setEnabled(severalBodies); // needs a photo of another camera
        connect(simultaneous, &QPushButton::clicked, this,
                [this, row] { fromSimultaneousShots(row); });
        grid->addWidget(simultaneous, line, 6);
    }
    grid->setColumnStretch(0, 1);
    auto *scroll = new QScrollArea;
    scroll->setWidget(rows);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    // The rows whole where the screen allows; on a narrow screen they scroll.
    const QScreen *shownOn = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const int roomOnScreen = shownOn ? shownOn->availableGeometry().width() * 9 / 10 : 1000;
    scroll->setMinimumWidth(std::min(rows->sizeHint().width(), roomOnScreen));
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    scroll->setMinimumHeight(
        std::min(rows->sizeHint().height() + scrollBar, 12 * fontMetrics().height()));

    QString note;
    if (m_bodies.bodies.empty())
        note = QStringLiteral("Unter den ausgewählten Dateien ist keine Aufnahme, die ihre "
                              "Kamera nennt.");
    else if (m_bodies.withoutBody == 1)
        note = QStringLiteral("1 Datei nennt ihre Kamera nicht; ihre Zeit bleibt, wie sie ist.");
    else if (m_bodies.withoutBody > 1)
        note = QStringLiteral("%1 Dateien nennen ihre Kamera nicht; ihre Zeiten bleiben, wie sie "
                              "sind.")
                   .arg(m_bodies.withoutBody);
    auto *noteLabel = new QLabel(note);
    noteLabel->setWordWrap(true);
    noteLabel->setVisible(!note.isEmpty());
    m_hint = new QLabel(QStringLiteral("Bitte jede Korrektur in der Form +T HH:MM:SS angeben, "
                                       "z. B. +0 01:02:10 oder -400 00:00:05."));
    m_hint->setObjectName(QStringLiteral("Hinweis"));
    m_hint->setWordWrap(true);
    m_hint->setVisible(false);
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lead);
    layout->addWidget(scroll, 1);
    layout->addWidget(noteLabel);
    layout->addWidget(m_hint);
    layout->addWidget(m_buttons);
    if (!m_offsetFields.empty())
        m_offsetFields.front()->setFocus();
}

ClockOffsets CameraClocksDialog::offsets() const
{
    ClockOffsets result;
    for (int row = 0; row < int(m_offsetFields.size()); ++row)
        result.insert(m_bodies.bodies[size_t(row)].key, rowOffset(row));
    return result;
}

qint64 CameraClocksDialog::rowOffset(int row) const
{
    return parseClockOffset(m_offsetFields[size_t(row)]->text()).value_or(0);
}

void CameraClocksDialog::offsetEdited()
{
    bool allRead = true;
    for (const QLineEdit *field : m_offsetFields)
        allRead = allRead && parseClockOffset(field->text()).has_value();
    m_hint->setVisible(!allRead);
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(allRead);
}

QString CameraClocksDialog::fileText(int file) const
{
    return QStringLiteral("%1 – %2").arg(displayName(m_names[size_t(file)]),
                                         timeText(m_times[size_t(file)]));
}

QComboBox *CameraClocksDialog::photoList(const CameraBody &body) const
{
    auto *list = new QComboBox;
    for (int file : body.files)
        list->addItem(fileText(file), file);
    return list;
}

void CameraClocksDialog::fromClockPhoto(int row)
{
    const CameraBody &body = m_bodies.bodies[size_t(row)];
    PickDialog pick(
        QStringLiteral("Aus einem Uhrenfoto"),
        QStringLiteral("Wählen Sie ein Foto der Kamera %1, das eine Uhr zeigt, und geben Sie "
                       "die Zeit ein, die die Uhr darauf zeigt.")
            .arg(cameraDisplayName(body.key)),
        this);
    auto *photo = pick.addRow(QStringLiteral("Foto mit der Uhr:"), photoList(body), "Uhrenfoto");
    auto *shown = pick.addRow(QStringLiteral("Die Uhr zeigt:"), new QDateTimeEdit, "UhrZeigt");
    shown->setDisplayFormat(dateTimeFormat);
    const auto showCaptureTime = [this, photo, shown] {
        shown->setDateTime(localTime(m_times[size_t(photo->currentData().toInt())]));
    };
    connect(photo, &QComboBox::currentIndexChanged, &pick, showCaptureTime);
    showCaptureTime();
    photo->setFocus();
    if (pick.exec() != QDialog::Accepted)
        return;
    const CaptureTime &time = m_times[size_t(photo->currentData().toInt())];
    m_offsetFields[size_t(row)]->setText(
        formatClockOffset(offsetFromClockPhoto(time, shown->dateTime().toSecsSinceEpoch())));
}

void CameraClocksDialog::fromSimultaneousShots(int row)
{
    const CameraBody &body = m_bodies.bodies[size_t(row)];
    PickDialog pick(QStringLiteral("Aus gleichzeitigen Aufnahmen"),
                    QStringLiteral("Wählen Sie ein Foto der Kamera %1 und eines einer anderen "
                                   "Kamera, die im selben Augenblick aufgenommen wurden.")
                        .arg(cameraDisplayName(body.key)),
                    this);
    auto *mine = pick.addRow(QStringLiteral("Foto dieser Kamera:"), photoList(body), "DiesesFoto");
    auto *other
        = pick.addRow(QStringLiteral("Foto der anderen Kamera:"), new QComboBox, "AnderesFoto");
    for (int r = 0; r < int(m_bodies.bodies.size()); ++r) {
        if (r == row)
            continue;
        const CameraBody &b = m_bodies.bodies[size_t(r)];
        for (int file : b.files)
            other->addItem(QStringLiteral("%1 (%2)").arg(fileText(file), cameraDisplayName(b.key)),
                           QList<QVariant> {file, r});
    }
    mine->setFocus();
    if (pick.exec() != QDialog::Accepted || other->count() == 0)
        return;
    const QList<QVariant> picked = other->currentData().toList();
    const CaptureTime &myTime = m_times[size_t(mine->currentData().toInt())];
    const CaptureTime &otherTime = m_times[size_t(picked[0].toInt())];
    m_offsetFields[size_t(row)]->setText(formatClockOffset(
        offsetFromSimultaneousShots(myTime, otherTime, rowOffset(picked[1].toInt()))));
}
