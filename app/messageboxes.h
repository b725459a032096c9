#pragma once

#include "renamewindow.h"

class QWidget;

// Shows the program's modal message boxes. The window shows every box through one of these,
// so tests can answer them without a real dialog.
class IMessageBoxes
{
public:
    virtual ~IMessageBoxes() = default;
    virtual MessageAnswer show(QWidget *parent, const QString &prompt, MessageKind kind,
                               const QString &title)
        = 0;
};

// Real QMessageBox dialogs: icon and buttons by kind, Yes the default of the questions.
class QtMessageBoxes : public IMessageBoxes
{
public:
    MessageAnswer show(QWidget *parent, const QString &prompt, MessageKind kind,
                       const QString &title) override;
};
