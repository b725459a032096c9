// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFocusEvent>
#include <QLineEdit>

// A text field that reports when it has received the focus, after its own focus handling (so
// a selection made in reaction is not replaced by the field's select-all on Tab). Entered by a
// click, it reports again once the click has placed the caret, so that the reaction's selection
// holds however the field got the focus.
class FieldEdit : public QLineEdit
{
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;
signals:
    void gotFocus();

protected:
    void focusInEvent(QFocusEvent *event) override
    {
        QLineEdit::focusInEvent(event);
        m_clickedIn = event->reason() == Qt::MouseFocusReason;
        emit gotFocus();
    }
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        QLineEdit::mouseReleaseEvent(event);
        if (m_clickedIn && !hasSelectedText())
            emit gotFocus();
        m_clickedIn = false;
    }

private:
    bool m_clickedIn = false;
};
