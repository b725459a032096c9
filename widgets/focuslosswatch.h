// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <functional>

class QWidget;

// The loss of focus of a step button ("weiter >>", "<< zurück"), as both pages handle it:
// reported after the handler that moved the focus has returned (Qt sends a widget's focus-out
// inside the caller), with the reason, to the page's _LostFocus handler.
class FocusLossWatch : public QObject
{
    Q_OBJECT
public:
    // Watches button, a control of page; the watch belongs to page.
    FocusLossWatch(QWidget &button, QWidget &page, std::function<void(Qt::FocusReason)> lost);

    // Whether a loss of focus leaves the user where they are: another application came to the
    // front, a menu opened, the user clicked another control that is shown, or the user chose
    // another page (a click on its tab, Ctrl+Tab), so that page is no longer shown.
    static bool leavesPageAlone(const QWidget &page, Qt::FocusReason reason);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget &m_button;
    std::function<void(Qt::FocusReason)> m_lost;
};
