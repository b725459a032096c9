// SPDX-License-Identifier: GPL-3.0-or-later
#include "focuslosswatch.h"

#include <QApplication>
#include <QFocusEvent>
#include <QWidget>

FocusLossWatch::FocusLossWatch(QWidget &button, QWidget &page,
                               std::function<void(Qt::FocusReason)> lost)
    : QObject(&page)
    , m_button(button)
    , m_lost(std::move(lost))
{
    button.installEventFilter(this);
}

bool FocusLossWatch::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == &m_button && event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        QMetaObject::invokeMethod(
            this, [this, reason] { m_lost(reason); }, Qt::QueuedConnection);
    }
    return false;
}

bool FocusLossWatch::leavesPageAlone(const QWidget &page, Qt::FocusReason reason)
{
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
        return true;
    if (!page.isVisibleTo(page.window()))
        return true;
    const QWidget *now = QApplication::focusWidget();
    return reason == Qt::MouseFocusReason && now && now->isVisible();
}
