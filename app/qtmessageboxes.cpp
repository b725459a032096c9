// SPDX-License-Identifier: GPL-3.0-or-later
#include "qtmessageboxes.h"

#include <QMessageBox>
#include <QPushButton>

namespace {

// Three named actions; Escape and the close box keep everything for later.
MessageAnswer askRecovery(QMessageBox &box)
{
    box.setIcon(QMessageBox::Question);
    QPushButton *finish = box.addButton(QStringLiteral("Fortsetzen"), QMessageBox::AcceptRole);
    QPushButton *undo
        = box.addButton(QStringLiteral("Rückgängig machen"), QMessageBox::DestructiveRole);
    QPushButton *later = box.addButton(QStringLiteral("Später"), QMessageBox::RejectRole);
    box.setDefaultButton(finish);
    box.setEscapeButton(later);
    box.exec();
    if (box.clickedButton() == finish)
        return MessageAnswer::Continue;
    if (box.clickedButton() == undo)
        return MessageAnswer::Undo;
    return MessageAnswer::Later;
}

} // namespace

MessageAnswer QtMessageBoxes::show(const QString &prompt, MessageKind kind, const QString &title)
{
    QMessageBox box(m_parent);
    box.setWindowTitle(title.isEmpty() ? programTitle() : title);
    box.setText(prompt);
    box.setTextFormat(Qt::PlainText);
    if (kind == MessageKind::RecoveryQuestion)
        return askRecovery(box);
    const bool question = kind == MessageKind::Question || kind == MessageKind::CriticalQuestion;
    switch (kind) {
    case MessageKind::RecoveryQuestion:
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
