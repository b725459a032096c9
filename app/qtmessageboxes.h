// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "messageboxes.h"

class QWidget;

// Real QMessageBox dialogs over parent: icon and buttons by kind, Yes the default of the
// questions.
class QtMessageBoxes : public IMessageBoxes
{
public:
    explicit QtMessageBoxes(QWidget *parent)
        : m_parent(parent)
    { }
    MessageAnswer show(const QString &prompt, MessageKind kind, const QString &title) override;

private:
    QWidget *m_parent;
};
