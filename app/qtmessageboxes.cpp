#include "qtmessageboxes.h"

#include <QMessageBox>

MessageAnswer QtMessageBoxes::show(const QString &prompt, MessageKind kind, const QString &title)
{
    QMessageBox box(m_parent);
    box.setWindowTitle(title.isEmpty() ? programTitle() : title);
    box.setText(prompt);
    box.setTextFormat(Qt::PlainText);
    const bool question = kind == MessageKind::Question || kind == MessageKind::CriticalQuestion;
    switch (kind) {
    case MessageKind::Plain:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MessageKind::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case MessageKind::Error:
    case MessageKind::CriticalQuestion:
        box.setIcon(QMessageBox::Critical);
        break;
    case MessageKind::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MessageKind::Information:
        box.setIcon(QMessageBox::Information);
        break;
    }
    if (question) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    const int pressed = box.exec();
    if (!question)
        return MessageAnswer::Ok;
    return pressed == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}
